#include "env.h"
#include "installation.h"
#include "reports/punchreports.h"
#include "reports/workdb.h"

#include <QListWidget>
#include <gtest/gtest.h>

namespace pw {
namespace {

const QString kCut34(34, u'-');
const QString kCut35(35, u'-');

// A station with ANN LEE (7) and BOB KING (8), a fresh work database, and the clock on
// 2004-05-24 at 08:00:00.
struct Reports : ::testing::Test {
    test::TestEnv env;
    Station& st = env.st;
    QListWidget list;

    void SetUp() override {
        env.load();
        st.settings.outrounding = 0;
        st.settings.shiftlimit = 0;
        ASSERT_TRUE(suite::add_employee(env.empdb(), 7, "ANN", "LEE", 1234));
        ASSERT_TRUE(suite::add_employee(env.empdb(), 8, "BOB", "KING", 20000));
        st.who.number = 7;
    }
    // A closed punch of ANN on job 12 unless values say otherwise.
    void punch(QVariantMap values) {
        const QVariantMap base = {{"tckempid", 7}, {"tckjobcode", 12}, {"tckstatus", 2}};
        for (auto it = base.begin(); it != base.end(); ++it)
            if (!values.contains(it.key()))
                values.insert(it.key(), it.value());
        ASSERT_TRUE(env.add_punch(values));
    }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < list.count(); ++i)
            out << list.item(i)->text();
        return out;
    }
    // As the menu runs a report: a fresh work database, an empty list.
    std::optional<bool> manager(int index, const QStringList& answers) {
        EXPECT_TRUE(make_report_database(st));
        list.clear();
        env.dialogs.clear();
        env.dialogs.answers = answers;
        return manager_report(st, list, index);
    }
    std::optional<bool> own(int index) {
        EXPECT_TRUE(make_report_database(st));
        list.clear();
        return own_report(st, list, index);
    }
    QList<QVariantMap> work_rows() const {
        return env.rows(work_db_path(st), "select * from punch order by rowid");
    }
};

TEST_F(Reports, WhosPunchedInListsOpenPunchesWithTheAveragePayRate) {
    ASSERT_EQ(manager(kWhosPunchedIn, {}), true);
    EXPECT_TRUE(lines().isEmpty()); // no open punch: no average line either

    punch({{"tckindate", 20040524},
           {"tcktimein", "06:03:41"},
           {"tckpayrate", 10.0},
           {"tckstatus", 1}});
    punch({{"tckempid", 8},
           {"tckjobcode", 3},
           {"tckindate", 20040524},
           {"tcktimein", "07:00:00"},
           {"tckpayrate", 12.5},
           {"tckadjreason", "Forgot to punch in"},
           {"tckstatus", 1}});
    punch({{"tckindate", 20040523}, {"tcktimein", "05:00:00"}, {"tckpayrate", 99.0}});
    ASSERT_EQ(manager(kWhosPunchedIn, {}), true);
    EXPECT_EQ(lines(), QStringList({"3-05/24@07:00-BOB KING", "     Forgot to punch in",
                                    "12-05/24@06:03-ANN LEE", "     ", QString(31, u'-'),
                                    "Avg payrate/hr: $11.25"}));
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());

    // The copies hold the listed rows in list order, column by column, except that the hours
    // are those run until now (08:00): 1.00 from 07:00, 1.95 from 06:03.
    const auto source = env.rows(env.punchdb(), "select * from punch where tckstatus = 1 "
                                                "order by tckjobcode");
    const auto copies = work_rows();
    ASSERT_EQ(copies.size(), 2);
    for (int r = 0; r < 2; ++r) {
        ASSERT_EQ(copies[r].keys(), source[r].keys());
        for (const QString& column : source[r].keys()) {
            if (column != "tckreghours") {
                EXPECT_EQ(copies[r][column], source[r][column]) << column.toStdString();
            }
        }
    }
    EXPECT_DOUBLE_EQ(copies[0]["tckreghours"].toDouble(), 1.00);
    EXPECT_DOUBLE_EQ(copies[1]["tckreghours"].toDouble(), 1.95);

    // Print Report needs a receipt printer or a manager.
    st.settings.receiptprinter = -1;
    EXPECT_EQ(manager(kWhosPunchedIn, {}), false);
    st.who.manager = 1;
    EXPECT_EQ(manager(kWhosPunchedIn, {}), true);
}

TEST_F(Reports, AnUnknownEmployeeIsReportedOncePerRowAndListedAsRedo) {
    for (const char* time : {"06:00:00", "06:30:00", "07:00:00"})
        punch({{"tckempid", QString(time) == "06:30:00" ? 7 : 99},
               {"tckindate", 20040524},
               {"tcktimein", time}});
    ASSERT_EQ(manager(kRangeOfEmployees, {"20040524", "20040524", "1", "99"}), true);
    EXPECT_EQ(lines(), QStringList({"12-05/24@06:30-ANN LEE", "     ", "12-05/24@06:00-REDO",
                                    "     ", "12-05/24@07:00-REDO", "     "}));
    int invalid = 0;
    for (const auto& box : env.dialogs.boxes)
        invalid += box.text == "Invalid employee number!";
    EXPECT_EQ(invalid, 2);
    EXPECT_EQ(work_rows().size(), 3);
}

TEST_F(Reports, OwnPunchesShowInOutHoursAndAnOpenPunch) {
    punch({{"tckindate", 20040503},
           {"tcktimein", "08:00:00"},
           {"tckadjtimein", "08:00:00"},
           {"tckoutdate", 20040503},
           {"tcktimeout", "16:20:00"},
           {"tckadjtimeout", "16:30:00"},
           {"tckreghours", 8.33},
           {"tckadjreghours", 8.5},
           {"tckadjreason", "Added hours"}});
    punch({{"tckindate", 20040524},
           {"tcktimein", "06:03:41"},
           {"tckadjtimein", "06:00:00"},
           {"tckstatus", 1}});
    punch({{"tckindate", 20040523},
           {"tcktimein", "22:00:00"},
           {"tckoutdate", 20040524},
           {"tcktimeout", "06:00:00"},
           {"tckreghours", 8.0}});
    punch({{"tckindate", 20040430}}); // last month
    punch({{"tckindate", 20040510}, {"tckempid", 8}});

    ASSERT_TRUE(own(kMyPunchesThisMonth));
    EXPECT_EQ(lines(),
              QStringList({"Job#12-05/03 IN at:  08:00  08:00", "Job#12-05/03 OUT at: 16:20  16:30",
                           "Job#12-05/03 Hours:   8.33   8.50", "     Added hours", kCut34,
                           "Job#12-05/23 IN at:  22:00  ", "Job#12-05/24 OUT at: 06:00  ",
                           "Job#12-05/23 Hours:   8.00   .00", "     ", kCut34,
                           "Job#12-05/24 IN at:  06:03  06:00", "Job#12-00/00 OUT at:   ",
                           "Job#12-05/24 Hours:   .00   .00", "     ", kCut34}));

    // Today: the open punch of today, not the one that began yesterday.
    ASSERT_TRUE(own(kMyPunchesToday));
    EXPECT_EQ(lines().mid(0, 2),
              QStringList({"Job#12-05/24 IN at:  06:03  06:00", "Job#12-00/00 OUT at:   "}));
    EXPECT_EQ(lines().size(), 5);

    ASSERT_TRUE(own(kMyHoursThisMonth));
    EXPECT_EQ(lines(), QStringList({"Job #12-05/03- 8.33 hrs   8.50 hrs", "     Added hours",
                                    "Job #12-05/23- 8.00 hrs   0.00 hrs", "     ",
                                    "Job #12-05/24- 0.00 hrs   0.00 hrs", "     ", kCut35,
                                    "Total hours:   16.33      8.50"}));
    EXPECT_EQ(work_rows().size(), 3);

    st.who.number = 5; // nobody's punches
    ASSERT_TRUE(own(kMyHoursThisMonth));
    EXPECT_EQ(lines(), QStringList({kCut35, "Total hours:   .00      .00"}));
}

TEST_F(Reports, TimeRangesSelectByTimeTextWithBoundValues) {
    for (const char* in : {"07:59:59", "08:00:00", "12:00:00", "12:00:01"})
        punch({{"tckindate", 20040524}, {"tcktimein", in}});
    punch({{"tckempid", 8},
           {"tckindate", 20040524},
           {"tcktimein", "22:00:00"},
           {"tckoutdate", 20040525},
           {"tcktimeout", "06:10:00"}});

    ASSERT_EQ(manager(kPunchInTimeRange, {"0524", "0524", "08:00:00", "12:00:00", "1", "99"}),
              true);
    EXPECT_EQ(lines(),
              QStringList({"12-05/24@08:00-ANN LEE", "     ", "12-05/24@12:00-ANN LEE", "     "}));

    // Ended after midnight: listed with the day it began and the time it ended.
    ASSERT_EQ(manager(kPunchOutTimeRange, {"0524", "0524", "06", "07", "8", "8"}), true);
    EXPECT_EQ(lines(), QStringList({"12-05/24@06:10-BOB KING", "     "}));

    // A quote in a time is only a character of the value: nothing matches, nothing breaks.
    ASSERT_EQ(manager(kPunchInTimeRange, {"0524", "0524", "'':'':''", "'':'':''", "1", "99"}),
              true);
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_TRUE(env.dialogs.texts().filter("Code").isEmpty());
    EXPECT_EQ(env.scalar(env.punchdb(), "select count(*) from punch").toInt(), 5);
}

TEST_F(Reports, ACancelledPromptEndsTheReportAndBadPunchesAreStatus3) {
    punch({{"tckindate", 20040524}, {"tcktimein", "08:00:00"}, {"tckstatus", 3}});
    punch({{"tckindate", 20040524}, {"tcktimein", "09:00:00"}, {"tckstatus", 2}});
    EXPECT_FALSE(manager(kRangeOfEmployees, {"20040501", "20040531", "1", test::kCancel}));
    EXPECT_TRUE(lines().isEmpty());

    ASSERT_EQ(manager(kBadPunches, {"20040501", "20040531"}), true);
    EXPECT_EQ(env.dialogs.titles(),
              QStringList({"FROM Date - Bad Punch Report", "TO Date - Bad Punch Report"}));
    EXPECT_EQ(lines(), QStringList({"12-05/24@08:00-ANN LEE", "     "}));
}

TEST_F(Reports, AMissingWorkDatabaseEndsTheReportWithItsCode) {
    ASSERT_TRUE(QFile::remove(env.station_file("rpt00.sys"))); // so no work database is made
    punch({{"tckindate", 20040524}, {"tcktimein", "08:00:00"}, {"tckstatus", 1}});
    EXPECT_EQ(manager(kWhosPunchedIn, {}), false);
    ASSERT_EQ(env.dialogs.boxes.size(), 1);
    EXPECT_EQ(env.dialogs.last().title, "Parvela Codes");
    EXPECT_TRUE(env.dialogs.last().text.startsWith("Code 53 - "));
}

} // namespace
} // namespace pw
