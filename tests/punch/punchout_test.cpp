#include "punch/punchout.h"
#include "terminal.h"

#include <QFile>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::expect_punch;
using test::kDashes;
using test::Terminal;

const QVariantMap kOpenRow = {{"tckempid", 9},
                              {"tckjobcode", 10},
                              {"tckjobdescription", "Bartender"},
                              {"tckpayrate", 8.25},
                              {"tckindate", 20040524},
                              {"tcktimein", "08:00:00"},
                              {"tckadjtimein", "08:00:00"},
                              // A number read as NULL goes back as 0; text stays NULL.
                              {"tckexport", 0}};

QVariantMap merged(QVariantMap a, const QVariantMap& b) {
    for (auto it = b.begin(); it != b.end(); ++it)
        a[it.key()] = it.value();
    return a;
}

QList<QVariantMap> shift_rows(const Terminal& t) {
    return t.env.rows(t.env.punchdb(),
                      "select * from punch where tckempid = 9 and tckjobcode = 10 order by rowid");
}

struct OutCase {
    const char* what;
    QVariantMap open; // the open row, beyond kOpenRow
    const char* clock;
    int outrounding = 0;
    int shiftlimit = 0;
    int wwstartday = 1;
    bool holiday = false;
    double W = 0;         // adjusted regular hours already in the week
    QVariantMap shift;    // the closed row, beyond the open one
    QVariantMap overtime; // the overtime row, beyond the open one; empty: none
    const char* hours;    // on the receipt
    const char* ot = nullptr;
};

TEST(PunchOut, ClosesTheRowUnderThePayRules) {
    const QVariantMap closed_1600 = {{"tckoutdate", 20040524},
                                     {"tcktimeout", "16:00:00"},
                                     {"tckadjtimeout", "16:00:00"},
                                     {"tckstatus", 2}};
    const OutCase cases[] = {
        {"out 23:55 with out-rounding 15 closes the day at 24:00",
         {{"tcktimein", "16:00:00"}, {"tckadjtimein", "16:00:00"}},
         "2004-05-24 23:55:20",
         15,
         0,
         1,
         false,
         0,
         {{"tckoutdate", 20040524},
          {"tcktimeout", "23:55:20"},
          {"tckadjtimeout", "24:00:00"},
          {"tckreghours", 8},
          {"tckadjreghours", 8},
          {"tckstatus", 2}},
         {},
         "8"},
        {"in yesterday 22:00, out today 00:05",
         {{"tckindate", 20040523}, {"tcktimein", "21:58:10"}, {"tckadjtimein", "22:00:00"}},
         "2004-05-24 00:05:00",
         15,
         0,
         1,
         false,
         0,
         {{"tckoutdate", 20040523},
          {"tcktimeout", "00:05:00"},
          {"tckadjtimeout", "24:00:00"},
          {"tckreghours", 2},
          {"tckadjreghours", 2},
          {"tckstatus", 2}},
         {},
         "2"},
        {"overnight shift reaching the limit 8 is bad with no hours",
         {{"tckindate", 20040523}, {"tcktimein", "22:00:00"}, {"tckadjtimein", "22:00:00"}},
         "2004-05-24 06:00:00",
         0,
         8,
         1,
         false,
         0,
         {{"tckoutdate", 20040524},
          {"tcktimeout", "06:00:00"},
          {"tckadjtimeout", "06:00:00"},
          {"tckstatus", 3}},
         {},
         "0"},
        {"the same shift without a limit",
         {{"tckindate", 20040523}, {"tcktimein", "22:00:00"}, {"tckadjtimein", "22:00:00"}},
         "2004-05-24 06:00:00",
         0,
         0,
         1,
         false,
         0,
         {{"tckoutdate", 20040524},
          {"tcktimeout", "06:00:00"},
          {"tckadjtimeout", "06:00:00"},
          {"tckreghours", 8},
          {"tckadjreghours", 8},
          {"tckstatus", 2}},
         {},
         "8"},
        {"8 h 20 min",
         {},
         "2004-05-24 16:20:00",
         0,
         0,
         1,
         false,
         0,
         {{"tckoutdate", 20040524},
          {"tcktimeout", "16:20:00"},
          {"tckadjtimeout", "16:20:00"},
          {"tckreghours", 8.33},
          {"tckadjreghours", 8.33},
          {"tckstatus", 2}},
         {},
         "8.33"},
        {"break 6 with reduction 0.5",
         {{"tckbreaktime", 6}, {"tckbreakreduction", 0.5}},
         "2004-05-24 14:00:00",
         0,
         0,
         1,
         false,
         0,
         {{"tckoutdate", 20040524},
          {"tcktimeout", "14:00:00"},
          {"tckadjtimeout", "14:00:00"},
          {"tckreghours", 5.5},
          {"tckadjreghours", 5.5},
          {"tckstatus", 2}},
         {},
         "5.5"},
        {"W 36 and H 8 crosses the 40",
         {},
         "2004-05-24 16:00:00",
         0,
         0,
         1,
         false,
         36,
         merged(closed_1600, {{"tckreghours", 8}, {"tckadjreghours", 4}}),
         merged(closed_1600, {{"tckothours", 4}}),
         "4",
         "4"},
        {"W 40 and H 8: all overtime on the one row",
         {},
         "2004-05-24 16:00:00",
         0,
         0,
         1,
         false,
         40,
         merged(closed_1600, {{"tckothours", 8}}),
         {},
         "8"},
        {"a holiday",
         {},
         "2004-05-24 16:00:00",
         0,
         0,
         1,
         true,
         10,
         merged(closed_1600, {{"tckreghours", 8}, {"tckholidayhours", 8}}),
         {},
         "8"},
        {"a holiday crossing the 40",
         {},
         "2004-05-24 16:00:00",
         0,
         0,
         1,
         true,
         36,
         merged(closed_1600, {{"tckreghours", 8}, {"tckholidayhours", 4}}),
         merged(closed_1600, {{"tckholidayhours", 4}}),
         "4",
         "4"},
        {"wwstartday 0: no overtime",
         {},
         "2004-05-24 16:00:00",
         0,
         0,
         0,
         false,
         36,
         merged(closed_1600, {{"tckreghours", 8}, {"tckadjreghours", 8}}),
         {},
         "8"},
    };
    for (const OutCase& c : cases) {
        SCOPED_TRACE(c.what);
        Terminal t;
        ASSERT_TRUE(suite::exec_sql(t.env.configdb(),
                                    "update pr set outrounding = ?, shiftlimit = ?, wwstartday = ?",
                                    {c.outrounding, c.shiftlimit, c.wwstartday}));
        if (c.holiday)
            t.env.write_file(t.env.data("holiday.dat"), "0101\r\n0524\r\n");
        t.open_punch(c.open);
        if (c.W > 0)
            t.worked(20040523, c.W);
        t.worked(20040522, 50);    // last week
        t.worked(20040524, 50, 8); // someone else
        t.env.clock.set(c.clock);
        t.start();
        t.login();
        ASSERT_TRUE(t.button("cmdpunchout")->isVisible());
        t.env.dialogs.answers << "Yes";
        t.click("cmdpunchout");

        const QVariantMap open = merged(kOpenRow, c.open);
        const QList<QVariantMap> rows = shift_rows(t);
        ASSERT_EQ(rows.size(), c.overtime.isEmpty() ? 1 : 2);
        expect_punch(rows[0], merged(open, c.shift));
        if (!c.overtime.isEmpty())
            expect_punch(rows[1], merged(open, c.overtime));

        const QString out = rows[0]["tckadjtimeout"].toString();
        const QString time = QString(c.clock).mid(11);
        EXPECT_EQ(t.lines(), (QStringList{"Punched out for job #10", "at " + out, kDashes}));
        EXPECT_EQ(t.log(), QStringList{"20040524\\" + time + "\\9\\10\\OUT\r\n"});
        EXPECT_EQ(t.env.programs.started.last(), "syncnwk.exe nowait");
        ASSERT_EQ(t.env.dialogs.boxes.size(), 1);
        EXPECT_EQ(t.env.dialogs.last().title, "Print Punch-Out Receipt?");
        EXPECT_EQ(t.env.dialogs.last().text,
                  "Do you want a printed receipt of your punch-out record?");
        QStringList receipt = {
            "Punchwell Punch-OUT Receipt", "===========================",
            "Employee #:   9 - Ann Lee",   "Job #:        10 Bartender",
            "Date:         20040524",      "Time IN:      " + open["tckadjtimein"].toString(),
            "Time OUT:     " + out,        QString("Hours:        ") + c.hours};
        if (c.ot)
            receipt << QString("Overtime hrs: ") + c.ot;
        ASSERT_EQ(t.env.printers.jobs.size(), 1);
        EXPECT_EQ(t.env.printers.jobs[0].lines, receipt + QStringList(10, " "));

        EXPECT_EQ(t.env.clock.paused_ms, 2000);
        EXPECT_EQ(t.env.st.run.clearcountdown, 1);
        EXPECT_TRUE(t.win.frawait->isHidden());
        EXPECT_TRUE(t.button("cmdclose")->isEnabled());
    }
}

TEST(PunchOut, FailuresLeaveThePunchAsItWas) {
    const struct {
        const char* what;
        std::function<void(Terminal&)> harm;
        QString title;
        QString text_start;
        bool screen_back; // the buttons return (or the screen clears shortly)
    } cases[] = {
        {"closed meanwhile elsewhere",
         [](Terminal& t) {
             suite::exec_sql(t.env.punchdb(), "update punch set tckstatus = 2 where tckempid = 9");
         },
         "Uh-oh...", "Punchwell was unable to locate the punch-in record.", false},
        {"punch database missing", [](Terminal& t) { QFile::remove(t.env.punchdb()); }, "Uh-oh...",
         "The ", true},
        {"overtime row refused",
         [](Terminal& t) {
             suite::exec_sql(t.env.punchdb(),
                             "create trigger full before insert on punch when new.tckothours > 0 "
                             "begin select raise(abort, 'disk full'); end");
         },
         "Parvela Codes", "Code ", true},
        {"suite unreachable", [](Terminal& t) { QFile::remove(t.env.data("parv.exe")); },
         "Punchwell - Connection Problem", "Punchwell cannot connect to Parvela.\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Terminal t;
        t.open_punch({});
        t.worked(20040523, 36);
        t.env.clock.set("2004-05-24 16:00:00");
        t.start();
        t.login();
        c.harm(t);
        const bool have_rows = QFile::exists(t.env.punchdb());
        const QList<QVariantMap> before = have_rows ? shift_rows(t) : QList<QVariantMap>{};
        t.click("cmdpunchout");
        ASSERT_EQ(t.env.dialogs.boxes.size(), 1);
        EXPECT_EQ(t.env.dialogs.last().title, c.title);
        EXPECT_TRUE(t.env.dialogs.last().text.startsWith(c.text_start))
            << t.env.dialogs.last().text.toStdString();
        if (have_rows) {
            EXPECT_EQ(shift_rows(t), before);
        }
        EXPECT_TRUE(t.log().isEmpty());
        EXPECT_TRUE(t.env.printers.jobs.isEmpty());
        EXPECT_TRUE(t.win.frawait->isHidden());
        EXPECT_TRUE(t.button("cmdclose")->isEnabled());
        EXPECT_EQ(t.button("cmdpunchout")->isVisible(), c.screen_back);
        EXPECT_EQ(t.env.st.run.clearcountdown, c.screen_back ? 0 : 1);
    }
}

TEST(PunchOut, ABusyPunchDatabaseShowsItsCodeAndChangesNothing) {
    Terminal t;
    t.open_punch({});
    t.env.clock.set("2004-05-24 16:00:00");
    t.start();
    t.login();
    const QList<QVariantMap> before = shift_rows(t);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-station");
        other.setDatabaseName(t.env.punchdb());
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec("begin exclusive"));
        t.click("cmdpunchout");
        lock.exec("rollback");
    }
    QSqlDatabase::removeDatabase("other-station");
    ASSERT_EQ(t.env.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.env.dialogs.last().title, "Parvela Codes");
    EXPECT_TRUE(t.env.dialogs.last().text.startsWith("Code 3045 - "));
    EXPECT_EQ(shift_rows(t), before);
    EXPECT_TRUE(t.log().isEmpty());
    // Once the other station lets go, the same screen punches out.
    t.click("cmdpunchout");
    EXPECT_EQ(shift_rows(t)[0]["tckstatus"].toInt(), 2);
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
    // Station B punches the employee out while station A is between its read and its write,
    // then A tries; in the second round A is done before B starts.
    for (const bool interleaved : {true, false}) {
        SCOPED_TRACE(interleaved ? "interleaved" : "one after the other");
        Terminal b;
        b.open_punch({});
        b.worked(20040523, 36); // each close would add an overtime row
        b.env.clock.set("2004-05-24 16:00:00");
        b.start();
        b.login();

        MeddlingClock clock;
        clock.time = b.env.clock.time;
        test::RecordingPrinters printers;
        test::Peer a(b.env, clock, printers);
        test::type_login(a.win);
        ASSERT_TRUE(a.win.cmdpunchout->isVisible());

        if (interleaved) {
            clock.meddle = [&] { b.click("cmdpunchout"); };
            QTest::mouseClick(a.win.cmdpunchout, Qt::LeftButton);
        } else {
            QTest::mouseClick(a.win.cmdpunchout, Qt::LeftButton);
            b.click("cmdpunchout");
        }
        test::ScriptedDialogs& winner = interleaved ? b.env.dialogs : a.dialogs;
        test::ScriptedDialogs& loser = interleaved ? a.dialogs : b.env.dialogs;
        EXPECT_EQ(winner.titles(), QStringList{"Print Punch-Out Receipt?"});
        EXPECT_EQ(loser.texts(),
                  QStringList{"Punchwell was unable to locate the punch-in record."});

        const QList<QVariantMap> rows = shift_rows(b);
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows[0]["tckadjreghours"].toDouble(), 4);
        EXPECT_EQ(rows[1]["tckothours"].toDouble(), 4);
        EXPECT_EQ(b.log().size(), 1);
    }
}

} // namespace
} // namespace pw
