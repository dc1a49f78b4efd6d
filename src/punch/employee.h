#pragma once
// What identification reads: the active employee, the password check, the open punch and the
// jobs, each from a database opened and closed again by the caller or here. Nothing of it
// waits for a person.

#include "station/session.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QSqlQuery;

namespace pw {

class Db;
struct HoursSoFar;
class Station;

// The employee number as the station holds it: the typed number in single precision.
double employee_number(const QString& typed);

// The active employee's name and stored password (its absolute value), read from the
// opened EMP.MDB. Throws DbError.
struct EmployeeRecord {
    QString name;
    qint64 password = 0;
};
std::optional<EmployeeRecord> lookupemployee(Db& emp, double number);
// Whether the typed password is the stored one, compared as numbers.
bool password_matches(qint64 stored, const QString& typed);

// The employee's first open punch (any job), if any. Throws DbError.
std::optional<OpenPunch> find_open_punch(Station& st, double employee);
// The same on a database the caller has opened (punch in checks inside its transaction).
std::optional<OpenPunch> find_open_punch(Db& db, double employee);

// The open punch of a row of (indate, adjtimein, breaktime, breakreduction, jobcode,
// jobdescription, empid, timein, node), and the job lines of rows of (jobcode, payrate,
// description, breaktime, breakreduction): the punch database's reads and the station's copy
// share them.
OpenPunch open_punch_from(const QSqlQuery& q);
QList<JobLine> job_lines_from(QSqlQuery& q);

// The jobs assigned to the employee that may be punched (glacctnum below 1), by job code, from
// the opened EMP.MDB. Throws DbError.
QList<JobLine> employee_jobs(Db& emp, double employee);

// What Ok reads for the employee number and the typed password, with one connection per
// database, all closed again before anything is shown: the employee (none when missing,
// inactive, or the suite is gone) and, once the typed password matches, the open punch or,
// with none, the jobs. Throws DbError.
struct EmployeeReads {
    std::optional<EmployeeRecord> employee;
    bool password_right = false;
    std::optional<OpenPunch> open;
    QList<JobLine> jobs;
};
EmployeeReads read_employee(Station& st, double number, const QString& typed_password);

// What the job list shows for an open punch that has run so_far.
QStringList open_punch_lines(const OpenPunch& punch, const HoursSoFar& so_far);

} // namespace pw
