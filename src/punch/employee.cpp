#include "employee.h"

#include "punch/forgotten.h"
#include "punch/hours.h"
#include "punch/punchrecord.h"
#include "punch/receipts.h"
#include "punch/results.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"

#include <cmath>

namespace pw {

double employee_number(const QString& typed) {
    return static_cast<double>(static_cast<float>(val(typed)));
}

EmployeeReads read_employee(Station& st, double number, const QString& typed_password) {
    EmployeeReads found;
    checksuite(st);
    // Never answer with a stale password when the suite went away since the last check.
    if (st.settings.suitemissing == 1)
        return found;
    Db emp(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    found.employee = lookupemployee(emp, number);
    found.password_right =
        found.employee && password_matches(found.employee->password, typed_password);
    if (!found.password_right)
        return found;
    found.open = find_open_punch(st, number);
    if (!found.open && number >= 1)
        found.jobs = employee_jobs(emp, number);
    return found;
}

std::optional<EmployeeRecord> lookupemployee(Db& emp, double number) {
    QSqlQuery q = emp.run(QStringLiteral("select empfname, emplname, pword from empinfo "
                                         "where empid = ? and CAST(empstatus AS REAL) = 1"),
                          {number});
    if (!fetch(q))
        return std::nullopt;
    const double pword = std::abs(q.value(2).toDouble());
    return EmployeeRecord{q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString(),
                          static_cast<qint64>(std::llround(pword))};
}

bool password_matches(qint64 stored, const QString& typed) {
    return val(typed) == static_cast<double>(stored);
}

std::optional<OpenPunch> find_open_punch(Station& st, double employee) {
    Db db(st.path(st.settings.punchdb), DbMode::ReadOnly, st.db_access());
    std::optional<OpenPunch> p = find_open_punch(db, employee);
    if (p)
        p->inoffset = kept_offsets(db, p->key).in;
    return p;
}

std::optional<OpenPunch> find_open_punch(Db& db, double employee) {
    QSqlQuery q = db.run(QStringLiteral("select tckindate, tckadjtimein, tckbreaktime, "
                                        "tckbreakreduction, tckjobcode, tckjobdescription, "
                                        "tckempid, tcktimein, tcknode "
                                        "from punch where tckempid = ? and tckstatus = ?"),
                         {employee, int(kOpen)});
    if (!fetch(q))
        return std::nullopt;
    return open_punch_from(q);
}

OpenPunch open_punch_from(const QSqlQuery& q) {
    OpenPunch p;
    p.indate = q.value(0).toInt();
    p.adjtimein = q.value(1).toString();
    p.breaktime = q.value(2).toDouble();
    p.breakreduction = q.value(3).toDouble();
    p.jobcode = q.value(4).toInt();
    p.jobdescription = q.value(5).toString();
    p.key = {q.value(6).toDouble(), p.indate, q.value(7).toString(), p.jobcode, q.value(8).toInt()};
    return p;
}

QList<JobLine> employee_jobs(Db& db, double employee) {
    QSqlQuery q = db.run(QStringLiteral("select empjobs.jobcode, empjobs.payrate, "
                                        "jobs.jobdescription, jobs.breaktime, "
                                        "jobs.breakreduction from empjobs "
                                        "join jobs on empjobs.jobcode = jobs.jobcode "
                                        "where empjobs.empid = ? and empjobs.glacctnum < 1 "
                                        "order by empjobs.jobcode"),
                         {employee});
    return job_lines_from(q);
}

QList<JobLine> job_lines_from(QSqlQuery& q) {
    QList<JobLine> jobs;
    while (fetch(q))
        jobs.append({q.value(0).toInt(), q.value(1).toDouble(), q.value(2).toString(),
                     q.value(3).toDouble(), q.value(4).toDouble()});
    return jobs;
}

QStringList open_punch_lines(const OpenPunch& punch, const HoursSoFar& so_far) {
    QStringList lines{QStringLiteral("Currently punched in on"),
                      screen_moment(punch_began(punch)),
                      QStringLiteral("Job# ") + QString::number(punch.jobcode),
                      punch.jobdescription,
                      QStringLiteral("Hours so far: ") + plain_number(so_far.hours),
                      kDashes};
    if (so_far.over_limit)
        lines << QStringLiteral("You may have forgotten to")
              << QStringLiteral("punch out. You must punch")
              << QStringLiteral("out now before you can") << QStringLiteral("punch in again.")
              << kDashes;
    lines << QStringLiteral("Choose Punch Out now or") << QStringLiteral("select Done to cancel.");
    return lines;
}

} // namespace pw
