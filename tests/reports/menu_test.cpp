#include "drive.h"
#include "reports/menu.h"
#include "reports/workdb.h"
#include "screens/helpview.h"
#include "window/identify.h"
#include "window/startup.h"
#include "window/tclock.h"

#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::click;

const QString kCut34(34, u'-');
const QString kCut35(35, u'-');

// The running station with the menus built in, the clock on 2004-05-24 08:00:00. The actions
// the menu hands on are recorded by name.
struct MenuScreen : test::Clerks {
    ReportMenu* menu = nullptr;
    QStringList started_actions;

    void SetUp() override {
        connect_punch_screen(st, win);
        auto record = [this](const char* name) {
            return [this, name] { started_actions << name; };
        };
        MenuActions actions{record("editor"), record("configuration"), record("print"),
                            record("misc"),   record("export"),        record("import")};
        menu = &connect_menus(st, win, std::move(actions));
        ASSERT_EQ(startup(st, win), Started::Running);
        env.programs.started.clear(); // the clock sync of start-up
        st.settings.outrounding = 0;
        st.settings.shiftlimit = 0;
    }
    // Presses menu button index with the prompts answered from answers.
    void press(int index, const QStringList& answers = {}) {
        test::answer(env.dialogs, answers);
        click(menu->cmdmenu[index]);
        QCoreApplication::processEvents(); // lets the panel lay out the print button
    }
    QStringList lines() const { return win.lstpayrate->texts(); }
    // Adds punches on job 12: the named columns, then one text of values per punch.
    void punches(const QString& columns, const QStringList& values) {
        ASSERT_TRUE(env.exec(env.punchdb(), "insert into punch (tckjobcode, " + columns +
                                                ") values (12, " + values.join("), (12, ") + ")"));
    }
    QList<QVariantMap> work_rows() const {
        return env.rows(work_db_path(st), "select * from punch order by rowid");
    }
};

TEST_F(MenuScreen, EachMenuShowsItsButtons) {
    const QList<int> own = {10, 11, 12, 13, 14, 15};
    // A manager: Report first, then Manager shows all eighteen; Export or Import by station.
    for (const int remote : {1, 0}) {
        SCOPED_TRACE(remote);
        st.settings.remotemode = remote;
        win.cmdexport->setVisible(remote == 1); // as start-up marks it
        login("8", "20000");
        click(win.cmdreport);
        for (int i = 0; i < kMenuButtons; ++i)
            EXPECT_EQ(menu->cmdmenu[i]->isVisible(), own.contains(i)) << i;
        EXPECT_FALSE(win.frakeypad->isVisible() || win.cmdexport->isVisible());
        EXPECT_TRUE(win.cmdpunchin->isVisible()); // the punch buttons stay
        click(win.cmdmanager);
        for (int i = 0; i < kMenuButtons; ++i)
            EXPECT_TRUE(menu->cmdmenu[i]->isVisible()) << i;
        EXPECT_EQ(std::pair(win.cmdexport->isVisible(), win.cmdimport->isVisible()),
                  std::pair(remote == 1, remote == 0));
        EXPECT_FALSE(win.cmdpunchin->isVisible() || win.cmdreport->isVisible());
        click(remote == 1 ? win.cmdexport : win.cmdimport);
        click(win.cmddone);
        EXPECT_FALSE(win.frareport->isVisible());
    }
    EXPECT_EQ(started_actions, QStringList({"export", "import"}));
}

TEST_F(MenuScreen, PrintReportStandsBesideThePressedButton) {
    punches("tckempid, tckindate, tcktimein, tckstatus", {"8, 20040510, '08:00:00', 2"});
    QPushButton* print = menu->cmdprintlistbox;

    // An employee sees it only with a receipt printer.
    login("7", "1234");
    click(win.cmdreport);
    st.settings.receiptprinter = -1;
    press(13);
    EXPECT_FALSE(print->isVisible());
    click(win.cmddone);

    // An own report (right-hand column): to the left, pointing right.
    open_manager();
    press(13);
    ASSERT_TRUE(print->isVisible());
    EXPECT_EQ(print->text(), "Print Report -->");
    EXPECT_LT(print->geometry().right(), menu->cmdmenu[13]->geometry().left());

    // A manager report: to the right, pointing left.
    press(2, {"0501", "0531", "1", "99"});
    ASSERT_TRUE(print->isVisible());
    EXPECT_EQ(print->text(), "<-- Print Report");
    EXPECT_GT(print->geometry().left(), menu->cmdmenu[2]->geometry().right());
    click(print);
    EXPECT_EQ(started_actions, QStringList{"print"});

    // A cancelled prompt leaves the list cleared and Print Report hidden.
    press(2, {"0501", test::kCancel});
    EXPECT_FALSE(print->isVisible());
    EXPECT_TRUE(lines().isEmpty());
}

TEST_F(MenuScreen, AMissingSuiteBlocksEveryButton) {
    open_manager();
    press(13);
    const QStringList listed = lines();
    ASSERT_FALSE(listed.isEmpty());
    ASSERT_TRUE(QFile::remove(env.data("parv.exe")));
    env.write_file(work_db_path(st), "not replaced");

    for (int i = 0; i < kMenuButtons; ++i) {
        SCOPED_TRACE(i);
        press(i, {"0501", "0531", "1", "99"});
        ASSERT_EQ(env.dialogs.boxes.size(), 1);
        EXPECT_EQ(env.dialogs.last().text, "Punchwell cannot connect to Parvela.\r\nYou cannot "
                                           "punch in or out unless this\nproblem is corrected.");
    }
    EXPECT_TRUE(env.programs.started.isEmpty() && started_actions.isEmpty());
    EXPECT_FALSE(menu->frapassword->isVisible());
    EXPECT_EQ(st.run.report_index, 13);
    EXPECT_EQ(lines(), listed);
    EXPECT_EQ(env.read_file(work_db_path(st)), "not replaced");
}

TEST_F(MenuScreen, ConfigurationWantsTheManagerPasswordInAnyLetterCase) {
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {{"Zvt9", true},   {"ZVT9", true}, {"zvt9", true}, {" Zvt9", false},
                 {"Zvt9 ", false}, {"Zvt", false}, {"", false},    {"Zvt99", false}};
    open_manager();
    st.settings.managerpassword = "Zvt9";
    QWidget* frame = menu->frapassword;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        started_actions.clear();
        press(6);
        ASSERT_TRUE(frame->isVisible());
        EXPECT_EQ(win.focusWidget(), menu->txtmgrpassword);
        // Enter only moves on to Ok.
        QTest::keyClicks(menu->txtmgrpassword, c.typed);
        QTest::keyClick(menu->txtmgrpassword, Qt::Key_Return);
        EXPECT_EQ(win.focusWidget(), menu->cmdpasswordok);
        EXPECT_TRUE(started_actions.isEmpty());
        click(menu->cmdpasswordok);
        EXPECT_TRUE(!frame->isVisible() && menu->txtmgrpassword->text().isEmpty());
        EXPECT_EQ(started_actions, c.accepted ? QStringList{"configuration"} : QStringList{});
        EXPECT_EQ(env.dialogs.texts(), c.accepted ? QStringList{} : QStringList{"Wrong password."});
        env.dialogs.clear();
    }
}

TEST_F(MenuScreen, ActionButtonsStartTheirProgramsAndLeaveTheWorkDatabase) {
    open_manager();
    env.write_file(work_db_path(st), "kept");
    press(5);
    EXPECT_EQ(env.programs.started, QStringList({"syncnwk.exe new"}));
    ASSERT_TRUE(QFile::remove(env.station_file("syncnwk.exe")));
    press(5);
    EXPECT_EQ(env.programs.started.size(), 1); // no clock sync without its program
    press(7);
    press(17);
    EXPECT_EQ(started_actions, QStringList({"editor", "misc"}));
    EXPECT_EQ(st.run.report_index, 17);
    EXPECT_EQ(env.read_file(work_db_path(st)), "kept");
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());

    // A report button makes the work database fresh.
    press(0);
    EXPECT_EQ(st.run.report_index, 0);
    EXPECT_NE(env.read_file(work_db_path(st)), "kept");
}

// Help is one view over the station until closed; Help again brings the same one forward.
TEST_F(MenuScreen, HelpIsOneViewOverTheStationClosedByButtonOrEscape) {
    open_manager();
    press(9);
    QWidget* view = find_help_view();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->parentWidget() == &win && view->windowFlags() & Qt::WindowStaysOnTopHint &&
                !view->findChild<QPlainTextEdit*>()->toPlainText().isEmpty());
    press(9);
    EXPECT_TRUE(find_help_view() == view && win.findChildren<QDialog*>("frmhelp").size() == 1);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(find_help_view());
    press(9);
    auto* close = find_help_view()->findChild<QPushButton*>("cmdclosehelp");
    EXPECT_GE(close->height(), 40);
    click(close);
    EXPECT_FALSE(find_help_view());
    // A help text that is not there is said, not shown empty.
    ASSERT_TRUE(QFile::remove(env.station_file("tclock0.txt")));
    press(9);
    EXPECT_FALSE(find_help_view());
    EXPECT_EQ(env.dialogs.texts(),
              QStringList{"The help text tclock0.txt is not installed on this station."});
}

TEST_F(MenuScreen, WhosPunchedInListsOpenPunchesWithTheAveragePayRate) {
    open_manager();
    press(0);
    EXPECT_TRUE(lines().isEmpty()); // no open punch: no average line either

    punches("tckempid, tckindate, tcktimein, tckpayrate, tckstatus, tckadjreason",
            {"7, 20040524, '06:03:41', 10.0, 1, null", "7, 20040523, '05:00:00', 99.0, 2, null",
             "8, 20040524, '07:00:00', 12.5, 1, 'Forgot to punch in'"});
    ASSERT_TRUE(env.exec(env.punchdb(), "update punch set tckjobcode = 3 where tckempid = 8"));
    press(0);
    // With the hours run until now (08:00): 1.00 from 07:00, 1.95 from 06:03.
    EXPECT_EQ(lines(), QStringList({"3-05/24@07:00-BOB KING", "  Hours so far 1.00",
                                    "     Forgot to punch in", "12-05/24@06:03-ANN LEE",
                                    "  Hours so far 1.95", "     ", QString(31, u'-'),
                                    "Avg payrate/hr: $11.25"}));
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
    const QFontMetrics pitch(win.lstpayrate->font()); // the columns line up
    EXPECT_EQ(pitch.horizontalAdvance("i"), pitch.horizontalAdvance("W"));

    // The copies, in list order, hold those hours.
    const auto copies = work_rows();
    ASSERT_EQ(copies.size(), 2);
    EXPECT_DOUBLE_EQ(copies[0]["tckreghours"].toDouble(), 1.00);
    EXPECT_DOUBLE_EQ(copies[1]["tckreghours"].toDouble(), 1.95);
}

// A list longer than the person can see at once makes the lines past its top from the work
// database's copies as it is scrolled: the same lines, names and hours so far as the top's.
TEST_F(MenuScreen, ALongListReadsTheRowsPastItsTopFromTheCopies) {
    open_manager();
    const int open = 400; // three lines each: past what is listed before the copies serve
    QStringList values;
    for (int i = 0; i < open; ++i)
        values << QString("%1, 20040520, '06:00:00', 1").arg(i % 2 ? 8 : 7);
    punches("tckempid, tckindate, tcktimein, tckstatus", values);
    ASSERT_TRUE(env.exec(env.punchdb(), "update punch set tckjobcode = 100 + rowid"));
    press(0);
    const QStringList listed = lines();
    ASSERT_EQ(listed.size(), 3 * open + 2);
    const QRegularExpression first(R"(^\d+-05/20@06:00-(ANN LEE|BOB KING)$)");
    QSet<QString> jobs;
    for (int r = 0; r < open; ++r) {
        SCOPED_TRACE(r);
        const QRegularExpressionMatch m = first.match(listed[3 * r]);
        ASSERT_TRUE(m.hasMatch()) << listed[3 * r].toStdString();
        jobs << listed[3 * r].section('-', 0, 0);
        EXPECT_EQ(listed[3 * r + 1], listed[1]); // the hours run since, as at the top
        EXPECT_EQ(listed[3 * r + 2], listed[2]);
    }
    EXPECT_EQ(jobs.size(), open);
    const auto copies = work_rows();
    ASSERT_EQ(copies.size(), open);
    for (const QVariantMap& copy : copies)
        EXPECT_DOUBLE_EQ(copy["tckreghours"].toDouble(), 98.0); // 05-20 06:00 to 05-24 08:00
}

TEST_F(MenuScreen, ManagerReportsSelectTheirRangesWithBoundValues) {
    punches("tckempid, tckindate, tcktimein, tckstatus, tckoutdate, tcktimeout",
            {"7, 20040524, '08:00:00', 2, 0, null", "7, 20040524, '12:00:01', 3, 0, null",
             "99, 20040524, '06:00:00', 2, 0, null",
             "8, 20040524, '22:00:00', 2, 20040525, '06:10:00'",
             "99, 20040524, '07:00:00', 2, 0, null", "7, 20040430, '08:00:00', 3, 0, null",
             "99, 20040501, '08:00:00', 2, 0, null"});
    // Of an employee number held twice, the first row names it.
    ASSERT_TRUE(env.exec(env.empdb(), "insert into empinfo (empid, empfname, emplname) values "
                                      "(7, 'Later', 'Row')"));
    open_manager();
    const struct {
        int index;
        QStringList answers;
        QStringList heads; // each punch's first line (its hours and reason lines follow)
    } cases[] = {
        // An employee number with no employee row is listed as REDO.
        {1,
         {"0524", "0524", "1", "99"},
         {"12-05/24@08:00-ANN LEE", "12-05/24@12:00-ANN LEE", "12-05/24@22:00-BOB KING",
          "12-05/24@06:00-REDO", "12-05/24@07:00-REDO"}},
        // Both time bounds belong to the range.
        {4,
         {"0524", "0524", "08:00:00", "12:00:01", "1", "99"},
         {"12-05/24@08:00-ANN LEE", "12-05/24@12:00-ANN LEE"}},
        // Ended after midnight: listed with the day it began and the time it ended.
        {16, {"0524", "0524", "06", "07", "8", "8"}, {"12-05/24@06:10-BOB KING"}},
        // A quote in a time is only a character of the value: nothing matches.
        {4, {"0524", "0524", "'':'':''", "'':'':''", "1", "99"}, {}},
        {8, {"20040501", "20040531"}, {"12-05/24@12:00-ANN LEE"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers.join(' ').toStdString());
        press(c.index, c.answers);
        QStringList heads;
        for (qsizetype i = 0; i < lines().size(); i += 3)
            heads << lines()[i];
        EXPECT_EQ(heads, c.heads);
        EXPECT_EQ(lines().size(), 3 * c.heads.size());
        EXPECT_EQ(work_rows().size(), c.heads.size());
        EXPECT_TRUE(env.dialogs.texts().filter("Code").isEmpty());
    }
    EXPECT_EQ(env.dialogs.titles(),
              QStringList({"FROM Date - Bad Punch Report", "TO Date - Bad Punch Report"}));
    EXPECT_EQ(env.scalar(env.punchdb(), "select count(*) from punch").toInt(), 7);

    // One message for each row without an employee; the work database holds the listed rows in
    // date order, every column as in the punch table.
    press(1, {"0501", "0531", "1", "99"});
    EXPECT_EQ(env.dialogs.texts().filter("Invalid employee number!").size(), 3);
    EXPECT_EQ(work_rows(), env.rows(env.punchdb(), "select * from punch where tckindate between "
                                                   "20040501 and 20040531 and tckempid between 1 "
                                                   "and 99 order by tckindate, tckempid"));
}

// Under each punch the hours its printed form shows: regular, overtime and holiday; recorded
// and adjusted; the bad punch's own; what the punch pays.
TEST_F(MenuScreen, ManagerReportsShowTheHoursOfTheirPrintedForm) {
    punches("tckempid, tckindate, tcktimein, tckoutdate, tcktimeout, tckreghours, tckadjreghours, "
            "tckothours, tckholidayhours, tckholidayothrs, tckstatus",
            {"7, 20040524, '08:00:00', 20040524, '16:30:00', 8.33, 8.5, 1.25, 2, 0.5, 3"});
    open_manager();
    for (const auto& [index, answers, hours] :
         {std::tuple(1, QStringList{"0524", "0524", "7", "7"}, "  Reg 8.33 OT 1.25 Hol 2.50"),
          std::tuple(2, QStringList{"0524", "0524", "12", "12"}, "  Reg 8.33 OT 1.25 Hol 2.50"),
          std::tuple(3, QStringList{"0524", "0524", "12", "12"}, "  Hours 8.33, adjusted 8.50"),
          std::tuple(4, QStringList{"0524", "0524", "08", "09", "7", "7"}, "  Hours 12.25"),
          std::tuple(8, QStringList{"20040524", "20040524"}, "  Hours 8.33"),
          std::tuple(16, QStringList{"0524", "0524", "16", "17", "7", "7"}, "  Hours 12.25")}) {
        press(index, answers);
        EXPECT_EQ(lines(),
                  QStringList({"12-05/24@" + QString(index == 16 ? "16:30" : "08:00") + "-ANN LEE",
                               hours, "     "}));
    }
}

TEST_F(MenuScreen, OwnReportsShowInOutHoursAndAnOpenPunch) {
    punches("tckempid, tckindate, tcktimein, tckadjtimein, tckoutdate, tcktimeout, tckadjtimeout, "
            "tckreghours, tckadjreghours, tckadjreason, tckstatus",
            {"7, 20040503, '08:00:00', '08:00:00', 20040503, '16:20:00', '16:30:00', 8.33, 8.5, "
             "'Added hours', 2",
             "7, 20040524, '06:03:41', '06:00:00', 0, null, null, 0, 0, null, 1",
             "7, 20040523, '22:00:00', null, 20040524, '06:00:00', null, 8.0, 0, null, 2",
             "7, 20040430, null, null, 0, null, null, 0, 0, null, 2",   // last month
             "8, 20040410, null, null, 0, null, null, 0, 0, null, 2"}); // none of BOB's in May
    login("7", "1234");
    click(win.cmdreport);

    press(11);
    EXPECT_EQ(lines(),
              QStringList({"Job#12-05/03 IN at:  08:00  08:00", "Job#12-05/03 OUT at: 16:20  16:30",
                           "Job#12-05/03 Hours:   8.33   8.50", "     Added hours", kCut34,
                           "Job#12-05/23 IN at:  22:00  ", "Job#12-05/24 OUT at: 06:00  ",
                           "Job#12-05/23 Hours:   8.00   .00", "     ", kCut34,
                           "Job#12-05/24 IN at:  06:03  06:00", "Job#12-00/00 OUT at:   ",
                           "Job#12-05/24 Hours:   .00   .00", "     ", kCut34}));

    // Today: the open punch of today, not the one that began yesterday.
    press(10);
    EXPECT_EQ(lines().value(0), "Job#12-05/24 IN at:  06:03  06:00");
    EXPECT_EQ(lines().size(), 5);

    press(13);
    EXPECT_EQ(lines(), QStringList({"Job #12-05/03- 8.33 hrs   8.50 hrs", "     Added hours",
                                    "Job #12-05/23- 8.00 hrs   0.00 hrs", "     ",
                                    "Job #12-05/24- 0.00 hrs   0.00 hrs", "     ", kCut35,
                                    "Total hours:   16.33      8.50"}));
    EXPECT_EQ(work_rows().size(), 3);

    click(win.cmddone);
    open_manager();
    press(13);
    EXPECT_EQ(lines(), QStringList({kCut35, "Total hours:   .00      .00"}));
}

} // namespace
} // namespace pw
