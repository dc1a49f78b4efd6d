#include "punch/tickets.h"
#include "schema.h"
#include "terminal.h"

#include <QPushButton>
#include <gtest/gtest.h>
#include <tuple>

namespace pw {
namespace {

using test::Terminal;

TEST(Receipts, ThePrinterByItsPlaceOnlyWhenWanted) {
    // tclock.ini's receiptprinter and printertype, the answer, a failing printer; the printer
    // and the font used (nullptr: nothing printed). No receipt printer, or none at its place
    // (there is no printer 5): no question and no printer switch. The switch (green ON, red
    // OFF; left off here) is for list printing only; a failing printer says so, the punch
    // stays.
    const std::tuple<int, int, QString, bool, const char*, const char*> cases[] = {
        {0, 0, "Yes", false, "Receipt", "Printer 16cpi"},
        {0, 1, "Yes", false, "Receipt", "FontB11"},
        {5, 0, "Yes", false, nullptr, nullptr},
        {0, 0, "No", false, nullptr, nullptr},
        {0, 0, "Yes", true, nullptr, nullptr},
        {-1, 0, "Yes", false, nullptr, nullptr}};
    for (const auto& [receiptprinter, printertype, answer, fail, printer, font] : cases) {
        SCOPED_TRACE(
            QString("%1 %2 %3").arg(receiptprinter).arg(printertype).arg(answer).toStdString());
        Terminal t;
        t.env.write_file(t.env.station_file("tclock.ini"),
                         QString("%1,%2,0\r\n").arg(receiptprinter).arg(printertype).toUtf8());
        t.start_login();
        QPushButton* sw = t.button("cmdprintertoggle");
        const bool asked = receiptprinter == 0;
        EXPECT_EQ(sw->isVisible(), asked);
        for (const bool off : {true, false, true}) {
            if (!sw->isVisible())
                break;
            t.click("cmdprintertoggle");
            EXPECT_EQ(t.env.st.run.printeroff, off ? 1 : 0);
            EXPECT_EQ(sw->text(), off ? "Printer OFF " : "Printer ON ");
            EXPECT_TRUE(sw->styleSheet().contains(off ? "#ff0000" : "#00ff00"));
        }
        t.env.printers.fail = fail;
        t.env.dialogs.answers << answer;
        t.click("cmdpunchin");
        QStringList titles;
        if (asked)
            titles << "Print Punch-In Receipt?";
        if (fail)
            titles << "Punchwell - Printer";
        EXPECT_EQ(t.env.dialogs.titles(), titles);
        ASSERT_EQ(t.env.printers.jobs.size(), printer ? 1 : 0);
        EXPECT_EQ(t.env.printers.jobs.value(0).printer, QString(printer));
        EXPECT_EQ(t.env.printers.jobs.value(0).font, QString(font));
        EXPECT_TRUE(t.env.punches().size() == 1 && t.env.st.run.clearcountdown == 1);
    }
}

// Tickets of xact, four numbers each: ticket, server, ord, status.
void tickets(const test::TestEnv& env, const QString& db, const QList<int>& v) {
    for (int i = 0; i + 3 < v.size(); i += 4)
        ASSERT_TRUE(suite::insert_row(
            env.db_access(), db, "xact",
            {{"ticket", v[i]}, {"server", v[i + 1]}, {"ord", v[i + 2]}, {"status", v[i + 3]}}));
}

// The boxes of a punch out, which goes on whatever the check finds.
QStringList punch_out_boxes(Terminal& t) {
    t.open_punch();
    t.start_login();
    t.click("cmdpunchout");
    EXPECT_EQ(t.env.punches()[0]["tckstatus"].toInt(), 2);
    return t.env.dialogs.titles();
}

QString message(const QString& total, const QString& central, const QString& local) {
    return "There are " + total + " sales transactions still open for you.  \r\n\r\n" +
           "Central hold tickets: " + central + "\r\nLocal hold tickets:     " + local + "\r\n";
}

const QStringList kOpenTickets = {"Open POS Tickets Exist", "Print Punch-Out Receipt?"};

TEST(OpenTickets, LocalTicketsOfUnit3) {
    suite::Options unit3;
    unit3.posunit = 3;
    Terminal t(unit3);
    remove_database(t.env.data("HBPOSTMP.MDB"), t.env.db_access());
    const QString local = t.env.station_file("HBPOSX03.MDB");
    ASSERT_TRUE(suite::create_pos_db(local, t.env.db_access()));
    // Counted: employee 9's ord-0 rows in status 1 or 2. Not counted: other states, other
    // order lines, other servers.
    tickets(t.env, local,
            {1, 9, 0, 1, 2, 9, 0, 2, 3, 9, 0, 0, 4, 9, 0, 3, 5, 9, 0, 4, 6, 9, 1, 1, 7, 8, 0, 1});
    EXPECT_EQ(punch_out_boxes(t), kOpenTickets);
    EXPECT_EQ(t.env.dialogs.boxes[0].text, message("2", "", "2"));
    EXPECT_EQ(t.env.dialogs.boxes[0].icon, Icon::Information);
}

TEST(OpenTickets, CentralTicketsCountWhateverTheirState) {
    // tillmar.exe in the suite folder or the working folder switches the check on; without it
    // no database is opened (garbage would show as a code box). Central tickets count in every
    // state; none open: no message; an unreadable database (no rows given): the code box,
    // with the wait notice up.
    const struct {
        int tillmar; // 0: none, 1: suite folder, 2: working folder
        QList<int> rows;
        QStringList boxes;
        QString text;
    } cases[] = {
        {0, {}, {"Print Punch-Out Receipt?"}, ""},
        {1, {1, 9, 0, 0, 2, 9, 0, 1, 3, 9, 0, 7, 4, 9, 1, 1}, kOpenTickets, message("3", "3", "")},
        {2, {1, 9, 0, 0}, kOpenTickets, message("1", "1", "")},
        {1, {1, 8, 0, 1}, {"Print Punch-Out Receipt?"}, ""},
        {1, {}, {"Parvela Codes", "Print Punch-Out Receipt?"}, "Code 3049 - "}};
    for (const auto& c : cases) {
        Terminal t;
        if (c.tillmar)
            t.env.write_file(
                c.tillmar == 1 ? t.env.data("tillmar.exe") : t.env.station_file("tillmar.exe"), "");
        if (c.rows.isEmpty())
            test::corrupt_database(t.env, t.env.data("HBPOSTMP.MDB"));
        if (!c.tillmar)
            t.env.write_file(t.env.station_file("HBPOSX00.MDB"), QByteArray(4096, 'x'));
        tickets(t.env, t.env.data("HBPOSTMP.MDB"), c.rows);
        bool waited = false;
        t.env.dialogs.on_box = [&](const test::Box&) {
            waited = waited || t.win.frawait->isVisible();
        };
        EXPECT_EQ(punch_out_boxes(t), c.boxes);
        EXPECT_TRUE(t.env.dialogs.boxes[0].text.startsWith(c.text));
        EXPECT_EQ(waited, c.boxes.size() > 1);
    }
}

} // namespace
} // namespace pw
