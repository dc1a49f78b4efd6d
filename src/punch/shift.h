#pragma once
// Opening and closing a shift on the punch database: the break rule of the job, the punch
// log, the open row of punch in, and the close of punch out under the pay rules (rounding,
// break reduction, shift limit, the 40-hour week and holidays), with its overtime row.
//
// Rules: the close and the overtime record are one transaction, and the close only applies
// while the record is still open: of two stations closing the same punch one succeeds and
// the other finds it no longer open.

#include "punch/hours.h"
#include "punch/punchrecord.h"
#include "station/session.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace pw {

class Db;
class Station;
// Closes the open punch of who (its job) as if punched out at, for a manager to review: status
// 3 with reason in tckadjreason. False when it is no longer open. Throws DbError.
bool close_for_review(Station& st, const Session& who, const QDateTime& at, const QString& reason);

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

// What became of a punch in: stopped (the punch database is missing; its box was shown),
// another open punch of the employee found instead (already, nothing written), or the open
// row written with in, the rounded stamp, and punch_time, the clock's time.
struct OpenOutcome {
    bool stopped = false;
    std::optional<OpenPunch> already;
    QString punch_time;
    Stamp in;
};
// More writes that must land in the same transaction as a punch, or not at all.
using AlsoInTransaction = std::function<void(Db&)>;

// Writes who's open row for who's job at the clock's time, in one write transaction that
// first looks for another open punch of the employee (any job). The UTC offset of the punch
// is kept beside it. Throws DbError.
OpenOutcome open_shift(Station& st, const Session& who);
// The same at the moment now (a punch made earlier on this station, sent on now); also runs
// in the punch's transaction when a punch is written.
OpenOutcome open_shift(Station& st, const Session& who, const QDateTime& now,
                       const AlsoInTransaction& also);

// The open row of the employee's punch for the job (status 1).
PunchQuery open_punch_query(double employee, int job_code);

// What the rules make of an open row closed at now, in a week (the one holding the row's in
// date) that already holds W adjusted regular hours.
struct ShiftClose {
    PunchBuffer shift;                   // the open row with its out time, hours and status
    std::optional<PunchBuffer> overtime; // the second row, to be added, when OT > 0
    int punch_date = 0;                  // today, YYYYMMDD
    QString punch_time;                  // the clock time, unrounded
    double hours = 0;                    // H after the weekly split
    double overtime_hours = 0;           // OT
    double week_before = 0;              // W: the week's adjusted regular hours before it
};

struct PayRules {
    int outrounding = 0;
    int shiftlimit = 0;
    bool holiday = false; // the shift's in date is a holiday
    bool weekly = true;   // wwstartday 1 or more
};

// in_offset: the UTC offset the punch in was made at, when kept. review: when not empty the
// shift goes to the manager (status 3) with it in tckadjreason, after the shift's own reason
// when it has one.
ShiftClose close_shift(const PunchBuffer& open, const QDateTime& now, const PayRules& rules,
                       double W, std::optional<int> in_offset = std::nullopt,
                       const QString& review = {});

// Closes the open row read on db as leaving at the moment at, under the station's pay rules:
// one transaction with the week sum, the overtime row and the kept out offset. review as for
// close_shift ("Left at 06:00 (employee)"). False, with nothing written, when the row was
// closed at another station since it was read. Throws DbError.
bool close_punch(Station& st, Db& db, const PunchBuffer& open, const PunchQuery& query,
                 const QDateTime& at, ShiftClose& result, const QString& review = {},
                 const AlsoInTransaction& also = {});

// What became of a punch out: closed, no open row for the job (another station closed it), or
// the punch database is missing (its box was shown).
enum class CloseOutcome { Closed, NotOpen, Missing };
// Reads the open row of who's punch for who's job and closes it at the clock's time, on one
// connection. Throws DbError.
CloseOutcome close_open_shift(Station& st, const Session& who, ShiftClose& closed);

} // namespace pw
