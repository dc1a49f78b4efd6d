#include "platform/printers.h"
#include "punch/receipts.h"
#include "terminal.h"

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::Terminal;

// receiptprinter and printertype as tclock.ini holds them.
void tclock_ini(Terminal& t, int receiptprinter, int printertype) {
    t.env.write_file(t.env.station_file("tclock.ini"),
                     QString("%1,%2,0\r\n").arg(receiptprinter).arg(printertype).toUtf8());
}

TEST(Receipts, ThePrinterByItsPlaceAndTheFontByPrinterType) {
    const struct {
        int receiptprinter;
        int printertype;
        const char* printer; // nullptr: no such printer, nothing printed
        const char* font;
    } cases[] = {{0, 0, "Receipt", "Printer 16cpi"},
                 {1, 1, "Office", "FontB11"},
                 {0, 7, "Receipt", "Printer 16cpi"},
                 {5, 0, nullptr, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.receiptprinter * 10 + c.printertype);
        Terminal t;
        tclock_ini(t, c.receiptprinter, c.printertype);
        t.start();
        t.login();
        t.env.dialogs.answers << "Yes";
        t.click("cmdpunchin");
        EXPECT_EQ(t.env.dialogs.titles(), QStringList{"Print Punch-In Receipt?"});
        if (c.printer) {
            ASSERT_EQ(t.env.printers.jobs.size(), 1);
            EXPECT_EQ(t.env.printers.jobs[0].printer, c.printer);
            EXPECT_EQ(t.env.printers.jobs[0].font, c.font);
        } else {
            EXPECT_TRUE(t.env.printers.jobs.isEmpty());
        }
        EXPECT_EQ(t.env.st.run.clearcountdown, 1);
    }
}

TEST(Receipts, OnlyWhenWantedAndNeverInTheWay) {
    // No receipt printer: no question, no printer switch.
    {
        Terminal t;
        tclock_ini(t, -1, 0);
        t.start();
        t.login();
        EXPECT_TRUE(t.button("cmdprintertoggle")->isHidden());
        t.click("cmdpunchin");
        EXPECT_TRUE(t.env.dialogs.boxes.isEmpty());
        EXPECT_EQ(t.punches().size(), 1);
    }
    // No (the default) prints nothing; a failing printer is ignored; the printer switch is
    // for list printing only.
    Terminal t;
    t.start();
    t.login();
    t.click("cmdpunchin");
    EXPECT_EQ(t.env.dialogs.last().answer, "No");
    EXPECT_TRUE(t.env.printers.jobs.isEmpty());

    t.click("cmddone");
    t.login();
    t.click("cmdprintertoggle");
    ASSERT_EQ(t.env.st.run.printeroff, 1);
    t.env.printers.fail = true;
    t.env.dialogs.answers << "Yes";
    t.click("cmdpunchout");
    EXPECT_EQ(t.env.dialogs.last().title, "Print Punch-Out Receipt?");
    EXPECT_EQ(t.env.st.run.clearcountdown, 1);
    EXPECT_EQ(t.punches()[0]["tckstatus"].toInt(), 2);
}

TEST(Receipts, ThePrinterSwitch) {
    Terminal t;
    t.start();
    t.login();
    QPushButton* sw = t.button("cmdprintertoggle");
    const struct {
        int printeroff;
        const char* caption;
        const char* colour;
    } states[] = {{1, "Printer OFF ", "#ff0000"},
                  {0, "Printer ON ", "#00ff00"},
                  {1, "Printer OFF ", "#ff0000"}};
    for (const auto& s : states) {
        t.click("cmdprintertoggle");
        EXPECT_EQ(t.env.st.run.printeroff, s.printeroff);
        EXPECT_EQ(sw->text(), s.caption);
        EXPECT_TRUE(sw->styleSheet().contains(s.colour)) << sw->styleSheet().toStdString();
    }
}

TEST(Receipts, NumbersInTheirPlainForm) {
    ReceiptData d;
    d.employee = 1234567;
    d.hours = 7.5;
    const QStringList out = receipt_lines(ReceiptKind::Out, d);
    EXPECT_TRUE(out[2].startsWith("Employee #:   1234567 - ")) << out[2].toStdString();
    EXPECT_EQ(out[7], "Hours:        7.5");
    EXPECT_EQ(plain_number(8.33), "8.33");
}

TEST(Receipts, PrintedThroughQtIntoAPdf) {
    Terminal t;
    t.open_punch({});
    t.worked(20040523, 36);
    QTemporaryDir out;
    const QString pdf = QDir(out.path()).filePath("r.pdf");
    QtPrinters printers(pdf);
    test::TestClock clock;
    clock.set("2004-05-24 16:00:00");
    test::Peer station(t.env, clock, printers);
    test::type_login(station.win);
    station.dialogs.answers << "Yes";
    QTest::mouseClick(station.win.cmdpunchout, Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(pdf));

    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    for (const char* line :
         {"Punchwell Punch-OUT Receipt", "===========================", "Employee #: 9 - Ann Lee",
          "Job #: 10 Bartender", "Date: 20040524", "Time IN: 08:00:00", "Time OUT: 16:00:00",
          "Hours: 4", "Overtime hrs: 4"})
        EXPECT_TRUE(printed.contains(line)) << line << " in " << printed.toStdString();
}

} // namespace
} // namespace pw
