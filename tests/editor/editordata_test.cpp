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
        {times(d, "22:00:00", "20040530", "06:00:00"), 12, CalcOutcome::Hours, "0"}, // six nights
        {times(d, "22:00:00", "20040526", "06:00:00"), 99, CalcOutcome::Hours, "32"},
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
    } cases[] = {{"08", "08:00:00"},
                 {"830", "08:30:00"},
                 {"0830", "08:30:00"},
                 {"08:30", "08:30:00"},
                 {"083015", "08:30:15"},
                 {"8", "8"},
                 {"", ""},
                 {"08:30:0", "08:30:0"},
                 {"08:30:00", "08:30:00"}};
    for (const auto& c : cases)
        EXPECT_EQ(complete_punch_time(c.typed), c.becomes) << c.typed;

    EXPECT_TRUE(time_format_ok("99:99:")); // only the colons count
    EXPECT_FALSE(time_format_ok("8:30:00"));
    EXPECT_EQ(job_item_description("12 - Bar-back"), "Bar-back");
}

} // namespace
} // namespace pw
