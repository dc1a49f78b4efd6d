#include "drive.h"
#include "punch/punchrecord.h"
#include "reports/miscreports.h"
#include "reports/workdb.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace pw {
namespace {

// The frame on the staff's station, its clock on 2005-05-24.
struct Misc : test::Clerks {
    MiscPunchFrame frame{st};

    void SetUp() override {
        env.clock.set("2005-05-24 10:15:00");
        env.load();
        st.who.manager = 1;
        frame.show();
    }
    void TearDown() override { test::close_windows("pw::ReportViewer"); }
    // Job code tells the punches apart.
    void punch(int job, int empid, int indate, int status, const QVariant& reason = {}) {
        const QVariantMap values = {{"tckjobcode", job},   {"tckempid", empid},
                                    {"tckindate", indate}, {"tcktimein", "08:00:00"},
                                    {"tckstatus", status}, {"tckadjreason", reason}};
        ASSERT_TRUE(env.add_punch(values));
    }
    void print(const QString& from, const QString& to, int option = kMiscAll) {
        frame.from_box()->setText(from);
        frame.to_box()->setText(to);
        frame.findChild<QRadioButton*>(QStringLiteral("optmiscpunch%1").arg(option))
            ->setChecked(true);
        env.dialogs.clear();
        frame.findChild<QPushButton*>("cmdprintmisc")->click();
    }
    QList<int> printed_jobs() const {
        QList<int> jobs;
        for (const QVariantMap& r :
             env.rows(work_db_path(st), "select tckjobcode from punch order by rowid"))
            jobs << r.value("tckjobcode").toInt();
        return jobs;
    }
    QVariantMap headings() const {
        return env.rows(work_db_path(st), "select * from headings").value(0);
    }
};

TEST_F(Misc, EachOptionSelectsItsPunchesAndTheDatesAreCheckedAndSwapped) {
    punch(1, 8, 20050510, kOpen);
    punch(2, 7, 20050531, kClosed); // moved to the 12th below
    punch(3, 7, 20050511, kBad);
    punch(4, 7, 20050513, kApproved, "MGR APPROVED"); // a bad punch a manager approved
    punch(5, 7, 20050514, kExported, "MGR APPROVED"); // approved, exported later
    punch(6, 8, 20050509, kApproved, "Forgot to punch out");
    punch(7, 8, 20050508, kExported, "Left early");
    punch(8, 7, 20050601, kClosed); // after the range
    punch(9, 7, 20050430, kBad);    // before it
    punch(10, 7, 20050512, kClosed);
    // Rows that tie keep the order they were stored in, whatever changed them since.
    ASSERT_TRUE(
        env.exec(env.punchdb(), "update punch set tckindate = 20050512 where tckjobcode = 2"));

    const struct {
        int option;
        QList<int> jobs; // by employee, then date
        const char* title;
    } cases[] = {{kMiscAll, {3, 2, 10, 4, 5, 7, 6, 1}, "All Punches"},
                 {kMiscApproved, {4, 5}, "Approved Punches Only"},
                 {kMiscNotApproved, {3, 2, 10, 1}, "Punches Not Yet Approved"},
                 {kMiscAdjusted, {7, 6}, "Adjusted Punches"},
                 {kMiscBad, {3}, "Bad Punches"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        frame.show();
        print("20050501", "20050531", c.option);
        EXPECT_TRUE(env.dialogs.boxes.isEmpty());
        EXPECT_EQ(printed_jobs(), c.jobs);
        EXPECT_EQ(headings().value("ctlauxtitle"), c.title);
        EXPECT_TRUE(frame.isHidden());
    }
    EXPECT_EQ(headings().value("ctlselect"), "10:15:00");

    // FROM after TO: swapped, written back, and the report covers the range.
    punch(11, 7, 20050115, kClosed);
    frame.show();
    print("20050131", "20050101");
    EXPECT_EQ(frame.from_box()->text() + "|" + frame.to_box()->text(), "20050101|20050131");
    EXPECT_EQ(headings().value("ctlseq"), "From 20050101 to 20050131");
    EXPECT_EQ(printed_jobs(), QList<int>{11});

    // A date before 20050101 is refused: the boxes read FROM and TO again.
    for (const auto& [from, to] : {std::pair{"20041231", "20050105"}, {"20050105", "x"}}) {
        frame.show();
        print(from, to);
        EXPECT_EQ(env.dialogs.texts(), QStringList{"Invalid from or to date. Redo."});
        EXPECT_EQ(frame.from_box()->text() + "|" + frame.to_box()->text(), "FROM|TO");
        EXPECT_TRUE(frame.isVisible());
    }

    // Nothing in the range: the frame stays.
    print("20050201", "20050228");
    EXPECT_EQ(env.dialogs.texts(), QStringList{"No records match your selection criteria."});
    EXPECT_TRUE(frame.isVisible());
}

} // namespace
} // namespace pw
