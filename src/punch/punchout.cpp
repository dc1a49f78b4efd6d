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

// Closes the row that was read on db, in one transaction with the overtime row and with the
// week sum taken under the same lock. NotOpen when another station closed it since it was read.
// The week is the one holding the shift's in date: reports and later week sums count the
// shift there, so its overtime must be decided there too.
Outcome write_close(Station& st, Db& db, const PunchBuffer& open, const PunchQuery& query,
                    const QDateTime& now, const PayRules& rules, double employee,
                    ShiftClose& result) {
    QDate shift_day = day_of(open.integer(col::tckindate));
    if (!shift_day.isValid())
        shift_day = now.date();
    Transaction tx(db);
    const double W =
        rules.weekly ? week_sum(db, employee, week_bounds(shift_day, st.settings.wwstartday)) : 0.0;
    result = close_shift(open, now, rules, W);
    if (update_punch_row(db, query, open, result.shift) != RowResult::Done)
        return Outcome::NotOpen; // rolled back: nothing of this close is kept
    if (result.overtime)
        write_punch_row(db, query, *result.overtime);
    tx.commit();
    return Outcome::Closed;
}

} // namespace

PunchQuery open_punch_query(double employee, int job_code) {
    return {QStringLiteral("tckempid = ? and tckjobcode = ? and tckstatus = ?"),
            {employee, job_code, int(kOpen)}};
}

ShiftClose close_shift(const PunchBuffer& open, const QDateTime& now, const PayRules& rules,
                       double W) {
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

    const Elapsed e = elapsed_hours(row.integer(col::tckindate), row.text(col::tckadjtimein),
                                    out.date, out.time, rules.shiftlimit);
    if (e.limit_struck)
        row[col::tckstatus] = int(kBad);
    const double H =
        after_break(e, row.number(col::tckbreaktime), row.number(col::tckbreakreduction));
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

void punch_out(Station& st, Tclock& win) {
    const Identified who = st.who;
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
    PayRules rules{st.settings.outrounding, st.settings.shiftlimit, false,
                   st.settings.wwstartday >= 1};
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
                // The day the shift belongs to decides its holiday hours, as it decides its
                // week.
                rules.holiday = holiday_on(st, open.integer(col::tckindate));
                outcome = write_close(st, db, open, query, now, rules, who.number, closed);
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
    screen.show_result(QStringLiteral("Punched out"), who.job_code, row.text(col::tckadjtimeout));

    ReceiptData receipt;
    receipt.employee = who.number;
    receipt.name = win.txtname->text();
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
