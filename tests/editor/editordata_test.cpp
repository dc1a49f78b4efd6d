#include "editor/editordata.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

PunchBoxes times(const QString& indate, const QString& in, const QString& outdate,
                 const QString& out) {
    PunchBoxes b;
    b[box::indate] = indate;
    b[box::adjtimein] = in;
    b[box::outdate] = outdate;
    b[box::adjtimeout] = out;
    return b;
}

TEST(CalcHours, WorkedExamplesAndStops) {
    const QString d = QStringLiteral("20040524");
    const QString next = QStringLiteral("20040525");
    const struct {
        PunchBoxes boxes;
        int limit;
        CalcOutcome outcome;
        QString hours;
    } cases[] = {
        // Shift limit 12.
        {times(d, "08:00:00", d, "16:30:00"), 12, CalcOutcome::Hours, "8.5"},
        {times(d, "08:45:00", d, "17:15:00"), 12, CalcOutcome::Hours, "8.5"}, // borrow
        {times(d, "22:00:00", next, "06:20:00"), 12, CalcOutcome::Hours, "8.33"},
        {times(d, "20:00:00", next, "08:00:00"), 12, CalcOutcome::Hours, "0"}, // limit reached
        {times(d, "06:00:00", d, "21:00:00"), 12, CalcOutcome::Hours, "15"},   // same day: no limit
        {times(d, "22:30:00", next, "06:59:00"), 12, CalcOutcome::Hours, "8.48"},
        {times(d, "22:00:00", "20040530", "06:00:00"), 12, CalcOutcome::Hours, "8"}, // one night
        // Shift limit 0: every overnight shift is zeroed.
        {times(d, "22:00:00", next, "06:20:00"), 0, CalcOutcome::Hours, "0"},
        {times(d, "08:00:00", d, "16:30:00"), 0, CalcOutcome::Hours, "8.5"},
        // Stops.
        {times("0", "08:00:00", d, "16:00:00"), 12, CalcOutcome::NoDates, ""},
        {times(d, "08:00:00", "", "16:00:00"), 12, CalcOutcome::NoDates, ""},
        {times(d, "00:30:00", d, "08:00:00"), 12, CalcOutcome::AskHoursOnly, ""},
        {times(d, "08:00:00", d, ""), 12, CalcOutcome::AskHoursOnly, ""},
        {times(d, "16:00:00", d, "08:00:00"), 12, CalcOutcome::OutBeforeIn, ""},
        {times(d, "08:30:00", d, "08:15:00"), 12, CalcOutcome::OutBeforeIn, ""},
        {times(next, "08:00:00", d, "16:00:00"), 12, CalcOutcome::OutDateEarlier, ".00"},
    };
    for (const auto& c : cases) {
        const CalcResult r = calc_hours(c.boxes, c.limit);
        const std::string what =
            (c.boxes[1] + " " + c.boxes[3] + " limit " + QString::number(c.limit)).toStdString();
        EXPECT_EQ(r.outcome, c.outcome) << what;
        EXPECT_EQ(r.hours_text, c.hours) << what;
    }
}

TEST(EditorTexts, TimeCompletionByLength) {
    const struct {
        const char* typed;
        const char* becomes;
    } cases[] = {
        {"08", "08:00:00"},
        {"830", "08:30:00"},
        {"0830", "08:30:00"},
        {"08:30", "08:30:00"},
        {"083015", "08:30:15"},
        {"8", "8"},
        {"", ""},
        {"08:30:0", "08:30:0"},
        {"08:30:00", "08:30:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(complete_punch_time(c.typed), c.becomes) << c.typed;

    EXPECT_TRUE(time_format_ok("08:30:00"));
    EXPECT_TRUE(time_format_ok("99:99:"));
    EXPECT_FALSE(time_format_ok(""));
    EXPECT_FALSE(time_format_ok("8:30:00"));

    EXPECT_EQ(complete_punch_date("0524", "2004"), "20040524");
    EXPECT_EQ(complete_punch_date("524", "2004"), "524");
    EXPECT_EQ(complete_punch_date("20040524", "2004"), "20040524");
}

TEST(EditorTexts, TotalAndJobItem) {
    EXPECT_EQ(format_total(0), ".00");
    EXPECT_EQ(format_total(7.5), "7.50");
    EXPECT_EQ(format_total(1234.567), "1234.57");
    EXPECT_EQ(job_item_description("12 - Bartender"), "Bartender");
    EXPECT_EQ(job_item_description("12 - Bar-back"), "Bar-back");
}

TEST(EditorTexts, SavedValuesAreTheBoxesNumbersAndApproval) {
    PunchBoxes b = times("20040524", "08:00:00", "20040524", "16:30:00");
    b[4] = "8.5";
    b[5] = "1x";
    b[10] = "$5";
    b[11] = "Late";
    const QVariantMap v = saved_values(b);
    EXPECT_EQ(v.value("tckadjtimein"), "08:00:00");
    EXPECT_EQ(v.value("tckadjtimeout"), "16:30:00");
    EXPECT_EQ(v.value("tckadjreghours").toDouble(), 8.5);
    EXPECT_EQ(v.value("tckothours").toDouble(), 1);
    EXPECT_EQ(v.value("tcktips").toDouble(), 0); // a dollar sign reads as 0
    EXPECT_EQ(v.value("tckadjreason"), "Late");
    EXPECT_EQ(v.value("tckstatus").toInt(), 4);
    EXPECT_FALSE(v.contains("tckindate")); // dates are never written by a save
}

} // namespace
} // namespace pw
