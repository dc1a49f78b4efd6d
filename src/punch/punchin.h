#pragma once
// Punch in: the Punch IN button. Writes one new open Punch record for the identified
// employee and the chosen job (the clock time as it was and as rounded, the job's break rule
// and the pay rate copied in), appends a line to the punch log, shows the result and offers
// a receipt. Also the punch log, which punch out writes too.
//
// Rules: the values of the identified employee are taken once at the start, so nothing
// that runs meanwhile (a keypad press, the tick) changes the punch being written. The row is
// added in one write transaction only while the employee has no open punch (any job);
// otherwise nothing is written, the employee is told and the screen shows that punch. The
// UTC offset of the punch is kept beside it. A database failure shows the numbered-code
// box and writes nothing. A punch log that cannot be written never undoes the punch.

#include <QByteArray>
#include <QString>

namespace pw {

class Station;
class Tclock;

void punch_in(Station& st, Tclock& win);

// The job's break rule (null fields count as 0). Throws DbError, 3021 when jobs lacks the job.
struct BreakRule {
    double breaktime = 0;
    double breakreduction = 0;
};
BreakRule job_break_rule(Station& st, int job_code);

// "YYYYMMDD\HH:MM:SS\employee\job\KIND" + CR LF.
QByteArray punch_log_line(int date, const QString& time, double employee, int job_code,
                          const QString& kind);

// Appends the line to mapdrive tclog.clk: up to ten attempts one second apart, only one when
// the folder cannot be reached (error 75). True when the line was written.
bool write_punch_log(Station& st, int date, const QString& time, double employee, int job_code,
                     const QString& kind);

} // namespace pw
