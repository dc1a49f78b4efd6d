#include "offlinepunch.h"

#include "offline/offline.h"
#include "punch/punchrecord.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/identify.h"
#include "window/punchscreen.h"
#include "window/startup.h"
#include "window/tclock.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <optional>

namespace pw {

namespace {

constexpr int kCopySecs = 5 * 60; // the copy is refreshed this often while the club is reached
constexpr int kForwardSecs = 30;  // the club is tried again this often while punches wait
// How long the tick waits for the server's answer before it leaves it to a later tick.
constexpr std::chrono::milliseconds kAskPatience{250};

// Asks whether the club's server answers (server_answers) and notes what it said: silence
// notes the club out of reach, an answer clears that note. nullopt while the answer is
// coming; true at once on SQLite files.
std::optional<bool> ask_server(Station& st, std::chrono::milliseconds patience) {
    const std::optional<bool> answers = server_answers(st.db_access(), patience);
    if (answers && !*answers)
        note_unreached(st, DbError(75, QStringLiteral("The database server does not answer.")));
    else if (answers && !st.settings.database.isEmpty())
        st.run.unreached_at = QDateTime();
    return answers;
}

// While the club is reached, its server is asked every half minute whether it still answers,
// never waiting for the answer: an Ok after the server went away then goes to the copy at
// once instead of waiting to find out, and one after it came back tries it again.
void keep_asking(Station& st, const QDateTime& now) {
    if (st.settings.database.isEmpty() || (st.run.next_ask.isValid() && now < st.run.next_ask))
        return;
    if (ask_server(st, {})) // else taken at a later tick
        st.run.next_ask = now.addSecs(kForwardSecs);
}

// The tick's try of a club that answers: the journal sent on while punches wait, then the
// copy refreshed. A failure only notes it: the next try comes.
void try_club(Station& st, bool away, const QDateTime& now) {
    try {
        if (away) {
            const Forwarded sent = forward_journal(st);
            if (sent.sent > 0)
                adminlog(st, QStringLiteral("Sent on %1 made while the club could not be "
                                            "reached, %2 of them for a manager's review")
                                 .arg(punch_count_text(sent.sent))
                                 .arg(sent.to_review));
            st.run.offline_since = QDateTime();
            st.run.offline_waiting = 0;
            st.run.unreached_at = QDateTime();
            st.run.next_copy = now.addSecs(kCopySecs);
        }
        refresh_local_copy(st);
    } catch (const DbError& e) {
        // Still out of reach, or busy.
        note_unreached(st, e);
    }
}

void count_waiting(Station& st) {
    try {
        st.run.offline_waiting = punches_waiting(st);
    } catch (const DbError&) {
        // The count only informs; the journal itself is read when it is sent.
    }
}

} // namespace

bool punching_offline(Station& st) {
    if (!st.files().exists(offline_file(st)))
        return false;
    if (!st.run.offline_since.isValid()) {
        st.run.offline_since = st.clock().now();
        st.run.next_forward = st.run.offline_since.addSecs(kForwardSecs);
    }
    count_waiting(st);
    return true;
}

bool lately_unreached(const Station& st) {
    return st.run.unreached_at.isValid() &&
           st.clock().now() < st.run.unreached_at.addSecs(kForwardSecs);
}

void punch_offline(Station& st, Tclock& win, bool in) {
    const Session who = st.who;
    PunchScreen screen(
        win, {win.cmdpunchin, win.cmdpunchout, win.cmdreport, win.cmdprintertoggle, win.cmddone});
    screen.disable_close();
    OfflinePunch punch;
    punch.employee = who.number;
    punch.job_code = who.job_code;
    punch.job_description = who.job_description;
    punch.pay_rate = who.pay_rate;
    punch.at = st.clock().now();
    punch.in = in;
    try {
        journal_punch(st, punch);
    } catch (const DbError& e) {
        reporterror(st, e);
        screen.restore();
        return;
    }
    ++st.run.offline_waiting;
    show_offline_notice(st, win);
    const QString time = punch.at.toString(QStringLiteral("HH:mm"));
    QStringList lines{in ? QStringLiteral("In at %1 for %2.").arg(time, who.job_description)
                         : QStringLiteral("Out at %1.").arg(time)};
    lines << QStringLiteral("Saved on this station.") << QStringLiteral("It will be sent to the")
          << QStringLiteral("club when the connection") << QStringLiteral("is back.");
    screen.show_result(lines);
    st.run.last_job = who.job_code;
    st.run.last_time = clock_text(punch.at.time());
    screen.finish(st);
}

bool show_offline_notice(const Station& st, Tclock& win) {
    if (!st.run.offline_since.isValid())
        return false;
    win.lblmsg->setText(QStringLiteral("Offline since %1 - %2 waiting")
                            .arg(st.run.offline_since.toString(QStringLiteral("HH:mm")),
                                 punch_count_text(st.run.offline_waiting)));
    return true;
}

QStringList offline_lines() {
    return {kDashes, QStringLiteral("The club cannot be reached:"),
            QStringLiteral("reports and manager work"), QStringLiteral("wait until it is back.")};
}

void offline_tick(Station& st, Tclock& win) {
    // Never under a person's feet: only while the station waits for a number.
    if (st.who.entry_mode != 0 || showing_result(st) || !win.txtempid->text().isEmpty())
        return;
    const QDateTime now = st.clock().now();
    if (!st.run.next_copy.isValid() && !st.run.next_forward.isValid())
        count_waiting(st);        // the first tick: punches an earlier run left waiting
    show_offline_notice(st, win); // the spell may have begun at a person's Ok
    const bool away = st.run.offline_since.isValid() || st.run.offline_waiting > 0;
    QDateTime& next = away ? st.run.next_forward : st.run.next_copy;
    if (next.isValid() && now < next) {
        if (!away)
            keep_asking(st, now);
        return;
    }
    next = now.addSecs(away ? kForwardSecs : kCopySecs);
    checksuite(st);
    if (st.settings.suitemissing == 1) {
        if (punching_offline(st))
            show_offline_notice(st, win);
        return;
    }
    // Punches are sent on under the club's own rules only, never the defaults.
    if (!st.settings.payrules_loaded)
        return;
    // A server is first asked on another thread whether it answers at all: one out of reach
    // then holds the waiting screen a moment, not the seconds a connection would wait for it.
    const std::optional<bool> answers = ask_server(st, kAskPatience);
    if (!answers) {
        next = now; // the answer is taken at a later tick
        return;
    }
    if (*answers)
        try_club(st, away, now);
    showmessageline(st, win);
}

} // namespace pw
