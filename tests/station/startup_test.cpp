#include "env.h"
#include "window/startup.h"
#include "window/tclock.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw {
namespace {

const QString kAlreadyRunning = "Punchwell is already running; you may reopen it\r\n"
                                "by clicking on the Punchwell icon in your taskbar.";

struct Boot {
    test::TestEnv env;
    Tclock win;

    explicit Boot(suite::Options options = {})
        : env(options) {}
    bool start() { return startup(env.st, win) == Started::Running; }
    QString run_marker() const { return env.station_file("punchwell.run"); }
    void tick_at(const QString& when) {
        env.clock.set(when);
        tick(env.st, win);
    }
};

TEST(Startup, FailuresShowTheirBoxAndNeverShowTheWindow) {
    struct Case {
        const char* what;
        std::function<void(test::TestEnv&)> arrange;
        QString title;
        QString text;
        Started result;
        int status; // the program's exit status
    };
    const Case cases[] = {
        {"node file missing",
         [](test::TestEnv& e) { QFile::remove(e.station_file("parvnode.ini")); },
         "Invalid Installation", "This node has not been initialized.", Started::NotInitialized, 2},
        {"suite missing", [](test::TestEnv& e) { QFile::remove(e.data("parv.exe")); },
         "Punchwell - Critical Problem",
         "Punchwell cannot connect to Parvela.\r\nClick OK to close Punchwell now.",
         Started::SuiteMissing, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Boot s;
        c.arrange(s.env);
        const Started result = startup(s.env.st, s.win);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(exit_status(result), c.status);
        EXPECT_EQ(s.env.dialogs.titles() + s.env.dialogs.texts(), QStringList({c.title, c.text}));
        EXPECT_FALSE(s.win.isVisible() || s.win.Timer1->isActive());
        EXPECT_FALSE(QFile::exists(s.run_marker()));
        // The clock synchronisation starts before anything can fail.
        EXPECT_EQ(s.env.programs.started, QStringList{"syncnwk.exe"});
    }
}

TEST(Startup, ASecondCopyClosesAndDeletesTheMarkerOfTheFirst) {
    Boot first;
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(QFile::exists(first.run_marker()));

    test::TestEnv& env = first.env;
    Station second_st(Platform{env.dialogs, env.clock, env.printers, env.programs, env.files,
                               test::test_keyboard()},
                      env.inst.station);
    Tclock second;
    EXPECT_EQ(exit_status(startup(second_st, second)), 3);
    EXPECT_EQ(env.dialogs.titles() + env.dialogs.texts(), QStringList({"FYI...", kAlreadyRunning}));
    EXPECT_FALSE(second.isVisible());
    EXPECT_TRUE(!QFile::exists(first.run_marker()) && first.win.isVisible());

    // Once the first copy closes, a new one may start.
    env.dialogs.answers << "zvt";
    QTest::mouseClick(first.win.cmdclose, Qt::LeftButton);
    Tclock third;
    EXPECT_EQ(startup(second_st, third), Started::Running);
}

// Also makes the node's report database when it is missing.
TEST(Startup, ShowsTheReadyWindowAndMarksTheRun) {
    suite::Options node7;
    node7.nodenumber = 7;
    Boot s(node7);
    QSignalSpy cleared(&s.win, &Tclock::clearscreen_requested);
    ASSERT_TRUE(s.start());
    EXPECT_TRUE(s.env.dialogs.boxes.isEmpty()) << s.env.dialogs.texts().join("|").toStdString();
    EXPECT_TRUE(s.win.isVisible() && s.win.Timer1->isActive());
    EXPECT_EQ(s.win.windowTitle(), "Parvela Punchwell - v21.12.28a");
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_EQ(s.env.read_file(s.run_marker()), "08:00:00\r\n");
    EXPECT_TRUE(s.win.cmdexport->isHidden());
    EXPECT_EQ(s.env.read_file(s.env.station_file("RPT07.MDB")),
              s.env.read_file(s.env.station_file("rpt00.sys")));

    // Closing by the window's own close box runs the same close, after the password.
    s.env.dialogs.answers << "zvt";
    s.win.close();
    EXPECT_FALSE(QFile::exists(s.run_marker()) || s.win.Timer1->isActive());
    EXPECT_EQ(s.env.dialogs.titles(), QStringList{"Close Punchwell"});
}

// An older remote station: its own report database stays, its files move to the data folder
// (its punch database, which may hold punches found nowhere else, is kept aside and logged),
// and Export is marked shown in the panel that stays hidden until asked for.
TEST(Startup, KeepsAndMovesAnOlderRemoteInstallationsFiles) {
    Boot s;
    s.env.write_file(s.env.station_file("RPT00.MDB"), "the node's own");
    s.env.write_file(s.env.station_file("tclock.ini"), " 0 , 0 , 1 \r\n");
    const QByteArray data_punches = s.env.read_file(s.env.punchdb());
    s.env.write_file(s.env.station_file("punchclk.mdb"), "old local punches");
    s.env.write_file(s.env.station_file("punchclk.mdb.old"), "kept earlier");
    s.env.write_file(s.env.station_file("tclk00a.rpt"), "template");
    QFile::remove(s.env.data("tclk00a.rpt")); // the installation's own copy would be kept
    s.env.write_file(s.env.station_file("dbupdate.dat"), "cannot go");
    QDir().mkpath(s.env.data("dbupdate.dat")); // a folder in the way: the copy fails
    ASSERT_TRUE(s.start());

    EXPECT_EQ(s.env.read_file(s.env.station_file("RPT00.MDB")), "the node's own");
    EXPECT_FALSE(QFile::exists(s.env.station_file("punchclk.mdb")));
    EXPECT_EQ(s.env.read_file(s.env.station_file("punchclk.mdb.old")), "kept earlier");
    EXPECT_EQ(s.env.read_file(s.env.station_file("punchclk.mdb.old.2")), "old local punches");
    EXPECT_TRUE(s.env.read_file(s.env.station_file("admlog.ini"))
                    .endsWith("---Old local punch database kept as " +
                              s.env.station_file("punchclk.mdb.old.2").toUtf8() + "\r\n"));
    EXPECT_EQ(s.env.read_file(s.env.punchdb()), data_punches);
    EXPECT_TRUE(!QFile::exists(s.env.station_file("tclk00a.rpt")) &&
                s.env.read_file(s.env.data("tclk00a.rpt")) == "template");
    EXPECT_EQ(s.env.read_file(s.env.station_file("dbupdate.dat")), "cannot go");
    EXPECT_TRUE(QFile::exists(s.env.station_file("rpt00.sys")));

    EXPECT_FALSE(s.win.cmdexport->isHidden() || s.win.cmdexport->isVisible());
    s.win.frareport->show();
    EXPECT_TRUE(s.win.cmdexport->isVisible() && !s.win.cmdimport->isVisible());

    // Running from the suite's own folder moves nothing.
    Boot suite_folder;
    suite_folder.env.write_file(suite_folder.env.station_file("parv.exe"), "");
    suite_folder.env.write_file(suite_folder.env.station_file("tclk01a.rpt"), "stays");
    ASSERT_TRUE(suite_folder.start());
    EXPECT_TRUE(QFile::exists(suite_folder.env.station_file("tclk01a.rpt")));
}

// The clock, the holiday banner refreshed after midnight, the message line reread in every
// fifth minute, and the screen cleared on the third tick after a punch.
TEST(Tick, ShowsTheClockAndRefreshesBannerMessageLineAndScreen) {
    Boot s;
    s.env.write_file(s.env.data("holiday.dat"), "0101\r\n0525,1225\r\n");
    s.env.clock.set("2004-05-24 23:59:00");
    ASSERT_TRUE(s.start());
    QLabel* banner = s.win.lblholiday;
    s.tick_at("2004-05-25 00:00:00"); // the banner as start-up left it
    EXPECT_EQ(s.win.lbldate->text() + "|" + s.win.lbltime->text(), "Tue 05/25|00:00:00");
    EXPECT_EQ(banner->text(), "");
    s.tick_at("2004-05-25 00:00:01");
    EXPECT_EQ(banner->text(), "HOLIDAY HOURS TODAY");
    s.tick_at("2004-05-26 00:00:01");
    EXPECT_EQ(banner->text(), "");

    auto* line = s.win.lblmsg;
    s.env.write_file(s.env.data("punchwell.txt"), "Staff meeting at 3\r\nnot shown\r\n");
    s.tick_at("2004-05-26 08:05:30");
    EXPECT_EQ(line->text(), "Staff meeting at 3");
    s.env.write_file(s.env.data("punchwell.txt"), "Changed\r\n");
    s.tick_at("2004-05-26 08:06:00");
    EXPECT_EQ(line->text(), "Staff meeting at 3");
    s.tick_at("2004-05-26 08:05:59");
    EXPECT_EQ(line->text(), "Changed");
    QFile::remove(s.env.data("punchwell.txt"));
    s.tick_at("2004-05-26 08:10:00");
    EXPECT_EQ(line->text(), "");

    QSignalSpy cleared(&s.win, &Tclock::clearscreen_requested);
    s.env.st.run.clearcountdown = 1;
    for (int second = 1; second <= 7; ++second) {
        s.tick_at(QString("2004-05-26 08:07:0%1").arg(second));
        EXPECT_EQ(cleared.count(), second >= 6 ? 1 : 0) << second;
    }
    EXPECT_EQ(s.env.st.run.clearcountdown, 0);
}

// Only to a release that sorts after its own (a byte-order mark is no newer release), only in
// every eleventh minute, and not while a number is typed (0 is none).
TEST(Tick, UpdatesToANewerReleaseInItsMinutesWhileNobodyIdentifies) {
    auto updates = [](const char* release, const char* when, const char* typed = "") {
        Boot s;
        EXPECT_TRUE(s.start());
        const QByteArray published = QByteArray(release) + "\r\nnotes\r\n";
        s.env.write_file(s.env.data("tcfilelist.txt"), published);
        QTest::keyClicks(s.win.txtempid, typed);
        s.tick_at(QString("2004-05-24 ") + when);
        // Updating closes the station; anything else leaves it running.
        const bool updated = s.env.programs.started.contains("swupdate.exe");
        EXPECT_EQ(QList<bool>(
                      {s.win.isVisible(), s.win.Timer1->isActive(), QFile::exists(s.run_marker())}),
                  QList<bool>(3, !updated));
        EXPECT_TRUE(!updated || s.env.read_file(s.env.station_file("tcfilelist.txt")) == published);
        EXPECT_TRUE(s.env.dialogs.boxes.isEmpty());
        return updated;
    };
    const std::pair<const char*, bool> releases[] = {
        {"21.12.28b", true},        {"3.0", true}, {"21.12.28", false}, {"  21.12.28a  ", false},
        {"\uFEFF21.12.28a", false}, {"", false}};
    for (const auto& [release, newer] : releases)
        EXPECT_EQ(updates(release, "09:11:00"), newer) << release;
    for (const auto& [when, due] : {std::pair("09:55:59", true), std::pair("09:12:00", false)})
        EXPECT_EQ(updates("21.12.28b", when), due) << when;
    EXPECT_TRUE(updates("21.12.28b", "09:44:10", "0"));
    EXPECT_FALSE(updates("21.12.28b", "09:11:00", "12"));
}

} // namespace
} // namespace pw
