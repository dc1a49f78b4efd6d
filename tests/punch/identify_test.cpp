#include "env.h"
#include "installation.h"
#include "punch/identify.h"
#include "station/startup.h"
#include "station/tclock.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

namespace pw {
namespace {

const QStringList kWaiting = {"Enter employee ID# and", "then select OK."};
const QStringList kPasswordPrompt =
    kWaiting + QStringList{" ", "Enter password and", "select OK again."};
const QString kDashes(38, '-');

// A running station on a temporary installation, driven as a person drives it.
class Screen : public ::testing::Test {
protected:
    test::TestEnv env;
    Tclock win;

    void SetUp() override {
        ASSERT_TRUE(suite::add_job(env.empdb(), 10, "Bartender"));
        ASSERT_TRUE(suite::add_job(env.empdb(), 20, "Cook"));
        ASSERT_TRUE(suite::add_job(env.empdb(), 30, "Server"));
    }
    void start() {
        connect_punch_screen(env.st, win);
        ASSERT_TRUE(startup(env.st, win));
    }
    template <typename T> T* find(const char* name) {
        T* w = win.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* box(const char* name) { return find<QLineEdit>(name); }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void key(int index) { click(qPrintable(QString("cmdkeypad%1").arg(index))); }

    // Types the number and the password, each followed by Enter.
    void login(const QString& number, const QString& password) {
        QTest::keyClicks(box("txtempid"), number);
        QTest::keyClick(box("txtempid"), Qt::Key_Return);
        QTest::keyClicks(box("txtpassword"), password);
        QTest::keyClick(box("txtpassword"), Qt::Key_Return);
    }
    QStringList lines() {
        QStringList out;
        auto* list = find<QListWidget>("lstjob");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    int selected() { return find<QListWidget>("lstjob")->currentRow(); }
    void expect_waiting() {
        EXPECT_EQ(lines(), kWaiting);
        EXPECT_EQ(box("txtempid")->text(), "");
        EXPECT_TRUE(box("txtpassword")->isHidden());
        EXPECT_TRUE(box("txtname")->isHidden());
        EXPECT_TRUE(button("cmdpunchin")->isHidden());
        EXPECT_TRUE(button("cmdpunchout")->isHidden());
        EXPECT_TRUE(button("cmddone")->isHidden());
        EXPECT_EQ(env.st.who.number, 0);
        EXPECT_EQ(env.st.who.entry_mode, 0);
    }
    void employee(int id, qint64 pword, const QVariant& status = "1") {
        ASSERT_TRUE(suite::add_employee(env.empdb(), id, "Ann", "Lee", pword, status));
    }
};

TEST_F(Screen, OnlyActiveEmployeesAreAvailable) {
    const struct {
        QVariant status;
        bool active;
    } cases[] = {{"1", true},  {" 1", true}, {"1.0", true}, {1, true},
                 {"0", false}, {"2", false}, {"x1", false}, {QVariant(), false}};
    start();
    int id = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status.toString().toStdString());
        ++id;
        employee(id, 5, c.status);
        ASSERT_TRUE(suite::add_empjob(env.empdb(), id, 10, 8));
        env.dialogs.clear();
        login(QString::number(id), "5");
        if (c.active) {
            EXPECT_TRUE(env.dialogs.boxes.isEmpty());
            EXPECT_EQ(box("txtname")->text(), "Ann Lee");
            click("cmddone");
        } else {
            ASSERT_EQ(env.dialogs.boxes.size(), 1);
            EXPECT_EQ(env.dialogs.last().text, "Employee record is not available.");
            EXPECT_EQ(env.dialogs.last().title, "Oops...");
        }
        expect_waiting();
    }
    env.dialogs.clear();
    login("999", "5");
    EXPECT_EQ(env.dialogs.texts(), QStringList{"Employee record is not available."});
}

TEST_F(Screen, PasswordsCompareAsNumbers) {
    const struct {
        QVariant stored;
        const char* typed;
        bool accepted;
    } cases[] = {
        {123, "123", true}, {123, "0123", true}, {-123, "123", true}, {QVariant(), "", true},
        {0, "", true},      {123, "", false},    {123, "12", false},  {123, "1234", false},
    };
    start();
    int id = 200;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString() + " typed " + c.typed);
        ++id;
        employee(id, 0);
        ASSERT_TRUE(suite::add_empjob(env.empdb(), id, 10, 8));
        ASSERT_TRUE(suite::exec_sql(env.empdb(), "update empinfo set pword = ? where empid = ?",
                                    {c.stored, id}));
        env.dialogs.clear();
        login(QString::number(id), c.typed);
        if (c.accepted) {
            EXPECT_TRUE(env.dialogs.boxes.isEmpty());
            EXPECT_FALSE(box("txtname")->isHidden());
            click("cmddone");
        } else {
            EXPECT_EQ(env.dialogs.texts(), QStringList{"Invalid Password."});
        }
        expect_waiting();
    }
}

TEST_F(Screen, TheKeypadTypesIntoTheBoxOfTheStage) {
    employee(42, 77);
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 42, 10, 8.5));
    start();
    // Ok on an empty number only prompts; the next Ok starts again.
    key(11);
    EXPECT_EQ(lines(), kPasswordPrompt);
    QTest::keyClicks(box("txtpassword"), "55");
    key(11);
    EXPECT_EQ(lines(), kPasswordPrompt);
    EXPECT_EQ(box("txtpassword")->text(), "");

    for (int k : {4, 2, 11, 7, 7})
        key(k);
    EXPECT_EQ(box("txtempid")->text(), "42");
    EXPECT_EQ(box("txtpassword")->text(), "77");
    key(11);
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
    EXPECT_EQ(box("txtname")->text(), "Ann Lee");
    EXPECT_EQ(env.st.who.number, 42);
    key(10); // Start Over
    expect_waiting();
}

TEST_F(Screen, TheNumberBoxTakesDigitsOnlyAndSemicolonIsEnter) {
    start();
    QTest::keyClicks(box("txtempid"), "1a2 b-3");
    EXPECT_EQ(box("txtempid")->text(), "123");
    QTest::keyClick(box("txtempid"), Qt::Key_Backspace);
    EXPECT_EQ(box("txtempid")->text(), "12");
    EXPECT_EQ(env.st.who.entry_mode, 0);
    QTest::keyClicks(box("txtempid"), ";");
    EXPECT_EQ(box("txtempid")->text(), "12");
    EXPECT_EQ(env.st.who.entry_mode, 1);
    EXPECT_EQ(lines(), kPasswordPrompt);
}

TEST_F(Screen, ManagerButtonFrom20000) {
    employee(1, 20000);
    employee(2, 19999);
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 1, 10, 9));
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 2, 10, 9));
    start();
    login("1", "20000");
    EXPECT_TRUE(button("cmdmanager")->isVisible());
    EXPECT_TRUE(button("cmdreport")->isVisible());
    EXPECT_TRUE(button("cmdprintertoggle")->isVisible());
    EXPECT_EQ(env.st.who.manager, 1);
    click("cmddone");
    login("2", "19999");
    EXPECT_FALSE(button("cmdmanager")->isVisible());
    EXPECT_EQ(env.st.who.manager, 0);
}

TEST_F(Screen, JobListAndItsSelectionRule) {
    const struct {
        int jobs;
        int row;
        int job_code;
        double pay_rate;
    } cases[] = {{1, 2, 10, 8.25}, {2, 2, 10, 8.25}, {3, 1, 0, 0}};
    start();
    int id = 300;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.jobs);
        ++id;
        employee(id, 1);
        // Added out of order: the list is by job code.
        for (int j = c.jobs; j >= 1; --j)
            ASSERT_TRUE(suite::add_empjob(env.empdb(), id, j * 10, 8 + 0.25 * j));
        login(QString::number(id), "1");
        QStringList expected = {"Select Job Below", kDashes, "10 Bartender"};
        if (c.jobs >= 2)
            expected << "20 Cook";
        if (c.jobs >= 3)
            expected << "30 Server";
        EXPECT_EQ(lines(), expected);
        EXPECT_EQ(selected(), c.row);
        EXPECT_EQ(env.st.who.job_code, c.job_code);
        EXPECT_DOUBLE_EQ(env.st.who.pay_rate, c.pay_rate);
        EXPECT_TRUE(button("cmdpunchin")->isVisible());
        EXPECT_FALSE(button("cmdpunchout")->isVisible());
        EXPECT_FALSE(find<QListWidget>("lstpayrate")->isVisible());
        click("cmddone");
    }
}

TEST_F(Screen, JobListKeysMoveTheChoice) {
    employee(5, 1);
    for (int job : {10, 20, 30})
        ASSERT_TRUE(suite::add_empjob(env.empdb(), 5, job, job / 2.0));
    start();
    login("5", "1");
    auto* list = find<QListWidget>("lstjob");
    ASSERT_EQ(selected(), 1);
    QTest::keyClicks(list, "+");
    EXPECT_EQ(env.st.who.job_code, 10);
    EXPECT_DOUBLE_EQ(env.st.who.pay_rate, 5);
    EXPECT_EQ(env.st.who.job_description, "Bartender");
    QTest::keyClicks(list, "+++");
    EXPECT_EQ(selected(), 4);
    EXPECT_EQ(env.st.who.job_code, 30);
    QTest::keyClicks(list, "----");
    EXPECT_EQ(selected(), 1); // never up to the heading
    EXPECT_EQ(env.st.who.job_code, 0);
    EXPECT_DOUBLE_EQ(env.st.who.pay_rate, 0);

    // A click on a line chooses it too; Enter goes on to Punch IN.
    const QRect cook = list->visualItemRect(list->item(3));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cook.center());
    EXPECT_EQ(env.st.who.job_code, 20);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(button("cmdpunchin")->hasFocus());
}

TEST_F(Screen, OnlyAssignmentsWithGlAccountBelowOneAreListed) {
    employee(7, 1);
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 7, 10, 8, 1));
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 7, 20, 8, 0));
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 7, 30, 8, -2));
    ASSERT_TRUE(suite::exec_sql(env.empdb(), "insert into empjobs (empid, jobcode, payrate, "
                                             "glacctnum) values (7, 40, 8, NULL), (8, 99, 8, 0)"));
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 8, 10, 8, 1));
    ASSERT_TRUE(suite::add_job(env.empdb(), 40, "Host"));
    start();
    login("7", "1");
    EXPECT_EQ(lines(), (QStringList{"Select Job Below", kDashes, "20 Cook", "30 Server"}));

    // Nothing listable (there is no job 99): no punch.
    click("cmddone");
    employee(8, 1);
    login("8", "1");
    ASSERT_EQ(env.dialogs.boxes.size(), 1);
    EXPECT_EQ(env.dialogs.last().title, "Oops!");
    EXPECT_EQ(env.dialogs.last().text, "No jobs are defined for this employee yet.\r\n"
                                       "Punchwell cannot punch this employee in.");
    expect_waiting();
}

TEST_F(Screen, AnOpenPunchOffersOnlyPunchOut) {
    employee(9, 1);
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 9, 10, 8));
    ASSERT_TRUE(env.add_punch({{"tckempid", 9},
                               {"tckstatus", 1},
                               {"tckindate", 20040524},
                               {"tcktimein", "06:03:10"},
                               {"tckadjtimein", "06:00:00"},
                               {"tckjobcode", 30},
                               {"tckjobdescription", "Server"}}));
    start();
    login("9", "1");
    EXPECT_EQ(lines(),
              (QStringList{"Currently punched in on", "20040524 at 06:00:00", "Job# 30", "Server",
                           kDashes, "Choose Punch Out now or", "select Done to cancel."}));
    EXPECT_FALSE(button("cmdpunchin")->isVisible());
    EXPECT_TRUE(button("cmdpunchout")->isVisible());
    EXPECT_TRUE(button("cmdpunchout")->hasFocus());
    EXPECT_EQ(env.st.who.open_punch, 1);
    EXPECT_EQ(env.st.who.job_code, 30);
    EXPECT_EQ(env.st.who.open_adjtimein, "06:00:00");

    // The list's click changes nothing while a punch is open.
    find<QListWidget>("lstjob")->setCurrentRow(1);
    EXPECT_EQ(env.st.who.job_code, 30);
    EXPECT_EQ(env.st.who.job_description, "Server");
}

TEST_F(Screen, AnOpenShiftPastTheLimitWarns) {
    ASSERT_TRUE(suite::exec_sql(env.configdb(), "update pr set shiftlimit = 8"));
    employee(9, 1);
    ASSERT_TRUE(env.add_punch({{"tckempid", 9},
                               {"tckstatus", 1},
                               {"tckindate", 20040523},
                               {"tckadjtimein", "22:00:00"},
                               {"tckjobcode", 10},
                               {"tckjobdescription", "Bartender"}}));
    start(); // the clock reads 2004-05-24 08:00: ten hours
    login("9", "1");
    EXPECT_EQ(lines(),
              (QStringList{"Currently punched in on", "20040523 at 22:00:00", "Job# 10",
                           "Bartender", kDashes, "You may have forgotten to",
                           "punch out. You must punch", "out now before you can", "punch in again.",
                           kDashes, "Choose Punch Out now or", "select Done to cancel."}));
}

TEST_F(Screen, DatabaseFailuresShowTheirBoxAndClear) {
    employee(9, 1);
    ASSERT_TRUE(suite::add_empjob(env.empdb(), 9, 10, 8));
    start();
    const struct {
        const char* what;
        QString db;
        QString title;
    } cases[] = {
        {"punch database locked", env.punchdb(), "Punchwell Code 3045"},
        {"employee database locked", env.empdb(), "Punchwell Code 3045"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        env.dialogs.clear();
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-station");
            other.setDatabaseName(c.db);
            ASSERT_TRUE(other.open());
            QSqlQuery lock(other);
            ASSERT_TRUE(lock.exec("begin exclusive"));
            login("9", "1");
            lock.exec("rollback");
        }
        QSqlDatabase::removeDatabase("other-station");
        ASSERT_EQ(env.dialogs.boxes.size(), 1);
        EXPECT_EQ(env.dialogs.last().title, c.title);
        EXPECT_EQ(env.dialogs.last().text,
                  "Punchwell database is in use. Try again in a moment or two...");
        expect_waiting();
    }

    // Any other failure gets the numbered-code box.
    env.dialogs.clear();
    ASSERT_TRUE(suite::exec_sql(env.punchdb(), "drop table punch"));
    login("9", "1");
    ASSERT_EQ(env.dialogs.boxes.size(), 1);
    EXPECT_EQ(env.dialogs.last().title, "Parvela Codes");
    EXPECT_TRUE(env.dialogs.last().text.startsWith("Code 3024 - "))
        << env.dialogs.last().text.toStdString();
    expect_waiting();
}

TEST_F(Screen, SuiteUnreachableAtOkLeavesTheScreen) {
    employee(9, 1);
    start();
    QTest::keyClicks(box("txtempid"), "9");
    QTest::keyClick(box("txtempid"), Qt::Key_Return);
    QFile::remove(env.data("parv.exe"));
    QTest::keyClicks(box("txtpassword"), "1");
    QTest::keyClick(box("txtpassword"), Qt::Key_Return);
    ASSERT_EQ(env.dialogs.boxes.size(), 1);
    EXPECT_EQ(env.dialogs.last().title, "Punchwell - Connection Problem");
    EXPECT_EQ(env.dialogs.last().text, "Punchwell cannot connect to Parvela.\r\n"
                                       "You cannot punch in or out unless this\n"
                                       "problem is corrected.");
    EXPECT_EQ(lines(), kPasswordPrompt);
    EXPECT_EQ(box("txtpassword")->text(), "1");
}

} // namespace
} // namespace pw
