#include "punchout.h"

#include "punch/hours.h"
#include "punch/punchin.h"
#include "punch/punchscreen.h"
#include "punch/tickets.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "station/tclock.h"

#include <QLineEdit>
#include <QPushButton>

namespace pw {

namespace {

enum class Outcome { Closed, NotOpen, Missing };

} // namespace

bool close_for_review(Station& st, const Session& who, const QDateTime& at, const QString& reason) {
    const PunchQuery query = open_punch_query(who.number, who.job_code);
    const QString file = punch_db_file(st, st.settings.punchdb);
    if (file.isEmpty())
        return false;
    Db db(file, DbMode::ReadWrite, st.db_access());
    PunchBuffer open;
    if (read_punch_row(db, query, open) != RowResult::Done)
        return false;
    ShiftClose closed;
    return close_punch(st, db, open, query, at, closed, reason);
}

PunchQuery open_punch_query(double employee, int job_code) {
    return {QStringLiteral("tckempid = ? and tckjobcode = ? and tckstatus = ?"),
            {employee, job_code, int(kOpen)}};
}

ShiftClose close_shift(const PunchBuffer& open, const QDateTime& now, const PayRules& rules,
                       double W, std::optional<int> in_offset, const QString& review) {
    ShiftClose c;
    PunchBuffer& row = c.shift;
    row = open;
    clear_busy(row);
    c.punch_time = clock_text(now.time());
    c.punch_date = yyyymmdd(now.date());
    row[col::tcktimeout] = c.punch_time;
    // A rounded midnight ends the day it closes at "24:00:00".
    const Stamp out = rounded_out(row.integer(col::tckindate), now, rules.outrounding);
    row[col::tckoutdate] = out.date;
    row[col::tckadjtimeout] = out.time;
    row[col::tckstatus] = int(kClosed);

    const ShiftPay pay =
        shift_pay({row.integer(col::tckindate), row.text(col::tckadjtimein), in_offset},
                  {out.date, out.time, now.offsetFromUtc()}, rules.shiftlimit,
                  row.number(col::tckbreaktime), row.number(col::tckbreakreduction));
    if (pay.limit_struck)
        row[col::tckstatus] = int(kBad);
    QStringList reasons;
    if (!pay.review.isEmpty())
        reasons << pay.review;
    if (!review.isEmpty())
        reasons << review;
    if (!reasons.isEmpty()) {
        row[col::tckstatus] = int(kBad);
        row[col::tckadjreason] = reasons.join(QStringLiteral("; "));
    }
    const double H = pay.hours;
    row[col::tckreghours] = H;
    if (rules.holiday) {
        row[col::tckadjreghours] = 0.0;
        row[col::tckholidayhours] = H;
    } else {
        row[col::tckadjreghours] = H;
    }
    const PunchBuffer before_split = row;

    const WeeklySplit s = weekly_split(W, H, rules.holiday, rules.weekly);
    row[col::tckreghours] = s.reghours;
    row[col::tckadjreghours] = s.adjreghours;
    if (rules.holiday)
        row[col::tckholidayhours] = s.holidayhours;
    if (s.othours != 0)
        row[col::tckothours] = s.othours;
    c.hours = s.hours;
    c.overtime_hours = s.overtime;

    if (s.overtime > 0) {
        // The second row repeats the shift (dates, times, job, pay rate, status) and carries
        // only the overtime.
        PunchBuffer ot = before_split;
        ot.rowid.reset();
        set_busy(ot);
        ot[col::tckreghours] = 0.0;
        ot[col::tckadjreghours] = 0.0;
        ot[rules.holiday ? col::tckholidayhours : col::tckothours] = s.overtime;
        c.overtime = std::move(ot);
    }
    return c;
}

bool close_punch(Station& st, Db& db, const PunchBuffer& open, const PunchQuery& query,
                 const QDateTime& at, ShiftClose& result, const QString& review) {
    // The week and the holiday are those of the shift's in date: reports and later week sums
    // count the shift there, so its overtime must be decided there too.
    QDate shift_day = day_of(open.integer(col::tckindate));
    if (!shift_day.isValid())
        shift_day = at.date();
    const PayRules rules{st.settings.outrounding, st.settings.shiftlimit,
                         holiday_on(st, open.integer(col::tckindate)), st.settings.wwstartday >= 1};
    const std::optional<int> in_offset = kept_offsets(db, open).in;
    Transaction tx(db);
    const double W = rules.weekly ? week_sum(db, open.number(col::tckempid),
                                             week_bounds(shift_day, st.settings.wwstartday))
                                  : 0.0;
    result = close_shift(open, at, rules, W, in_offset, review);
    result.week_before = W;
    if (update_punch_row(db, query, open, result.shift) != RowResult::Done)
        return false; // rolled back: nothing of this close is kept
    if (result.overtime)
        write_punch_row(db, query, *result.overtime);
    keep_out_offset(db, open, at.offsetFromUtc());
    tx.commit();
    return true;
}

void punch_out(Station& st, Tclock& win) {
    const Session who = st.who;
    if (!payrules_ready(st))
        return;
    PunchScreen screen(win, {win.cmdpunchout, win.cmdreport, win.cmdprintertoggle, win.cmddone});
    screen.disable_close();
    let_events_run();

    if (!suite_reachable(st)) {
        screen.restore();
        return;
    }
    screen.show_wait();
    check_open_tickets(st, who.number);
    st.programs().start(QStringLiteral("syncnwk.exe nowait"));
    let_events_run();

    const PunchQuery query = open_punch_query(who.number, who.job_code);
    ShiftClose closed;
    Outcome outcome = Outcome::Missing;
    try {
        // One connection reads the open row and closes it.
        const QString file = punch_db_file(st, st.settings.punchdb);
        if (!file.isEmpty()) {
            Db db(file, DbMode::ReadWrite, st.db_access());
            PunchBuffer open;
            if (read_punch_row(db, query, open) == RowResult::Done) {
                const QDateTime now = st.clock().now();
                set_today(st);
                outcome = close_punch(st, db, open, query, now, closed) ? Outcome::Closed
                                                                        : Outcome::NotOpen;
            } else {
                outcome = Outcome::NotOpen;
            }
        }
    } catch (const DbError& e) {
        reporterror(st, e);
        screen.restore();
        return;
    }
    if (outcome == Outcome::Missing) {
        screen.restore();
        return;
    }
    if (outcome == Outcome::NotOpen) {
        tell(st, QStringLiteral("Punchwell was unable to locate the punch-in record."),
             QStringLiteral("Uh-oh..."));
        // What the screen shows of the punch is no longer true: clear it shortly, as after
        // a punch.
        screen.finish(st);
        return;
    }

    let_events_run();
    const PunchBuffer& row = closed.shift;
    write_punch_log(st, closed.punch_date, closed.punch_time, who.number, who.job_code,
                    QStringLiteral("OUT"));
    OutResult result;
    result.time = closed.punch_time;
    result.shift = closed.hours + closed.overtime_hours;
    result.week = closed.week_before + result.shift;
    result.overtime = closed.overtime_hours;
    result.holiday = row.number(col::tckholidayhours);
    if (row.integer(col::tckstatus) == kBad)
        result.review = row.text(col::tckadjreason).isEmpty() ? st.settings.reasons[5]
                                                              : row.text(col::tckadjreason);
    screen.show_result(out_result_lines(result));
    st.run.last_job = who.job_code;
    st.run.last_time = row.text(col::tckadjtimeout);

    ReceiptData receipt;
    receipt.employee = who.number;
    receipt.name = who.name;
    receipt.job_code = row.integer(col::tckjobcode);
    receipt.job_description = row.text(col::tckjobdescription);
    receipt.date = closed.punch_date;
    receipt.time_in = row.text(col::tckadjtimein);
    receipt.time_out = row.text(col::tckadjtimeout);
    receipt.hours = closed.hours;
    receipt.overtime = closed.overtime_hours;
    screen.offer_receipt_and_finish(st, ReceiptKind::Out, receipt);
}

} // namespace pw
