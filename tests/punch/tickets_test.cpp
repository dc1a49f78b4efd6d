#include "punch/tickets.h"
#include "schema.h"
#include "terminal.h"

#include <QFile>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::Terminal;

// Tickets of xact: ticket, server, ord, status.
void tickets(const QString& db, const QList<QList<int>>& rows) {
    for (const QList<int>& r : rows)
        ASSERT_TRUE(suite::insert_row(
            db, "xact", {{"ticket", r[0]}, {"server", r[1]}, {"ord", r[2]}, {"status", r[3]}}));
}

QStringList punch_out_boxes(Terminal& t) {
    t.open_punch({});
    t.start();
    t.login();
    t.click("cmdpunchout");
    return t.env.dialogs.titles();
}

TEST(OpenTickets, NoPointOfSaleTouchesNoDatabase) {
    Terminal t;
    // Were either database opened, its garbage would show as a code box.
    t.env.write_file(t.env.data("HBPOSTMP.MDB"), "not a database");
    t.env.write_file(t.env.station_file("HBPOSX00.MDB"), "not a database");
    EXPECT_EQ(punch_out_boxes(t), QStringList{"Print Punch-Out Receipt?"});
    EXPECT_FALSE(pos_present(t.env.st));
    EXPECT_EQ(t.punches()[0]["tckstatus"].toInt(), 2);
}

TEST(OpenTickets, LocalTicketsOfUnit3) {
    suite::Options unit3;
    unit3.posunit = 3;
    Terminal t(unit3);
    QFile::remove(t.env.data("HBPOSTMP.MDB"));
    const QString local = t.env.station_file("HBPOSX03.MDB");
    ASSERT_TRUE(suite::create_pos_db(local));
    // Counted: employee 9's ord-0 rows in status 1 or 2. Not counted: other states, other
    // order lines, other servers.
    tickets(local, {{1, 9, 0, 1},
                    {2, 9, 0, 2},
                    {3, 9, 0, 0},
                    {4, 9, 0, 3},
                    {5, 9, 0, 4},
                    {6, 9, 1, 1},
                    {7, 8, 0, 1}});
    EXPECT_EQ(punch_out_boxes(t),
              (QStringList{"Open POS Tickets Exist", "Print Punch-Out Receipt?"}));
    EXPECT_EQ(t.env.dialogs.boxes[0].text, "There are 2 sales transactions still open for you.  "
                                           "\r\n\r\nCentral hold tickets: \r\n"
                                           "Local hold tickets:     2\r\n");
    EXPECT_EQ(t.env.dialogs.boxes[0].icon, Icon::Information);
    EXPECT_EQ(t.punches()[0]["tckstatus"].toInt(), 2);
}

TEST(OpenTickets, CentralTicketsCountWhateverTheirState) {
    // tillmar.exe in the suite folder or the working folder switches the check on.
    for (const bool in_data : {true, false}) {
        SCOPED_TRACE(in_data);
        Terminal t;
        t.env.write_file(in_data ? t.env.data("tillmar.exe") : t.env.station_file("tillmar.exe"),
                         "");
        tickets(t.env.data("HBPOSTMP.MDB"),
                {{1, 9, 0, 0}, {2, 9, 0, 1}, {3, 9, 0, 7}, {4, 9, 1, 1}});
        EXPECT_EQ(punch_out_boxes(t),
                  (QStringList{"Open POS Tickets Exist", "Print Punch-Out Receipt?"}));
        EXPECT_EQ(t.env.dialogs.boxes[0].text, "There are 3 sales transactions still open for "
                                               "you.  \r\n\r\nCentral hold tickets: 3\r\n"
                                               "Local hold tickets:     \r\n");
    }
}

TEST(OpenTickets, NoneOpenOrUnreadable) {
    // Both counts 0: no message.
    {
        Terminal t;
        t.env.write_file(t.env.data("tillmar.exe"), "");
        tickets(t.env.data("HBPOSTMP.MDB"), {{1, 8, 0, 1}});
        EXPECT_EQ(punch_out_boxes(t), QStringList{"Print Punch-Out Receipt?"});
    }
    // An unreadable database gets the code box; the punch out goes on.
    Terminal t;
    t.env.write_file(t.env.data("tillmar.exe"), "");
    t.env.write_file(t.env.data("HBPOSTMP.MDB"), QByteArray(4096, 'x'));
    bool waiting_shown = false;
    t.env.dialogs.on_box = [&](const test::Box&) {
        waiting_shown = waiting_shown || t.win.frawait->isVisible();
    };
    EXPECT_EQ(punch_out_boxes(t), (QStringList{"Parvela Codes", "Print Punch-Out Receipt?"}));
    EXPECT_TRUE(t.env.dialogs.boxes[0].text.startsWith("Code 3049 - "));
    EXPECT_TRUE(waiting_shown);
    EXPECT_EQ(t.punches()[0]["tckstatus"].toInt(), 2);
}

} // namespace
} // namespace pw
