#include "punch/tickets.h"
#include "schema.h"
#include "terminal.h"

#include <QFile>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::Terminal;

// Tickets of xact, four numbers each: ticket, server, ord, status.
void tickets(const QString& db, const QList<int>& v) {
    for (int i = 0; i + 3 < v.size(); i += 4)
        ASSERT_TRUE(suite::insert_row(
            db, "xact",
            {{"ticket", v[i]}, {"server", v[i + 1]}, {"ord", v[i + 2]}, {"status", v[i + 3]}}));
}

// The boxes of a punch out, which goes on whatever the check finds.
QStringList punch_out_boxes(Terminal& t) {
    t.open_punch();
    t.start();
    t.login();
    t.click("cmdpunchout");
    EXPECT_EQ(t.punches()[0]["tckstatus"].toInt(), 2);
    return t.env.dialogs.titles();
}

QString message(const QString& total, const QString& central, const QString& local) {
    return "There are " + total + " sales transactions still open for you.  \r\n\r\n" +
           "Central hold tickets: " + central + "\r\nLocal hold tickets:     " + local + "\r\n";
}

const QStringList kOpenTickets = {"Open POS Tickets Exist", "Print Punch-Out Receipt?"};

TEST(OpenTickets, NoPointOfSaleTouchesNoDatabase) {
    Terminal t;
    // Were either database opened, its garbage would show as a code box.
    t.env.write_file(t.env.data("HBPOSTMP.MDB"), "not a database");
    t.env.write_file(t.env.station_file("HBPOSX00.MDB"), "not a database");
    EXPECT_EQ(punch_out_boxes(t), QStringList{"Print Punch-Out Receipt?"});
    EXPECT_FALSE(pos_present(t.env.st));
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
    tickets(local,
            {1, 9, 0, 1, 2, 9, 0, 2, 3, 9, 0, 0, 4, 9, 0, 3, 5, 9, 0, 4, 6, 9, 1, 1, 7, 8, 0, 1});
    EXPECT_EQ(punch_out_boxes(t), kOpenTickets);
    EXPECT_EQ(t.env.dialogs.boxes[0].text, message("2", "", "2"));
    EXPECT_EQ(t.env.dialogs.boxes[0].icon, Icon::Information);
}

TEST(OpenTickets, CentralTicketsCountWhateverTheirState) {
    // tillmar.exe in the suite folder or the working folder switches the check on. Central
    // tickets count in every state; none open: no message; an unreadable database (no rows
    // given): the code box, with the wait notice up.
    const struct {
        bool in_data;
        QList<int> rows;
        QStringList boxes;
        QString text;
    } cases[] = {{true,
                  {1, 9, 0, 0, 2, 9, 0, 1, 3, 9, 0, 7, 4, 9, 1, 1},
                  kOpenTickets,
                  message("3", "3", "")},
                 {false, {1, 9, 0, 0}, kOpenTickets, message("1", "1", "")},
                 {true, {1, 8, 0, 1}, {"Print Punch-Out Receipt?"}, ""},
                 {true, {}, {"Parvela Codes", "Print Punch-Out Receipt?"}, "Code 3049 - "}};
    for (const auto& c : cases) {
        Terminal t;
        t.env.write_file(c.in_data ? t.env.data("tillmar.exe") : t.env.station_file("tillmar.exe"),
                         "");
        if (c.rows.isEmpty())
            t.env.write_file(t.env.data("HBPOSTMP.MDB"), QByteArray(4096, 'x'));
        tickets(t.env.data("HBPOSTMP.MDB"), c.rows);
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
