#pragma once
// What a station child writes down about each punch its screen confirmed, and how the
// parent reads it back. One line per punch: "IN|OUT emp job time date_before date_after"
// (the dates of the child's clock just before the click and just after the result, so a
// punch at midnight matches either day), and a last line "BUSY n" with the number of
// "database in use" boxes the child was shown, after "OFFLINE n", the punches it confirmed
// while it punched on its own.

#include <QList>
#include <QString>

namespace stress {

struct LoggedPunch {
    bool in = false;
    int emp = 0;
    int job = 0;
    QString time; // the time the screen showed after "at "
    int date_before = 0;
    int date_after = 0;
    qint64 usec = 0; // from the click to the confirmed punch
};

struct ChildLog {
    QList<LoggedPunch> punches;
    int busy = 0;
    int offline = 0;       // punches confirmed while the station punched on its own
    bool finished = false; // the last line was written
};

QString log_line(const LoggedPunch& p);
QString busy_line(int busy, int offline = 0);
ChildLog parse_log(const QString& text);

// "latency p50 X ms p99 Y ms" over the presses on the stations' own employees, as at a shift
// change, then "shared p50 X ms p99 Y ms" over those on shared_emp, the one employee every
// station punches at once, whose presses can only go one after another.
QString latency_line(const QList<ChildLog>& logs, int shared_emp);

// A box the person would read as "the database is busy, try again".
bool is_busy_box(const QString& title, const QString& text);

} // namespace stress
