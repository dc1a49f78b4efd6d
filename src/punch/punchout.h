#pragma once
// Punch out: the Punch OUT button. Tells the employee about open sales tickets, finds the
// open Punch record for the employee and job, stamps and rounds the out time, computes the
// shift's hours under the pay rules, closes the record (status 2, or 3 when the shift limit
// struck or the shift cannot be right: out before in, open more than 24 hours), puts weekly
// overtime beyond 40 hours on a second record, logs, shows the result and offers a receipt.
//
// Rules: the close and the overtime record are one transaction, and the close only applies
// while the record is still open: of two stations closing the same punch one succeeds and
// the other is told the punch-in record cannot be found. A database failure shows the
// numbered-code box and leaves the punch open as it was.

#include "punch/punchrecord.h"
#include "station/session.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace pw {

class Db;
class Station;
class Tclock;

void punch_out(Station& st, Tclock& win);

// Closes the open punch of who (its job) as if punched out at, for a manager to review: status
// 3 with reason in tckadjreason. False when it is no longer open. Throws DbError.
bool close_for_review(Station& st, const Session& who, const QDateTime& at, const QString& reason);

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
                 const QDateTime& at, ShiftClose& result, const QString& review = {});

} // namespace pw
