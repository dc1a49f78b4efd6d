#pragma once
// The person at the clock: one value made by identification and dropped whole when the
// result of a punch has been shown, at Start Over and when the next person starts typing.
// The job list on screen is drawn from it and read back only by position; nothing is
// parsed back from what the screen shows.
//
// Also the guard against guessing a password at the keypad: a number that fails too often
// is refused for a while.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>
#include <optional>

namespace pw {

// One job the employee may punch in for (empjobs joined to jobs).
struct JobLine {
    int jobcode = 0;
    double payrate = 0;
    QString description;
    double breaktime = 0; // the job's break rule, copied into the punch
    double breakreduction = 0;
};

// The employee's open punch, as identification found it.
struct OpenPunch {
    int indate = 0;
    QString adjtimein;
    double breaktime = 0;
    double breakreduction = 0;
    int jobcode = 0;
    QString jobdescription;
    QVariantList key;            // the punch's "already there" key
    std::optional<int> inoffset; // the UTC offset kept at punch in, when known
};

struct Session {
    int entry_mode = 0;      // 0 typing the number, 1 the password and after
    bool identified = false; // the password was right; cleared with the session
    double number = 0;       // employee number at the last Ok
    QString name;            // first name, blank, last name
    int manager = 0;         // 1 when the stored password is 20000 or more
    bool offline = false;    // identified against the station's own copy: punches journalled
    QList<JobLine> jobs;
    std::optional<OpenPunch> open;
    // The job chosen from jobs, or the open punch's job; 0 while none is chosen.
    int job_code = 0;
    double pay_rate = 0;
    QString job_description;
    double breaktime = 0;
    double breakreduction = 0;

    // Takes jobs[index] as the chosen job; an index outside the list chooses none.
    void choose(qsizetype index);
};

// Counts wrong passwords per employee number; after kTries within kWindow the number is
// refused for kLock. Kept by the station for as long as it runs.
class PasswordGuard {
public:
    static constexpr int kTries = 5;
    static constexpr qint64 kWindowSecs = qint64{10} * 60;
    static constexpr qint64 kLockSecs = qint64{5} * 60;

    bool locked(double number, const QDateTime& now) const;
    // Records a wrong password; true when this one locks the number.
    bool failed(double number, const QDateTime& now);
    // A right password forgets the number's earlier failures.
    void passed(double number);

private:
    struct Record {
        QList<QDateTime> failures;
        QDateTime locked_until;
    };
    QHash<qint64, Record> records_;
};

} // namespace pw
