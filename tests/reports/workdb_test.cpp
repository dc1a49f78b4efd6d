#include "env.h"
#include "reports/punchreports.h"
#include "station/linelist.h"
#include "reports/workdb.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(WorkDb, MadeFreshFromTheTemplateOrKeptWithoutIt) {
    EXPECT_EQ(work_db_name(3), "rpt03.mdb");
    EXPECT_EQ(work_db_name(112), "rpt12.mdb"); // the last two digits of the node
    test::TestEnv env;
    env.st.settings.nodenumber = 3;
    // Start-up knows the file as RPT03.MDB: it must be the same one, never a second.
    const QString upper = env.station_file("RPT03.MDB");
    ASSERT_TRUE(QFile::copy(env.station_file("rpt00.sys"), upper));
    ASSERT_TRUE(env.exec(upper, "insert into punch (tckempid) values (7)"));

    const auto path = make_report_database(env.st);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, work_db_path(env.st));
    EXPECT_EQ(QDir(env.inst.station).entryList({"rpt03.mdb"}, QDir::Files).size(), 1);
    EXPECT_EQ(env.scalar(*path, "select count(*) from punch").toInt(), 0);
    EXPECT_EQ(env.scalar(*path, "select count(*) from headings").toInt(), 1);

    // Without rpt00.sys the old rows stay (and later reports add to them).
    ASSERT_TRUE(env.exec(*path, "insert into punch (tckempid) values (8)"));
    ASSERT_TRUE(QFile::remove(env.station_file("rpt00.sys")));
    ASSERT_EQ(make_report_database(env.st), path);
    EXPECT_EQ(env.scalar(*path, "select count(*) from punch").toInt(), 1);
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
}

TEST(WorkDb, FailuresShowTheirCode) {
    test::TestEnv env;
    env.load();
    // A folder in the file's place cannot be deleted as a file.
    ASSERT_TRUE(QDir().mkpath(env.station_file("rpt00.mdb")));
    EXPECT_FALSE(make_report_database(env.st));
    ASSERT_EQ(env.dialogs.boxes.size(), 1);
    EXPECT_EQ(env.dialogs.last().title, "Parvela Codes");

    // No work database at all: the report ends with code 53.
    ASSERT_TRUE(QDir().rmdir(env.station_file("rpt00.mdb")));
    ASSERT_TRUE(env.add_punch({{"tckindate", 20040524}, {"tckstatus", 1}}));
    LineList list;
    EXPECT_EQ(manager_report(env.st, list, kWhosPunchedIn), false);
    EXPECT_TRUE(env.dialogs.last().text.startsWith("Code 53 - "));
}

} // namespace
} // namespace pw
