#include "editor/editordata.h"
#include "punch/shift.h"
#include "reports/punchreports.h"
#include "reports/workdb.h"
#include "screens/linelist.h"
#include "terminal.h"
#include "window/identify.h"
#include "window/startup.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrlQuery>
#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace pw {
namespace {

using test::expect_punch;
using test::fields;
using test::kDashes;
using test::merged;
using test::Terminal;

const QString kShift = "tckempid = 9 and tckjobcode = 10";

// Employee 9 punches in for job 10 and out again through the window, each on the clock's
// time of the case; between the two, at the out time, the identification screen shows the
// open punch. Defaults: no rounding, no shift limit, week from Sunday,
// job 10 without a break rule (null, copied as 0); holidays 0101 and 1225. After the punch out
// the holiday banner agrees with holiday.dat as the pay read it.
TEST(Punch, ShiftsAtTheEdgesOfDayWeekAndHoliday) {
    const struct {
        const char* what;
        const char* rules;                 // pr's pay rules; after ";" job 10's break rule
        const char* worked;                // "YYYYMMDD=hours" already on a day
        const char *in_at, *out_at;        // the clock at Punch IN and at Punch OUT
        const char *in, *out;              // "indate adjtimein" and "outdate adjtimeout status"
        const char *hours, *overtime;      // the shift's hours; the overtime row's, if any
        const char *so_far, *receipt;      // hours so far; the receipt's hours and overtime
        const char* zone = nullptr;        // TZ; the clock times may name their offset
        const char* reason = nullptr;      // tckadjreason of a shift sent to the manager
        const char* holidays_in = nullptr; // holiday.dat until the punch out, when other
    } cases[] = {
        {"in 23:53 rounded up by 15 stays on its day", "inrounding = 15, shiftlimit = 12", "",
         "2026-12-06 23:53:00", "2026-12-07 06:00:00", "20261206 23:59:00", "20261207 06:00:00 2",
         "reghours=6.02 adjreghours=6.02", "", "6.02", "6.02"},
        {"in 23:52 rounded down by 15, struck by a limit of 6", "inrounding = 15, shiftlimit = 6",
         "", "2026-12-06 23:52:00", "2026-12-07 06:00:00", "20261206 23:45:00",
         "20261207 06:00:00 3", "", "", "0", "0"},
        {"Saturday night, W 0 (40 in the week it ends in)", "", "20261207=40",
         "2026-12-05 22:00:00", "2026-12-06 06:00:00", "20261205 22:00:00", "20261206 06:00:00 2",
         "reghours=8 adjreghours=8", "", "8", "8"},
        {"Saturday night, weeks from Monday: Sunday's 36 count", "wwstartday = 2", "20261206=36",
         "2026-12-05 22:00:00", "2026-12-06 06:00:00", "20261205 22:00:00", "20261206 06:00:00 2",
         "reghours=8 adjreghours=4", "othours=4", "8", "4 4"},
        {"4 minutes, in rounded up by 30, out unrounded: out before in",
         "inrounding = 30; breaktime = 0, breakreduction = 0.5", "", "2026-12-07 08:16:00",
         "2026-12-07 08:20:05", "20261207 08:30:00", "20261207 08:20:05 3", "breakreduction=0.5",
         "", "0", "0", nullptr, "Out before in"},
        {"open 4 days, no limit: to the manager", "", "", "2026-03-01 22:00:00",
         "2026-03-05 06:00:00", "20260301 22:00:00", "20260305 06:00:00 3", "", "", "80", "0",
         nullptr, "Open more than 24 hours"},
        {"the clock set back a day", "", "", "2026-12-07 22:00:00", "2026-12-06 23:00:00",
         "20261207 22:00:00", "20261206 23:00:00 3", "", "", "0", "0", nullptr, "Out before in"},
        // Real time across daylight-saving nights; in the repeated hour the offset kept at
        // punch in says which pass it was.
        {"New York autumn night: 9 h", "", "", "2026-10-31 22:00:00", "2026-11-01 06:00:00",
         "20261031 22:00:00", "20261101 06:00:00 2", "reghours=9 adjreghours=9", "", "9", "9",
         "America/New_York"},
        {"Berlin spring night: 7 h", "", "", "2026-03-28 22:00:00", "2026-03-29 06:00:00",
         "20260328 22:00:00", "20260329 06:00:00 2", "reghours=7 adjreghours=7", "", "7", "7",
         "Europe/Berlin"},
        {"New York 01:30 first pass to 01:45 second", "", "", "2026-11-01 01:30:00-04:00",
         "2026-11-01 01:45:00-05:00", "20261101 01:30:00", "20261101 01:45:00 2",
         "reghours=1.25 adjreghours=1.25", "", "1.25", "1.25", "America/New_York"},
        {"Berlin 02:50 first pass to 02:10 second", "", "", "2026-10-25 02:50:00+02:00",
         "2026-10-25 02:10:00+01:00", "20261025 02:50:00", "20261025 02:10:00 2",
         "reghours=0.33 adjreghours=0.33", "", "0.33", "0.33", "Europe/Berlin"},
        {"Christmas Day crossing the 40", "", "20261221=36", "2026-12-25 14:00:00",
         "2026-12-26 00:30:00", "20261225 14:00:00", "20261226 00:30:00 2",
         "reghours=10.5 holidayhours=4", "holidayhours=6.5", "10.5", "4 6.5"},
        {"Christmas written into holiday.dat during the shift", "", "", "2026-12-25 08:00:00",
         "2026-12-25 16:00:00", "20261225 08:00:00", "20261225 16:00:00 2",
         "reghours=8 holidayhours=8", "", "8", "8", nullptr, nullptr, "0101\r\n"},
        {"Christmas Eve into Christmas: regular hours", "", "", "2026-12-24 18:00:00",
         "2026-12-25 02:00:00", "20261224 18:00:00", "20261225 02:00:00 2",
         "reghours=8 adjreghours=8", "", "8", "8"},
        {"in unrounded, out 00:05 rounded to yesterday's 24:00", "outrounding = 15", "",
         "2026-12-06 21:58:10", "2026-12-07 00:05:00", "20261206 21:58:10", "20261206 24:00:00 2",
         "reghours=2.03 adjreghours=2.03", "", "2.03", "2.03"},
        {"wwstartday 0: never overtime", "wwstartday = 0", "20261207=36", "2026-12-07 08:00:00",
         "2026-12-07 16:00:00", "20261207 08:00:00", "20261207 16:00:00 2",
         "reghours=8 adjreghours=8", "", "8", "8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const test::ZoneScope zone(c.zone);
        Terminal t;
        const QStringList rules = QString(c.rules).split(';');
        if (!rules[0].isEmpty()) {
            ASSERT_TRUE(t.env.exec(t.env.configdb(), "update pr set " + rules[0]));
        }
        t.emp("update jobs set breaktime = null, breakreduction = null");
        if (rules.size() > 1)
            t.emp("update jobs set " + rules[1]);
        t.env.write_file(t.env.data("holiday.dat"),
                         c.holidays_in ? c.holidays_in : "0101,1225\r\n");
        if (*c.worked)
            t.worked(QString(c.worked).left(8).toInt(), QString(c.worked).mid(9).toDouble());
        const QStringList i = QString(c.in).split(' '), o = QString(c.out).split(' ');
        const QString timein = QString(c.in_at).mid(11, 8), timeout = QString(c.out_at).mid(11, 8);
        // What was kept of an earlier punch by the same key, since deleted, gives way.
        ASSERT_TRUE(t.env.exec(t.env.punchdb(),
                               QString("insert into punchzone values (9, %1, '%2', 10, 0, 50400, "
                                       "50400)")
                                   .arg(i[0], timein)));
        t.env.clock.set(c.in_at);
        t.start_login();
        t.env.dialogs.answers << "Yes";
        t.click("cmdpunchin");
        clearscreen(t.env.st, t.win);
        const QVariantMap in =
            merged(test::kOpenPunch,
                   fields(QString("indate=%1 timein=%2 adjtimein=%3").arg(i[0], timein, i[1])));
        t.env.clock.set(c.out_at);
        t.env.write_file(t.env.data("holiday.dat"), "0101,1225\r\n");
        // What the screens show of the open punch at the out time.
        t.login();
        EXPECT_EQ(t.lines().mid(1, 5),
                  (QStringList{
                      QLocale::c().toString(QDateTime::fromString(i[0] + i[1], "yyyyMMddHH:mm:ss"),
                                            "ddd MM/dd 'at' HH:mm"),
                      "Job# 10", "Bartender", QString("Hours so far: ") + c.so_far, kDashes}));
        EXPECT_EQ(t.lines().contains("You may have forgotten to"), o[2] == "3" && !c.reason);
        // The manager's list of open punches counts them the same way.
        LineList report;
        manager_report(t.env.st, report, kWhosPunchedIn);
        EXPECT_EQ(t.env.scalar(work_db_path(t.env.st), "select tckreghours from punch").toDouble(),
                  QString(c.so_far).toDouble());
        t.env.dialogs.answers << "Yes";
        // Punch out sets only what changes: the columns it keeps, indexed ones among them,
        // are not written again.
        test::refuse_inserts(t.env, t.env.punchdb(), "punch", "true",
                             "update of tckindate, tckempid, tckjobcode, tckpayrate, tcktimein");
        // The result is read with nothing over it before the receipt question comes.
        std::optional<QStringList> shown;
        t.env.clock.on_pause = [&](int) {
            if (!shown)
                shown = t.win.frawait->isVisible() ? QStringList() : t.lines();
        };
        t.click("cmdpunchout");
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->value(0), t.lines().value(0));
        const QVariantMap out =
            merged(in, fields(QString("export=0 outdate=%1 timeout=%2 adjtimeout=%3 status=%4")
                                  .arg(o[0], timeout, o[1], o[2])));
        const QList<QVariantMap> rows = t.env.punches(kShift);
        ASSERT_EQ(rows.size(), *c.overtime ? 2 : 1);
        expect_punch(rows[0],
                     merged(merged(out, fields(c.hours)),
                            c.reason ? QVariantMap{{"tckadjreason", c.reason}} : QVariantMap{}));
        if (*c.overtime)
            expect_punch(rows[1], merged(out, fields(c.overtime)));

        const QString today = QString(c.out_at).left(10).remove('-');
        EXPECT_EQ(t.win.lblholiday->text(),
                  QString("0101,1225").contains(today.right(4)) ? "HOLIDAY HOURS TODAY" : "");
        // The result: the clock's time, the shift's hours (overtime included) and, for a shift
        // sent to the manager, why.
        const QStringList paid_now = QString(c.receipt).split(' ');
        EXPECT_EQ(t.lines().value(0), "Out at " + timeout.left(5) + ".");
        EXPECT_TRUE(t.lines().value(1).startsWith(
            QString("This shift %1 h, this week ")
                .arg(paid_now[0].toDouble() + paid_now.value(1).toDouble(), 0, 'f', 2)));
        EXPECT_EQ(t.lines().contains(QString("This shift waits for a manager: %1.")
                                         .arg(c.reason ? c.reason : "Over shift limit")),
                  o[2] == "3");
        EXPECT_EQ(t.log(), i[0] + "\\" + timein + "\\9\\10\\IN\r\n" + today + "\\" + timeout +
                               "\\9\\10\\OUT\r\n");
        const QStringList paid = QString(c.receipt).split(' ');
        QStringList receipt = {"Punchwell Punch-OUT Receipt", "===========================",
                               "Employee #:   9 - Ann Lee",   "Job #:        10 Bartender",
                               "Date:         " + today,      "Time IN:      " + i[1],
                               "Time OUT:     " + o[1],       "Hours:        " + paid[0]};
        if (paid.size() > 1)
            receipt << "Overtime hrs: " + paid[1];
        ASSERT_EQ(t.env.printers.jobs.size(), 2);
        EXPECT_EQ(t.env.printers.jobs[0].lines,
                  QStringList({"Punchwell Punch-IN Receipt", "==========================",
                               "Employee #: 9 - Ann Lee", "Job #:      10 Bartender",
                               "Date:       " + i[0], "Time IN:    " + i[1]}) +
                      QStringList(12, " "));
        EXPECT_EQ(t.env.printers.jobs[1].lines, receipt + QStringList(10, " "));
        EXPECT_EQ(t.env.programs.started.count("syncnwk.exe nowait"), 2);
    }
}

// A close the caller sends to the manager keeps its reason after the shift's own.
TEST(Punch, AShiftSentToTheManagerSaysWhy) {
    PunchBuffer open;
    open[col::tckindate] = 20261207;
    open[col::tckadjtimein] = "22:00:00";
    const std::tuple<const char*, const char*> cases[] = {
        {"2026-12-08 06:00:00", "Left at 06:00 (employee)"},
        {"2026-12-09 06:00:00", "Open more than 24 hours; Left at 06:00 (employee)"}};
    for (const auto& [at, reason] : cases) {
        const ShiftClose c = close_shift(open, QDateTime::fromString(at, "yyyy-MM-dd HH:mm:ss"), {},
                                         0, std::nullopt, "Left at 06:00 (employee)");
        EXPECT_EQ(std::tuple(c.shift.integer(col::tckstatus), c.shift.text(col::tckadjreason)),
                  std::tuple(int(kBad), QString(reason)));
    }
}

TEST(PunchIn, AFailingLogNeverUndoesThePunch) {
    // Tried ten times a second apart (after the result's two seconds), but only once when the
    // folder cannot be reached.
    for (const auto& [error, attempts, paused] :
         {std::tuple(57, 10, 11000), std::tuple(75, 1, 2000)}) {
        Terminal t;
        t.env.files.fail_names["tclog.clk"] = error;
        t.start_login();
        t.click("cmdpunchin");
        EXPECT_EQ(t.env.punches().size(), 1);
        EXPECT_EQ(t.env.files.attempts["tclog.clk"], attempts);
        EXPECT_EQ(t.env.clock.paused_ms, paused);
        EXPECT_EQ(t.lines(),
                  (QStringList{"In at 08:00 for Bartender.", "Have a good shift.", kDashes}));
    }
}

TEST(PunchIn, NeedsAJobAndAPayRate) {
    // Three jobs: none is chosen until the employee picks one.
    Terminal t;
    ASSERT_TRUE(suite::add_empjob(t.env.db_access(), t.env.empdb(), 9, 30, 0.0099));
    t.start_login();
    t.click("cmdpunchin");
    EXPECT_EQ(t.env.dialogs.titles(), QStringList{"No job selected"});
    EXPECT_TRUE(t.win.lstjob->hasFocus());

    // Below a cent is no pay rate; a cent is one.
    t.win.lstjob->setCurrentRow(4);
    t.click("cmdpunchin");
    EXPECT_EQ(t.env.dialogs.last().title, "Missing Pay Rate");
    EXPECT_TRUE(t.button("cmdpunchin")->isVisible() && t.env.punches().isEmpty());
    t.click("cmddone");
    t.emp("update empjobs set payrate = 0.01 where jobcode = 30");
    t.login();
    t.win.lstjob->setCurrentRow(4);
    t.click("cmdpunchin");
    ASSERT_EQ(t.env.punches().size(), 1);
    EXPECT_DOUBLE_EQ(t.env.punches()[0]["tckpayrate"].toDouble(), 0.01);
}

TEST(PunchInAndOut, FailuresChangeNothing) {
    const auto remove = [](const char* name) {
        return [name](Terminal& t) { remove_database(t.env.data(name), t.env.db_access()); };
    };
    const QString no_suite = "Punchwell cannot connect to Parvela.\r\n";
    const QString missing =
        "The <db> database is missing.\r\nContact Quorwyn technical support for assistance.";
    const struct {
        const char *button, *what;
        std::function<void(Terminal&)> harm;
        QString title, text; // the text's start, <db> for the punch database's path
        bool waited = true;  // the wait notice was up when the box came
        bool locked = false; // another station holds the punch database meanwhile
    } cases[] = {
        {"cmdpunchin", "punch database missing", remove("PUNCHCLK.MDB"), "Uh-oh...", missing},
        {"cmdpunchin", "job gone from jobs",
         [](Terminal& t) { t.emp("delete from jobs where jobcode = 10"); }, "Parvela Codes",
         "Code 3021 - "},
        {"cmdpunchin", "suite unreachable", remove("parv.exe"), "Punchwell - Connection Problem",
         no_suite},
        {"cmdpunchout", "punch database missing", remove("PUNCHCLK.MDB"), "Uh-oh...", missing},
        {"cmdpunchout", "overtime row refused",
         [](Terminal& t) {
             test::refuse_inserts(t.env, t.env.punchdb(), "punch", "new.tckothours > 0");
         },
         "Parvela Codes", "Code "},
        {"cmdpunchout", "suite unreachable", remove("parv.exe"), "Punchwell - Connection Problem",
         no_suite, false},
        {"cmdpunchout", "punch database busy", [](Terminal&) {}, "Parvela Codes", "Code 3045 - ",
         true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.what);
        Terminal t;
        if (c.button == QString("cmdpunchout")) {
            t.open_punch();
            t.worked(20040523, 36);
        }
        t.env.clock.set("2004-05-24 16:00:00");
        t.start_login();
        c.harm(t);
        const QByteArray before = t.env.read_file(t.env.punchdb());
        // The wait notice is up, centred across and a third of the free height down.
        bool waited = false;
        t.env.dialogs.on_box = [&](const test::Box&) {
            waited = t.win.frawait->isVisible() &&
                     t.win.frawait->pos() == QPoint((t.win.width() - t.win.frawait->width()) / 2,
                                                    (t.win.height() - t.win.frawait->height()) / 3);
        };
        {
            std::optional<test::DbLock> lock;
            if (c.locked)
                lock.emplace(t.env, t.env.punchdb());
            t.click(c.button);
        }
        EXPECT_EQ(t.env.dialogs.titles(), QStringList{c.title});
        EXPECT_TRUE(
            QString(t.env.dialogs.last().text).replace(t.env.punchdb(), "<db>").startsWith(c.text))
            << t.env.dialogs.last().text.toStdString();
        EXPECT_EQ(waited, c.waited);
        EXPECT_EQ(t.env.read_file(t.env.punchdb()), before);
        EXPECT_TRUE(t.log().isEmpty() && t.env.printers.jobs.isEmpty());
        EXPECT_TRUE(t.win.frawait->isHidden() && t.button("cmdclose")->isEnabled());
        // The buttons return: the person may try again.
        EXPECT_TRUE(t.button(c.button)->isVisible() && t.button("cmddone")->isVisible());
        EXPECT_EQ(t.env.st.run.clearcountdown, 0);
        // Once the other station lets go, the same screen punches out.
        if (c.locked) {
            t.click(c.button);
            EXPECT_EQ(t.env.punches(kShift)[0]["tckstatus"].toInt(), 2);
        }
    }
}

// A clock that lets another station act the first time this one reads the time: in a punch
// that is between reading the punch table and writing to it.
struct MeddlingClock : test::TestClock {
    mutable std::function<void()> meddle;
    QDateTime now() const override {
        if (meddle)
            std::exchange(meddle, nullptr)();
        return TestClock::now();
    }
};

// Station B punches the employee in or out while station A is between its read and its
// write: of the two, one punch is written and the other station is told.
TEST(Punch, OfTwoStationsPunchingOneEmployeeOneSucceeds) {
    for (const char* button : {"cmdpunchin", "cmdpunchout"}) {
        SCOPED_TRACE(button);
        const bool in = button == QString("cmdpunchin");
        Terminal b;
        if (!in) {
            b.open_punch();
            b.worked(20040523, 36); // each close would add an overtime row
        }
        b.env.clock.set("2004-05-24 16:00:00");
        b.start();
        b.login();
        MeddlingClock clock;
        clock.time = b.env.clock.time;
        test::RecordingPrinters printers;
        test::Peer a(b.env, clock, printers);
        test::type_login(a.win);
        clock.meddle = [&] { b.click(button); };
        QTest::mouseClick(a.win.findChild<QPushButton*>(button), Qt::LeftButton);

        EXPECT_EQ(b.env.dialogs.titles(),
                  QStringList{in ? "Print Punch-In Receipt?" : "Print Punch-Out Receipt?"});
        EXPECT_EQ(b.log().count("\r\n"), 1);
        const QList<QVariantMap> rows = b.env.punches(kShift);
        if (in) {
            EXPECT_EQ(a.dialogs.texts(), QStringList{"You are already punched in.\nPunch out "
                                                     "first, then punch in again."});
            ASSERT_EQ(rows.size(), 1);
            EXPECT_EQ(rows[0]["tckstatus"].toInt(), 1);
            // A's screen shows the open punch as identification does.
            EXPECT_EQ(a.win.lstjob->item(1)->text(), "Mon 05/24 at 16:00");
            EXPECT_TRUE(!a.win.cmdpunchin->isVisible() && a.win.cmdpunchout->isVisible());
            EXPECT_TRUE(a.st.who.open.has_value());
        } else {
            EXPECT_EQ(a.dialogs.texts(),
                      QStringList{"Punchwell was unable to locate the punch-in record."});
            ASSERT_EQ(rows.size(), 2);
            EXPECT_EQ(rows[0]["tckadjreghours"].toDouble(), 4);
            EXPECT_EQ(rows[1]["tckothours"].toDouble(), 4);
            EXPECT_EQ(a.st.run.clearcountdown, 1); // no buttons back: the screen clears shortly
        }
    }
}

// On a server the station keeps its connections: when the server ends them (a restart, a
// dropped network) the next press reconnects and writes its punch once. Every statement the
// presses, the reports and the editor's save ran is planned through an index, never by
// reading punch or history whole.
TEST(Server, ConnectionsOutliveTheServerEndingThemAndEveryStatementUsesAnIndex) {
    Terminal t;
    if (t.env.server.isEmpty())
        GTEST_SKIP() << "a server's connections and plans only";
    // Tables made before their rowid was their key get it indexed by the first punch.
    for (const char* table : {"punch", "history"})
        ASSERT_TRUE(t.env.exec(t.env.punchdb(),
                               QString("alter table %1 drop constraint %1_pkey").arg(table)));
    t.env.clock.set("2004-05-24 08:00:00");
    t.start_login();
    t.env.dialogs.answers << "Yes";
    t.click("cmdpunchin");
    ASSERT_TRUE(t.env.exec(t.env.punchdb(),
                           "select pg_terminate_backend(pid) from pg_stat_activity where "
                           "datname = current_database() and pid <> pg_backend_pid()"));
    clearscreen(t.env.st, t.win);
    t.env.clock.set("2004-05-24 16:00:00");
    t.login();
    const auto backends = [&] {
        return t.env
            .scalar(t.env.punchdb(), "select count(*) from pg_stat_activity where datname = "
                                     "current_database() and pid <> pg_backend_pid()")
            .toInt();
    };
    // The identification reads the employee and the open punch at once, on one connection.
    EXPECT_EQ(backends(), 1);
    {
        // A report reads the names before its rows come, on the connection they come on.
        LineList open;
        manager_report(t.env.st, open, kWhosPunchedIn);
        ASSERT_TRUE(open.count() > 0 && open.text(0).contains("Ann Lee"))
            << open.text(0).toStdString();
        EXPECT_EQ(backends(), 1);
    }
    t.env.dialogs.answers << "Yes";
    t.click("cmdpunchout");
    const QList<QVariantMap> rows = t.env.punches(kShift);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["tckstatus"].toInt(), 2);
    LineList report;
    manager_report(t.env.st, report, kWhosPunchedIn);
    own_report(t.env.st, report, kMyPunchesThisMonth);
    const PunchKey key{t.env.scalar(t.env.punchdb(), "select rowid from punch").toLongLong(), 9,
                       20040524, 2};
    EXPECT_EQ(test::code_of([&] {
                  save_punch(t.env.st, key,
                             {"20040524", "08:00:00", "20040524", "16:00:00", "8", "0", "0", "0",
                              "0", "0", "0", "x"});
              }),
              0);

    const auto kept = kept_statements(*t.env.st.kept_connections());
    EXPECT_GE(kept.size(), 8u);
    for (const auto& [schema, sql] : kept) {
        SCOPED_TRACE(sql.toStdString());
        // Each names its tables' schema, so that one connection serves every database.
        EXPECT_FALSE(sql.contains(QRegularExpression(
            "\\b(from|into|update|join)\\s+(punch|history|punchzone|punchsent|empinfo|empjobs|"
            "jobs|pr|xact)\\b")));
        QString numbered, nulls;
        int n = 0;
        for (const QChar c : sql) {
            numbered += c == u'?' ? QString("$%1").arg(++n) : QString(c);
            if (c == u'?')
                nulls += n > 1 ? ", null" : "null";
        }
        // Seq scans only where no index serves; the plan that holds for any value bound.
        std::unique_ptr<Db> db = Db::server(t.env.db_access());
        db->use(t.env.data(schema.toUpper() + ".MDB"));
        db->run("set enable_seqscan = off");
        db->run("set plan_cache_mode = force_generic_plan");
        db->run("prepare pw_plan as " + numbered);
        QString plan;
        for (QSqlQuery q = db->run("explain execute pw_plan" + (n ? "(" + nulls + ")" : ""));
             fetch(q);)
            plan += q.value(0).toString() + "\n";
        // Nor by walking an index of punch or history whole, with no condition on it.
        const QStringList nodes = plan.split("->");
        EXPECT_FALSE(
            plan.contains(QRegularExpression("Seq Scan on (punch|history|punchzone)\\b")) ||
            std::any_of(nodes.begin(), nodes.end(),
                        [](const QString& node) {
                            return node.contains(QRegularExpression(
                                       "Index (Only )?Scan using \\w+ on (punch|history)\\b")) &&
                                   !node.contains("Index Cond");
                        }))
            << plan.toStdString();
    }
    // Reading on the connection that writes: a read-only use of it changes nothing.
    {
        Db read(t.env.punchdb(), DbMode::ReadOnly, t.env.st.db_access());
        for (const auto& [sql, code] :
             {std::pair{"delete from punch", 75},
              {"with d as (delete from punch returning 1) select count(*) from d", 75},
              {"selectdelete from punch", 75},
              {" \n SELECT\ncount(*) from punch", 0}})
            EXPECT_EQ(test::code_of([&] { read.run(sql); }), code) << sql;
    }
    EXPECT_EQ(t.env.punches(kShift).size(), 1);
}

// On a server a punch waits only for the same employee's punches and for the database's other
// writers (an edit, an export): the punches of a shift change go on side by side.
TEST(Server, APunchWaitsOnlyForItsEmployeeAndTheOtherWriters) {
    Terminal t;
    if (t.env.server.isEmpty())
        GTEST_SKIP() << "a server's locks only";
    t.env.clock.set("2004-05-24 08:00:00");
    t.start();
    t.env.st.busy_timeout_ms = 300;
    Session who;
    who.number = 9;
    who.job_code = 10;
    const struct {
        const char* what;
        WriteLock lock;
        double employee;
        bool waits;
    } cases[] = {
        {"another employee punching", WriteLock::Employee, 8, false},
        {"an import", WriteLock::Import, 0, false},
        {"the same employee punching", WriteLock::Employee, 9, true},
        {"an edit", WriteLock::Writers, 0, true},
        {"an export", WriteLock::Bulk, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            Db other(t.env.punchdb(), DbMode::ReadWrite, t.env.db_access());
            Transaction held(other, c.lock, c.employee);
            EXPECT_EQ(test::code_of([&] { open_shift(t.env.st, who); }), c.waits ? 3045 : 0);
        }
        EXPECT_EQ(t.env.punches(kShift).size(), c.waits ? 0 : 1);
        ASSERT_TRUE(t.env.exec(t.env.punchdb(), "delete from punch"));
    }
}

// The server's machine as the station reaches it over the network: a relay on a local port
// to the test server's socket, in processes of its own. Stopped, it is a server that no longer
// answers while its machine's network does (connections are taken, nothing comes back).
class Relay {
public:
    explicit Relay(const QString& server) {
        const QUrl url(server);
        const QUrlQuery query(url);
        const QByteArray socket_path =
            (query.queryItemValue("host") + "/.s.PGSQL.5432").toLocal8Bit();
        sockaddr_un to{};
        to.sun_family = AF_UNIX;
        std::strncpy(to.sun_path, socket_path.constData(), sizeof(to.sun_path) - 1);
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(at);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&at), size) != 0 ||
            ::listen(listener, 64) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size) != 0)
            ADD_FAILURE() << "no local port for the relay";
        uri = QString("postgresql://%1@127.0.0.1:%2%3")
                  .arg(query.queryItemValue("user"))
                  .arg(ntohs(at.sin_port))
                  .arg(url.path());
        // Only system calls from here on in the children.
        pid_ = ::fork();
        if (pid_ == 0) {
            detach_from_test();
            ::setpgid(0, 0);
            ::signal(SIGCHLD, SIG_IGN);
            for (;;) {
                const int in = ::accept(listener, nullptr, nullptr);
                if (in >= 0 && ::fork() == 0) {
                    detach_from_test();
                    const int out = ::socket(AF_UNIX, SOCK_STREAM, 0);
                    if (::connect(out, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0)
                        pass(in, out);
                    ::_exit(0);
                }
                ::close(in);
            }
        }
        ::setpgid(pid_, pid_);
        ::close(listener);
    }
    ~Relay() {
        resume();
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    // Stopped for at most seconds, so that a station that would wait for good fails the test
    // instead of hanging it.
    void stop(unsigned seconds) {
        ::kill(-pid_, SIGSTOP);
        waker_ = ::fork();
        if (waker_ == 0) {
            detach_from_test();
            ::sleep(seconds);
            ::kill(-pid_, SIGCONT);
            ::_exit(0);
        }
    }
    void resume() {
        if (waker_ > 0) {
            ::kill(waker_, SIGKILL);
            ::waitpid(waker_, nullptr, 0);
            waker_ = -1;
        }
        ::kill(-pid_, SIGCONT);
    }

    QString uri; // the server's database through the relay

private:
    // A child dies with the process that made it and keeps none of the test's output open, so
    // that a test that dies leaves nothing behind for the test run to wait for.
    static void detach_from_test() {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
    }
    static void pass(int a, int b) {
        pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
        char buffer[16384];
        while (::poll(fds, 2, -1) > 0) {
            for (int i = 0; i < 2; ++i) {
                if (!fds[i].revents)
                    continue;
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof(buffer));
                if (n <= 0 || ::write(fds[1 - i].fd, buffer, size_t(n)) != n)
                    return;
            }
        }
    }
    pid_t pid_ = -1;
    pid_t waker_ = -1;
};

// A server that stops answering while its machine's network still does holds a press for about
// the busy timeout and the time to ask whether the server is there, then fails as a lost
// connection; the next Ok answers from the station's copy, and the punch made there is sent
// once the server answers again. A statement that takes long on a server that answers is left
// to finish.
TEST(Server, AServerThatStopsAnsweringHoldsAPressOnlyBriefly) {
    Terminal t;
    if (t.env.server.isEmpty())
        GTEST_SKIP() << "a server's connections only";
    Relay relay(t.env.server);
    t.env.clock.set("2004-05-24 08:00:00");
    t.start();
    tick(t.env.st, t.win); // the station's copy
    t.env.st.settings.database = relay.uri;
    t.env.st.busy_timeout_ms = 1000;
    {
        Db slow(t.env.punchdb(), DbMode::ReadOnly, t.env.st.db_access());
        EXPECT_EQ(slow.scalar("select 1 from pg_sleep(2.5)").toInt(), 1);
    }
    t.login();
    ASSERT_TRUE(t.win.cmdpunchin->isVisible());
    relay.stop(30);
    QElapsedTimer held;
    held.start();
    t.click("cmdpunchin");
    // A second for the busy timeout, two to ask whether the server is there.
    EXPECT_LT(held.restart(), 10000);
    EXPECT_EQ(t.env.dialogs.texts().value(0).section('\n', 0, 0),
              "Code 75 - The database server stopped answering.");
    t.env.dialogs.clear();
    clearscreen(t.env.st, t.win);
    t.login();
    // The club failed moments ago: Ok does not wait for it again.
    EXPECT_LT(held.restart(), 1000);
    EXPECT_TRUE(t.env.st.who.offline);
    t.click("cmdpunchin");
    relay.resume();
    EXPECT_TRUE(t.env.punches(kShift).isEmpty());
    // Half a minute on, Ok tries the club again.
    clearscreen(t.env.st, t.win);
    t.env.clock.set("2004-05-24 08:00:30");
    t.login();
    EXPECT_FALSE(t.env.st.who.offline);

    // The tick asks the club on another thread: it holds the waiting screen a moment only,
    // and once the club failed to answer, Ok does not wait for it either.
    // Ticks as the timer does until done(), for ten seconds at most; gives the longest tick.
    const auto tick_until = [&](const auto& done) {
        int longest = 0;
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 10000) {
            QElapsedTimer one;
            one.start();
            tick(t.env.st, t.win);
            longest = std::max(longest, int(one.elapsed()));
            QTest::qWait(50);
        }
        return longest;
    };
    const auto noted = [&] { return t.env.st.run.unreached_at == t.env.clock.now(); };
    clearscreen(t.env.st, t.win);
    relay.stop(30);
    t.env.clock.set("2004-05-24 08:01:00");
    EXPECT_LT(tick_until(noted), 1000);
    held.restart();
    t.login();
    EXPECT_LT(held.elapsed(), 1000);
    EXPECT_TRUE(t.env.st.who.offline);
    relay.resume();

    clearscreen(t.env.st, t.win);
    t.env.clock.set("2004-05-24 08:05:00");
    tick(t.env.st, t.win);
    const QList<QVariantMap> rows = t.env.punches(kShift);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["tckstatus"].toInt(), 1);

    // Online, the tick keeps asking the server, never waiting: its going away is noted
    // before anybody's Ok, its coming back too.
    relay.stop(30);
    t.env.clock.set("2004-05-24 08:05:40");
    EXPECT_LT(tick_until(noted), 1000);
    EXPECT_TRUE(noted());
    relay.resume();
    t.env.clock.set("2004-05-24 08:06:20");
    tick_until([&] { return !t.env.st.run.unreached_at.isValid(); });
    EXPECT_FALSE(t.env.st.run.unreached_at.isValid());
}

// Rows read one by one from a server that stops answering halfway through them end in the
// same failure as a statement, after about the same wait, never as a shorter answer.
TEST(Server, RowsFromAServerThatStopsAnsweringEndInAFailure) {
    Terminal t;
    if (t.env.server.isEmpty())
        GTEST_SKIP() << "a server's connections only";
    Relay relay(t.env.server);
    t.start();
    t.env.st.settings.database = relay.uri;
    t.env.st.busy_timeout_ms = 1000;
    Db db(t.env.punchdb(), DbMode::ReadOnly, t.env.st.db_access());
    // Far more than the sockets between hold.
    RowStatement q(db, "select repeat('x', 1000) from pg_catalog.generate_series(1, 200000)");
    q.query({});
    QVariantList row;
    ASSERT_TRUE(q.next(row));
    relay.stop(30);
    QElapsedTimer held;
    held.start();
    int rows = 1, code = 0;
    try {
        while (q.next(row))
            ++rows;
    } catch (const DbError& e) {
        code = e.code();
    }
    EXPECT_LT(held.elapsed(), 10000);
    EXPECT_EQ(code, 75);
    EXPECT_LT(rows, 200000);
    relay.resume();
}
} // namespace
} // namespace pw
