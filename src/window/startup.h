#pragma once
// The station's life on its main window: start-up from the node file to the first empty
// identification screen, the one-second tick (clock, holiday banner, message line, release
// check, auto-clear after a punch) and the close.
//
// Rules: everything goes through the Station's platform (clock, files, programs, boxes).
// The identification screen is cleared through Tclock::request_clearscreen, which the punch
// screen's wiring connects to clearscreen.

#include <QByteArray>
#include <QString>

class QWidget;

namespace pw {

class Station;
class Tclock;

// How start-up ended: running, or closed again and why.
enum class Started { Running, NotInitialized, AlreadyRunning, SuiteMissing };
// Connects the window's timer and close paths, then runs the start-up steps. Running when the
// station runs on (the window is shown); otherwise it closed.
Started startup(Station& st, Tclock& win);
// What a supervisor reads on standard error when start-up did not run on, and the exit
// status: 2 not initialized, 3 already running, 4 the data folder unreachable.
const char* startup_failure_text(Started how);
inline int exit_status(Started how) {
    return how == Started::Running ? 0 : static_cast<int>(how) + 1;
}

// The person's Close (the button, the window's close box): only with the configuration
// password; false when the station runs on.
bool close_with_password(Station& st, Tclock& win);
// The pay rules could not be read: the message line says so and the tick tries again.
void wait_for_payrules(Station& st, Tclock& win);

// Runs once a second on Timer1.
void tick(Station& st, Tclock& win);

// The holiday banner from today's month and day, as holiday.dat lists them now.
void checkholiday(Station& st, Tclock& win);
// The message line: the first line of mapdrive punchwell.txt, or empty.
void showmessageline(Station& st, Tclock& win);
// Moves the files an older installation kept in the working folder to mapdrive; an old
// punchclk.mdb is kept aside as punchclk.mdb.old (numbered when taken) and logged.
void movelocalfiles(Station& st);

// The release check of the tick: true when it found a newer release, started the updater
// and closed the station.
bool checkupdate(Station& st, Tclock& win);
// True when the release text (blanks around it ignored) sorts after this station's version
// in plain character-code order.
bool newer_release(const QString& release);

// Closes the station: the "already running" note for a refused copy, timer stopped, every
// database connection closed, punchwell.run deleted, the window closed.
void closestation(Station& st, Tclock& win);

// Keeps a window above ordinary windows (on) or not, without moving or resizing it.
void settopmost(QWidget& window, bool on);

// The first line of a text file's bytes (UTF-8, a byte-order mark dropped, CR LF or LF).
QString first_line(const QByteArray& bytes);

} // namespace pw
