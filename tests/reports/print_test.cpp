#include "drive.h"
#include "installation.h"
#include "reports/listprint.h"
#include "reports/miscreports.h"
#include "reports/punchreports.h"
#include "reports/reporttemplate.h"
#include "reports/reportviewer.h"
#include "reports/workdb.h"
#include "screens/linelist.h"

#include <QApplication>
#include <QPrinter>
#include <QPushButton>
#include <QSqlField>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace pw {
namespace {

const QString kDashes(39, u'-');
const QString kMissing = "The selected Punchwell Report template is not installed.\nPlease check "
                         "the Support Web Site or call Quorwyn.";

// The demo club's station on 2005-05-24 at 09:30:00, with a receipt printer (the first of
// "Receipt" and "Office") and ANNIE signed in.
struct Print : ::testing::Test {
    test::TestEnv env{test::demo_club(QDate(2005, 5, 24))};
    Station& st = env.st;

    void SetUp() override {
        env.clock.set("2005-05-24 09:30:00");
        env.load();
        st.settings.receiptprinter = 0;
        st.who.name = "ANNIE";
        ASSERT_TRUE(make_report_database(st));
    }
    void TearDown() override { test::close_windows("pw::ReportViewer"); }
    Printed print(int index, const QStringList& lines = {}, const QStringList& answers = {}) {
        st.run.report_index = index;
        test::answer(env.dialogs, answers);
        return print_list_report(st, lines);
    }
};

TEST_F(Print, QuickPrintLineForLineAndTheChoiceOfDetailed) {
    const QString long_line = "Job #12-05/24- 8.50 hrs   8.50 hrs and a very long name";
    ASSERT_EQ(print(kMyHoursThisMonth, {"Job #12-05/24- 8.50 hrs   8.50 hrs", long_line}),
              Printed::Quick);
    ASSERT_EQ(env.printers.jobs.size(), 1);
    const test::PrintJob& job = env.printers.jobs.first();
    EXPECT_EQ(job.printer, "Receipt");
    EXPECT_EQ(job.font, "Printer 16cpi");
    EXPECT_EQ(job.lines,
              QStringList({QString(39, u' '), "My Hours This Month", "05-24-2005 - 09:30:00",
                           kDashes, QString(17, u' ') + "ANNIE", kDashes,
                           "Job# and Date   Actual     Final", "Job #12-05/24- 8.50 hrs   8.50 hrs",
                           long_line.left(39), kDashes, "", "", "", "", ""}));

    // A four-letter name: 17.5 blanks round to the even 18. Punch reports have other headings;
    // printer type 1 takes FontB11; printer 1 is the second of the list.
    st.who.name = "ANNE";
    st.settings.printertype = 1;
    st.settings.receiptprinter = 1;
    ASSERT_EQ(print(kMyPunchesToday, {}), Printed::Quick);
    const test::PrintJob& second = env.printers.jobs.last();
    EXPECT_EQ(second.printer, "Office");
    EXPECT_EQ(second.font, "FontB11");
    EXPECT_EQ(second.lines.mid(1, 7), QStringList({"My Punches Today", "05-24-2005 - 09:30:00",
                                                   kDashes, QString(18, u' ') + "ANNE", kDashes,
                                                   "Job# and Date        Actual  Final", kDashes}));
    EXPECT_EQ(centred_name("ANNEKE"), QString(16, u' ') + "ANNEKE"); // 16.5 halves to 16
    EXPECT_EQ(centred_name(QString(45, u'X')), QString(45, u'X'));

    // Manager reports have neither name nor column headings.
    ASSERT_EQ(print(kRangeOfJobs, {"12-05/24@08:03-ANN LEE"}, {"Yes"}), Printed::Quick);
    EXPECT_EQ(
        env.printers.jobs.last().lines.mid(1, 4),
        QStringList({"Range of Jobs", "05-24-2005 - 09:30:00", kDashes, "12-05/24@08:03-ANN LEE"}));

    // Printer switched off: the own reports still print, asking nothing...
    st.run.printeroff = 1;
    EXPECT_EQ(print(kMyPunchesThisMonth, {"x"}), Printed::Quick);
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
    // ...a manager report answered Yes is refused.
    EXPECT_EQ(print(kRangeOfJobs, {"x"}, {"Yes"}), Printed::Nothing);
    EXPECT_EQ(env.dialogs.texts(),
              QStringList({"Print Quick Report instead of Detailed Report?",
                           "No receipt printer configured or printer is turned off"}));

    // No: the detailed print with the report's template.
    EXPECT_EQ(print(kRecordedVsAdjusted, {"x"}, {"No"}), Printed::Detailed);
    ASSERT_TRUE(find_report_viewer());
    EXPECT_TRUE(find_report_viewer()->source_path().endsWith("tclk03a.rpt"));

    // No receipt printer: detailed without a question; the own reports have no template, and
    // nowhere to go.
    st.settings.receiptprinter = -1;
    EXPECT_EQ(print(kBadPunches), Printed::Detailed);
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
    EXPECT_EQ(print(kMyHoursThisMonth), Printed::Nothing);
    EXPECT_EQ(env.dialogs.titles() + env.dialogs.texts(),
              QStringList({"Oops...", "No printer is set up for reports."}));
    EXPECT_EQ(env.printers.jobs.size(), 4); // the three quick prints above and the first here

    // A receipt printer that is not in the list, and one that fails.
    st.settings.receiptprinter = 2; // the list has two printers, 0 and 1
    EXPECT_EQ(print(kMyPunchesToday, {"x"}), Printed::Nothing);
    EXPECT_EQ(env.dialogs.texts(),
              QStringList{"Invalid POS configuration setting for LOCAL PRINTER"});
    st.settings.receiptprinter = 0;
    env.printers.fail = true;
    EXPECT_EQ(print(kMyPunchesToday, {"x"}), Printed::Nothing);
    EXPECT_EQ(env.dialogs.texts(),
              QStringList{"There's a problem printing to the local printer..."});
}

TEST_F(Print, MissingOrBrokenTemplatePrintsNothing) {
    st.settings.receiptprinter = -1;
    ASSERT_TRUE(QFile::remove(env.data("tclk02a.rpt")));
    EXPECT_EQ(print(kRangeOfJobs), Printed::Nothing);
    EXPECT_EQ(env.dialogs.titles() + env.dialogs.texts(),
              QStringList({env.data("TCLK02A.RPT"), kMissing}));
    EXPECT_TRUE(env.scalar(work_db_path(st), "select ctlselect from headings").isNull());

    // Found in any letter case; a template whose tags do not close is the numbered-code box.
    env.write_file(env.data("TCLK02A.rpt"), "<html>{{#rows}}<p>{{name}}</p></html>");
    EXPECT_EQ(print(kRangeOfJobs), Printed::Nothing);
    EXPECT_EQ(env.dialogs.boxes.size() * test::code_shown(env.dialogs), 20515);
    EXPECT_FALSE(find_report_viewer());

    // A template file that cannot be loaded.
    env.dialogs.clear();
    EXPECT_FALSE(run_template(st, env.data("nosuch.rpt")));
    EXPECT_EQ(test::code_shown(env.dialogs), 20525);
}

TEST_F(Print, EveryTemplateShowsItsHeadingsAndRowsInTheViewer) {
    st.settings.receiptprinter = -1;
    st.who.manager = 1;
    LineList list;
    // The one viewer's text holds every part.
    auto expect_shown = [&](const QStringList& parts) {
        ReportViewer* viewer = find_report_viewer();
        ASSERT_TRUE(viewer);
        const QString text = viewer->document()->toPlainText();
        for (const QString& part : parts)
            EXPECT_TRUE(text.contains(part)) << part.toStdString() << " in " << text.toStdString();
        int viewers = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            viewers += qobject_cast<ReportViewer*>(w) && w->isVisible();
        EXPECT_EQ(viewers, 1);
    };
    // The answers after the dates; heading, subtitle (40 characters at most), a demo punch's text.
    const struct {
        int index;
        const char *answers, *parts;
    } reports[] = {
        {kWhosPunchedIn, "", "Who's Punched In Right Now| |Ana Ruiz"},
        {kRangeOfEmployees, "100 101", "Range of Employees|20050501 to 20050531|Tom Baker"},
        {kRangeOfJobs, "30 40", "Range of Jobs|Job 30 to 40, 20050501 to 20050531|Line Cook"},
        {kRecordedVsAdjusted, "30 40",
         "Recorded vs Adjusted Punch Times|Job 30 to 40, 20050501 to 20050531|Bartender"},
        {kPunchInTimeRange, "06:00:00 12:00:00 100 110",
         "Punch IN Time Range|From 06:00:00 to 12:00:00, 20050501 to 2|Margaret Hale"},
        {kBadPunches, "", "'Bad' Punches|20050501 to 20050531|Lee Park"},
        {kPunchOutTimeRange, "14:00:00 18:00:00 100 110",
         "Punch OUT Time Range|From 14:00:00 to 18:00:00, 20050501 to 2|Sam Okafor"}};
    for (const auto& r : reports) {
        SCOPED_TRACE(r.index);
        st.run.report_index = r.index;
        ASSERT_TRUE(make_report_database(st));
        if (r.index != kWhosPunchedIn)
            env.dialogs.answers =
                QString("20050501 20050531 %1").arg(r.answers).split(' ', Qt::SkipEmptyParts);
        ASSERT_EQ(manager_report(st, list, r.index), true);
        ASSERT_EQ(print_list_report(st, list), Printed::Detailed);
        const QStringList parts = QString(r.parts).split('|');
        expect_shown(parts + QStringList{"Printed 05/24/2005 at 09:30:00"});
    }
    // The misc report's template, from the misc frame's routine; a former employee's punches
    // are listed too.
    ASSERT_TRUE(print_misc_report(st, kMiscAll, 20050501, 20050531));
    expect_shown({"All Punches", "From 20050501 to 20050531", "Employee 105", "MGR APPROVED"});

    // Print: the chooser stands in for the system's dialog; cancelled prints nothing.
    ReportViewer* viewer = find_report_viewer();
    const QString printed = env.station_file("printed.pdf");
    bool accept = false;
    viewer->set_print_chooser([&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        return accept;
    });
    viewer->findChild<QPushButton*>("cmdprint")->click();
    EXPECT_FALSE(QFile::exists(printed));
    accept = true;
    viewer->findChild<QPushButton*>("cmdprint")->click();
    EXPECT_TRUE(test::pdf_text(printed).contains("All Punches"));
    // A station without printers says so rather than offering an empty print dialog.
    env.printers.printer_names.clear();
    env.dialogs.clear();
    viewer->findChild<QPushButton*>("cmdprint")->click();
    EXPECT_EQ(env.dialogs.texts(), QStringList{"No printer is set up for reports."});

    // Save as PDF through the station's file chooser; ".pdf" added when left out; an existing
    // file is replaced only on Yes.
    test::answer(env.dialogs, {env.station_file("saved")});
    viewer->findChild<QPushButton*>("cmdsavepdf")->click();
    EXPECT_EQ(env.dialogs.last().default_text, "tclk01b.pdf");
    EXPECT_TRUE(test::pdf_text(env.station_file("saved.pdf")).contains("All Punches"));
    env.dialogs.answers = {env.station_file("saved.pdf"), "No"};
    env.write_file(env.station_file("saved.pdf"), "keep");
    viewer->findChild<QPushButton*>("cmdsavepdf")->click();
    EXPECT_EQ(env.read_file(env.station_file("saved.pdf")), "keep");
    viewer->findChild<QPushButton*>("cmdclose")->click();
    EXPECT_FALSE(find_report_viewer());
}

QSqlRecord punch_record(int emp, int job, int indate, int outdate, const char* in, double reg,
                        double adj, int status, const QVariant& reason) {
    const QVariantMap values = {
        {"tckempid", emp},       {"tckjobcode", job},   {"tckindate", indate},
        {"tckoutdate", outdate}, {"tcktimein", in},     {"tckreghours", reg},
        {"tckadjreghours", adj}, {"tckstatus", status}, {"tckadjreason", reason}};
    QSqlRecord r;
    for (auto it = values.begin(); it != values.end(); ++it) {
        r.append(QSqlField(it.key(), it.value().metaType()));
        r.setValue(it.key(), it.value());
    }
    return r;
}

TEST(ReportModel, RowsGroupsAndDisplayForms) {
    const std::vector<QSqlRecord> rows = {
        punch_record(8, 20, 20040524, 20040525, "22:03:41", 8.5, 8.25, 4, "MGR APPROVED"),
        punch_record(7, 20, 20040523, 0, "06:00:00", 1.0, 1.0, 1,
                     QVariant(QMetaType::fromType<QString>())),
        punch_record(8, 10, 20040522, 20040522, "09:00:00", 2.333, 2.0, 3, ""),
    };
    QSqlRecord heading;
    heading.append(QSqlField("ctlauxtitle", QMetaType(QMetaType::QString)));
    heading.setValue("ctlauxtitle", " ");
    const QVariantMap m =
        report_model(heading, rows, {{7, "ANN LEE"}, {8, "BOB KING"}}, QDate(2004, 5, 24));

    // The values of a map's keys as text.
    auto values = [](const QVariant& map, const QStringList& keys) {
        QStringList out;
        for (const QString& key : keys)
            out << map.toMap()[key].toString();
        return out;
    };
    // The title has blanks only.
    EXPECT_EQ(values(m, {"has_ctlauxtitle", "printed_date", "row_count", "total_reghours"}),
              QStringList({"false", "05/24/2004", "3", "11.83"}));
    const QVariantList rows_shown = m["rows"].toList();
    EXPECT_EQ(values(rows_shown[0], {"tcktimein", "timein", "indate", "outdate", "name", "reghours",
                                     "status", "hours_adjusted"}),
              QStringList({"22:03:41", "22:03", "05/24/2004", "05/25/2004", "BOB KING", "8.50",
                           "Approved", "true"}));
    EXPECT_EQ(values(rows_shown[1], {"outdate", "reason", "has_reason", "is_open"}),
              QStringList({"", "", "false", "true"}));

    // Groups in ascending order of their number, rows in report order, with totals.
    const QVariantList employees = m["employees"].toList();
    ASSERT_EQ(employees.size(), 2);
    EXPECT_EQ(values(employees[0], {"name", "punch_count"}), QStringList({"ANN LEE", "1 punch"}));
    EXPECT_EQ(values(employees[1], {"punch_count", "total_reghours", "total_adjreghours"}),
              QStringList({"2 punches", "10.83", "10.25"}));
    const QVariantList jobs = m["jobs"].toList();
    ASSERT_EQ(jobs.size(), 2);
    EXPECT_EQ(jobs[0].toMap()["tckjobcode"], "10");
    EXPECT_EQ(jobs[1].toMap()["rows"].toList().size(), 2);

    // Values are escaped for HTML; sections follow the true/false values.
    EXPECT_EQ(render_report("{{#rows}}{{#is_bad}}{{name}}{{/is_bad}}{{/rows}}|{{x}}",
                            {{"rows", m["rows"]}, {"x", "<b>&"}}),
              "BOB KING|&lt;b&gt;&amp;");
}

// An overtime row and a holiday shift each show their own hours, and the counts read right.
TEST(ReportModel, EachRowShowsItsOwnHoursInTheTemplates) {
    test::TestEnv env;
    auto row = [](const char* column, double hours) {
        QSqlRecord r = punch_record(8, 20, 20040524, 20040524, "09:00:00", 0, 0, 2, "");
        r.append(QSqlField(column, QMetaType(QMetaType::Double)));
        r.setValue(column, hours);
        return r;
    };
    const std::vector<QSqlRecord> rows = {row("tckothours", 1.5), row("tckholidayhours", 8)};
    const QVariantMap two = report_model({}, rows, {{8, "BOB KING"}}, QDate(2004, 5, 24));
    const QVariantMap one = report_model({}, {rows[0]}, {{8, "BOB KING"}}, QDate(2004, 5, 24));
    const QVariantList shown = two["rows"].toList();
    EXPECT_EQ(
        QStringList({shown[0].toMap()["hours"].toString(), shown[1].toMap()["hours"].toString(),
                     shown[1].toMap()["holidayhours"].toString(), two["total_hours"].toString(),
                     two["total_holidayhours"].toString()}),
        QStringList({"1.50", "8.00", "8.00", "9.50", "8.00"}));
    for (const char* name :
         {"tclk01a.rpt", "tclk01b.rpt", "tclk02a.rpt", "tclk04a.rpt", "tclk06a.rpt"}) {
        SCOPED_TRACE(name);
        const QString text = QString::fromUtf8(env.read_file(env.data(name)));
        const QString both = render_report(text, two), alone = render_report(text, one);
        EXPECT_TRUE(both.contains("1.50") && both.contains("8.00") && both.contains("2 punches"));
        EXPECT_TRUE(alone.contains("1 punch") && !alone.contains("1 punches"));
    }
}

} // namespace
} // namespace pw
