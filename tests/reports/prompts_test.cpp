#include "drive.h"
#include "installation.h"
#include "reports/prompts.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

using test::kCancel;

struct Prompts : ::testing::Test {
    test::TestEnv env; // the clock stands on 2004-05-24
    Station& st = env.st;
    void SetUp() override { env.load(); }
    void answer(const QStringList& answers) { test::answer(env.dialogs, answers); }
    QStringList defaults() const { return env.dialogs.of(&test::Box::default_text); }
};

TEST_F(Prompts, CancelOrBlanksAtAnyBoxEndTheWholePrompt) {
    const struct {
        const char* name;
        std::function<bool(Station&)> ask;
        QString good; // an answer each box of the prompt accepts
    } prompts[] = {
        {"dates", [](Station& s) { return ask_date_range(s, "T").has_value(); }, "20040501"},
        {"employees", ask_employee_range, "5"},
        {"jobs", ask_job_range, "5"},
        {"times", ask_time_range, "08:00:00"}};
    for (const auto& p : prompts)
        for (const QString& stop : {kCancel, QStringLiteral("   ")})
            for (int box = 0; box < 2; ++box) {
                answer(QStringList(box, p.good) << stop << p.good);
                EXPECT_FALSE(p.ask(st)) << p.name << " box " << box;
                EXPECT_EQ(env.dialogs.boxes.size(), box + 1) << p.name;
            }
}

TEST_F(Prompts, DatesAskUntilEightCharactersAndSwap) {
    answer({"524", "0524", "20040501"});
    const auto r = ask_date_range(st, "Range of Employees Report");
    ASSERT_TRUE(r);
    // 0524 -> 20040524, then swapped with 20040501
    EXPECT_EQ(std::tuple(r->from_text, r->to_text, r->from, r->to),
              std::tuple(QString("20040501"), QString("20040524"), 20040501, 20040524));
    EXPECT_EQ(env.dialogs.titles(), QStringList({"FROM Date - Range of Employees Report",
                                                 "FROM Date - Range of Employees Report",
                                                 "TO Date - Range of Employees Report"}));

    // Any 8 characters pass; dates are never offered again.
    answer({"ABCDEFGH", "20040531"});
    const auto odd = ask_date_range(st, "T");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->from_text, "20040531"); // digits sort before letters
    EXPECT_EQ(odd->to, 0);
    EXPECT_EQ(defaults(), QStringList({"", ""}));
}

TEST_F(Prompts, EmployeesAndJobsAskUntilAtLeastOneAndAreRemembered) {
    answer({"0", "-3", "12.5", "7"});
    ASSERT_TRUE(ask_employee_range(st));
    EXPECT_EQ(std::pair(st.ranges.from_employee, st.ranges.to_employee), std::pair(7.0, 12.5));
    EXPECT_EQ(env.dialogs.boxes[3].title, "FROM employee# - 12.5 TO employee# - ");
    EXPECT_EQ(defaults(), QStringList({"", "", "", ""}));

    answer({"7", kCancel});
    EXPECT_FALSE(ask_employee_range(st));
    EXPECT_EQ(defaults(), QStringList({"7", "12.5"}));

    answer({"2.5", "3.5"});
    ASSERT_TRUE(ask_job_range(st));
    EXPECT_EQ(std::pair(st.ranges.from_job, st.ranges.to_job), std::pair(2, 4));
    EXPECT_EQ(env.dialogs.last().title, "FROM job# - 2 TO job# - ");
    answer({"9", "0.4", "1"});
    ASSERT_TRUE(ask_job_range(st));
    EXPECT_EQ(defaults(), QStringList({"2", "4", "4"}));
    EXPECT_EQ(std::pair(st.ranges.from_job, st.ranges.to_job), std::pair(1, 9)); // swapped
}

TEST_F(Prompts, TimesAreCompletedByLengthDefaultedAndSwapped) {
    const struct {
        const char* in;
        const char* out; // nullptr: refused
    } cases[] = {{"08:00:", "08:00:00"},   {"08:00", "08:00:00"}, {"0800", "08:00:00"},
                 {"08:", "08:00:00"},      {"08", "08:00:00"},    {"8:00", "8::00:00"},
                 {"99:99:99", "99:99:99"}, {"8", nullptr},        {"08:00:0", nullptr},
                 {"08-00-00", nullptr},    {"080000", nullptr}};
    for (const auto& c : cases) {
        const auto t = complete_time(c.in);
        EXPECT_EQ(t.value_or("refused"), c.out ? c.out : "refused") << c.in;
    }
    answer({"8", "12", "0800"});
    ASSERT_TRUE(ask_time_range(st));
    EXPECT_EQ(st.ranges.from_time + " " + st.ranges.to_time, "08:00:00 12:00:00");
    EXPECT_EQ(defaults(), QStringList({"00:00:00", "00:00:00", "24:00:00"}));
    EXPECT_EQ(env.dialogs.last().title, "FROM Time - 12:00:00 TO Time - ");

    answer({"09", "06:30"});
    ASSERT_TRUE(ask_time_range(st));
    EXPECT_EQ(defaults(), QStringList({"08:00:00", "12:00:00"}));
    EXPECT_EQ(st.ranges.from_time + " " + st.ranges.to_time, "06:30:00 09:00:00");
}

TEST_F(Prompts, EmployeeCheck) {
    ASSERT_TRUE(suite::add_employee(env.db_access(), env.empdb(), 7, " ANN ", " LEE ", 1234));
    ASSERT_TRUE(suite::insert_rows(
        env.db_access(), env.empdb(), "empinfo",
        {{{"empid", 12}, {"emplname", "SMITH"}}, {{"empid", 13}, {"empfname", "JO"}}}));
    const struct {
        const char* text;
        const char* name;
    } cases[] = {{"7", "ANN LEE"}, {" 7 ", "ANN LEE"}, {"12", "12 SMITH"}, {"13", "JO"},
                 {"0", "0"},       {"ABC", "ABC"},     {"99", "REDO"},     {"-3", "REDO"}};
    for (const auto& c : cases) {
        env.dialogs.clear();
        EXPECT_EQ(check_employee_number(st, c.text), c.name) << c.text;
        EXPECT_EQ(env.dialogs.boxes.size(), QString(c.name) == kRedo ? 1 : 0) << c.text;
    }
    EXPECT_EQ(env.dialogs.last().title, "Employee # Check");
    EXPECT_EQ(env.dialogs.last().text, "Invalid employee number!");
    EXPECT_EQ(env.dialogs.last().icon, Icon::Critical);
}

} // namespace
} // namespace pw
