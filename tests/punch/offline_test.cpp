#include "offline/offline.h"
#include "platform/instance.h"
#include "terminal.h"
#include "window/identify.h"
#include "window/offlinepunch.h"
#include "window/startup.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::Terminal;

const QStringList kSaved = {"Saved on this station.", "It will be sent to the",
                            "club when the connection", "is back.", test::kDashes};

// Started on 05/24 at 08:00, its copy made by the first tick.
void start_with_copy(Terminal& t) {
    t.env.clock.set("2004-05-24 08:00:00");
    t.start();
    tick(t.env.st, t.win);
}

// The shared folder goes away (the suite's program with it) and comes back.
struct Share {
    Terminal& t;
    QByteArray suite = t.env.read_file(t.env.data("parv.exe"));
    void lose() { QFile::remove(t.env.data("parv.exe")); }
    void back() { t.env.write_file(t.env.data("parv.exe"), suite); }
};

// The same day punched with the club and without it: what is sent on is what the station
// writes online, the overtime split included, and the club's log gets the same lines. A punch
// database made before the offsets table gets it from the first punch.
TEST(Offline, PunchesSentOnAreTheRowsOfOnlinePunches) {
    QList<QList<QVariantMap>> rows;
    QStringList logs;
    for (const bool offline : {false, true}) {
        SCOPED_TRACE(offline ? "offline" : "online");
        Terminal t;
        Share share{t};
        t.worked(20040523, 36);
        start_with_copy(t);
        ASSERT_TRUE(offline ? (share.lose(), true)
                            : t.env.exec(t.env.punchdb(), "drop table punchzone"));
        t.login();
        EXPECT_TRUE(!offline ||
                    (t.lines().endsWith(offline_lines().last()) && t.win.cmdreport->isHidden()));
        t.click("cmdpunchin");
        const QStringList result = t.lines();
        clearscreen(t.env.st, t.win);
        if (offline) {
            EXPECT_EQ(result, QStringList{"In at 08:00 for Bartender."} + kSaved);
            EXPECT_EQ(t.win.lblmsg->text(), "Offline since 08:00 - 1 punch waiting");
        }
        t.env.clock.set("2004-05-24 16:00:00");
        t.login();
        EXPECT_EQ(t.lines().mid(1, 3), QStringList({"Mon 05/24 at 08:00", "Job# 10", "Bartender"}));
        t.click("cmdpunchout");
        clearscreen(t.env.st, t.win);
        if (offline) {
            EXPECT_EQ(t.win.lblmsg->text(), "Offline since 08:00 - 2 punches waiting");
            EXPECT_EQ(t.env.punches().size(), 1); // only the week's earlier hours
            share.back();
            tick(t.env.st, t.win);
            EXPECT_EQ(t.win.lblmsg->text(), "");
        }
        rows << t.env.punches() << t.env.rows(t.env.punchdb(), "select inoffset from punchzone");
        logs << t.log();
    }
    ASSERT_EQ(std::tuple(rows[2].size(), rows[3].size()), std::tuple(3, 1));
    EXPECT_EQ(rows.mid(2), rows.mid(0, 2));
    EXPECT_EQ(logs[1], logs[0]);
}

// A stop before the punch database took the punch leaves it waiting; a stop after it, before
// the station marked it sent, finds the club's mark. A punch that no longer applies goes to
// the manager.
TEST(Offline, EachPunchIsSentOnceWhateverStopsTheSendingAndTheCopyHoldsNoPassword) {
    Terminal t;
    Station& st = t.env.st;
    st.busy_timeout_ms = 200;
    start_with_copy(t);
    OfflinePunch in{0, 9, 10, "Bartender", 8.25, t.env.clock.now(), true};
    journal_punch(st, in);
    {
        test::DbLock lock(t.env, t.env.punchdb());
        EXPECT_EQ(test::code_of([&] { forward_journal(st); }), 3045);
    }
    EXPECT_EQ(std::tuple(t.env.punches().size(), punches_waiting(st)), std::tuple(0, 1));
    EXPECT_EQ(forward_journal(st).sent, 1);
    ASSERT_TRUE(t.env.exec(offline_file(st), "update journal set sent = 0"));
    EXPECT_EQ(forward_journal(st).sent, 0);
    EXPECT_EQ(std::tuple(t.env.punches().size(), punches_waiting(st)), std::tuple(1, 0));

    OfflinePunch out{0, 9, 20, "Cook", 9.5, t.env.clock.now().addSecs(8 * 3600), false};
    journal_punch(st, out);
    EXPECT_EQ(forward_journal(st).to_review, 1);
    EXPECT_EQ(t.env.punches("tckjobcode = 20 and tckstatus = 3").value(0)["tckadjreason"],
              "Offline punch out at 16:00 on station 0: no open punch");

    // The copy holds a salted hash, never the password, and follows a change at its next
    // refresh. A manager identified offline gets no manager work.
    t.emp("update empinfo set pword = 4817263 where empid = 9");
    const auto right = [&](const char* typed) {
        return read_local_employee(st, 9, typed).password_right;
    };
    EXPECT_TRUE(right("1") && !right("4817263")); // until the next refresh
    refresh_local_copy(st);
    EXPECT_TRUE(right("4817263") && !right("1"));
    t.emp("update empinfo set pword = 20001 where empid = 9");
    refresh_local_copy(st);
    for (const char* password : {"4817263", "20001"})
        EXPECT_FALSE(t.env.read_file(offline_file(st)).contains(password));

    QFile::remove(t.env.data("parv.exe"));
    t.login("9", "20001");
    EXPECT_TRUE(t.env.st.who.offline && t.win.cmdmanager->isHidden());
}

// A refresh follows each change of the club, one table at a time, and what did not change
// stays as it was, the salts with it.
TEST(Offline, ARefreshFollowsEveryChangeOfTheClub) {
    Terminal t;
    t.emp("insert into empinfo (empid, empfname, emplname, empstatus, pword) values (12, 'Bo', "
          "'Park', 1, 2)");
    start_with_copy(t);
    Station& st = t.env.st;
    const auto copy = [&](const QString& sql) { return t.env.rows(offline_file(st), sql); };
    const QString employees = "select * from employees order by empid",
                  jobs = "select * from jobs order by empid, jobcode";
    const QList<QVariantMap> first = copy(employees), first_jobs = copy(jobs),
                             ann = copy("select * from employees where empid = 9");
    ASSERT_EQ(copy("select name from employees where empid = 12").size(), 1);
    refresh_local_copy(st);
    EXPECT_EQ(std::tuple(copy(employees), copy(jobs)), std::tuple(first, first_jobs));

    t.emp("update empjobs set payrate = 8.75 where empid = 9 and jobcode = 10");
    refresh_local_copy(st);
    EXPECT_EQ(copy(employees), first);
    EXPECT_EQ(copy("select payrate from jobs where empid = 9 and jobcode = 10").value(0),
              QVariantMap({{"payrate", 8.75}}));

    t.emp("update empinfo set empstatus = 0 where empid = 12");
    refresh_local_copy(st);
    EXPECT_TRUE(copy("select name from employees where empid = 12").isEmpty());
    EXPECT_EQ(copy(employees).size(), first.size() - 1);
    EXPECT_EQ(copy("select * from employees where empid = 9"), ann);
}

// Two stations, each on its own, punch the same employee in: the first sent on opens the
// shift, the second is kept for the manager.
TEST(Offline, TwoStationsPunchingOneEmployeeLeaveOneShiftAndOneReview) {
    Terminal t;
    Share share{t};
    start_with_copy(t);
    test::RecordingPrinters printers;
    test::Peer b(t.env, t.env.clock, printers, 2);
    refresh_local_copy(b.st);
    share.lose();
    t.login();
    t.click("cmdpunchin");
    t.env.clock.set("2004-05-24 08:05:00");
    test::type_login(b.win);
    QTest::mouseClick(b.win.findChild<QPushButton*>("cmdpunchin"), Qt::LeftButton);
    EXPECT_EQ(test::item_texts(b.win.lstjob).mid(1), kSaved);
    share.back();
    clearscreen(t.env.st, t.win);
    tick(t.env.st, t.win);
    forward_journal(b.st);
    EXPECT_EQ(t.env.punches().size(), 2);
    EXPECT_EQ(t.env.punches("tckstatus = 1 and tcktimein = '08:00:00'").size(), 1);
    EXPECT_EQ(t.env.punches("tckstatus = 3").value(0)["tckadjreason"],
              "Offline punch in at 08:05 on station 2: already punched in elsewhere");
}

// Without the shared folder at start-up, or with the server gone, the station punches on its
// copy.
TEST(Offline, AStationStartedWithoutTheClubOrLosingItsServerPunchesOnItsCopy) {
    Terminal t;
    Share share{t};
    start_with_copy(t);
    std::unique_ptr<Tclock> run;
    const auto restart = [&] { // the program ends and starts again
        (run ? run->instance : t.win.instance).reset();
        run = std::make_unique<Tclock>();
        t.env.st.run = RunState{};
        connect_punch_screen(t.env.st, *run);
        ASSERT_EQ(startup(t.env.st, *run), Started::Running);
        run->Timer1->stop();
    };
    share.lose();
    restart();
    EXPECT_EQ(run->lblmsg->text(), "Offline since 08:00 - 0 punches waiting");
    test::type_login(*run);
    QTest::mouseClick(run->findChild<QPushButton*>("cmdpunchin"), Qt::LeftButton);
    EXPECT_EQ(test::item_texts(run->lstjob).mid(1), kSaved);
    share.back();
    restart(); // its first tick sends on what the last run left waiting
    tick(t.env.st, *run);
    EXPECT_EQ(t.env.punches("tckstatus = 1").size(), 1);

    Terminal server;
    server.open_punch();
    start_with_copy(server);
    server.env.st.settings.database = "postgresql://pw@127.0.0.1:1/none";
    server.login();
    EXPECT_TRUE(server.env.st.who.offline);
    EXPECT_EQ(server.lines().mid(1, 3),
              QStringList({"Mon 05/24 at 08:00", "Job# 10", "Bartender"}));
}

} // namespace
} // namespace pw
