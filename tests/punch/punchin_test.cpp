#include "station/startup.h"
#include "terminal.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>
#include <tuple>

namespace pw {
namespace {

using test::kDashes;
using test::Terminal;

TEST(PunchIn, WritesTheOpenRowLogsItAndOffersAReceipt) {
    // In-rounding, the rounded in time, the job's break rule, a failure of the punch log; the
    // log's attempts and the pauses. The in time is kept as it was and as rounded; the log
    // has the time as it was. A null break rule is copied as 0. The log is tried ten times a
    // second apart, but only once when the folder cannot be reached; the punch stands.
    const std::tuple<int, const char*, QVariant, QVariant, int, int, int> cases[] = {
        {15, "07:45:00", 6, 0.5, 0, 1, 2000},
        {0, "07:52:30", QVariant(), QVariant(), 0, 1, 2000},
        {15, "07:45:00", 6, 0.5, 57, 10, 9000 + 2000},
        {15, "07:45:00", 6, 0.5, 75, 1, 2000}};
    for (const auto& [inrounding, adjtimein, breaktime, cut, log_error, attempts, paused] : cases) {
        SCOPED_TRACE(QString("%1 %2").arg(inrounding).arg(log_error).toStdString());
        Terminal t;
        t.worked(20040517, 8); // no longer open: not in the way
        t.config("update pr set inrounding = ?", {inrounding});
        t.emp("update jobs set breaktime = ?, breakreduction = ?", {breaktime, cut});
        t.env.files.fail_names["tclog.clk"] = log_error;
        t.start();
        t.env.clock.set("2004-05-24 07:52:30");
        t.login();
        t.env.dialogs.answers << "Yes";
        EXPECT_TRUE(t.click_while_closed("cmdpunchin"));

        ASSERT_EQ(t.punches().size(), 2);
        test::expect_punch(
            t.punches()[1],
            test::merged(test::kOpenPunch, test::fields(QString("timein=07:52:30 adjtimein=%1 "
                                                                "breaktime=%2 breakreduction=%3")
                                                            .arg(adjtimein)
                                                            .arg(breaktime.toDouble())
                                                            .arg(cut.toDouble()))));
        EXPECT_EQ(t.lines(),
                  (QStringList{"Punched in for job #10", QString("at ") + adjtimein, kDashes}));
        EXPECT_EQ(t.env.files.attempts["tclog.clk"], attempts);
        EXPECT_EQ(t.log(),
                  log_error ? QStringList() : QStringList{"20040524\\07:52:30\\9\\10\\IN\r\n"});
        EXPECT_EQ(t.env.programs.started.last(), "syncnwk.exe nowait");
        EXPECT_EQ(t.env.dialogs.titles(), QStringList{"Print Punch-In Receipt?"});
        EXPECT_EQ(t.env.dialogs.texts(),
                  QStringList{"Do you want a printed receipt of your punch-in record?"});
        ASSERT_EQ(t.env.printers.jobs.size(), 1);
        EXPECT_EQ(t.env.printers.jobs[0].lines,
                  QStringList({"Punchwell Punch-IN Receipt", "==========================",
                               "Employee #: 9 - Ann Lee", "Job #:      10 Bartender",
                               "Date:       20040524", QString("Time IN:    ") + adjtimein}) +
                      QStringList(12, " "));

        // The result stays up for two seconds, then the screen clears on the third tick.
        EXPECT_EQ(t.env.clock.paused_ms, paused);
        EXPECT_TRUE(t.win.frawait->isHidden());
        EXPECT_TRUE(t.button("cmdclose")->isEnabled());
        for (const char* b : {"cmdpunchin", "cmdreport", "cmdprintertoggle", "cmddone"})
            EXPECT_TRUE(t.button(b)->isHidden()) << b;
        for (int i = 0; i < 3; ++i)
            tick(t.env.st, t.win);
        EXPECT_EQ(t.lines(), test::kWaiting);
    }
}

TEST(PunchIn, NeedsAJobAndAPayRate) {
    // Three jobs: none is chosen until the employee picks one.
    Terminal t;
    ASSERT_TRUE(suite::add_empjob(t.env.empdb(), 9, 30, 0.0099));
    t.start();
    t.login();
    t.click("cmdpunchin");
    EXPECT_EQ(t.env.dialogs.titles(), QStringList{"No job selected"});
    EXPECT_EQ(t.env.dialogs.texts(), QStringList{"Please select a job from the list."});
    EXPECT_TRUE(t.win.lstjob->hasFocus());

    // Below a cent is no pay rate; a cent is one.
    t.win.lstjob->setCurrentRow(4);
    t.click("cmdpunchin");
    EXPECT_EQ(t.env.dialogs.last().title, "Missing Pay Rate");
    EXPECT_EQ(t.env.dialogs.last().text,
              "No pay rate is assigned to this job.\nPlease contact your manager.");
    EXPECT_TRUE(t.button("cmdpunchin")->isVisible());
    EXPECT_TRUE(t.punches().isEmpty());
    t.click("cmddone");
    t.emp("update empjobs set payrate = 0.01 where jobcode = 30");
    t.login();
    t.win.lstjob->setCurrentRow(4);
    t.click("cmdpunchin");
    ASSERT_EQ(t.punches().size(), 1);
    EXPECT_DOUBLE_EQ(t.punches()[0]["tckpayrate"].toDouble(), 0.01);
}

} // namespace
} // namespace pw
