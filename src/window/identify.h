#pragma once
// Who stands at the clock and for which job: the identification screen of the main window.
// The employee types a number and Ok, then a password and Ok; the station checks them
// against the active employees, shows the buttons the employee may use, and lists either
// the open punch (only Punch OUT then) or the employee's jobs to choose from.
//
// Rules: identification keeps only the values it read (st.who, made anew at every Ok); no
// database or query stays open while the employee decides. Nothing reaches a job list or a
// punch without the password typed in this identification. Database failures of an Ok end in the
// keypad's error box and a cleared screen.

#include "punch/employee.h"

#include <QStringList>

namespace pw {

class DbError;
class Station;
class Tclock;

// Resets the screen to "waiting for a number" and forgets the identified employee and job.
void clearscreen(Station& st, Tclock& win);
// A punch is done: the session ends at once and the screen waits for the next person,
// showing lines (the result) until the countdown or the next person's first key clears them.
void show_punch_result(Station& st, Tclock& win, const QStringList& lines);
// True while a punch's result is on screen.
bool showing_result(const Station& st);
// Someone types: a punch's result and any receipt question give way, and an identified
// session ends, so the keys start a new person's number.
void end_result(Station& st, Tclock& win);

// A keypad key, 0 to 11: digits, 10 Start Over (and DONE), 11 Ok.
void keypad_press(Station& st, Tclock& win, int index);
// Ok: first the password prompt, then the check and the employee's screen.
void identify(Station& st, Tclock& win);
// The buttons of an identified employee.
void showscreen(Station& st, Tclock& win);
// Takes the job of the selected line (by its place in the list) as st.who's job.
void job_chosen(Station& st, Tclock& win);
// '+', '-' or Qt::Key_Return typed in the job list.
void job_list_key(Station& st, Tclock& win, int key);
// The box for a database failure during Ok, then clearscreen.
void keypad_error(Station& st, Tclock& win, const DbError& error);

// The job list shows the open punch with its hours so far; only Punch OUT is offered. A punch
// open for longer than a shift can be asks when the person left instead.
void show_open_punch(Station& st, Tclock& win, const OpenPunch& punch);
// The open punch was just closed: the employee's jobs, to punch in.
void show_jobs_after_close(Station& st, Tclock& win);

// Connects the window's signals to the identification routines.
void connect_punch_screen(Station& st, Tclock& win);

} // namespace pw
