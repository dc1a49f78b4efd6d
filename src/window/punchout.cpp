#include "punchout.h"

#include "punch/results.h"
#include "punch/shift.h"
#include "punch/tickets.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/offlinepunch.h"
#include "window/punchscreen.h"
#include "window/tclock.h"

#include <QPushButton>

namespace pw {

void punch_out(Station& st, Tclock& win) {
    const Session who = st.who;
    if (who.offline) {
        punch_offline(st, win, false);
        return;
    }
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

    ShiftClose closed;
    CloseOutcome outcome = CloseOutcome::Missing;
    try {
        outcome = close_open_shift(st, who, closed);
    } catch (const DbError& e) {
        reporterror(st, e);
        screen.restore();
        return;
    }
    if (outcome == CloseOutcome::Missing) {
        screen.restore();
        return;
    }
    if (outcome == CloseOutcome::NotOpen) {
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
