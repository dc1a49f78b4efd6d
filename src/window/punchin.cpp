#include "punchin.h"

#include "punch/results.h"
#include "punch/shift.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"
#include "window/identify.h"
#include "window/offlinepunch.h"
#include "window/punchscreen.h"
#include "window/tclock.h"

#include <QListWidget>
#include <QPushButton>
#include <cmath>

namespace pw {

namespace {

// Pay rates are currency: compared in whole ten-thousandths, so 0.01 is a cent exactly.
bool below_a_cent(double rate) {
    return std::llround(rate * 10000) < 100;
}

} // namespace

void punch_in(Station& st, Tclock& win) {
    const Session who = st.who;
    if (!who.offline && !payrules_ready(st))
        return;
    if (who.job_code < 1) {
        tell(st, QStringLiteral("Please select a job from the list."),
             QStringLiteral("No job selected"));
        win.lstjob->setFocus();
        return;
    }
    if (below_a_cent(who.pay_rate)) {
        tell(st,
             QStringLiteral("No pay rate is assigned to this job.\nPlease contact your manager."),
             QStringLiteral("Missing Pay Rate"));
        return;
    }

    if (who.offline) {
        punch_offline(st, win, true);
        return;
    }
    PunchScreen screen(win, {win.cmdpunchin, win.cmdreport, win.cmdprintertoggle, win.cmddone});
    screen.show_wait();

    if (!suite_reachable(st)) {
        screen.restore();
        return;
    }
    screen.disable_close();
    st.programs().start(QStringLiteral("syncnwk.exe nowait"));
    let_events_run();

    OpenOutcome opened;
    try {
        opened = open_shift(st, who);
    } catch (const DbError& e) {
        reporterror(st, e);
        screen.restore();
        return;
    }
    if (opened.stopped) {
        screen.restore();
        return;
    }
    const QString& punch_time = opened.punch_time;
    const Stamp& in = opened.in;
    let_events_run();
    if (opened.already) {
        screen.restore();
        tell(st,
             QStringLiteral("You are already punched in.\nPunch out first, then punch in again."),
             QStringLiteral("Oops..."));
        show_open_punch(st, win, *opened.already);
        return;
    }
    let_events_run();

    // The result, the log and the receipt give the punch's date and times as the row holds
    // them.
    screen.show_result(in_result_lines(punch_time, who.job_description));
    st.run.last_job = who.job_code;
    st.run.last_time = in.time;
    write_punch_log(st, in.date, punch_time, who.number, who.job_code, QStringLiteral("IN"));

    ReceiptData receipt;
    receipt.employee = who.number;
    receipt.name = who.name;
    receipt.job_code = who.job_code;
    receipt.job_description = who.job_description;
    receipt.date = in.date;
    receipt.time_in = in.time;
    screen.offer_receipt_and_finish(st, ReceiptKind::In, receipt);
}

} // namespace pw
