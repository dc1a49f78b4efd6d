#include "env.h"
#include "reports/punchreports.h"
#include "reports/reportlines.h"
#include "reports/workdb.h"
#include "screens/linelist.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace pw {
namespace {

TEST(ReportLines, NumberFormats) {
    const struct {
        double v;
        const char* blank_hash; // " #.#0"
        const char* blank_zero; // " 0.#0"
        const char* hash;       // "###.#0" and "#####.#0"
    } cases[] = {
        {0.5, " .50", " 0.50", ".50"},
        {0, " .00", " 0.00", ".00"},
        {8.333, " 8.33", " 8.33", "8.33"},
        {0.996, " 1.00", " 1.00", "1.00"},
        {12345.5, " 12345.50", " 12345.50", "12345.50"},
        // The sign goes in front of the blank; what rounds to zero has none.
        {-0.5, "- .50", "- 0.50", "-.50"},
        {-0.001, " .00", " 0.00", ".00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format_blank_hash(c.v), c.blank_hash) << c.v;
        EXPECT_EQ(format_blank_zero(c.v), c.blank_zero) << c.v;
        EXPECT_EQ(format_hash3(c.v), c.hash) << c.v;
        EXPECT_EQ(format_hash5(c.v), c.hash) << c.v;
    }
    // Counted in cents, the digits are still those of the number's true value: every
    // thousandth up to a thousand hours either way, the halves of a cent among them (1.115 is
    // held just below its half), and numbers too large for cents.
    std::vector<double> values = {1.115, 2.675, 1e13 + 0.5, 123456789012.345};
    for (int k = -1000000; k <= 1000000; ++k)
        values.push_back(k / 1000.0);
    for (const double v : values) {
        const QString exact = QString::number(std::fabs(v), 'f', 2);
        const QString sign = v < 0 && exact != "0.00" ? "-" : "";
        ASSERT_EQ(format_blank_zero(v), sign + " " + exact) << v;
    }
    EXPECT_EQ(number_text(20260701), "20260701");
    EXPECT_EQ(number_text(-12), "-12");
    EXPECT_EQ(number_text(12.5), "12.5");
    EXPECT_EQ(report_date(20261231), "12/31");
    EXPECT_EQ(report_date(0), "/0"); // not a date: the same characters as any other number
}

TEST(ReportLines, OwnReportDateBounds) {
    const struct {
        QDate today;
        DateBounds this_month, last_month, quarter;
    } cases[] = {
        // January: day 00 to day 31 of the December before.
        {{2004, 1, 20}, {20040101, 20040132}, {20031200, 20031231}, {20040101, 20040332}},
        {{2004, 4, 1}, {20040401, 20040432}, {20040300, 20040332}, {20040401, 20040632}},
        {{2004, 12, 31}, {20041201, 20041232}, {20041100, 20041132}, {20041001, 20041232}},
    };
    for (const auto& c : cases) {
        const std::string day = c.today.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(this_month_bounds(c.today), c.this_month) << day;
        EXPECT_EQ(last_month_bounds(c.today), c.last_month) << day;
        EXPECT_EQ(this_quarter_bounds(c.today), c.quarter) << day;
    }
}

TEST(WorkDb, FailuresShowTheirCodeElseMadeFreshFromTheTemplateOrKeptWithoutIt) {
    EXPECT_EQ(work_db_name(112), "rpt12.mdb"); // the last two digits of the node
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

    // On node 3 with the template. Start-up knows the file as RPT03.MDB: it must be the same
    // one, never a second.
    env.dialogs.clear();
    env.st.settings.nodenumber = 3;
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

} // namespace
} // namespace pw
