#pragma once
// The configuration window, "Punchwell Configuration": the station's pay rules, edit
// reasons, work-week start, receipt printer and remote flag, and the archive and purge of old
// punches. The manager menu opens it after the manager password.
//
// Rules: the Settings are loaded again when the window is made, and the boxes show them. The
// boxes, captions and buttons carry the names the station knows them by ("Text1_0" to
// "Text1_12", "Label1_0" to "Label1_12", "chktclockmode", "lblnoprinter", "List1",
// "txtpurgemsg", "cmdsave", "cmdpurge", "cmdexit", "cmdhelp"). What Save and Archive/Purge
// do is decided in configuration.h and purge.h; the window only reads and shows.

#include "configuration.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pw {

class Station;

class ConfigWindow : public QDialog {
    Q_OBJECT

public:
    explicit ConfigWindow(Station& st, QWidget* parent = nullptr);

    std::array<QLineEdit*, kConfigBoxes> Text1{};
    std::array<QLabel*, kConfigBoxes> Label1{};
    QCheckBox* chktclockmode;
    QLabel* lblnoprinter;
    QListWidget* List1; // the printer list, over box 4 while a printer is chosen
    QLabel* txtpurgemsg;
    QPushButton* cmdsave;
    QPushButton* cmdpurge;
    QPushButton* cmdexit;
    QPushButton* cmdhelp;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The constructor's steps, in the order the controls are made.
    void create_boxes();
    void create_notices();
    void create_buttons();
    void create_layout();
    void create_printer_list();
    void create_connections();

    void show_settings();
    void show_printer_list();
    void printer_clicked(int row);
    void save();
    void purge();

    Station& st_;
};

// Opens the window modally, centred on the screen, above ordinary windows.
void open_configuration(Station& st, QWidget* parent);

} // namespace pw
