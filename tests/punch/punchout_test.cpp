#include "terminal.h"

#include <QFile>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace pw {
namespace {

using test::expect_punch;
using test::merged;
using test::Terminal;

QList<QVariantMap> shift_rows(const Terminal& t) {
    return t.env.rows(t.env.punchdb(),
                      "select * from punch where tckempid = 9 and tckjobcode = 10 order by rowid");
}

// Employee 9's open punch for job 10, and W hours already in the week.
void punched_in(Terminal& t, const QVariantMap& open = {}, double W = 36) {
    t.open_punch(open);
    if (W > 0)
        t.worked(20040523, W);
    t.worked(20040522, 50);    // last week
    t.worked(20040530, 50);    // next week
    t.worked(20040524, 50, 8); // someone else
}

TEST(PunchOut, ClosesTheRowUnderThePayRules) {
    const struct {
        const char *what, *pr; // the pay rules that differ from the defaults
        const char* open;      // the open row, beyond Terminal::open_punch's
        const char* out;       // the clock's time on 2004-05-24
        bool holiday;
        double W;                     // adjusted regular hours already in the week
        const char *shift, *overtime; // the rows beyond the open one as closed; overtime may lack
        const char *hours, *ot;       // on the receipt
    } cases[] = {
        {"out 23:55 with out-rounding 15 closes the day at 24:00", "outrounding = 15",
         "timein=16:00:00 adjtimein=16:00:00", "23:55:20", false, 0,
         "adjtimeout=24:00:00 reghours=8 adjreghours=8", nullptr, "8", nullptr},
        {"in yesterday 22:00, out today 00:05", "outrounding = 15",
         "indate=20040523 timein=21:58:10 adjtimein=22:00:00", "00:05:00", false, 0,
         "outdate=20040523 adjtimeout=24:00:00 reghours=2 adjreghours=2", nullptr, "2", nullptr},
        {"overnight shift reaching the limit 8 is bad with no hours", "shiftlimit = 8",
         "indate=20040523 timein=22:00:00 adjtimein=22:00:00", "06:00:00", false, 0, "status=3",
         nullptr, "0", nullptr},
        {"the same shift without a limit", "", "indate=20040523 timein=22:00:00 adjtimein=22:00:00",
         "06:00:00", false, 0, "reghours=8 adjreghours=8", nullptr, "8", nullptr},
        {"break 6 with reduction 0.5", "", "breaktime=6 breakreduction=0.5", "14:00:00", false, 0,
         "reghours=5.5 adjreghours=5.5", nullptr, "5.5", nullptr},
        {"W 36 and H 8 crosses the 40", "", "", "16:00:00", false, 36, "reghours=8 adjreghours=4",
         "othours=4", "4", "4"},
        {"W 40 and H 8: all overtime on the one row", "", "", "16:00:00", false, 40, "othours=8",
         nullptr, "8", nullptr},
        {"a holiday", "", "", "16:00:00", true, 10, "reghours=8 holidayhours=8", nullptr, "8",
         nullptr},
        {"a holiday crossing the 40", "", "", "16:00:00", true, 36, "reghours=8 holidayhours=4",
         "holidayhours=4", "4", "4"},
        {"wwstartday 0: no overtime", "wwstartday = 0", "", "16:00:00", false, 36,
         "reghours=8 adjreghours=8", nullptr, "8", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Terminal t;
        punched_in(t, test::fields(c.open), c.W);
        if (*c.pr)
            t.config(QString("update pr set ") + c.pr);
        if (c.holiday)
            t.env.write_file(t.env.data("holiday.dat"), "0101\r\n0524\r\n");
        t.env.clock.set(QString("2004-05-24 ") + c.out);
        t.start();
        t.login();
        t.env.dialogs.answers << "Yes";
        EXPECT_TRUE(t.click_while_closed("cmdpunchout"));

        // Both rows carry the open one's values, the out time and status; a number read as
        // NULL goes back as 0, text stays NULL.
        const QVariantMap open =
            merged(test::kOpenPunch, test::fields(QString("export=0 outdate=20040524 timeout=%1 "
                                                          "adjtimeout=%1 status=2 ")
                                                      .arg(c.out) +
                                                  c.open));
        const QList<QVariantMap> rows = shift_rows(t);
        ASSERT_EQ(rows.size(), c.overtime ? 2 : 1);
        expect_punch(rows[0], merged(open, test::fields(c.shift)));
        if (c.overtime)
            expect_punch(rows[1], merged(open, test::fields(c.overtime)));

        const QString out = rows[0]["tckadjtimeout"].toString();
        EXPECT_EQ(t.lines(), (QStringList{"Punched out for job #10", "at " + out, test::kDashes}));
        EXPECT_EQ(t.log(), QStringList{QString("20040524\\%1\\9\\10\\OUT\r\n").arg(c.out)});
        EXPECT_EQ(t.env.programs.started.last(), "syncnwk.exe nowait");
        EXPECT_EQ(t.env.dialogs.titles(), QStringList{"Print Punch-Out Receipt?"});
        EXPECT_EQ(t.env.dialogs.texts(),
                  QStringList{"Do you want a printed receipt of your punch-out record?"});
        QStringList receipt = {
            "Punchwell Punch-OUT Receipt", "===========================",
            "Employee #:   9 - Ann Lee",   "Job #:        10 Bartender",
            "Date:         20040524",      "Time IN:      " + open["tckadjtimein"].toString(),
            "Time OUT:     " + out,        QString("Hours:        ") + c.hours};
        if (c.ot)
            receipt << QString("Overtime hrs: ") + c.ot;
        ASSERT_EQ(t.env.printers.jobs.size(), 1);
        EXPECT_EQ(t.env.printers.jobs[0].lines, receipt + QStringList(10, " "));
        EXPECT_EQ(t.env.st.run.clearcountdown, 1);
    }
}

TEST(PunchInAndOut, FailuresChangeNothing) {
    const auto remove = [](const char* name) {
        return [name](Terminal& t) { QFile::remove(t.env.data(name)); };
    };
    const auto punchdb = [](const char* sql) {
        return [sql](Terminal& t) { suite::exec_sql(t.env.punchdb(), sql); };
    };
    const QString gone = "The <db> database is missing.\r\nContact Quorwyn technical support for "
                         "assistance.";
    const QString no_suite = "Punchwell cannot connect to Parvela.\r\n";
    const QString no_row = "Punchwell was unable to locate the punch-in record.";
    const struct {
        const char *button, *what;
        std::function<void(Terminal&)> harm;
        QString title, text;     // the text's start, <db> for the punch database's path
        bool waited = true;      // the wait notice was up when the box came
        bool screen_back = true; // the buttons return; else the screen clears shortly
        bool locked = false;     // another station holds the punch database meanwhile
    } cases[] = {
        {"cmdpunchin", "punch database missing", remove("PUNCHCLK.MDB"), "Uh-oh...", gone},
        {"cmdpunchin", "job gone from jobs",
         [](Terminal& t) { t.emp("delete from jobs where jobcode = 10"); }, "Parvela Codes",
         "Code 3021 - "},
        {"cmdpunchin", "suite unreachable", remove("parv.exe"), "Punchwell - Connection Problem",
         no_suite},
        {"cmdpunchout", "closed meanwhile elsewhere",
         punchdb("update punch set tckstatus = 2 where tckempid = 9"), "Uh-oh...", no_row, true,
         false},
        {"cmdpunchout", "punch database missing", remove("PUNCHCLK.MDB"), "Uh-oh...", gone},
        {"cmdpunchout", "overtime row refused",
         punchdb("create trigger full before insert on punch when new.tckothours > 0 begin "
                 "select raise(abort, 'disk full'); end"),
         "Parvela Codes", "Code "},
        {"cmdpunchout", "suite unreachable", remove("parv.exe"), "Punchwell - Connection Problem",
         no_suite, false},
        {"cmdpunchout", "punch database busy", punchdb("select 1"), "Parvela Codes", "Code 3045 - ",
         true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.what);
        Terminal t;
        if (c.button == QString("cmdpunchout"))
            punched_in(t);
        t.env.clock.set("2004-05-24 16:00:00");
        t.start();
        t.login();
        c.harm(t);
        const QByteArray before = t.env.read_file(t.env.punchdb());
        // The wait notice is up, centred across and a third of the free height down.
        bool waited = false;
        t.env.dialogs.on_box = [&](const test::Box&) {
            waited = t.win.frawait->isVisible() &&
                     t.win.frawait->pos() == QPoint((t.win.width() - t.win.frawait->width()) / 2,
                                                    (t.win.height() - t.win.frawait->height()) / 3);
        };
        {
            std::optional<test::DbLock> lock;
            if (c.locked)
                lock.emplace(t.env.punchdb());
            t.click(c.button);
        }
        EXPECT_EQ(t.env.dialogs.titles(), QStringList{c.title});
        EXPECT_TRUE(
            QString(t.env.dialogs.last().text).replace(t.env.punchdb(), "<db>").startsWith(c.text));
        EXPECT_EQ(waited, c.waited);
        EXPECT_EQ(t.env.read_file(t.env.punchdb()), before);
        EXPECT_TRUE(t.log().isEmpty());
        EXPECT_TRUE(t.env.printers.jobs.isEmpty());
        EXPECT_TRUE(t.win.frawait->isHidden());
        EXPECT_TRUE(t.button("cmdclose")->isEnabled());
        EXPECT_EQ(t.button(c.button)->isVisible(), c.screen_back);
        EXPECT_EQ(t.button("cmddone")->isVisible(), c.screen_back);
        EXPECT_EQ(t.env.st.run.clearcountdown, c.screen_back ? 0 : 1);
        // Once the other station lets go, the same screen punches out.
        if (c.locked) {
            t.click(c.button);
            EXPECT_EQ(shift_rows(t)[0]["tckstatus"].toInt(), 2);
        }
    }
}

// A clock that lets another station act the first time this one reads the time: in punch
// out that is between reading the open row and writing it back.
class MeddlingClock : public test::TestClock {
public:
    mutable std::function<void()> meddle;
    QDateTime now() const override {
        if (meddle)
            std::exchange(meddle, nullptr)();
        return TestClock::now();
    }
};

TEST(PunchOut, OfTwoStationsClosingOnePunchOneSucceeds) {
    // Station B punches the employee out while station A is between its read and its write.
    Terminal b;
    punched_in(b); // each close would add an overtime row
    b.env.clock.set("2004-05-24 16:00:00");
    b.start();
    b.login();
    MeddlingClock clock;
    clock.time = b.env.clock.time;
    test::RecordingPrinters printers;
    test::Peer a(b.env, clock, printers);
    test::type_login(a.win);
    clock.meddle = [&] { b.click("cmdpunchout"); };
    QTest::mouseClick(a.win.cmdpunchout, Qt::LeftButton);

    EXPECT_EQ(b.env.dialogs.titles(), QStringList{"Print Punch-Out Receipt?"});
    EXPECT_EQ(a.dialogs.texts(),
              QStringList{"Punchwell was unable to locate the punch-in record."});
    const QList<QVariantMap> rows = shift_rows(b);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["tckadjreghours"].toDouble(), 4);
    EXPECT_EQ(rows[1]["tckothours"].toDouble(), 4);
    EXPECT_EQ(b.log().size(), 1);
}

} // namespace
} // namespace pw
