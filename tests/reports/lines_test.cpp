#include "reports/punchreports.h"
#include "reports/reportlines.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(ReportLines, NumberFormats) {
    const struct {
        double v;
        const char* blank_hash; // " #.#0"
        const char* blank_zero; // " 0.#0"
        const char* hash;       // "###.#0" and "#####.#0"
    } cases[] = {
        {8.5, " 8.50", " 8.50", "8.50"},
        {0.5, " .50", " 0.50", ".50"},
        {0, " .00", " 0.00", ".00"},
        {40.25, " 40.25", " 40.25", "40.25"},
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
}

TEST(ReportLines, OwnReportDateBounds) {
    const struct {
        QDate today;
        DateBounds this_month, last_month, quarter;
    } cases[] = {
        // January: day 00 to day 31 of the December before.
        {{2004, 1, 20}, {20040101, 20040132}, {20031200, 20031231}, {20040101, 20040332}},
        {{2004, 3, 15}, {20040301, 20040332}, {20040200, 20040232}, {20040101, 20040332}},
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

} // namespace
} // namespace pw
