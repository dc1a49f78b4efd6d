#include "drive.h"
#include "terminal.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>

namespace pw {
namespace {

using test::kDashes;
using test::kWaiting;
using test::Terminal;

const QStringList kPasswordPrompt =
    kWaiting + QStringList{" ", "Enter password and", "select OK again."};

TEST(Identify, WhoMayIdentifyTheJobListAndAnOpenPunchOnAnyJob) {
    // Employee status, stored password, typed password; the box (empty: identified) and the
    // manager button. Only active employees (status read as the number 1); passwords compare
    // as numbers with the stored one's absolute value; the manager button from 20000.
    const QString gone = "Employee record is not available.", wrong = "Invalid Password.";
    const std::tuple<QVariant, QVariant, const char*, QString, bool> cases[] = {
        {" 1", 123, "0123", "", false},   {"1.0", -123, "123", "", false},
        {1, QVariant(), "", "", false},   {"1", 123, "", wrong, false},
        {"1", 123, "12", wrong, false},   {"1", 20000, "20000", "", true},
        {"1", 19999, "19999", "", false}, {"0", 123, "123", gone, false},
        {"x1", 123, "123", gone, false},  {QVariant(), 123, "123", gone, false}};
    Terminal t;
    t.start();
    int id = 100;
    for (const auto& [status, stored, typed, refused, manager] : cases) {
        SCOPED_TRACE(++id);
        ASSERT_TRUE(
            suite::add_employee(t.env.db_access(), t.env.empdb(), id, "Al", "Fox", 0, status));
        ASSERT_TRUE(suite::add_empjob(t.env.db_access(), t.env.empdb(), id, 10, 8));
        t.emp("update empinfo set pword = ? where empid = ?", {stored, id});
        t.env.dialogs.clear();
        t.login(QString::number(id), typed);
        if (!refused.isEmpty()) {
            EXPECT_EQ(t.env.dialogs.titles() + t.env.dialogs.texts(),
                      QStringList({"Oops...", refused}));
        } else {
            EXPECT_TRUE(t.env.dialogs.boxes.isEmpty());
            EXPECT_TRUE(t.win.txtname->text() == "Al Fox" && t.button("cmdreport")->isVisible());
            EXPECT_EQ(t.button("cmdmanager")->isVisible(), manager);
            t.click("cmddone");
        }
        t.expect_waiting();
    }
    t.login("999", "5");
    EXPECT_EQ(t.env.dialogs.last().text, gone);
    t.env.dialogs.clear();

    // The employee's jobs as added (empid, jobcode, payrate, glacctnum); the list, by job
    // code and only with a GL account below 1; the line and job chosen. With one or two jobs
    // the first is chosen; with three the employee must pick.
    const std::tuple<const char*, const char*, int, int, double> job_lists[] = {
        {"(%1, 20, 9.5, 0), (%1, 10, 8.25, 0)", "10 Bartender|20 Cook", 2, 10, 8.25},
        {"(%1, 30, 8, 0), (%1, 20, 9.5, 0), (%1, 10, 8.25, 0)", "10 Bartender|20 Cook|30 Server", 1,
         0, 0},
        {"(%1, 10, 8, 1), (%1, 30, 8, -2), (%1, 20, 9.5, 0), (%1, 40, 8, NULL)",
         "20 Cook|30 Server", 2, 20, 9.5}};
    id = 300;
    for (const auto& [jobs, listed, row, job_code, pay_rate] : job_lists) {
        SCOPED_TRACE(jobs);
        ASSERT_TRUE(suite::add_employee(t.env.db_access(), t.env.empdb(), ++id, "Al", "Fox", 1));
        t.emp(QString("insert into empjobs (empid, jobcode, payrate, glacctnum) values ") +
              QString(jobs).arg(id));
        t.login(QString::number(id), "1");
        EXPECT_EQ(t.lines(),
                  QStringList({"Select Job Below", kDashes}) + QString(listed).split('|'));
        EXPECT_EQ(
            std::tuple(t.win.lstjob->currentRow(), t.env.st.who.job_code, t.env.st.who.pay_rate),
            std::tuple(row, job_code, pay_rate));
        EXPECT_TRUE(t.button("cmdpunchin")->isVisible());
        EXPECT_FALSE(t.button("cmdpunchout")->isVisible() || t.win.lstpayrate->isVisible());
        t.click("cmddone");
    }

    // "+" and "-" move the choice, never up to the heading; Enter goes on to Punch IN.
    t.login("302", "1");
    QTest::keyClicks(t.win.lstjob, "+");
    EXPECT_EQ(t.env.st.who.job_code, 10);
    QTest::keyClicks(t.win.lstjob, "+++");
    EXPECT_EQ(t.win.lstjob->currentRow(), 4);
    QTest::keyClicks(t.win.lstjob, "----");
    EXPECT_EQ(std::pair(t.win.lstjob->currentRow(), t.env.st.who.job_code), std::pair(1, 0));
    QTest::keyClick(t.win.lstjob, Qt::Key_Return);
    EXPECT_TRUE(t.button("cmdpunchin")->hasFocus());

    // Nothing listable (there is no job 99): no punch.
    t.click("cmddone");
    ASSERT_TRUE(suite::add_employee(t.env.db_access(), t.env.empdb(), 8, "Al", "Fox", 1));
    t.emp("insert into empjobs values (8, 99, 8, 0), (8, 10, 8, 1)");
    t.login("8", "1");
    EXPECT_EQ(t.env.dialogs.titles() + t.env.dialogs.texts(),
              QStringList({"Oops!", "No jobs are defined for this employee yet.\r\n"
                                    "Punchwell cannot punch this employee in."}));
    t.expect_waiting();
    // An open punch on any job offers only Punch Out; its lines and hours so far are checked
    // with the punches at the edges.
    t.open_punch(test::fields("jobcode=30 jobdescription=Server"));
    t.login();
    EXPECT_EQ(t.lines().mid(2, 2), (QStringList{"Job# 30", "Server"}));
    EXPECT_EQ(t.lines().mid(6), (QStringList{"Choose Punch Out now or", "select Done to cancel."}));
    EXPECT_TRUE(!t.button("cmdpunchin")->isVisible() && t.button("cmdpunchout")->hasFocus());
    // The list's click changes nothing while a punch is open.
    t.win.lstjob->setCurrentRow(1);
    EXPECT_EQ(t.env.st.who.job_code, 30);
    EXPECT_EQ(t.env.st.who.job_description, "Server");
}

TEST(Identify, ByKeypadAndKeyboardAndFailuresAtOk) {
    Terminal t;
    t.start();
    // Ok on an empty number only prompts; the next Ok starts again.
    t.key(11);
    EXPECT_EQ(t.lines(), kPasswordPrompt);
    QTest::keyClicks(t.win.txtpassword, "55");
    t.key(11);
    EXPECT_EQ(t.lines(), kPasswordPrompt);
    EXPECT_EQ(t.win.txtpassword->text(), "");

    for (int k : {9, 11, 1})
        t.key(k);
    EXPECT_EQ(std::tuple(t.win.txtempid->text(), t.win.txtpassword->text()), std::tuple("9", "1"));
    t.key(11);
    EXPECT_EQ(t.win.txtname->text(), "Ann Lee");
    t.key(10); // Start Over
    t.expect_waiting();

    // The number box takes digits only; ";" is Enter.
    QTest::keyClicks(t.win.txtempid, "1a2 b-3");
    EXPECT_EQ(t.win.txtempid->text(), "123");
    QTest::keyClick(t.win.txtempid, Qt::Key_Backspace);
    QTest::keyClicks(t.win.txtempid, ";");
    EXPECT_EQ(t.win.txtempid->text(), "12");
    EXPECT_EQ(t.lines(), kPasswordPrompt);
    t.key(10);

    // A database locked by another station, or any other failure at Ok: the box, then a
    // cleared screen.
    {
        test::DbLock lock(t.env, t.env.empdb());
        t.login();
    }
    EXPECT_EQ(t.env.dialogs.titles() + t.env.dialogs.texts(),
              QStringList({"Punchwell Code 3045",
                           "Punchwell database is in use. Try again in a moment or two..."}));
    t.expect_waiting();
    t.env.dialogs.clear();
    ASSERT_TRUE(suite::exec_sql(t.env.db_access(), t.env.punchdb(), "drop table punch"));
    t.login();
    EXPECT_EQ(t.env.dialogs.boxes.size() * test::code_shown(t.env.dialogs), 3024);
    t.expect_waiting();

    // The suite gone before the password's Ok: the box, and the screen stays.
    t.env.dialogs.clear();
    QTest::keyClicks(t.win.txtempid, "9;");
    QFile::remove(t.env.data("parv.exe"));
    QTest::keyClicks(t.win.txtpassword, "1");
    QTest::keyClick(t.win.txtpassword, Qt::Key_Return);
    EXPECT_EQ(t.env.dialogs.titles(), QStringList{"Punchwell - Connection Problem"});
    EXPECT_EQ(t.lines() << t.win.txtpassword->text(), kPasswordPrompt + QStringList{"1"});
}

} // namespace
} // namespace pw
