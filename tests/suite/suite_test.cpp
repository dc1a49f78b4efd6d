#include "copyto.h"
#include "demo.h"
#include "env.h"
#include "installation.h"
#include "station/settings.h"

#include <QFileInfo>
#include <QSet>
#include <QSqlRecord>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace pw {
namespace {

// A Wednesday whose three weeks of punches run over Christmas and New Year.
const QDate kToday(2024, 1, 10);

int count(const test::TestEnv& env, const QString& db, const QString& sql) {
    return env.scalar(db, sql).toInt();
}

bool has_line(const QStringList& report, const QString& start, const QString& path) {
    return std::any_of(report.begin(), report.end(),
                       [&](const QString& l) { return l.startsWith(start) && l.contains(path); });
}

TEST(Installation, HasEveryFileAndTheFixedPunchColumnsAndKeepsThemUnlessForced) {
    test::TestEnv env;
    const QStringList expected =
        QString("tckindate tckempid tckjobcode tckjobdescription tckpayrate tckbreaktime "
                "tckbreakreduction tcktimein tckoutdate tcktimeout tckreghours tckothours "
                "tckholidayothrs tckvachours tcksickhours tckholidayhours tcktips tckadjreason "
                "tckexport tcknode tckdept tckpayperiod tckadjtimein tckadjtimeout "
                "tckadjreghours tckposted tckpostdate tckcomment tckstatus")
            .split(' ');
    const QList<QPair<QString, QString>> tables = {
        {env.punchdb(), "punch"}, {env.punchdb(), "history"}, {env.data("rpt00.sys"), "punch"}};
    for (const auto& [db, table] : tables) {
        QStringList columns;
        Db d(db, DbMode::ReadWrite, env.db_access());
        const QSqlRecord rec = d.run("select * from " + table + " limit 0").record();
        for (int i = 0; i < rec.count(); ++i)
            columns << rec.fieldName(i);
        EXPECT_EQ(columns, expected) << table.toStdString() << " in " << db.toStdString();
    }

    // Each index's columns, from its definition as the engine keeps it.
    QSet<QString> indexes;
    for (const auto& index :
         env.rows(env.punchdb(),
                  env.server.isEmpty()
                      ? "select sql from sqlite_master where tbl_name = 'punch' and type = 'index'"
                      : "select indexdef as sql from pg_indexes where schemaname = "
                        "current_schema() and tablename = 'punch'"))
        indexes << index["sql"].toString().section('(', 1).section(')', 0, 0).remove(' ');
    QSet<QString> want{"tckempid,tckstatus", "tckempid,tckindate", "tckindate", "tckstatus"};
    if (!env.server.isEmpty())
        want << "rowid"; // SQLite's rowid is its tables' key; a server's is indexed to match
    EXPECT_EQ(indexes, want);

    // Files read below, and the databases other tests open, need no check of their own.
    for (const char* name : {"HBPOSTMP.MDB", "punchwell.txt", "holiday.dat"})
        EXPECT_TRUE(database_exists(env.data(name), env.db_access())) << name;
    for (const QString& program :
         {env.data("parv.exe"), env.station_file("syncnwk.exe"), env.station_file("swupdate.exe"),
          env.station_file("qwcedit.exe")})
        EXPECT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();

    // The station's own release: no self-update.
    EXPECT_EQ(env.read_file(env.data("tcfilelist.txt")), "21.12.28a\r\n");
    for (const char* name : {"tclock0.txt", "tclock1.txt", "tchelp2.txt", "parvnode.ini"}) {
        const QByteArray text = env.read_file(env.station_file(name));
        EXPECT_GT(text.count("\r\n"), 2) << name;
        EXPECT_EQ(text.count('\n'), text.count("\r\n")) << name << ": a bare LF";
    }

    // A new punch leaves tckexport null: export counts from there. A second run keeps the
    // club's data unless forced.
    const QString root = env.tmp.path();
    ASSERT_TRUE(env.add_punch({{"tckempid", 7}, {"tckstatus", 1}}));
    EXPECT_TRUE(env.scalar(env.punchdb(), "select tckexport from punch").isNull());
    env.write_file(env.data("punchwell.txt"), "Staff meeting at 4\r\n");
    // The station folder's programs are links to the installed ones: an earlier release's copy
    // becomes one again, the station's own program stays unless forced.
    for (const char* name : {"syncnwk.exe", "swupdate.exe"})
        ASSERT_TRUE(QFile::remove(env.station_file(name)));
    env.write_file(env.station_file("syncnwk.exe"), "our own");
    env.write_file(env.station_file("swupdate.exe"), "#!/bin/sh\n# Parvela stand-in: old\n");

    QStringList report;
    suite::Options keep;
    keep.database = env.server;
    suite::create_installation(root, keep, &report);
    EXPECT_EQ(count(env, env.punchdb(), "select count(*) from punch"), 1);
    // A server's databases are named as its schemas.
    const QString punch_name = env.server.isEmpty() ? env.punchdb() : "schema punchclk on database";
    EXPECT_TRUE(has_line(report, "kept", punch_name)) << report.join('\n').toStdString();
    EXPECT_EQ(env.read_file(env.data("punchwell.txt")), "Staff meeting at 4\r\n");
    EXPECT_EQ(env.read_file(env.station_file("syncnwk.exe")), "our own");
    EXPECT_TRUE(QFileInfo(env.station_file("swupdate.exe")).isSymLink());

    suite::Options force = keep;
    force.force = true;
    report.clear();
    suite::create_installation(root, force, &report);
    EXPECT_EQ(count(env, env.punchdb(), "select count(*) from punch"), 0);
    EXPECT_TRUE(has_line(report, "replaced", punch_name));
    EXPECT_EQ(env.read_file(env.data("punchwell.txt")), "");
    EXPECT_TRUE(QFileInfo(env.station_file("syncnwk.exe")).isSymLink());

    // Without the templates and help texts parvsetup fails before it makes anything.
    force.share = root + "/gone";
    report.clear();
    const suite::Installation failed = suite::create_installation(root, force, &report);
    EXPECT_TRUE(report.isEmpty());
    EXPECT_EQ(failed.failure, "could not find the report templates and help texts: no "
                              "templates/ and help/ in " +
                                  force.share);
}

TEST(Demo, StaffPayRulesAndPunchesClosedConsistentlyWithOneStillOpen) {
    test::TestEnv env(test::demo_club(kToday));
    env.load();
    const Settings& s = env.st.settings;
    EXPECT_EQ(std::make_tuple(s.suitemissing, s.inrounding, s.outrounding, s.shiftlimit,
                              s.wwstartday, holiday_keys(env.st).value_or(QStringList()).size()),
              std::make_tuple(0, 15, 15, 12, 1, 3));

    int managers = 0;
    for (const suite::DemoLogin& login : suite::demo_logins()) {
        const auto rows = env.rows(
            env.empdb(),
            QString("select pword, empstatus from empinfo where empid = %1").arg(login.empid));
        ASSERT_EQ(rows.size(), 1) << login.empid;
        EXPECT_EQ(rows[0]["pword"].toLongLong(), login.password);
        EXPECT_EQ(rows[0]["empstatus"].toString() == "1", login.role != "inactive");
        managers += login.role == "manager";
        EXPECT_EQ(login.password >= 20000, login.role == "manager") << login.empid;
    }
    EXPECT_GE(managers, 1);
    EXPECT_EQ(count(env, env.empdb(), "select count(*) from empinfo where empstatus <> '1'"), 1);

    QSet<int> jobs_per_employee;
    for (const auto& row : env.rows(env.empdb(), "select count(*) as n from empjobs join jobs "
                                                 "on empjobs.jobcode = jobs.jobcode "
                                                 "group by empid"))
        jobs_per_employee << row["n"].toInt();
    EXPECT_TRUE(jobs_per_employee.contains(1) && jobs_per_employee.contains(2) &&
                jobs_per_employee.contains(3));
    EXPECT_EQ(count(env, env.empdb(),
                    "select count(*) from jobs where breaktime = 6 and breakreduction = 0.5"),
              3);
    EXPECT_GT(count(env, env.data("HBPOSTMP.MDB"), "select count(*) from xact where ord = 0"), 0);

    // One punch still open (today's), the others closed consistently.
    const int today = kToday.toString("yyyyMMdd").toInt();
    const auto open = env.rows(env.punchdb(), "select * from punch where tckstatus = 1");
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0]["tckindate"].toInt(), today);
    EXPECT_EQ(count(env, env.punchdb(), "select count(*) from punch where tckstatus = 3"), 1);
    EXPECT_GT(count(env, env.punchdb(),
                    "select count(*) from punch where tckstatus = 4 and "
                    "tckadjreason = 'MGR APPROVED'"),
              0);
    // The club is closed on its holidays.
    EXPECT_EQ(count(env, env.punchdb(),
                    "select count(*) from punch where tckindate in (20231225, 20240101)"),
              0);

    const auto closed = env.punches("tckstatus in (2, 4)");
    ASSERT_GT(closed.size(), 40);
    QMap<QPair<int, qint64>, double> weeks;
    for (const auto& p : closed) {
        const QDate in_day = QDate::fromString(p["tckindate"].toString(), "yyyyMMdd");
        const QDate out_day = QDate::fromString(p["tckoutdate"].toString(), "yyyyMMdd");
        const QTime in = QTime::fromString(p["tckadjtimein"].toString(), "HH:mm:ss");
        const QTime out = QTime::fromString(p["tckadjtimeout"].toString(), "HH:mm:ss");
        ASSERT_TRUE(in.isValid() && out.isValid() && in_day.isValid() && out_day.isValid());
        EXPECT_LT(p["tckindate"].toInt(), today);
        EXPECT_EQ(in.minute() % 15 + in.second() + out.minute() % 15 + out.second(), 0);
        const double minutes = QDateTime(in_day, in).secsTo(QDateTime(out_day, out)) / 60.0;
        double hours = std::round(minutes / 60 * 100) / 100;
        if (hours >= p["tckbreaktime"].toDouble())
            hours -= p["tckbreakreduction"].toDouble();
        EXPECT_NEAR(p["tckadjreghours"].toDouble(), hours, 0.001)
            << p["tckempid"].toInt() << " on " << p["tckindate"].toInt();
        weeks[{p["tckempid"].toInt(), in_day.toJulianDay() - in_day.dayOfWeek() % 7}] += hours;
    }
    // No week goes over 40 hours, so no punch would have needed an overtime row.
    for (double week : weeks)
        EXPECT_LE(week, 40.0);

    // The same day gives the same punches, and a kept database does not get them twice.
    const auto all = env.punches();
    test::TestEnv again(test::demo_club(kToday));
    EXPECT_EQ(again.punches(), all);
    suite::create_installation(env.tmp.path(), test::demo_club(kToday, env.server));
    EXPECT_EQ(env.punches(), all);
    EXPECT_EQ(count(env, env.empdb(), "select count(*) from empinfo"), suite::demo_logins().size());
}

// A club's SQLite data folder moves to an empty server database whole, or not at all.
TEST(CopyTo, GivesTheSameRowsOrLeavesTheServerEmpty) {
    test::TestEnv env; // its server database is the target
    if (env.server.isEmpty())
        GTEST_SKIP() << "needs a server (tools/pgtest.sh)";
    QTemporaryDir tmp;
    const suite::Installation club =
        suite::create_installation(tmp.path(), test::demo_club(kToday));
    const QString punch = club.data + "PUNCHCLK.MDB", pos = club.data + "HBPOSTMP.MDB";
    ASSERT_TRUE(suite::exec_sql({}, punch, "insert into history select * from punch limit 5"));
    QStringList report;
    EXPECT_FALSE(suite::copy_to_server(tmp.path(), env.server, &report)); // schemas are there
    EXPECT_TRUE(has_line(report, "could not copy the data folder: the server already holds", ""));
    server_exec(env.server, "drop schema config, emp, punchclk, hbpostmp cascade");

    const struct {
        QString db, fault, undo, why;
    } faults[] = {
        {punch, "insert into history (tckindate) values ('soon')",
         "delete from history where tckindate = 'soon'", "could not copy PUNCHCLK.MDB: 13"},
        {pos, "alter table xact rename to gone", "alter table gone rename to xact",
         "could not copy HBPOSTMP.MDB: 3024"},
    };
    for (const auto& f : faults) {
        ASSERT_TRUE(suite::exec_sql({}, f.db, f.fault));
        report.clear();
        EXPECT_FALSE(suite::copy_to_server(tmp.path(), env.server, &report)) << f.why.toStdString();
        EXPECT_TRUE(has_line(report, f.why, "")) << report.join('\n').toStdString();
        for (const char* db : {"CONFIG.MDB", "EMP.MDB", "PUNCHCLK.MDB", "HBPOSTMP.MDB"})
            EXPECT_FALSE(database_exists(env.data(db), env.db_access()))
                << f.why.toStdString() << db;
        ASSERT_TRUE(suite::exec_sql({}, f.db, f.undo));
    }

    // A station's own tables go with the punches; a folder made before a station added one
    // (punchsent here) copies without it.
    ASSERT_TRUE(suite::exec_sql(
        {}, punch, "insert into punchzone values (9, 20261101, '01:10:00', 10, 1, -18000, null)"));
    ASSERT_TRUE(suite::exec_sql({}, punch, "drop table punchsent"));
    ASSERT_TRUE(suite::copy_to_server(tmp.path(), env.server, &report));
    EXPECT_EQ(count(env, env.punchdb(), "select count(*) from punchsent"), 0);
    const std::pair<const char*, const char*> tables[] = {
        {"PUNCHCLK.MDB", "punch"}, {"PUNCHCLK.MDB", "history"}, {"PUNCHCLK.MDB", "punchzone"},
        {"EMP.MDB", "empinfo"},    {"EMP.MDB", "empjobs"},      {"EMP.MDB", "jobs"},
        {"CONFIG.MDB", "pr"},      {"HBPOSTMP.MDB", "xact"}};
    for (const auto& [db, table] : tables) {
        const QString sql = QString("select * from ") + table;
        const auto copied = env.rows(env.data(db), sql);
        EXPECT_FALSE(copied.isEmpty()) << table;
        EXPECT_EQ(copied, env.rows(club.data + db, sql)) << table;
    }
}

} // namespace
} // namespace pw
