#include "punch/results.h"
#include "reports/menu.h"
#include "reports/punchreports.h"
#include "screens/linelist.h"
#include "station/messages.h"
#include "station/settings.h"
#include "terminal.h"
#include "window/startup.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::kWaiting;
using test::Terminal;

void tick_at(Terminal& t, const QDateTime& when) {
    t.env.clock.time = when;
    tick(t.env.st, t.win);
}

QString admlog(const Terminal& t) {
    return QString::fromUtf8(t.env.read_file(t.env.station_file("admlog.ini")));
}

// What a punch leaves on screen belongs to nobody: neither its boxes nor its session serve
// the next person, whatever they press.
TEST(Kiosk, TheResultOfAPunchBelongsToNobody) {
    Terminal t;
    t.start_login();
    t.click("cmdpunchin");
    ASSERT_EQ(t.env.punches("tckstatus = 1").size(), 1);
    EXPECT_TRUE(t.lines().first().startsWith("In at "));
    EXPECT_TRUE(t.win.txtempid->text().isEmpty() && t.win.txtpassword->isHidden());
    EXPECT_EQ(t.env.st.who.number, 0);
    EXPECT_TRUE(t.env.dialogs.question_open()); // the receipt offer, not yet answered

    // Ok during the result: no job list, no punch screen, and the receipt offer is gone.
    t.key(11);
    t.expect_waiting();
    EXPECT_FALSE(t.env.dialogs.question_open());
    EXPECT_EQ(t.env.dialogs.last().answer, "No");
    EXPECT_TRUE(t.env.printers.jobs.isEmpty());

    // Out, then the next person's digits, by keypad and by keyboard, start in an empty box.
    t.login();
    t.click("cmdpunchout");
    ASSERT_EQ(t.env.punches("tckstatus = 2").size(), 1);
    t.key(4), t.key(2);
    EXPECT_EQ(t.win.txtempid->text(), "42");
    EXPECT_EQ(t.lines(), kWaiting);
    t.key(10);
    t.login();
    t.click("cmdpunchin");
    QTest::keyClicks(t.win.txtempid, "9");
    EXPECT_EQ(t.win.txtempid->text() + "|" + t.lines().join('|'), "9|" + kWaiting.join('|'));
    EXPECT_EQ(t.env.st.run.clearcountdown, 0); // the countdown no longer clears what is typed
    // The result lines beyond the first two, on their own.
    EXPECT_EQ(out_result_lines({"06:00:00", 10, 42, 2, 8, "Left at 06:00"}).mid(1).join('|'),
              "This shift 10.00 h, this week 42.00 h.|Overtime 2.00 h.|Holiday 8.00 h.|"
              "This shift waits for a manager: Left at 06:00.");

    // After punching out, a fresh identification offers the jobs with their rates again.
    t.click("cmddone");
    t.login();
    t.click("cmdpunchout");
    t.login();
    EXPECT_EQ(t.env.st.who.pay_rate, 8.25);
    t.click("cmdpunchin");
    EXPECT_TRUE(t.lines().first().startsWith("In at "));
    EXPECT_EQ(t.env.punches().size(), 3);
}

TEST(Kiosk, TheReceiptQuestionOnlyWithAPrinterAndNeverForTheNextPerson) {
    {
        // A new station on a workstation without printers: no receipt printer, no question.
        Terminal t;
        t.env.printers.printer_names.clear();
        t.start();
        EXPECT_EQ(t.env.read_file(t.env.station_file("tclock.ini")), "-1 , 0 , 0 \r\n");
        t.login();
        EXPECT_TRUE(t.button("cmdprintertoggle")->isHidden());
        t.click("cmdpunchin");
        EXPECT_TRUE(t.env.dialogs.boxes.isEmpty());
    }
    // With one, the question answers itself No after 15 s.
    Terminal t;
    t.start_login();
    t.click("cmdpunchin");
    const QDateTime asked = t.env.clock.time;
    tick_at(t, asked.addSecs(14));
    EXPECT_TRUE(t.env.dialogs.question_open());
    tick_at(t, asked.addSecs(15));
    EXPECT_FALSE(t.env.dialogs.question_open());
    EXPECT_TRUE(t.env.printers.jobs.isEmpty());
}

TEST(Kiosk, WrongPasswordsLockTheNumberForFiveMinutes) {
    Terminal t;
    t.start();
    const QString locked = "Too many wrong passwords. Try again in 5 minutes or ask a manager.";
    const QDateTime start = t.env.clock.time;
    // Four wrong, then the fifth more than ten minutes after the first: no lock yet.
    for (int i = 0; i < 4; ++i)
        t.login("9", "7");
    t.env.clock.time = start.addSecs(10 * 60 + 1);
    t.login("9", "7");
    t.login("9", "1");
    EXPECT_TRUE(t.win.txtname->isVisible());
    t.click("cmddone");
    // A right password forgets the failures; five in a row lock the number, not another one.
    for (int i = 0; i < 5; ++i)
        t.login("9", "7");
    EXPECT_TRUE(admlog(t).contains("Employee 9 locked for 5 minutes after 5 wrong passwords"));
    t.env.dialogs.clear();
    t.login("9", "1");
    EXPECT_EQ(t.env.dialogs.texts(), QStringList{locked});
    t.expect_waiting();
    t.env.clock.time = t.env.clock.time.addSecs(5 * 60);
    t.env.dialogs.clear();
    t.login("9", "1");
    EXPECT_TRUE(t.env.dialogs.boxes.isEmpty() && t.win.txtname->isVisible());
}

// The club's pay rules, or no punching: a CONFIG.MDB that cannot be read at start-up stops
// the punching until a retry reads it, and the configuration password never defaults.
TEST(Kiosk, PunchingWaitsForThePayRules) {
    Terminal t;
    ASSERT_TRUE(t.env.exec(t.env.configdb(), "update pr set inrounding = 15"));
    const QString waiting = "Pay rules could not be read (Code 3045). Punching waits until "
                            "they can.";
    {
        test::DbLock lock(t.env, t.env.configdb());
        t.start();
        EXPECT_EQ(t.win.lblmsg->text(), waiting);
        EXPECT_FALSE(manager_password_right(t.env.st.settings, "zvt"));
        t.login();
        EXPECT_EQ(t.env.dialogs.texts(), QStringList{waiting});
        EXPECT_TRUE(t.win.txtname->isHidden());
        // A retry while still locked changes nothing.
        tick_at(t, t.env.clock.time.addSecs(10));
        EXPECT_EQ(t.win.lblmsg->text(), waiting);
    }
    EXPECT_TRUE(admlog(t).contains("Pay rules could not be read: Code 3045"));
    tick_at(t, t.env.clock.time.addSecs(9));
    EXPECT_FALSE(t.env.st.settings.payrules_loaded); // not before ten seconds
    tick_at(t, t.env.clock.time.addSecs(1));
    EXPECT_NE(t.win.lblmsg->text(), waiting);
    t.env.clock.set("2004-05-24 08:07:00");
    t.login();
    t.click("cmdpunchin");
    EXPECT_EQ(t.env.punches()[0]["tckadjtimein"].toString(), "08:00:00");
}

TEST(Kiosk, CloseNeedsTheConfigurationPassword) {
    Terminal t;
    t.start();
    t.win.show();
    // Cancelled, then wrong: the station runs on. The window's own close box asks too.
    test::answer(t.env.dialogs, {test::kCancel, "zv"});
    t.click("cmdclose");
    t.win.close();
    EXPECT_EQ(t.env.dialogs.of(&test::Box::kind), QStringList({"input", "input", "message"}));
    EXPECT_EQ(t.env.dialogs.last().text, "Wrong password.");
    EXPECT_TRUE(t.win.isVisible() && t.win.Timer1->interval() == 1000);
    test::answer(t.env.dialogs, {"ZVT"});
    t.click("cmdclose");
    EXPECT_FALSE(t.win.isVisible() || QFile::exists(t.env.station_file("punchwell.run")));
}

} // namespace
} // namespace pw

namespace pw {
namespace {

// A punch open longer than a shift can be is closed at the time its owner says they left,
// for the manager to approve; then they can punch in.
TEST(Kiosk, AForgottenPunchOutIsAskedOfItsOwner) {
    test::Terminal t;
    t.open_punch(); // Bartender since 2004-05-24 08:00, no shift limit: asked after 16 h
    t.env.clock.set("2004-05-25 00:00:00");
    t.start_login();
    EXPECT_TRUE(t.button("cmdpunchout")->isVisible()); // 16 h: not yet
    t.click("cmddone");
    t.env.clock.set("2004-05-25 09:00:00");
    t.login();
    auto* frame = t.win.findChild<QWidget*>("fraleft");
    auto* date = frame->findChild<QLineEdit*>("txtleftdate");
    auto* time = frame->findChild<QLineEdit*>("txtlefttime");
    ASSERT_TRUE(frame->isVisible() && !t.button("cmdpunchout")->isVisible());
    EXPECT_EQ(frame->findChild<QLabel*>("lblleft")->text(),
              "You are still punched in since Mon 05/24 at 08:00\nfor Bartender.\n"
              "When did you leave?");
    EXPECT_EQ(date->text(), "0524");
    // Typed on the keypad; refused until it lies between the punch in and now.
    const std::pair<const char*, const char*> refused[] = {
        {"0524", "0700"}, {"0525", "0930"}, {"0524", "2460"}, {"05", "1630"}};
    for (const auto& [day, at] : refused) {
        date->setText(day);
        time->clear();
        for (const QChar c : QString(at))
            t.key(c.digitValue());
        t.key(11);
        EXPECT_EQ(t.env.punches("tckstatus = 1").size(), 1) << day << at;
    }
    EXPECT_EQ(t.env.dialogs.titles(), QStringList(4, "Oops..."));
    date->setText("0524");
    time->setText("1630");
    t.click("cmdleftsave");
    const QVariantMap row = t.env.punches()[0];
    EXPECT_EQ(row["tckstatus"].toInt(), 3);
    EXPECT_EQ(row["tckadjreason"].toString(), "Left at 16:30 (employee)");
    EXPECT_EQ(row["tckoutdate"].toString() + " " + row["tckadjtimeout"].toString(),
              "20040524 16:30:00");
    EXPECT_EQ(row["tckreghours"].toString(), "8.5");
    EXPECT_TRUE(t.log().contains("20040524\\16:30:00\\9\\10\\OUT"));
    EXPECT_EQ(t.lines().mid(2), (QStringList{"10 Bartender", "20 Cook"}));
    t.click("cmdpunchin");
    EXPECT_EQ(t.env.punches("tckstatus = 1").size(), 1);

    // Declined: the punch stays open for the manager.
    t.env.clock.set("2004-05-27 09:00:00");
    t.login();
    t.click("cmdaskmanager");
    t.expect_waiting();
    EXPECT_EQ(t.env.punches("tckstatus = 1").size(), 1);
    // The manager sees it marked among the open punches, and the closed one waiting.
    LineList report;
    manager_report(t.env.st, report, kWhosPunchedIn);
    EXPECT_TRUE(report.texts().join('|').contains("OPEN TOO LONG - forgot to punch out?"));
    EXPECT_EQ(review_note(t.env.st), " - 1 to review");
}

} // namespace
} // namespace pw
