#pragma once
// Who stands at the clock and for which job: the identification screen of the main window.
// The employee types a number and Ok, then a password and Ok; the station checks them
// against the active employees, shows the buttons the employee may use, and lists either
// the open punch (only Punch OUT then) or the employee's jobs to choose from.
//
// Rules: identification keeps only the values it read (st.who); no database or query stays
// open while the employee decides. Database failures of an Ok end in the keypad's error box
// and a cleared screen.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace pw {

class Db;
class DbError;
struct HoursSoFar;
class Station;
class Tclock;

// Resets the screen to "waiting for a number" and forgets the identified employee and job.
void clearscreen(Station& st, Tclock& win);

// A keypad key, 0 to 11: digits, 10 Start Over (and DONE), 11 Ok.
void keypad_press(Station& st, Tclock& win, int index);
// Ok: first the password prompt, then the check and the employee's screen.
void identify(Station& st, Tclock& win);
// The buttons of an identified employee.
void showscreen(Station& st, Tclock& win);
// Copies the selected line's job code, pay rate and description into st.who.
void job_chosen(Station& st, Tclock& win);
// '+', '-' or Qt::Key_Return typed in the job list.
void job_list_key(Station& st, Tclock& win, int key);
// The box for a database failure during Ok, then clearscreen.
void keypad_error(Station& st, Tclock& win, const DbError& error);

// The employee number as the station holds it: the typed number in single precision.
double employee_number(const QString& typed);

// Looks up the active employee st.who.number in the opened EMP.MDB: sets st.who.name and
// returns the absolute value of the stored password as decimal text, or "NOTFOUND". Throws
// DbError.
QString lookupemployee(Station& st, Db& emp);
// The stored password as a number, and whether the typed one is it.
qint64 stored_password(const QString& password);
bool password_matches(const QString& password, const QString& typed);

struct OpenPunch {
    int indate = 0;
    QString adjtimein;
    double breaktime = 0;
    double breakreduction = 0;
    int jobcode = 0;
    QString jobdescription;
    QVariantList key;            // as punch_key gives it
    std::optional<int> inoffset; // the UTC offset kept at punch in (Station& form only)
};
// The employee's first open punch (any job), if any. Throws DbError.
std::optional<OpenPunch> find_open_punch(Station& st, double employee);
// The same on a database the caller has opened (punch in checks inside its transaction).
std::optional<OpenPunch> find_open_punch(Db& db, double employee);

// The job list shows the open punch with its hours so far; only Punch OUT is offered.
void show_open_punch(Station& st, Tclock& win, const OpenPunch& punch);

struct JobLine {
    int jobcode = 0;
    double payrate = 0;
    QString description;
};
// The jobs assigned to the employee that may be punched (glacctnum below 1), by job code, from
// the opened EMP.MDB. Throws DbError.
QList<JobLine> employee_jobs(Db& emp, double employee);

// What Ok reads for st.who.number and the typed password, with one connection per database,
// all closed again before anything is shown: the stored password ("NOTFOUND" when the employee
// or the suite is missing) and, once the typed password matches, the open punch or, with none,
// the jobs. Throws DbError.
struct EmployeeReads {
    QString password = QStringLiteral("NOTFOUND");
    std::optional<OpenPunch> open;
    QList<JobLine> jobs;
};
EmployeeReads read_employee(Station& st, const QString& typed_password);

// What the job list shows for an open punch that has run so_far.
QStringList open_punch_lines(const OpenPunch& punch, const HoursSoFar& so_far);

// Connects the window's signals to the identification routines.
void connect_punch_screen(Station& st, Tclock& win);

} // namespace pw
