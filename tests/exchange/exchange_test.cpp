#include "drive.h"
#include "exchange/exchange.h"
#include "exchange/transferfile.h"
#include "installation.h"
#include "punch/punchtable.h"

#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::kCancel;

TEST(TransferFile, ReadsRecordsOrNamesTheFirstBadLine) {
    const struct {
        const char* text;
        QList<QStringList> records;
        int error_line;
    } cases[] = {
        // The export's own form, with blank lines and a last line without its CR LF.
        {"\"1\",\" 2 \"\r\n\r\n\"a\"\"b\",\"\"\r\n  \n\"x\",\"y\"",
         {{"1", " 2 "}, {"a\"b", ""}, {"x", "y"}},
         0},
        // Unquoted values; a quote that does not end its value (older files) is kept.
        {" 7 , abc \n\"He\"s\",\"Null\"\n", {{"7", "abc"}, {"He\"s", "Null"}}, 0},
        // A quoted line break belongs to its value; lines go on counting after it.
        {"\"a\nb\",\"c\"\n\"d\"\n", {}, 3},
        // Too many values, a quote left open.
        {"\"1\",\"2\"\r\n\"1\",\"2\",\"3\"\r\n", {}, 2},
        {"\"1\",\"2\"\r\n\"1\",\"2", {}, 2},
        {"", {}, 0},
    };
    for (const auto& c : cases) {
        const TransferRecords r = read_transfer_file(QString::fromUtf8(c.text), 2);
        EXPECT_EQ(r.error_line, c.error_line) << c.text;
        if (c.error_line == 0)
            EXPECT_EQ(r.records, c.records) << c.text;
        else
            EXPECT_FALSE(r.error.isEmpty());
    }
    EXPECT_EQ(read_transfer_file("\"a\nb\",\"c\"\n", 2).records,
              QList<QStringList>({{"a\nb", "c"}}));

    // Null arrives as NULL text or 0, blanks as empty text or 0; numbers by their leading
    // value.
    EXPECT_EQ(import_value("Null", FieldType::Integer), QVariant(0.0));
    EXPECT_TRUE(import_value("NULL", FieldType::Text).isNull());
    EXPECT_TRUE(import_value(" null ", FieldType::Text).isNull());
    EXPECT_FALSE(import_value(" ", FieldType::Text).toString().isNull());
    EXPECT_EQ(import_value("  Bar  ", FieldType::Text), QVariant(QString("Bar")));
    EXPECT_EQ(import_value("abc", FieldType::Integer), QVariant(0.0));
}

TEST(TransferFile, RefusesAValueThatDoesNotFitItsColumn) {
    QStringList good(col::count, " 0 ");
    good[col::tckindate] = " 20040229 ";
    good[col::tckstatus] = " 5 ";
    const QByteArray longest(255, 'x'), longer(256, 'x');
    const struct {
        int pos;
        const char* raw; // nullptr: the record reads
        const char* error;
    } cases[] = {
        {col::tckempid, "1e400", "has \"1e400\" in tckempid, a number it cannot hold"},
        {col::tckstatus, "-2147483649", "in tckstatus, a number it cannot hold"},
        {col::tckjobcode, "2147483647", nullptr},
        {col::tckreghours, "1e39", "in tckreghours, a number it cannot hold"},
        {col::tckpayrate, "1e15", "in tckpayrate, a number it cannot hold"},
        {col::tckpayrate, "999999999.99995", nullptr},
        {col::tckindate, "20030229", "in tckindate, which is no date"},
        {col::tckoutdate, "99999999", "in tckoutdate, which is no date"},
        {col::tckoutdate, "Null", nullptr},
        {col::tcktimein, "1e400", nullptr},
        // Statuses the station knows, texts the suite's columns hold.
        {col::tckstatus, "9", "in tckstatus, which is no status the station knows"},
        {col::tckstatus, "0", "in tckstatus, which is no status the station knows"},
        {col::tckstatus, "1", nullptr},
        {col::tckjobdescription, longest.constData(), nullptr},
        {col::tckcomment, longer.constData(), "in tckcomment, longer than 255 characters"},
    };
    for (const auto& c : cases) {
        QStringList bad = good;
        bad[c.pos] = c.raw;
        const QByteArray text = (good.join(',') + "\r\n" + bad.join(',') + "\r\n").toUtf8();
        const ImportRecords r = read_import_file(text, punch_transfer_layout());
        EXPECT_EQ(r.error_line, c.error ? 2 : 0) << c.raw;
        EXPECT_EQ(r.records.size(), c.error ? 0 : 2) << c.raw;
        EXPECT_TRUE(r.error.contains(c.error ? c.error : "")) << r.error.toStdString();
    }
}

struct Exchange : ::testing::Test {
    test::TestEnv env;
    QTimer timer;
    QString file;
    void SetUp() override {
        env.load();
        file = env.station_file("tcexport.csv");
        timer.setInterval(0);
    }
    // A record of every column but tckexport, in table order; texts all set, so that every
    // value makes the round trip.
    void add_full_punch(int indate, const QString& adjtimein, const QString& description,
                        int status = 2) {
        const QVariantList values = {indate, 12,         3,      description, 8.5,       0.5,
                                     0.25,   "09:02:10", indate, "17:01:00",  7.5,       0.33,
                                     0,      0,          0,      0,           12.25,     "",
                                     {},     2,          0,      20040531,    adjtimein, "17:00:00",
                                     7.5,    0,          0,      "late",      status};
        ASSERT_TRUE(
            suite::exec_sql(env.db_access(), env.punchdb(), punch_insert_sql("punch"), values));
    }
    // A whole export of 20040501 to 20040531, 08:00:00 to 12:00:00, then the given answers.
    void do_export(QStringList more = {}) {
        env.dialogs.answers = QStringList{"tcexport.csv", "Yes"};
        if (QFile::exists(file))
            env.dialogs.answers << more.takeFirst(); // "Replace existing file?"
        env.dialogs.answers << QStringList{"20040501", "20040531", "08:00:00", "12:00:00"} << more;
        env.dialogs.clear();
        export_punches(env.st, timer);
    }
    // Running again, once a second.
    void expect_timer_running() const { EXPECT_EQ(timer.isActive() ? timer.interval() : 0, 1000); }
};

TEST_F(Exchange, ExactLinesMarkedAfterTheWriteAndARoundTripOntoAnotherStation) {
    add_full_punch(20040515, "09:00:00", "Bar");
    add_full_punch(20040516, "10:00:00", "Bar, \"Main\"");
    const QList<QVariantMap> before = env.punches();
    // Stopped from the first question that follows the choice on, until the end.
    bool stopped_at_end = false;
    env.dialogs.on_box = [&](const test::Box& b) {
        if (b.title == "Done")
            stopped_at_end = !timer.isActive();
    };
    do_export();

    const QByteArray rest = " \",\" 12 \",\" 3 \",\"Bar\",\" 8.5 \",\" 0.5 \",\" 0.25 \","
                            "\"09:02:10\",\" 2004051X \",\"17:01:00\",\" 7.5 \",\" 0.33 \","
                            "\" 0 \",\" 0 \",\" 0 \",\" 0 \",\" 12.25 \",\"\",\"Null\",\" 2 \","
                            "\" 0 \",\" 20040531 \",\"09:00:00\",\"17:00:00\",\" 7.5 \",\" 0 \","
                            "\" 0 \",\"late\",\" 2 \"\r\n";
    QByteArray first = "\" 20040515" + rest;
    first.replace("2004051X", "20040515");
    QByteArray second = "\" 20040516" + rest;
    second.replace("2004051X", "20040516")
        .replace("\"Bar\"", "\"Bar, \"\"Main\"\"\"")
        .replace("\"09:00:00\"", "\"10:00:00\"");
    EXPECT_EQ(env.read_file(file), first + second);
    EXPECT_EQ(env.punches("tckstatus = 5 and tckexport = 1").size(), 2);
    EXPECT_EQ(env.dialogs.last().text, "Punchwell export complete.");
    EXPECT_TRUE(stopped_at_end);
    expect_timer_running();
    EXPECT_EQ(env.dialogs.boxes[0].default_text, "tcexport.csv");
    EXPECT_EQ(env.dialogs.boxes[1].text, "Click YES to export the tcexport.csv\n"
                                         "click NO to cancel the export.");

    // Imported on another station: every column as it was, but status and tckexport.
    test::TestEnv other;
    other.load();
    const QString all_new = "Import Complete\n2 punches added, 0 punches already there.";
    auto import_and_expect = [&](const char* where, int status, int exported,
                                 const QString& message) {
        test::answer(other.dialogs, {file, "Yes"});
        import_punches(other.st, timer);
        EXPECT_EQ(other.dialogs.last().text, message);
        const QList<QVariantMap> got = other.punches(where);
        ASSERT_EQ(got.size(), before.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            QVariantMap want = before[i];
            want["tckstatus"] = status;
            want["tckexport"] = exported;
            for (auto it = want.cbegin(); it != want.cend(); ++it)
                EXPECT_EQ(got[i][it.key()].toString(), it.value().toString())
                    << it.key().toStdString();
        }
    };
    import_and_expect("tckexport = 1", 2, 1, all_new);

    // The second round re-exports them (status 5, tckexport 1) into a fresh file. The main
    // station holds them already: nothing is doubled.
    do_export({"Yes", "Yes", "Yes"}); // replace, reexport, prior export
    EXPECT_EQ(env.scalar(env.punchdb(), "select min(tckexport) from punch").toInt(), 2);
    import_and_expect("true", 2, 1, "Import Complete\n0 punches added, 2 punches already there.");
    ASSERT_TRUE(other.exec(other.punchdb(), "delete from punch"));
    import_and_expect("true", 4, 2, all_new);
}

TEST_F(Exchange, DailyWindowReexportAndAppending) {
    add_full_punch(20040515, "13:00:00", "Late");
    add_full_punch(20040515, "09:00:00", "Early");
    add_full_punch(20040430, "09:00:00", "April");
    add_full_punch(20040520, "10:00:00", "Open", 1);
    do_export();
    EXPECT_EQ(env.dialogs.last().text, "Punchwell export complete.\n\n1 punch still open in "
                                       "the range was left for a later export.");
    const QByteArray once = env.read_file(file);
    EXPECT_EQ(once.count("\r\n"), 1);
    EXPECT_TRUE(once.contains("Early"));
    EXPECT_EQ(env.punches("tckstatus = 5").size(), 1);

    // No to replacing: the caution, then the same record again after the first line.
    do_export({"No", "Yes", "Yes"});
    EXPECT_EQ(env.dialogs.titles().mid(2, 2),
              QStringList({"Confirm export file", "** CAUTION **"}));
    EXPECT_TRUE(env.dialogs.titles().contains("Reexport records?"));
    EXPECT_TRUE(env.dialogs.titles().contains("Prior Export"));
    const QByteArray twice = env.read_file(file);
    EXPECT_TRUE(twice.startsWith(once) && twice.mid(once.size()).contains("Early"));
    EXPECT_TRUE(twice.mid(once.size()).endsWith("\" 5 \"\r\n"));
    EXPECT_EQ(QList({env.punches("tckexport = 2").size(), env.punches("tckexport is null").size(),
                     env.punches("tckstatus = 1").size()}),
              QList<qsizetype>({1, 3, 1}));
}

TEST_F(Exchange, EveryWayOutRunsTheTimerAndMarksNothing) {
    add_full_punch(20040515, "09:00:00", "Bar");
    const QStringList ways[] = {
        {kCancel},                                                         // file dialog
        {"tcexport.csv", "No"},                                            // confirmation
        {"tcexport.csv", "Yes", kCancel},                                  // date prompt
        {"tcexport.csv", "Yes", "20040501", "20040531", "08:00", kCancel}, // time prompt
        {"tcexport.csv", "Yes", "20040601", "20040630", "08", "12", "No"}, // nothing, no re-export
    };
    for (const QStringList& answers : ways) {
        timer.stop();
        timer.setInterval(0);
        env.dialogs.answers = answers;
        export_punches(env.st, timer);
        expect_timer_running();
        EXPECT_FALSE(QFile::exists(file)) << answers.join(',').toStdString();
    }
    // A failed write, rename or marking leaves nothing marked and the old file as it was.
    env.write_file(file, "OLD\r\n");
    bool stopped = false;
    env.dialogs.on_box = [&](const test::Box& b) {
        if (b.title == "Parvela Codes")
            stopped = !timer.isActive();
    };
    env.files.fail_names["tcexport.csv"] = 57;
    do_export({"No"}); // added to the old file
    EXPECT_TRUE(stopped);
    env.files.fail_names.clear();
    env.dialogs.answers = {"gone/tcexport.csv", "Yes", "20040501", "20040531", "08", "12"};
    export_punches(env.st, timer);
    EXPECT_EQ(env.dialogs.titles().last(), "Parvela Codes");
    // The marking fails: an exported row outside the window already holds the marks.
    ASSERT_TRUE(env.add_punch({{"tckindate", 20040101}, {"tckstatus", 5}, {"tckexport", 1}}));
    ASSERT_TRUE(
        env.exec(env.punchdb(), "create unique index marks on punch (tckstatus, tckexport)"));
    do_export({"Yes"});
    EXPECT_EQ(env.dialogs.titles().last(), "Parvela Codes");
    EXPECT_EQ(env.read_file(file), "OLD\r\n");
    EXPECT_EQ(env.punches("tckstatus = 2 and tckexport is null").size(), 1);
    expect_timer_running();
}

// While another station imports, an export waits for it and is told 3045, as everything
// waits on a SQLite file; on a server the stations punch on meanwhile.
TEST_F(Exchange, AnImportHoldsBackExportsAndOnlyOnAFileThePunches) {
    add_full_punch(20040515, "09:00:00", "Bar");
    Db other(env.punchdb(), DbMode::ReadWrite, env.db_access());
    Transaction importing(other, WriteLock::Import);
    const int code = test::code_of([&] {
        Db db(env.punchdb(), DbMode::ReadWrite, env.st.db_access());
        Transaction t(db);
        db.run("update punch set tckpayrate = 9");
        t.commit();
    });
    EXPECT_EQ(code, env.server.isEmpty() ? 3045 : 0);
    do_export();
    EXPECT_TRUE(env.dialogs.texts().last().startsWith("Code 3045"))
        << env.dialogs.texts().last().toStdString();
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(Exchange, ImportAddsAllOrNothing) {
    const QByteArray line = export_line(
        {20040515, 12, 3,  "Bar", 8.5, 0, 0, "09:00:00", 20040515,   "17:00:00", 8, 0, 0,  0, 0,
         0,        0,  "", 5,     0,   0, 0, "09:00:00", "17:00:00", 8,          0, 0, "", 5});
    auto import = [&](const QByteArray& bytes) {
        env.write_file(file, bytes);
        test::answer(env.dialogs, {"tcexport.csv", "Yes"});
        import_punches(env.st, timer);
        expect_timer_running();
        return env.dialogs.last().text;
    };

    // The shift's overtime row: the same punch key, other hours.
    QByteArray overtime = line;
    overtime.replace("\" 8 \",\" 0 \"", "\" 0 \",\" 2 \"");
    const struct {
        QByteArray bytes;
        QString message;
        int rows;
    } cases[] = {
        {"", "Import Complete\n0 punches added, 0 punches already there.", 0},
        {line + line.left(40), "Line 2 of tcexport.csv holds 6 values", 0},
        // A line repeated in one file (an appended reexport) is one punch.
        {line + line, "Import Complete\n1 punch added, 1 punch already there.", 1},
        {line + overtime + line, "Import Complete\n1 punch added, 2 punches already there.", 2},
    };
    for (const auto& c : cases) {
        const QString got = import(c.bytes);
        EXPECT_TRUE(got.contains(c.message)) << got.toStdString();
        EXPECT_EQ(env.punches().size(), c.rows) << got.toStdString();
    }
    const QList<QVariantMap> got = env.punches();
    EXPECT_EQ(QList({got[0]["tckstatus"].toInt(), got[0]["tckexport"].toInt(),
                     got[1]["tckothours"].toInt()}),
              QList({4, 6, 2}));

    QFile::remove(file);
    env.dialogs.answers = QStringList{"tcexport.csv", "Yes"};
    import_punches(env.st, timer);
    EXPECT_EQ(env.dialogs.last().title, "Oops...");
    EXPECT_EQ(env.dialogs.last().text, "Selected import file is missing. Redo.");

    // A punch made in the editor has no recorded in time: imported twice, it is there once.
    // "" stays empty text, Null stays NULL.
    QByteArray editor_made = line;
    editor_made.replace("\"09:00:00\",\" 20040515 \"", "\"Null\",\" 20040515 \"");
    editor_made.replace("\"Bar\"", "\"\"");
    ASSERT_NE(editor_made, line);
    for (const char* message :
         {"1 punch added, 0 punches already there.", "0 punches added, 1 punch already there."})
        EXPECT_TRUE(import(editor_made).contains(message)) << message;
    const QList<QVariantMap> made = env.punches("tcktimein is null");
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(made[0]["tckjobdescription"] == "" && made[0]["tckadjreason"] == "");
    EXPECT_EQ(env.punches("tckjobdescription is null").size(), 0);
}

// The suite's databases and the station's files are never an export's target.
TEST_F(Exchange, ExportRefusesPunchwellsOwnFiles) {
    add_full_punch(20040515, "09:00:00", "Bar");
    const QByteArray before = env.read_file(env.punchdb());
    for (const char* name : {"../data/PUNCHCLK.MDB", "Emp.mdb", "tclock.ini", "rpt00.sys",
                             "tclog.clk", "holiday.dat"}) {
        env.dialogs.answers = QStringList{name};
        env.dialogs.clear();
        export_punches(env.st, timer);
        EXPECT_EQ(env.dialogs.last().text,
                  QFileInfo(name).fileName() +
                      " is one of Punchwell's own files. Choose another name.");
        expect_timer_running();
    }
    EXPECT_EQ(env.read_file(env.punchdb()), before);
    EXPECT_EQ(env.punches("tckstatus = 2").size(), 1);
}

} // namespace
} // namespace pw
