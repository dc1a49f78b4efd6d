#include "env.h"
#include "punch/hours.h"
#include "station/db.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(Hours, RoundTime) {
    struct Case {
        int unit;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        // Below 2: unchanged, seconds kept.
        {0, "08:07:41", "08:07:41"},
        {1, "08:07:41", "08:07:41"},
        {-5, "08:07:41", "08:07:41"},
        // Seconds are ignored and become 00.
        {15, "08:07:59", "08:00:00"},
        {15, "08:08:00", "08:15:00"},
        {15, "08:53:00", "09:00:00"},
        {15, "23:53:00", "00:00:00"},
        {15, "08:45:30", "08:45:00"},
        // An exact half rounds down.
        {10, "08:05:00", "08:00:00"},
        {10, "08:06:00", "08:10:00"},
        {10, "08:56:00", "09:00:00"},
        {6, "08:03:00", "08:00:00"},
        {6, "08:58:00", "09:00:00"},
        // A unit that does not divide 60 restarts every hour: 56 is its last mark.
        {7, "08:59:00", "08:56:00"},
        {7, "08:53:00", "08:56:00"},
        {7, "09:03:00", "09:00:00"},
        {7, "09:04:00", "09:07:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(round_time(c.in, c.unit), c.out) << "unit " << c.unit << " " << c.in;
}

TEST(Hours, RoundInAndOutUseTheirOwnUnit) {
    test::TestEnv env;
    env.st.settings.inrounding = 15;
    env.st.settings.outrounding = 10;
    EXPECT_EQ(round_in_time(env.st, "07:52:30"), "07:45:00");
    EXPECT_EQ(round_out_time(env.st, "07:52:30"), "07:50:00");
}

TEST(Hours, ElapsedHours) {
    struct Case {
        int in_date;
        const char* in;
        int out_date;
        const char* out;
        int limit;
        double hours;
        bool struck;
    };
    const Case cases[] = {
        // Same day, "24:00:00" as hour 24; never limited.
        {20040524, "08:00:00", 20040524, "16:20:00", 0, 8.33, false},
        {20040524, "08:40:00", 20040524, "16:20:00", 0, 7.67, false},
        {20040524, "16:20:00", 20040524, "24:00:00", 0, 7.67, false},
        {20040524, "06:00:00", 20040524, "21:00:00", 12, 15.00, false},
        // Overnight: in minute 0 takes the min = 60 step; minutes may reach 118.
        {20040523, "22:00:00", 20040524, "06:00:00", 0, 8.00, false},
        {20040523, "23:01:00", 20040524, "00:59:00", 0, 1.97, false},
        {20041231, "22:00:00", 20050101, "06:00:00", 0, 8.00, false},
        // Only one midnight is counted.
        {20040520, "22:00:00", 20040524, "06:00:00", 0, 8.00, false},
        // The limit compares whole hours before the minutes: 7 h + 105 min passes.
        {20040523, "22:00:00", 20040524, "06:00:00", 8, 0, true},
        {20040523, "22:00:00", 20040524, "05:59:00", 8, 7.98, false},
        {20040523, "22:10:00", 20040524, "06:55:00", 8, 8.75, false},
        {20040523, "22:00:00", 20040524, "06:00:00", 0, 8.00, false},
        // Out before in: nothing counted.
        {20040524, "22:00:00", 20040523, "06:00:00", 8, 0, false},
    };
    for (const auto& c : cases) {
        const Elapsed e = elapsed_hours(c.in_date, c.in, c.out_date, c.out, c.limit);
        EXPECT_EQ(e.hours, c.hours) << c.in << " " << c.out;
        EXPECT_EQ(e.limit_struck, c.struck) << c.in << " " << c.out;
    }
}

TEST(Hours, EveryMinuteIsExactToTwoDecimals) {
    for (int m = 0; m < 60; ++m) {
        const QString out = QStringLiteral("08:%1:00").arg(m, 2, 10, QLatin1Char('0'));
        const double hours = elapsed_hours(1, "08:00:00", 1, out, 0).hours;
        EXPECT_EQ(hours, QString::number(m / 60.0, 'f', 2).toDouble()) << m;
    }
}

TEST(Hours, BreakReductionAndTwoDecimals) {
    EXPECT_EQ(break_reduced(6.00, 6, 0.5), 5.50);
    EXPECT_EQ(break_reduced(5.99, 6, 0.5), 5.99);
    EXPECT_EQ(break_reduced(8.33, 6, 0.5), 7.83);
    // A break time of 0 deducts from every shift, a zeroed one included.
    EXPECT_EQ(break_reduced(0, 0, 0.5), -0.5);
    EXPECT_EQ(hours2(8.329999923706055), 8.33);
    EXPECT_EQ(hours2(0.285), 0.29);
    EXPECT_EQ(hours2(8.33 - 0.5), 7.83);
}

TEST(Hours, WeekBounds) {
    struct Case {
        QDate today;
        int start_day;
        int start;
        int end;
    };
    const Case cases[] = {
        {QDate(2004, 5, 24), 1, 20040523, 20040529}, // Monday, weeks from Sunday
        {QDate(2004, 5, 23), 1, 20040523, 20040529}, // the start day itself
        {QDate(2004, 5, 23), 2, 20040517, 20040523}, // Sunday, weeks from Monday: d = 7
        {QDate(2004, 6, 1), 1, 20040530, 20040605},  // across a month end
        {QDate(2004, 2, 29), 1, 20040229, 20040306}, // leap day
        {QDate(2004, 12, 31), 1, 20041226, 20050101},
        {QDate(2005, 1, 1), 7, 20050101, 20050107}, // Saturday, weeks from Saturday
        {QDate(2005, 1, 1), 1, 20041226, 20050101},
    };
    for (const auto& c : cases) {
        const WeekBounds w = week_bounds(c.today, c.start_day);
        EXPECT_EQ(w.start, c.start) << c.today.toString().toStdString() << " " << c.start_day;
        EXPECT_EQ(w.end, c.end) << c.today.toString().toStdString() << " " << c.start_day;
    }
}

TEST(Hours, WeeklySplit) {
    struct Case {
        double W, H;
        bool holiday, enabled;
        WeeklySplit want; // reg, adjreg, ot, holiday, overtime row, hours
    };
    const Case cases[] = {
        // Ordinary day: crossing, full week, under, exactly 40, disabled.
        {36, 8, false, true, {8, 4, 0, 0, 4, 4}},
        {40, 8, false, true, {0, 0, 8, 0, 0, 8}},
        {45, 8, false, true, {0, 0, 8, 0, 0, 8}},
        {30, 8, false, true, {8, 8, 0, 0, 0, 8}},
        {32, 8, false, true, {8, 8, 0, 0, 0, 8}},
        {36, 8, false, false, {8, 8, 0, 0, 0, 8}},
        // Holiday: the kept hours are holiday hours, adjusted regular stays 0.
        {36, 8, true, true, {8, 0, 0, 4, 4, 4}},
        {40, 8, true, true, {0, 0, 0, 8, 0, 8}},
        {30, 8, true, true, {8, 0, 0, 8, 0, 8}},
        {36, 8, true, false, {8, 0, 0, 8, 0, 8}},
        // Sums carry float noise; the split works in exact hundredths.
        {36.67, 8.33, false, true, {8.33, 3.33, 0, 0, 5, 3.33}},
        {31.670000000000002, 8.33, false, true, {8.33, 8.33, 0, 0, 0, 8.33}},
        {39.99999999, 8, false, true, {0, 0, 8, 0, 0, 8}},
    };
    for (const auto& c : cases) {
        const WeeklySplit s = weekly_split(c.W, c.H, c.holiday, c.enabled);
        const auto label = QStringLiteral("W %1 H %2 holiday %3 enabled %4")
                               .arg(c.W)
                               .arg(c.H)
                               .arg(c.holiday)
                               .arg(c.enabled)
                               .toStdString();
        EXPECT_EQ(s.reghours, c.want.reghours) << label;
        EXPECT_EQ(s.adjreghours, c.want.adjreghours) << label;
        EXPECT_EQ(s.othours, c.want.othours) << label;
        EXPECT_EQ(s.holidayhours, c.want.holidayhours) << label;
        EXPECT_EQ(s.overtime, c.want.overtime) << label;
        EXPECT_EQ(s.hours, c.want.hours) << label;
    }
}

TEST(Hours, WeekSumCountsTheEmployeesWeekOnly) {
    test::TestEnv env;
    auto punch = [&](int emp, int indate, double adj, int status) {
        ASSERT_TRUE(env.add_punch({{"tckempid", emp},
                                   {"tckindate", indate},
                                   {"tckadjreghours", adj},
                                   {"tckstatus", status}}));
    };
    punch(7, 20040523, 8, 2);   // first day
    punch(7, 20040529, 4.5, 4); // last day
    punch(7, 20040525, 2, 5);   // exported: every status counts
    punch(7, 20040526, 0, 1);   // open: nothing yet
    punch(7, 20040522, 10, 2);  // day before
    punch(7, 20040530, 10, 2);  // day after
    punch(8, 20040524, 10, 2);  // someone else
    Db db(env.punchdb());
    const WeekBounds week{20040523, 20040529};
    EXPECT_DOUBLE_EQ(week_sum(db, 7, week), 14.5);
    EXPECT_EQ(week_sum(db, 9, week), 0); // null sum
}

TEST(Hours, Calctime) {
    struct Case {
        const char* now;
        int in_date;
        const char* in;
        int rounding, limit;
        double breaktime, reduction;
        double hours;
        bool over;
    };
    const Case cases[] = {
        {"2004-05-24 16:20:10", 20040524, "08:00:00", 0, 0, 0, 0, 8.33, false},
        {"2004-05-24 16:20:10", 20040524, "08:00:00", 15, 8, 6, 0.5, 7.75, false},
        // From yesterday: within and past the shift limit.
        {"2004-05-24 05:50:00", 20040523, "22:00:00", 0, 8, 0, 0, 7.83, false},
        {"2004-05-24 16:20:10", 20040523, "22:00:00", 0, 8, 0, 0, 0, true},
        // A rounded midnight: to hour 24 of the in date.
        {"2004-05-24 23:55:00", 20040524, "16:00:00", 15, 8, 0, 0, 8.00, false},
        {"2004-05-25 00:05:00", 20040524, "22:00:00", 15, 8, 0, 0, 2.00, false},
        // ... but a punch from the day before is counted overnight and meets the limit,
        {"2004-05-24 23:55:00", 20040523, "22:00:00", 15, 12, 0, 0, 0, true},
        {"2004-05-24 23:55:00", 20040523, "22:00:00", 15, 0, 0, 0, 26.00, false},
        // and one begun just after that midnight is not 24 hours.
        {"2004-05-24 00:05:00", 20040524, "00:00:00", 15, 0, 0, 0, 0, false},
    };
    test::TestEnv env;
    for (const auto& c : cases) {
        env.clock.set(c.now);
        env.st.settings.outrounding = c.rounding;
        env.st.settings.shiftlimit = c.limit;
        const HoursSoFar h = calctime(env.st, c.in_date, c.in, c.breaktime, c.reduction);
        EXPECT_EQ(h.hours, c.hours) << c.now << " " << c.in_date << " " << c.in;
        EXPECT_EQ(h.over_limit, c.over) << c.now << " " << c.in_date << " " << c.in;
    }
}

TEST(Hours, CalctimeTakesTheOpenPunchAndSetsToday) {
    test::TestEnv env;
    env.clock.set("2004-05-24 16:20:10");
    env.st.settings.outrounding = 15;
    env.st.who.open_indate = 20040524;
    env.st.who.open_adjtimein = "08:00:00";
    env.st.who.open_breaktime = 6;
    env.st.who.open_breakreduction = 0.5;
    EXPECT_EQ(calctime(env.st).hours, 7.75);
    EXPECT_EQ(env.st.today, 20040524);
    EXPECT_EQ(env.st.todaytext, "05-24-2004");
}

} // namespace
} // namespace pw
