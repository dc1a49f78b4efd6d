#pragma once
// The main window: the station's one window for the whole run. It is a shell: it lays out
// the controls (named as the rest of the station knows them, so routines and tests find
// them by objectName), filters the keys of the number and password boxes and of the job
// list, and emits a signal for each thing the person does. What those mean is decided by
// the routines connected to the signals (start-up, identification, punching, the menus).
//
// Rules: the shell keeps no station state. Closing it by any path emits close_requested
// unless closestation already started the close; the window closes only once that has run.

#include "screens/linelist.h"

#include <QFrame>
#include <QList>
#include <QWidget>
#include <array>
#include <memory>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QVBoxLayout;

namespace pw {

class InstanceGuard;

class Tclock : public QWidget {
    Q_OBJECT

public:
    explicit Tclock(QWidget* parent = nullptr);
    ~Tclock() override;

    // Identification.
    QLineEdit* txtempid;
    QLineEdit* txtpassword;
    QLineEdit* txtname;
    QListWidget* lstjob;
    // The report list (fixed pitch); hidden until a report fills it.
    LineList* lstpayrate;

    // The on-screen keypad: 0 to 9, 10 "Start Over", 11 "Ok".
    QFrame* frakeypad;
    std::array<QPushButton*, 12> cmdkeypad{};

    QPushButton* cmdpunchin;
    QPushButton* cmdpunchout;
    QPushButton* cmdreport;
    QPushButton* cmddone;
    QPushButton* cmdmanager;
    QPushButton* cmdprintertoggle;
    QPushButton* cmdclose;

    QLabel* lbldate;
    QLabel* lbltime;
    QLabel* lblmsg;
    QLabel* lblholiday;

    // "Please wait a moment..." shown over the window during long actions.
    QFrame* frawait;
    QTimer* Timer1;

    // The report panel of the menus; it takes the keypad's place when shown.
    QFrame* frareport;
    QPushButton* cmdimport;
    QPushButton* cmdexport;

    // The single-copy lock, held from start-up for as long as the window lives.
    std::unique_ptr<InstanceGuard> instance;

    // Where the menus put their heading, buttons and frames (above import and export).
    QVBoxLayout* report_area() const { return report_area_; }

    // Puts w in the place of the job list (as the report list is): while w shows, the job list
    // and the other occupants of that place are hidden.
    void add_to_list_area(QWidget* w);

    // Puts the wait notice centred across, a third of the free height from the top.
    void place_wait();
    // Shows or hides the wait notice, placed and drawn at once.
    void show_wait(bool on);

    // Asks whoever owns clearscreen to reset the identification screen.
    void request_clearscreen() { emit clearscreen_requested(); }

    // Set by closestation before it closes the window, so the close is not requested again.
    void mark_closing() { closing_ = true; }
    bool closing() const { return closing_; }

signals:
    void keypad_pressed(int index); // keypad keys; DONE is 10, Enter in the boxes 11
    void typing_started();          // a key other than Enter in the number or password box
    void job_selected(int row);     // a line of lstjob became the current one
    void job_list_key(int key);     // '+', '-' or Qt::Key_Return typed in lstjob
    void punch_in_clicked();
    void punch_out_clicked();
    void report_clicked();
    void manager_clicked();
    void printer_toggle_clicked();
    void import_clicked();
    void export_clicked();
    void close_clicked();
    // The numeric keypad's multiply key, pressed anywhere on the window: move to the next box.
    void keypad_multiply_pressed();
    // The window is being closed by the person (title bar, Alt+F4) or the system.
    void close_requested();
    void clearscreen_requested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void list_area_changed(QWidget* shown);

    // The steps of the constructor, each making and naming one part of the window.
    QHBoxLayout* create_header();
    QVBoxLayout* create_entry();
    void create_keypad();
    void create_report_panel();
    QGridLayout* create_actions();
    void create_message_line();
    void create_wait_notice();

    QVBoxLayout* report_area_;
    QGridLayout* list_area_;
    QList<QWidget*> list_covers_;
    bool closing_ = false;
};

} // namespace pw
