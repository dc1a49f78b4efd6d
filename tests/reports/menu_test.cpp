#include "env.h"
#include "installation.h"
#include "punch/identify.h"
#include "reports/menu.h"
#include "reports/workdb.h"
#include "station/startup.h"
#include "station/tclock.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace pw {
namespace {

const QString kConnection = "Punchwell cannot connect to Parvela.\r\n"
                            "You cannot punch in or out unless this\nproblem is corrected.";

// The running station on its main window with the menus built in; ANN LEE (7, password 1234)
// is an employee and BOB KING (8, password 20000) a manager. The actions the menu hands on
// are counted.
class MenuScreen : public ::testing::Test {
protected:
    test::TestEnv env;
    Station& st = env.st;
    Tclock win;
    ReportMenu* menu = nullptr;
    QStringList started_actions;
    QPoint misc_at;

    void SetUp() override {
        ASSERT_TRUE(suite::add_job(env.empdb(), 12, "Cook"));
        ASSERT_TRUE(suite::add_employee(env.empdb(), 7, "ANN", "LEE", 1234));
        ASSERT_TRUE(suite::add_employee(env.empdb(), 8, "BOB", "KING", 20000));
        ASSERT_TRUE(suite::add_empjob(env.empdb(), 7, 12, 10));
        ASSERT_TRUE(suite::add_empjob(env.empdb(), 8, 12, 12.5));
        connect_punch_screen(st, win);
        MenuActions actions;
        actions.open_editor = [this] { started_actions << "editor"; };
        actions.open_configuration = [this] { started_actions << "configuration"; };
        actions.print_report = [this] { started_actions << "print"; };
        actions.show_misc = [this](QPoint at) {
            started_actions << "misc";
            misc_at = at;
        };
        actions.export_punches = [this] { started_actions << "export"; };
        actions.import_punches = [this] { started_actions << "import"; };
        menu = &connect_menus(st, win, std::move(actions));
        ASSERT_TRUE(startup(st, win));
        env.programs.started.clear(); // the clock sync of start-up
        st.settings.outrounding = 0;
        st.settings.shiftlimit = 0;
    }

    void login(const QString& number, const QString& password) {
        QTest::keyClicks(win.txtempid, number);
        QTest::keyClick(win.txtempid, Qt::Key_Return);
        QTest::keyClicks(win.txtpassword, password);
        QTest::keyClick(win.txtpassword, Qt::Key_Return);
        ASSERT_EQ(win.txtname->text(), number == "8" ? "BOB KING" : "ANN LEE");
    }
    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    void open_manager() {
        login("8", "20000");
        click(win.cmdmanager);
    }
    // Presses menu button index with the prompts answered from answers.
    void press(int index, const QStringList& answers = {}) {
        env.dialogs.answers = answers;
        click(menu->cmdmenu[index]);
        QCoreApplication::processEvents(); // lets the panel lay out the print button
    }
    QList<int> visible_buttons() const {
        QList<int> out;
        for (int i = 0; i < kMenuButtons; ++i)
            if (menu->cmdmenu[i]->isVisible())
                out << i;
        return out;
    }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < win.lstpayrate->count(); ++i)
            out << win.lstpayrate->item(i)->text();
        return out;
    }
    void punch(const QVariantMap& values) {
        QVariantMap row = {{"tckempid", 7}, {"tckjobcode", 12}, {"tckstatus", 2}};
        row.insert(values);
        ASSERT_TRUE(env.add_punch(row));
    }
};

TEST_F(MenuScreen, EachMenuShowsItsButtons) {
    const QList<int> own = {10, 11, 12, 13, 14, 15};
    QList<int> all;
    for (int i = 0; i < kMenuButtons; ++i)
        all << i;

    // An employee on a remote station: the six own reports, no export (manager work).
    st.settings.remotemode = 1;
    win.cmdexport->show(); // as start-up marks it on a remote station
    login("7", "1234");
    EXPECT_TRUE(win.cmdmanager->isHidden());
    click(win.cmdreport);
    EXPECT_EQ(visible_buttons(), own);
    EXPECT_EQ(menu->lblmenuheading->text(), "Employee Report Options");
    EXPECT_TRUE(win.frareport->isVisible());
    EXPECT_FALSE(win.frakeypad->isVisible());
    EXPECT_FALSE(win.cmdexport->isVisible());
    EXPECT_FALSE(win.cmdimport->isVisible());
    EXPECT_TRUE(win.cmdpunchin->isVisible()); // the punch buttons stay
    click(win.cmddone);
    EXPECT_FALSE(win.frareport->isVisible());

    // A manager: Report first, then Manager shows all eighteen; Export or Import by station.
    for (const int remote : {1, 0}) {
        SCOPED_TRACE(remote);
        st.settings.remotemode = remote;
        login("8", "20000");
        click(win.cmdreport);
        EXPECT_EQ(visible_buttons(), own);
        click(win.cmdmanager);
        EXPECT_EQ(visible_buttons(), all);
        EXPECT_EQ(menu->lblmenuheading->text(), "Manager Options");
        EXPECT_EQ(win.cmdexport->isVisible(), remote == 1);
        EXPECT_EQ(win.cmdimport->isVisible(), remote == 0);
        EXPECT_FALSE(win.cmdpunchin->isVisible());
        EXPECT_FALSE(win.cmdreport->isVisible());
        click(remote == 1 ? win.cmdexport : win.cmdimport);
        click(win.cmddone);
    }
    EXPECT_EQ(started_actions, QStringList({"export", "import"}));
}

TEST_F(MenuScreen, PrintReportStandsBesideThePressedButton) {
    punch({{"tckempid", 8}, {"tckindate", 20040510}, {"tcktimein", "08:00:00"}});
    open_manager();
    QPushButton* print = menu->cmdprintlistbox;

    // An own report (right-hand column): to the left, pointing right.
    press(13);
    ASSERT_TRUE(print->isVisible());
    EXPECT_EQ(print->text(), "Print Report -->");
    const QRect hours = menu->cmdmenu[13]->geometry();
    EXPECT_LT(print->geometry().right(), hours.left());
    EXPECT_EQ(print->geometry().center().y(), hours.center().y());

    // A manager report: to the right, pointing left.
    press(2, {"0501", "0531", "1", "99"});
    ASSERT_TRUE(print->isVisible());
    EXPECT_EQ(print->text(), "<-- Print Report");
    const QRect jobs = menu->cmdmenu[2]->geometry();
    EXPECT_GT(print->geometry().left(), jobs.right());
    EXPECT_EQ(print->geometry().center().y(), jobs.center().y());
    EXPECT_EQ(lines().size(), 2);
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
        env.dialogs.clear();
        press(i, {"0501", "0531", "1", "99"});
        ASSERT_EQ(env.dialogs.boxes.size(), 1);
        EXPECT_EQ(env.dialogs.last().text, kConnection);
        EXPECT_EQ(env.dialogs.last().title, "Punchwell - Connection Problem");
        EXPECT_EQ(env.dialogs.last().icon, Icon::Information);
    }
    EXPECT_TRUE(env.programs.started.isEmpty());
    EXPECT_TRUE(started_actions.isEmpty());
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
        EXPECT_EQ(menu->lblpassword->text(), "Manager Password Required");
        EXPECT_LE((frame->geometry().center() - win.frareport->rect().center()).manhattanLength(),
                  2);
        EXPECT_EQ(win.focusWidget(), menu->txtmgrpassword);

        // Enter only moves on to Ok.
        QTest::keyClicks(menu->txtmgrpassword, c.typed);
        QTest::keyClick(menu->txtmgrpassword, Qt::Key_Return);
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(win.focusWidget(), menu->cmdpasswordok);
        EXPECT_TRUE(started_actions.isEmpty());

        click(menu->cmdpasswordok);
        EXPECT_FALSE(frame->isVisible());
        EXPECT_EQ(menu->txtmgrpassword->text(), "");
        EXPECT_EQ(started_actions, c.accepted ? QStringList{"configuration"} : QStringList{});
    }
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
}

TEST_F(MenuScreen, ActionButtonsStartTheirProgramsAndLeaveTheWorkDatabase) {
    open_manager();
    env.write_file(work_db_path(st), "kept");

    press(5);
    press(9);
    EXPECT_EQ(env.programs.started, QStringList({"syncnwk.exe new", "qwcedit.exe tclock0.txt"}));
    ASSERT_TRUE(QFile::remove(env.station_file("syncnwk.exe")));
    press(5);
    EXPECT_EQ(env.programs.started.size(), 2); // no clock sync without its program

    press(7);
    press(17);
    EXPECT_EQ(started_actions, QStringList({"editor", "misc"}));
    EXPECT_EQ(misc_at, menu->cmdmenu[17]->pos());
    EXPECT_EQ(st.run.report_index, 17);
    EXPECT_EQ(env.read_file(work_db_path(st)), "kept");
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());

    // A report button makes the work database fresh.
    press(0);
    EXPECT_EQ(st.run.report_index, 0);
    EXPECT_NE(env.read_file(work_db_path(st)), "kept");
}

TEST_F(MenuScreen, ReportsRunThroughTheWindow) {
    punch({{"tckindate", 20040524},
           {"tcktimein", "06:00:00"},
           {"tckpayrate", 10.0},
           {"tckstatus", 1}});
    punch({{"tckempid", 8},
           {"tckindate", 20040524},
           {"tcktimein", "07:00:00"},
           {"tckpayrate", 12.5},
           {"tckstatus", 1}});
    punch({{"tckempid", 8},
           {"tckindate", 20040503},
           {"tcktimein", "08:00:00"},
           {"tckadjtimein", "08:00:00"},
           {"tckoutdate", 20040503},
           {"tcktimeout", "16:00:00"},
           {"tckadjtimeout", "16:00:00"},
           {"tckreghours", 8.0},
           {"tckadjreghours", 8.0},
           {"tckadjreason", "MGR APPROVED"}});
    open_manager();

    press(0);
    EXPECT_EQ(lines(), QStringList({"12-05/24@06:00-ANN LEE", "     ", "12-05/24@07:00-BOB KING",
                                    "     ", QString(31, '-'), "Avg payrate/hr: $11.25"}));
    EXPECT_TRUE(win.lstpayrate->isVisible());
    EXPECT_FALSE(win.frakeypad->isVisible());
    const QFontMetrics pitch(win.lstpayrate->font()); // the columns line up
    EXPECT_EQ(pitch.horizontalAdvance("i"), pitch.horizontalAdvance("W"));

    press(1, {"0501", "0531", "8", "8"});
    EXPECT_EQ(env.dialogs.titles().mid(0, 2), QStringList({"FROM Date - Range of Employees Report",
                                                           "TO Date - Range of Employees Report"}));
    EXPECT_EQ(lines(), QStringList({"12-05/03@08:00-BOB KING", "     MGR APPROVED",
                                    "12-05/24@07:00-BOB KING", "     "}));
    // The work database holds exactly the listed rows, every column as in the punch table.
    const auto source = env.rows(env.punchdb(), "select * from punch where tckempid = 8 "
                                                "order by tckindate");
    const auto copies = env.rows(work_db_path(st), "select * from punch order by rowid");
    EXPECT_EQ(copies, source);
}

} // namespace
} // namespace pw
