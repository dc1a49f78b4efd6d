#pragma once
// The report panel of the main window and its two menus. One set of eighteen menu buttons
// serves both: the employee's own report menu ("Report", buttons 10 to 15) and the manager
// menu ("Manager", all eighteen). Every press runs one dispatcher: it checks the suite
// connection, prepares the report list and "Print Report", remembers the report index, and
// runs the button's report or action.
//
// Rules: the menu runs the reports itself; the actions of other parts of the station (the
// punch editor, the configuration window, printing, the misc report frame, export and
// import) are reached only through MenuActions, which the program fills in. An action left
// empty does nothing. The panel content lives inside Tclock::frareport, so every screen
// clear hides it with the panel.

#include "reportlines.h"

#include <QObject>
#include <array>
#include <functional>

class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pw {

class Station;
class Tclock;

// What the menu starts but does not own.
struct MenuActions {
    std::function<void()> open_editor;        // "Edit Punches"
    std::function<void()> open_configuration; // "Configuration", after the manager password
    std::function<void()> print_report;       // "Print Report", for the report on the list
    // "Misc. Punch Reports": shows the misc report frame beside the menu.
    std::function<void()> show_misc;
    std::function<void()> export_punches; // "Export Punches" (remote station)
    std::function<void()> import_punches; // "Import Punches" (main station)
};

// Set true on every frame and window that only a manager may use (the misc report frame, the
// password frame, the punch editor, the configuration window, the report viewer): the menu
// hides or closes them all whenever a menu opens or the screen clears.
inline constexpr char kManagerOnly[] = "pw_manager_only";

// The panel content and its handlers. Built into the window, which owns it; connects the
// window's Report, Manager, Import and Export buttons.
class ReportMenu : public QObject {
public:
    ReportMenu(Station& st, Tclock& win, MenuActions actions);

    QLabel* lblmenuheading;
    std::array<QPushButton*, kMenuButtons> cmdmenu{}; // objectNames "cmdmenu0".."cmdmenu17"
    QPushButton* cmdprintlistbox;
    QFrame* frapassword; // "Manager Password Required" (lblpassword)
    QLabel* lblpassword;
    QLineEdit* txtmgrpassword;
    QPushButton* cmdpasswordok;

    // The "Manager" button: all eighteen buttons, Export or Import by remotemode.
    void open_manager_menu();
    // The "Report" button: buttons 10 to 15 only.
    void open_employee_report_menu();
    // Any menu button, 0 to 17.
    void menu_button_pressed(int index);
    // The password frame's "Ok".
    void manager_password_entered();
    // The report list takes the screen beside the panel; the keypad goes.
    void show_report_list();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The constructor's steps: the heading, the eighteen buttons with "Print Report" and the
    // places of Import and Export, the manager password frame, the window's buttons.
    void create_heading(QFrame* panel);
    void create_buttons(QFrame* panel);
    void create_password_frame(QFrame* panel);
    void connect_window();

    bool manager_present() const;
    // Runs a manager action only while a manager is identified.
    void run_manager_action(const std::function<void()>& action);
    // Hides the manager-only frames, and closes the manager's windows too when asked.
    void hide_manager_frames(bool windows_too = true);
    void place_print_button(int index);
    void run_menu_report(int index);
    void show_password_frame();
    void set_menu_look(bool manager);

    Station& st_;
    Tclock& win_;
    MenuActions actions_;
    QGridLayout* grid_;
    bool busy_ = false;
};

// What the manager menu's heading adds: " - N to review" while N punches wait for a
// manager (status 3), else nothing.
QString review_note(Station& st);

// Builds the menu into win and returns it (owned by win).
ReportMenu& connect_menus(Station& st, Tclock& win, MenuActions actions);

} // namespace pw
