#include "punch/punchin.h"
#include "station/startup.h"
#include "terminal.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::expect_punch;
using test::kDashes;
using test::Terminal;

TEST(PunchIn, WritesTheOpenRowLogsItAndOffersAReceipt) {
    // The in time is kept as it was and as rounded; the log has the time as it was. The
    // job's break rule is copied, a null one as 0.
    const struct {
        int inrounding;
        const char* adjtimein;
        QVariant breaktime, breakreduction;
    } cases[] = {{15, "07:45:00", 6, 0.5}, {0, "07:52:30", QVariant(), QVariant()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inrounding);
        Terminal t;
        ASSERT_TRUE(
            suite::exec_sql(t.env.configdb(), "update pr set inrounding = ?", {c.inrounding}));
        ASSERT_TRUE(suite::exec_sql(t.env.empdb(),
                                    "update jobs set breaktime = ?, breakreduction = ?",
                                    {c.breaktime, c.breakreduction}));
        t.start();
        t.env.clock.set("2004-05-24 07:52:30");
        t.login();
        ASSERT_EQ(t.env.st.who.job_code, 10);
        t.env.dialogs.answers << "Yes";
        t.click("cmdpunchin");

        ASSERT_EQ(t.punches().size(), 1);
        expect_punch(t.punches()[0], {{"tckindate", 20040524},
                                      {"tckempid", 9},
                                      {"tckjobcode", 10},
                                      {"tckjobdescription", "Bartender"},
                                      {"tckpayrate", 8.25},
                                      {"tckbreaktime", c.breaktime.toDouble()},
                                      {"tckbreakreduction", c.breakreduction.toDouble()},
                                      {"tcktimein", "07:52:30"},
                                      {"tckadjtimein", c.adjtimein},
                                      {"tckstatus", 1}});
        EXPECT_EQ(t.lines(),
                  (QStringList{"Punched in for job #10", QString("at ") + c.adjtimein, kDashes}));
        EXPECT_EQ(t.log(), QStringList{"20040524\\07:52:30\\9\\10\\IN\r\n"});
        EXPECT_EQ(t.env.programs.started.last(), "syncnwk.exe nowait");

        ASSERT_EQ(t.env.dialogs.boxes.size(), 1);
        EXPECT_EQ(t.env.dialogs.last().kind, "question");
        EXPECT_EQ(t.env.dialogs.last().title, "Print Punch-In Receipt?");
        EXPECT_EQ(t.env.dialogs.last().text,
                  "Do you want a printed receipt of your punch-in record?");
        ASSERT_EQ(t.env.printers.jobs.size(), 1);
        const test::PrintJob& job = t.env.printers.jobs[0];
        EXPECT_EQ(job.printer, "Receipt");
        EXPECT_EQ(job.font, "Printer 16cpi");
        EXPECT_EQ(job.lines, QStringList({"Punchwell Punch-IN Receipt",
                                          "==========================", "Employee #: 9 - Ann Lee",
                                          "Job #:      10 Bartender", "Date:       20040524",
                                          QString("Time IN:    ") + c.adjtimein}) +
                                 QStringList(12, " "));

        // The result stays up for two seconds, then the screen clears on the third tick.
        EXPECT_EQ(t.env.clock.paused_ms, 2000);
        EXPECT_EQ(t.env.st.run.clearcountdown, 1);
        EXPECT_TRUE(t.win.frawait->isHidden());
        EXPECT_TRUE(t.button("cmdclose")->isEnabled());
        for (const char* b : {"cmdpunchin", "cmdreport", "cmdprintertoggle", "cmddone"})
            EXPECT_TRUE(t.button(b)->isHidden()) << b;
        for (int i = 0; i < 3; ++i)
            tick(t.env.st, t.win);
        EXPECT_EQ(t.lines(), (QStringList{"Enter employee ID# and", "then select OK."}));
    }
}

TEST(PunchIn, NeedsAJobAndAPayRate) {
    // Three jobs: none is chosen until the employee picks one.
    Terminal t;
    ASSERT_TRUE(suite::add_job(t.env.empdb(), 30, "Server"));
    ASSERT_TRUE(suite::add_empjob(t.env.empdb(), 9, 30, 0.0099));
    t.start();
    t.login();
    ASSERT_EQ(t.env.st.who.job_code, 0);
    t.click("cmdpunchin");
    ASSERT_EQ(t.env.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.env.dialogs.last().title, "No job selected");
    EXPECT_EQ(t.env.dialogs.last().text, "Please select a job from the list.");
    EXPECT_TRUE(t.win.lstjob->hasFocus());
    EXPECT_TRUE(t.button("cmdpunchin")->isVisible());

    // Below a cent is no pay rate.
    t.win.lstjob->setCurrentRow(4);
    t.click("cmdpunchin");
    ASSERT_EQ(t.env.dialogs.boxes.size(), 2);
    EXPECT_EQ(t.env.dialogs.last().title, "Missing Pay Rate");
    EXPECT_EQ(t.env.dialogs.last().text,
              "No pay rate is assigned to this job.\nPlease contact your manager.");
    EXPECT_TRUE(t.button("cmdpunchin")->isVisible());
    EXPECT_TRUE(t.punches().isEmpty());
    EXPECT_TRUE(t.log().isEmpty());

    // A cent is one.
    t.click("cmddone");
    ASSERT_TRUE(
        suite::exec_sql(t.env.empdb(), "update empjobs set payrate = 0.01 where jobcode = 30"));
    t.login();
    t.win.lstjob->setCurrentRow(4);
    t.click("cmdpunchin");
    ASSERT_EQ(t.punches().size(), 1);
    EXPECT_DOUBLE_EQ(t.punches()[0]["tckpayrate"].toDouble(), 0.01);
}

TEST(PunchIn, FailuresWriteNothingAndGiveTheScreenBack) {
    const struct {
        const char* what;
        std::function<void(Terminal&)> harm;
        QString title;
        QString text_start;
        bool table = true; // the punch table is still there to look at
    } cases[] = {
        {"punch database missing", [](Terminal& t) { QFile::remove(t.env.punchdb()); }, "Uh-oh...",
         "The ", false},
        {"job gone from jobs",
         [](Terminal& t) { suite::exec_sql(t.env.empdb(), "delete from jobs where jobcode = 10"); },
         "Parvela Codes", "Code 3021 - "},
        {"punch table gone",
         [](Terminal& t) { suite::exec_sql(t.env.punchdb(), "drop table punch"); }, "Parvela Codes",
         "Code 3024 - ", false},
        {"suite unreachable", [](Terminal& t) { QFile::remove(t.env.data("parv.exe")); },
         "Punchwell - Connection Problem", "Punchwell cannot connect to Parvela.\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Terminal t;
        t.start();
        t.login();
        c.harm(t);
        // The wait notice is up, centred across and a third of the free height down.
        bool waiting_shown = false;
        t.env.dialogs.on_box = [&](const test::Box&) {
            waiting_shown =
                t.win.frawait->isVisible() &&
                t.win.frawait->pos() == QPoint((t.win.width() - t.win.frawait->width()) / 2,
                                               (t.win.height() - t.win.frawait->height()) / 3);
        };
        t.click("cmdpunchin");
        ASSERT_EQ(t.env.dialogs.boxes.size(), 1);
        EXPECT_EQ(t.env.dialogs.last().title, c.title);
        EXPECT_TRUE(t.env.dialogs.last().text.startsWith(c.text_start))
            << t.env.dialogs.last().text.toStdString();
        EXPECT_TRUE(waiting_shown);
        EXPECT_TRUE(t.win.frawait->isHidden());
        EXPECT_TRUE(t.button("cmdclose")->isEnabled());
        EXPECT_TRUE(t.button("cmdpunchin")->isVisible());
        EXPECT_TRUE(t.button("cmddone")->isVisible());
        EXPECT_EQ(t.env.st.run.clearcountdown, 0);
        if (c.table) {
            EXPECT_TRUE(t.punches().isEmpty());
        }
        EXPECT_TRUE(t.log().isEmpty());
    }
    Terminal t;
    t.start();
    t.login();
    QFile::remove(t.env.punchdb());
    t.click("cmdpunchin");
    EXPECT_EQ(t.env.dialogs.last().text, "The " + t.env.punchdb() +
                                             " database is missing.\r\n"
                                             "Contact Quorwyn technical support for assistance.");
}

TEST(PunchIn, APunchLogThatCannotBeWrittenLeavesThePunch) {
    // Ten tries a second apart, but only one when the folder cannot be reached.
    const struct {
        int code;
        int attempts;
        int paused_ms;
    } cases[] = {{57, 10, 9000 + 2000}, {53, 10, 9000 + 2000}, {75, 1, 2000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        Terminal t;
        t.start();
        t.login();
        t.env.files.fail_names["tclog.clk"] = c.code;
        t.click("cmdpunchin");
        EXPECT_EQ(t.env.files.attempts["tclog.clk"], c.attempts);
        EXPECT_EQ(t.env.clock.paused_ms, c.paused_ms);
        EXPECT_EQ(t.punches().size(), 1);
        EXPECT_EQ(t.env.dialogs.titles(), QStringList{"Print Punch-In Receipt?"});
        EXPECT_EQ(t.env.st.run.clearcountdown, 1);
    }
}

} // namespace
} // namespace pw
