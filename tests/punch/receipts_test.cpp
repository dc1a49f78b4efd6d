#include "platform/printers.h"
#include "terminal.h"

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>

namespace pw {
namespace {

using test::Terminal;

TEST(Receipts, ThePrinterByItsPlaceOnlyWhenWanted) {
    // tclock.ini's receiptprinter and printertype, the answer, a failing printer; the printer
    // and the font used (nullptr: nothing printed; there is no printer 5). No receipt printer:
    // no question and no printer switch. The switch (green ON, red OFF; left off here) is for
    // list printing only, and a failing printer costs only the receipt.
    const std::tuple<int, int, QString, bool, const char*, const char*> cases[] = {
        {0, 0, "Yes", false, "Receipt", "Printer 16cpi"},
        {1, 1, "Yes", false, "Office", "FontB11"},
        {0, 7, "Yes", false, "Receipt", "Printer 16cpi"},
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
        t.start();
        t.login();
        QPushButton* sw = t.button("cmdprintertoggle");
        EXPECT_EQ(sw->isVisible(), receiptprinter >= 0);
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
        EXPECT_EQ(t.env.dialogs.titles(),
                  receiptprinter < 0 ? QStringList() : QStringList{"Print Punch-In Receipt?"});
        ASSERT_EQ(t.env.printers.jobs.size(), printer ? 1 : 0);
        if (printer) {
            EXPECT_EQ(t.env.printers.jobs[0].printer, printer);
            EXPECT_EQ(t.env.printers.jobs[0].font, font);
        }
        EXPECT_EQ(t.punches().size(), 1);
        EXPECT_EQ(t.env.st.run.clearcountdown, 1);
    }
}

TEST(Receipts, PrintedThroughQtIntoAPdf) {
    Terminal t;
    t.open_punch();
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
