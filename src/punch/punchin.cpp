#include "punchin.h"

#include "punch/hours.h"
#include "punch/identify.h"
#include "punch/punchrecord.h"
#include "punch/punchscreen.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "station/tclock.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cmath>

namespace pw {

namespace {

constexpr int kLogAttempts = 10;

// Pay rates are currency: compared in whole ten-thousandths, so 0.01 is a cent exactly.
bool below_a_cent(double rate) {
    return std::llround(rate * 10000) < 100;
}

} // namespace

BreakRule job_break_rule(Station& st, int job_code) {
    Db db(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    QSqlQuery q = db.run(
        QStringLiteral("select breaktime, breakreduction from jobs where jobcode = ?"), {job_code});
    if (!fetch(q))
        throw DbError(3021, QStringLiteral("No current record."));
    return {q.value(0).toDouble(), q.value(1).toDouble()};
}

QByteArray punch_log_line(int date, const QString& time, double employee, int job_code,
                          const QString& kind) {
    const QChar sep = QLatin1Char('\\');
    return (QString::number(date) + sep + time + sep + plain_number(employee) + sep +
            QString::number(job_code) + sep + kind + QStringLiteral("\r\n"))
        .toUtf8();
}

bool write_punch_log(Station& st, int date, const QString& time, double employee, int job_code,
                     const QString& kind) {
    const QString path = st.shared(QStringLiteral("tclog.clk"));
    const QByteArray line = punch_log_line(date, time, employee, job_code, kind);
    bool written = false;
    for (int attempt = 1; attempt <= kLogAttempts; ++attempt) {
        const int code = st.files().append(path, line);
        if (code == 0) {
            written = true;
            break;
        }
        let_events_run();
        // An unreachable folder will not come back within seconds; a file another station
        // holds open for a moment may.
        if (code == 75 || attempt == kLogAttempts)
            break;
        pausesecond(st);
    }
    let_events_run();
    return written;
}

void punch_in(Station& st, Tclock& win) {
    const Session who = st.who;
    if (!payrules_ready(st))
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

    PunchScreen screen(win, {win.cmdpunchin, win.cmdreport, win.cmdprintertoggle, win.cmddone});
    screen.show_wait();

    if (!suite_reachable(st)) {
        screen.restore();
        return;
    }
    screen.disable_close();
    st.programs().start(QStringLiteral("syncnwk.exe nowait"));
    let_events_run();

    QString punch_time;
    Stamp in;
    std::optional<OpenPunch> already;
    try {
        const BreakRule rule = job_break_rule(st, who.job_code);

        const QString file = punch_db_file(st, st.settings.punchdb);
        if (file.isEmpty()) {
            screen.restore();
            return;
        }
        // One connection for the check and the insert, which share the write lock: of two
        // stations punching the same employee in at once, the second finds the first one's
        // punch.
        Db db(file, DbMode::ReadWrite, st.db_access());
        PunchBuffer buf;
        // One reading of the clock for the date and the time, so a punch at midnight cannot
        // take the date of one day and the time of the next.
        const QDateTime now = st.clock().now();
        set_today(st);
        punch_time = clock_text(now.time());
        in = rounded_in(now, st.settings.inrounding);

        buf[col::tckindate] = in.date;
        buf[col::tckempid] = who.number;
        buf[col::tckjobcode] = who.job_code;
        buf[col::tckjobdescription] = who.job_description;
        buf[col::tckpayrate] = who.pay_rate;
        buf[col::tckbreaktime] = rule.breaktime;
        buf[col::tckbreakreduction] = rule.breakreduction;
        buf[col::tcktimein] = punch_time;
        buf[col::tckadjtimein] = in.time;
        buf[col::tckstatus] = int(kOpen);
        Transaction tx(db);
        already = find_open_punch(db, who.number);
        if (!already) {
            insert_punch_row(db, buf);
            keep_in_offset(db, buf, now.offsetFromUtc());
            tx.commit();
        }
    } catch (const DbError& e) {
        reporterror(st, e);
        screen.restore();
        return;
    }
    let_events_run();
    if (already) {
        screen.restore();
        tell(st,
             QStringLiteral("You are already punched in.\nPunch out first, then punch in again."),
             QStringLiteral("Oops..."));
        show_open_punch(st, win, *already);
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
