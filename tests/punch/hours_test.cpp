#include "env.h"
#include "punch/hours.h"
#include "punch/punchrecord.h"
#include "station/db.h"
#include "station/settings.h"

#include <gtest/gtest.h>
#include <tuple>

namespace pw {
namespace {

Moment at(int date, const char* time, std::optional<int> offset = std::nullopt) {
    return {date, time, offset};
}

TEST(Hours, RoundTimeStampsAndElapsedHours) {
    // Below 2: unchanged, seconds kept. Otherwise seconds become 00 and an exact half rounds
    // down. A unit that does not divide 60 restarts every hour: 56 is the last mark of 7.
    const std::tuple<int, const char*, const char*> rounds[] = {
        {0, "08:07:41", "08:07:41"},  {1, "08:07:41", "08:07:41"},  {-5, "08:07:41", "08:07:41"},
        {15, "08:07:59", "08:00:00"}, {15, "08:08:00", "08:15:00"}, {15, "23:53:00", "00:00:00"},
        {10, "08:05:00", "08:00:00"}, {7, "08:59:00", "08:56:00"},  {7, "09:04:00", "09:07:00"}};
    for (const auto& [unit, in, out] : rounds)
        EXPECT_EQ(round_time(in, unit), out) << "unit " << unit << " " << in;

    // Beyond the punches through the window: in never rounded into the next day (nor year); a
    // rounded midnight out is 00:00 for a punch begun at it or after.
    const std::tuple<bool, const char*, int, int, const char*> stamps[] = {
        {true, "2026-12-31 23:55:00", 0, 20261231, "23:59:00"},
        {false, "2026-12-06 23:57:00", 20261207, 20261207, "00:00:00"},
        {false, "2026-12-07 00:05:00", 20261207, 20261207, "00:00:00"}};
    for (const auto& [in, now, in_date, date, time] : stamps) {
        const QDateTime clock = QDateTime::fromString(now, "yyyy-MM-dd HH:mm:ss");
        const Stamp s = in ? rounded_in(clock, 15) : rounded_out(in_date, clock, 15);
        EXPECT_EQ(std::tuple(s.date, s.time), std::tuple(date, QString(time))) << now;
    }

    // in date, in, out date, out, shift limit, hours, limit struck. Same-day shifts are never
    // limited. Overnight the minutes may reach 118 and the limit compares the whole hours before
    // them (7 h + 105 min passes); a leap day counts. An out before the in counts nothing. Minutes
    // are exact to two decimals.
    const struct {
        const char* what;
        int in_date;
        const char* in;
        int out_date;
        const char* out;
        int limit;
        double hours;
        bool struck;
    } cases[] = {{"same day", 20040524, "08:40:00", 20040524, "16:20:00", 0, 7.67, false},
                 {"same day, no limit", 20040524, "06:00:00", 20040524, "21:00:00", 12, 15, false},
                 {"118 minutes", 20040523, "23:01:00", 20040524, "00:59:00", 0, 1.97, false},
                 {"new year", 20041231, "22:00:00", 20050101, "06:00:00", 0, 8.00, false},
                 {"7 h + 105 min", 20040523, "22:10:00", 20040524, "06:55:00", 8, 8.75, false},
                 {"leap day", 20240228, "22:00:00", 20240301, "06:00:00", 0, 32, false},
                 {"out before in", 20040524, "22:00:00", 20040523, "06:00:00", 8, 0, false},
                 {"two minutes", 20040524, "08:00:00", 20040524, "08:02:00", 0, 0.03, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Elapsed e = elapsed_hours(c.in_date, c.in, c.out_date, c.out, c.limit);
        EXPECT_EQ(std::tuple(e.hours, e.limit_struck), std::tuple(c.hours, c.struck));
    }
    // Dates that name no day count one midnight when in order.
    EXPECT_EQ(days_between(20261340, 20261341), 1);
}

// Real time in the station's zone: the nights that change the clocks, the two passes of a
// repeated hour told apart by the offsets kept (seconds east of UTC), and the shifts that go
// to the manager whatever the limit.
TEST(Hours, RealTimeAndShiftsForTheManager) {
    constexpr int ET = -4 * 3600, ST = -5 * 3600, CEST = 2 * 3600, CET = 3600;
    const char *const NY = "America/New_York", *const BE = "Europe/Berlin", *const kHere = nullptr;
    const char *const kBack = "Out before in", *const kLong = "Open more than 24 hours";
    const struct {
        const char* what;
        const char* zone;
        Moment in, out;
        int limit = 0;
        double hours = 0;
        const char* review = "";
        bool struck = false;
    } cases[] = {
        // Whole nights are met by the punches through the window. The limit meets the real
        // hours: 9 of them reach a limit of 9.
        {"autumn night", NY, at(20261031, "22:00:00"), at(20261101, "06:00:00"), 9, 0, "", true},
        // Same-day spans over a change.
        {"autumn morning", NY, at(20261101, "00:30:00"), at(20261101, "04:00:00"), 0, 4.5},
        {"spring morning", NY, at(20260308, "00:30:00"), at(20260308, "04:00:00"), 0, 2.5},
        // The repeated hour, first pass to second; a rounded in time that never showed on the
        // clock (02:00 of a spring night, rounded up from 01:55 standard time).
        {"repeated hour", NY, at(20261101, "01:50:00", ET), at(20261101, "01:10:00", ST), 0, 0.33},
        {"missing hour", NY, at(20260308, "02:00:00", ST), at(20260308, "06:00:00", ET), 0, 3},
        // To the manager: out before in (the clock set back, a second pass before a first),
        // more than 24 hours; exactly 24 is a shift.
        {"back", BE, at(20261025, "02:10:00", CET), at(20261025, "02:50:00", CEST), 0, 0, kBack},
        {"day before", kHere, at(20261207, "22:00:00"), at(20261206, "23:00:00"), 8, 0, kBack},
        {"four days", kHere, at(20260301, "22:00:00"), at(20260305, "06:00:00"), 0, 0, kLong},
        {"limit 8", kHere, at(20260301, "22:00:00"), at(20260305, "06:00:00"), 8, 0, kLong, true},
        {"24 hours", kHere, at(20261207, "08:00:00"), at(20261208, "08:00:00"), 0, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const test::ZoneScope zone(c.zone);
        const ShiftPay pay = shift_pay(c.in, c.out, c.limit, 0, 0);
        EXPECT_EQ(std::tuple(pay.hours, pay.limit_struck, pay.review),
                  std::tuple(c.hours, c.struck, QString(c.review)));
    }

    // Hours so far on a clock inside the repeated hour, from the pass kept at punch in.
    const test::ZoneScope zone("America/New_York");
    test::TestEnv env;
    env.load();
    env.clock.set("2026-11-01 01:45:00-05:00");
    EXPECT_EQ(calctime(env.st, 20261101, "01:30:00", 0, 0, ET).hours, 1.25);
}

// The clock's readings in seconds, the zone asked once: the same answer as QDateTime's through
// both nights that change the clocks (Lord Howe's by half an hour), every minute, and no answer
// where QDateTime's reading is not valid.
TEST(Hours, LocalSecondsAsQDateTime) {
    for (const auto& [zone, spring, autumn] :
         {std::tuple{"America/New_York", QDate(2026, 3, 8), QDate(2026, 11, 1)},
          {"Europe/Berlin", QDate(2026, 3, 29), QDate(2026, 10, 25)},
          {"Australia/Lord_Howe", QDate(2026, 10, 4), QDate(2026, 4, 5)}}) {
        const test::ZoneScope here(zone);
        int skipped = 0;
        for (const QDate& day : {spring, autumn})
            for (int m = 0; m < 24 * 60; ++m) {
                const QTime time(m / 60, m % 60, 30);
                const QDateTime q(day, time);
                const std::optional<qint64> s = local_seconds(day, time);
                ASSERT_EQ(s.has_value(), q.isValid()) << zone << " " << m;
                if (s) {
                    ASSERT_EQ(*s, q.toSecsSinceEpoch()) << zone << " " << m;
                }
                skipped += s ? 0 : 1;
            }
        EXPECT_EQ(skipped, std::string(zone) == "Australia/Lord_Howe" ? 30 : 60) << zone;
    }
    EXPECT_FALSE(local_seconds(QDate(), QTime(8, 0)));
    EXPECT_FALSE(local_seconds(QDate(2026, 12, 8), QTime()));
}

TEST(Hours, BreakReductionNeverBelowZeroAndWeeklySplit) {
    // hours, struck, break time, reduction; hours after the break.
    const std::tuple<double, bool, double, double, double> cases[] = {
        {6.00, false, 6, 0.5, 5.50}, {5.99, false, 6, 0.5, 5.99}, {8.33, false, 6, 0.5, 7.83},
        {0.3, false, 0, 0.5, 0},     {0, false, 0, 0.5, 0},       {0, true, 0, 0.5, 0}};
    for (const auto& [hours, struck, breaktime, cut, after] : cases)
        EXPECT_EQ(after_break({hours, struck}, breaktime, cut), after) << hours << " " << struck;
    EXPECT_EQ(std::tuple(hours2(8.329999923706055), hours2(0.285)), std::tuple(8.33, 0.29));
    // W, H, holiday, split enabled; and the row's reg, adjreg, ot and holiday hours, the
    // overtime row's hours and H after the split. A full week on a holiday; sums with float
    // noise split in exact hundredths (the rest is met by the punches at the edges).
    using Split = std::tuple<double, double, double, double, double, double>;
    const struct {
        const char* what;
        double W, H;
        bool holiday, enabled;
        Split want;
    } splits[] = {
        {"holiday week", 40, 8, true, true, {0, 0, 0, 8, 0, 8}},
        {"over 40", 36.67, 8.33, false, true, {8.33, 3.33, 0, 0, 5, 3.33}},
        {"noise below", 31.670000000000002, 8.33, false, true, {8.33, 8.33, 0, 0, 0, 8.33}},
        {"noise at 40", 39.99999999, 8, false, true, {0, 0, 8, 0, 0, 8}}};
    for (const auto& c : splits) {
        SCOPED_TRACE(c.what);
        const WeeklySplit s = weekly_split(c.W, c.H, c.holiday, c.enabled);
        EXPECT_EQ(Split(s.reghours, s.adjreghours, s.othours, s.holidayhours, s.overtime, s.hours),
                  c.want);
    }
}

TEST(Hours, CalctimeAndHolidays) {
    // now, in date, in, out-rounding, shift limit, break time and reduction; hours so far,
    // over the limit. Rounded and reduced; a midnight closing the day; a punch begun at the
    // coming midnight has run nothing yet.
    const struct {
        const char* what;
        const char* now;
        int in_date;
        const char* in;
        int rounding, limit;
        double breaktime, cut, hours;
        bool over;
    } cases[] = {
        {"reduced", "2004-05-24 16:20:10", 20040524, "08:00:00", 15, 8, 6, 0.5, 7.75, false},
        {"midnight", "2004-05-24 23:55:00", 20040523, "22:00:00", 15, 0, 0, 0, 26.00, false},
        {"not begun", "2004-05-24 23:57:00", 20040525, "00:00:00", 15, 0, 0, 0.5, 0, false}};
    test::TestEnv env;
    env.load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        env.clock.set(c.now);
        env.st.settings.outrounding = c.rounding;
        env.st.settings.shiftlimit = c.limit;
        const HoursSoFar h = calctime(env.st, c.in_date, c.in, c.breaktime, c.cut);
        EXPECT_EQ(std::tuple(h.hours, h.over_limit), std::tuple(c.hours, c.over));
    }
    EXPECT_EQ(env.st.today, 20040524);
    EXPECT_EQ(clock_text(QTime(7, 5, 9)), "07:05:09");
    EXPECT_EQ(clock_time(u"23:59:59"), QTime(23, 59, 59));
    for (const char16_t* bad : {u"24:00:00", u"07:60:00", u"7:05:09", u"07:05", u"07-05-09",
                                u"07:0x:09", u"\u0661\u0662:00:00"})
        EXPECT_FALSE(clock_time(bad).isValid()) << QString::fromUtf16(bad).toStdString();

    // holiday.dat as it stands when asked, by month and day.
    EXPECT_FALSE(holiday_on(env.st, 20261225));
    env.write_file(env.data("holiday.dat"), "0101\r\n0704,1225\r\n");
    EXPECT_TRUE(holiday_on(env.st, 20261225));
}

const PunchQuery kOpenRow{"tckempid = ? and tckjobcode = ? and tckstatus = 1", {5, 10}};

struct PunchRecord : ::testing::Test {
    test::TestEnv env;
    PunchBuffer buf;
    void SetUp() override { env.load(); } // the station's DATABASE= line

    // The punch database as the station names it: ".MDB" added in any letter case.
    RowResult read(const PunchQuery& q = kOpenRow, const QString& name = "PUNCHCLK") {
        Db db(punch_db_file(env.st, env.data(name)), DbMode::ReadOnly, env.db_access());
        return read_punch_row(db, q, buf);
    }
    RowResult write(const PunchQuery& q = kOpenRow) {
        Db db(env.punchdb(), DbMode::ReadWrite, env.db_access());
        return write_punch_row(db, q, buf);
    }
};

// Every column gets a value of its own, so a table whose column order differs from the
// definition's shows as a value out of place when read by position ("select *", as the
// report copies and the suite read it) or by the station. Numbers are stored whole, hours to
// two decimals and the pay rate (column 4) to four.
TEST_F(PunchRecord, ANewRowIsStoredAndReadColumnByColumn) {
    set_busy(buf);
    buf[col::tckreghours] = "lots"; // text in a number column is a type mismatch
    EXPECT_EQ(test::code_of([&] { write(); }), 13);
    for (int i = 0; i < col::count; ++i)
        buf[i] = kPunchColumns[i].type == FieldType::Text ? QVariant(QString::number(i))
                                                          : QVariant(i + 0.00449);
    ASSERT_EQ(write(), RowResult::Done);
    ASSERT_EQ(read({"tckempid = ?", {1}}), RowResult::Done);
    Db db(env.punchdb(), DbMode::ReadOnly, env.db_access());
    QSqlQuery stored = db.run("select * from punch");
    ASSERT_TRUE(fetch(stored));
    for (int i = 0; i < col::count; ++i)
        EXPECT_EQ(QStringList({stored.value(i).toString(), buf[i].toString()}),
                  QStringList(2, i == col::tckpayrate ? "4.0045" : QString::number(i)))
            << i;
}

// The first match is read and updated, and only that row: the next open row of the same
// employee and job keeps its values. (Null values written back, and a row closed meanwhile
// at another station, are met by the punches through the window.)
TEST_F(PunchRecord, OnlyTheRowRead) {
    ASSERT_TRUE(env.exec(env.punchdb(),
                         "insert into punch (tckempid, tckjobcode, tckstatus, "
                         "tcktimein, tckjobdescription) values "
                         "(5, 10, 1, '08:00:00', ''), (5, 10, 1, '09:00:00', null)"));
    for (const char* name : {"punchclk", "PunchClk.mdb"})
        EXPECT_EQ(read(kOpenRow, name), RowResult::Done) << name;
    ASSERT_EQ(read(), RowResult::Done);
    EXPECT_EQ(buf.text(col::tcktimein), "08:00:00");
    buf[col::tckstatus] = kClosed;
    ASSERT_EQ(write(), RowResult::Done);
    const auto r = env.punches();
    EXPECT_EQ(std::pair(r[0]["tckstatus"], r[1]["tckstatus"]),
              std::pair(QVariant(kClosed), QVariant(kOpen)));
    EXPECT_TRUE(r[0]["tckjobdescription"] == "" && r[1]["tckjobdescription"].isNull());
}

} // namespace
} // namespace pw
