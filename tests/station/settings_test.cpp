#include "env.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/messages.h"
#include "station/settings.h"

#include <QDir>
#include <QFile>
#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace pw {
namespace {

TEST(Fields, ReadTheWayInputDoesAndValAsBasicDoes) {
    const struct {
        const char* text;
        QStringList fields;
    } cases[] = {
        // Commas and every line end end a field; the last needs none.
        {"a,b\r\nc\nd", {"a", "b", "c", "d"}},
        // Blanks around unquoted fields go; quotes keep blanks and commas, drop the rest.
        {"  a  ,\t b ", {"a", "b"}},
        {"\"x, y \",z", {"x, y ", "z"}},
        {"\"q\"junk,z", {"q", "z"}},
        {"\"open\r\nb", {"open", "b"}},
        // Empty fields after commas; blank lines are no fields.
        {"a,,b", {"a", "", "b"}},
        {"\r\n\r\na\n\n  \nb\n", {"a", "b"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read_fields(QString::fromUtf8(c.text)), c.fields) << c.text;
    EXPECT_EQ(read_fields("a,b,c,d", 2), QStringList({"a", "b"}));
    // No number at all; blanks before it skipped, reading stopped where a number cannot go on;
    // exponents, BASIC's D too (a bare E is none).
    const struct {
        const char* text;
        double value;
    } numbers[] = {{"", 0},      {"$5", 0},        {".", 0},       {"- 5", 0},
                   {"  12", 12}, {"08:30:00", 8},  {"1.2.3", 1.2}, {"+3", 3},
                   {".5", 0.5},  {"-2.5e1x", -25}, {"1d2", 100},   {"1e+", 1}};
    for (const auto& c : numbers)
        EXPECT_DOUBLE_EQ(val(c.text), c.value) << c.text;
    EXPECT_TRUE(std::isfinite(val("9e99999")));
    // Bit for bit as Qt reads them, at the edges of rounding and of the range.
    for (const char* text : {"0.1", "8.33", "-0", "+0.0", "5.", "123456789012345678901234567890",
                             "0.12345678901234567890123", "2.2250738585072014e-308", "4.9e-324",
                             "1e-400", "1.7976931348623157e308", "-7.25D-3"}) {
        const double qt = QString(text).replace('D', 'E').toDouble();
        EXPECT_EQ(std::bit_cast<quint64>(val(text)), std::bit_cast<quint64>(qt)) << text;
    }
    EXPECT_EQ(QStringList({list_number(-0.0), list_number(1234567), list_number(-12),
                           list_number(8.5), list_number(1e15)}),
              QStringList({" 0 ", " 1234567 ", "-12 ", " 8.5 ", " 1e+15 "}));
}

TEST(Initnode, ReadsKeysDerivesNamesAndFindsTheFileInCapitals) {
    const struct {
        const char* ini;
        const char *mapdrive, *localdrive;
        int node, unit;
        const char *reportdb, *posholddb;
    } cases[] = {
        // Keys in any case, values as written; no line end after the last field.
        {"mapdrive=/Srv/D/\nLocalDrive=/H/\nposunit=3", "/Srv/D/", "/H/", 0, 3, "RPT00",
         "HBPOSX03"},
        // The last occurrence wins; COMPUTERNAME= and unknown keys change nothing.
        {"MAPDRIVE=/a/\nCOMPUTERNAME=X\nJUNK=1\nMAPDRIVE=/b/\nNODENUMBER=12", "/b/", "", 12, 0,
         "RPT12", "HBPOSX00"},
        {"  \"MAPDRIVE=/my data, old/\" , NODENUMBER=0", "/my data, old/", "", 0, 0, "RPT00",
         "HBPOSX00"},
        // Leading numeric value, rounded, held to 16 bits; text is 0.
        {"NODENUMBER=7.6 nodes\nPOSUNIT=abc", "", "", 8, 0, "RPT08", "HBPOSX00"},
        {"NODENUMBER=99999\nPOSUNIT=-70000", "", "", 32767, -32768, "RPT32767", "HBPOSX68"},
        {"", "", "", 0, 0, "RPT00", "HBPOSX00"},
    };
    for (const auto& c : cases) {
        test::TestEnv env;
        env.write_file(env.station_file("parvnode.ini"), c.ini);
        ASSERT_TRUE(initnode(env.st)) << c.ini;
        const Settings& s = env.st.settings;
        // The folder keeps its case: Linux file names are case-sensitive.
        EXPECT_EQ(std::tie(s.mapdrive, s.localdrive, s.nodenumber, s.posunit, s.reportdb,
                           s.posholddb, s.postempdb),
                  std::make_tuple(QString(c.mapdrive), QString(c.localdrive), c.node, c.unit,
                                  QString(c.reportdb) + ".MDB", QString(c.posholddb) + ".MDB",
                                  QString(c.mapdrive) + "HBPOSTMP.MDB"))
            << c.ini;
    }
    // A missing file is met with the other start-up failures.
    test::TestEnv env;
    ASSERT_TRUE(QFile::remove(env.station_file("parvnode.ini")));
    env.write_file(env.station_file("PARVNODE.INI"), "NODENUMBER=4");
    EXPECT_TRUE(initnode(env.st));
    EXPECT_EQ(env.st.settings.reportdb, "RPT04.MDB");
}

auto pr_fields(const Settings& s) {
    return std::make_tuple(s.nextprdate, s.shiftlimit, s.inrounding, s.outrounding,
                           s.managerpassword, s.reasons[1], s.reasons[3], s.wwstartday);
}

TEST(Loadsettings, PrValuesNullDefaultsAndHolidayList) {
    test::TestEnv env;
    env.load();
    Settings& s = env.st.settings;
    ASSERT_TRUE(env.exec(env.configdb(),
                         "update pr set nextprdate = 20040530, shiftlimit = 12, inrounding = 15, "
                         "outrounding = 6, plevel1 = 'boss', reason1 = '', reason3 = 'Break', "
                         "wwstartday = 0"));
    loadsettings(env.st);
    EXPECT_EQ(pr_fields(s), std::make_tuple(20040530, 12, 15, 6, QString("boss"),
                                            QString("Forgot to punch in"), QString("Break"), 0));
    // Every column Null: the defaults, except that nextprdate keeps what it had.
    ASSERT_TRUE(env.exec(env.configdb(),
                         "update pr set nextprdate = null, shiftlimit = null, inrounding = null, "
                         "outrounding = null, plevel1 = null, reason1 = null, reason3 = null, "
                         "wwstartday = null"));
    loadsettings(env.st);
    EXPECT_EQ(pr_fields(s),
              std::make_tuple(20040530, 0, 0, 0, QString("zvt"), QString("Forgot to punch in"),
                              QString("Reallocate Hours"), 1));
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());

    // Out of range: 0, as the configuration window then shows, and written to admlog.ini
    // once however often they are read; 60 and 7 are in range.
    const QString admlog = env.station_file("admlog.ini");
    ASSERT_TRUE(env.exec(env.configdb(),
                         "update pr set inrounding = 60, outrounding = 90, wwstartday = 8"));
    loadsettings(env.st);
    loadsettings(env.st);
    EXPECT_EQ(std::tuple(s.inrounding, s.outrounding, s.wwstartday), std::tuple(60, 0, 0));
    EXPECT_EQ(env.read_file(admlog), "05-24-2004-08:00:00---pr out of range, treated as 0: "
                                     "outrounding 90, wwstartday 8\r\n");
    ASSERT_TRUE(env.exec(env.configdb(), "update pr set outrounding = 5, wwstartday = -1"));
    loadsettings(env.st);
    EXPECT_EQ(std::tuple(s.outrounding, s.wwstartday), std::tuple(5, 0));
    EXPECT_TRUE(env.read_file(admlog).endsWith("treated as 0: wwstartday -1\r\n"));
    QFile::remove(admlog);

    // holiday.dat is read when asked: a missing file holds no holiday; more than a year's
    // days stop at 366.
    const QString file = env.data("holiday.dat");
    QFile::remove(file);
    EXPECT_FALSE(holiday_on(env.st, 20040704));
    QByteArray many;
    for (int n = 1; n <= 400; ++n)
        many += QByteArray::number(1000 + n) + (n % 10 ? "," : "\n");
    env.write_file(file, many);
    EXPECT_EQ(std::tuple(holiday_on(env.st, 20041366), holiday_on(env.st, 20041367)),
              std::tuple(true, false));
}

TEST(Loadsettings, MissingConfigOrRowKeepsValuesAndLoadsTheRest) {
    for (const bool no_file : {true, false}) {
        test::TestEnv env;
        // A mapdrive without its separator: names are formed as written, so no CONFIG.MDB.
        const QString map = no_file ? env.inst.data.chopped(1) : env.inst.data;
        const QString local = env.tmp.path() + "/Local Settings/";
        ASSERT_TRUE(QDir().mkpath(local));
        env.write_file(env.station_file("parvnode.ini"), "\"MAPDRIVE=" + map.toUtf8() +
                                                             "\"\n\"LOCALDRIVE=" + local.toUtf8() +
                                                             "\"\nDATABASE=" + env.server.toUtf8());
        ASSERT_TRUE(env.exec(env.configdb(), "delete from pr"));
        ASSERT_TRUE(initnode(env.st));
        env.st.settings.shiftlimit = 9;
        loadsettings(env.st);
        EXPECT_EQ(env.st.settings.shiftlimit, 9);
        // No box at a kiosk: logged, and punching waits (see the kiosk tests).
        EXPECT_TRUE(env.dialogs.boxes.isEmpty());
        EXPECT_EQ(std::pair(env.st.settings.payrules_loaded, env.st.settings.payrules_error),
                  std::pair(false, no_file ? 53 : 3021));
        EXPECT_EQ(env.st.settings.punchdb, map + "PUNCHCLK.MDB");
        EXPECT_EQ(env.read_file(local + "tclock.ini"), QByteArray(" 0 , 0 , 0 \r\n"));
    }
}

TEST(Loadsettings, TclockIniValues) {
    const struct {
        const char* file;
        int printer, type, remote; // were 5, 6, 1
        const char* after;         // nullptr: the file stays as it was
    } cases[] = {
        // An older station's file: not remote, and completed with the third value.
        {"-1,1\r\n", -1, 1, 0, "-1 , 1 , 0 \r\n"},
        {"4\r\n", 4, 6, 0, " 4 , 6 , 0 \r\n"},
        // Values that cannot be read leave the fields as they were.
        {"x, 3 ,99999\r\n", 5, 3, 1, nullptr},
        {",,\r\n", 5, 6, 1, nullptr},
    };
    for (const auto& c : cases) {
        test::TestEnv env;
        env.load();
        Settings& s = env.st.settings;
        std::tie(s.receiptprinter, s.printertype, s.remotemode) = std::make_tuple(5, 6, 1);
        env.write_file(env.station_file("tclock.ini"), c.file);
        loadsettings(env.st);
        EXPECT_EQ(std::tie(s.receiptprinter, s.printertype, s.remotemode),
                  std::make_tuple(c.printer, c.type, c.remote))
            << c.file;
        EXPECT_EQ(env.read_file(env.station_file("tclock.ini")),
                  QByteArray(c.after ? c.after : c.file));
    }
}

// A lock held by another station (3045) is met by the punch and identification tests.
TEST(Db, ErrorsGetTheStationsCodesRollBackAndShowTheCodesBox) {
    test::TestEnv env;
    const QString missing = env.data("NOPE.MDB");
    EXPECT_EQ(test::code_of([&] { Db db(missing, DbMode::ReadWrite, env.db_access()); }), 53);
    EXPECT_FALSE(QFile::exists(missing)); // never created by opening it

    Db db(env.punchdb(), DbMode::ReadWrite, env.db_access());
    EXPECT_EQ(test::code_of([&] { db.run("select * from nosuch"); }), 3024);
    EXPECT_EQ(test::code_of([&] { db.run("select nosuch from punch"); }), 3018);
    // Texts sort by character codes on either engine, whatever the server's language.
    for (const char* name : {"alpha", "Zeta", "Ab"})
        db.run("insert into punch (tckjobdescription) values (?)", {name});
    QStringList order;
    for (QSqlQuery q = db.run("select tckjobdescription from punch order by 1"); fetch(q);)
        order << q.value(0).toString();
    EXPECT_EQ(order, QStringList({"Ab", "Zeta", "alpha"}));
    db.run("delete from punch");

    // A transaction left without commit rolls back.
    {
        Transaction t(db);
        db.run("insert into punch (tckempid) values (?)", {7});
    }
    EXPECT_EQ(env.scalar(env.punchdb(), "select count(*) from punch").toInt(), 0);
    reporterror(env.st, 0, "no error: no box, no log");
    EXPECT_TRUE(env.dialogs.boxes.isEmpty() && !QFile::exists(env.station_file("admlog.ini")));
    reporterror(env.st, DbError(3021, "No current record."));
    // The error's line, then the list of codes a person may meet.
    EXPECT_EQ(env.dialogs.boxes.size() * test::code_shown(env.dialogs), 3021);
    EXPECT_TRUE(env.dialogs.last().text.startsWith("Code 3021 - No current record.\n\nFYI - "));
    EXPECT_TRUE(env.dialogs.last().text.endsWith("\nOther codes - call Quorwyn"));
    EXPECT_EQ(env.dialogs.last().icon, Icon::Information);
    EXPECT_EQ(env.read_file(env.station_file("admlog.ini")),
              QByteArray("05-24-2004-08:00:00---Code 3021 - No current record.\n\n\r\n"));

    // The log grows line by line, each with its own time.
    env.clock.set("2004-12-31 23:59:58");
    reporterror(env.st, 53, "Could not find file.");
    EXPECT_TRUE(
        env.read_file(env.station_file("admlog.ini"))
            .endsWith("\n\n\r\n12-31-2004-23:59:58---Code 53 - Could not find file.\n\n\r\n"));
}

// A server holds the .mdb databases right in the data folder, however the path spells it; the
// folder follows the station's mapdrive.
TEST(Db, AServerHoldsTheDatabasesOfTheDataFolderOnly) {
    const DbAccess access{3000, "postgresql://club", "/srv/club/data", nullptr};
    for (const auto& [path, held] : {std::pair{"/srv/club/data/PUNCHCLK.MDB", true},
                                     {"/srv/club/data/emp.mdb", true},
                                     {"/srv/club/data/../data/EMP.MDB", true},
                                     {"/srv/club//data/EMP.MDB", true},
                                     {"/srv/club/data/WORK.DB", false},
                                     {"/srv/club/data/old/EMP.MDB", false},
                                     {"/srv/club/database/EMP.MDB", false},
                                     {"/srv/club/EMP.MDB", false}})
        EXPECT_EQ(database_server(path, access), held ? access.server : QString()) << path;

    test::TestEnv env;
    env.st.settings.database = "postgresql://club";
    env.st.settings.mapdrive = "../data/";
    EXPECT_EQ(env.st.db_access().data_folder, QFileInfo(env.data("parv.exe")).path());
    env.st.settings.mapdrive = "../elsewhere/";
    EXPECT_EQ(env.st.db_access().data_folder, QDir::cleanPath(env.data("../elsewhere")));
}

// The Qt driver's own run of a statement, which the station's own runs are checked against.
QSqlQuery run_by_driver(Db& db, const QString& sql, const QVariantList& binds = {}) {
    QSqlQuery q = db.prepare(sql);
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
    return q;
}

// A statement run row after row binds its values itself, and stores each as the driver would:
// the same type and value in a column of every kind, for every type the drivers give.
TEST(Db, RowsBoundDirectlyAreStoredAsTheDriverStoresThem) {
    test::TestEnv env;
    Db db(env.tmp.filePath("bound.db"), DbMode::Create, DbAccess{});
    db.run("create table t (way, a, b integer, c text, d real)");
    const QVariantList values{qulonglong(20261207),
                              QString("Caf\u00e9 \U0001F600"),
                              QString(""),
                              QString(),
                              7,
                              qlonglong(-8),
                              2.5,
                              true,
                              uint(9),
                              QVariant(QMetaType::fromType<int>())};
    RowStatement direct(db, "insert into t values ('direct', ?, ?, ?, ?)");
    for (const QVariant& v : values) {
        SCOPED_TRACE(v.typeName());
        run_by_driver(db, "insert into t values ('driver', ?, ?, ?, ?)", {v, v, v, v});
        direct.run({v, v, v, v});
        db.run("insert into t values ('run', ?, ?, ?, ?)", {v, v, v, v});
        QStringList stored;
        for (QSqlQuery q = db.run("select way, typeof(a), a, typeof(b), b, typeof(c), c, "
                                  "typeof(d), d from t order by way");
             fetch(q);) {
            QStringList row;
            for (int i = 1; i < 9; ++i)
                row << q.value(i).toString();
            stored << row.join('|');
        }
        ASSERT_EQ(stored.size(), 3);
        EXPECT_EQ(stored[0], stored[1]);
        EXPECT_EQ(stored[0], stored[2]);
        db.run("delete from t");
    }
    // Texts of different lengths in one row each keep their own column.
    const QVariantList mixed{QString("\u00e9t\u00e9"), qulonglong(7), QString("x"), 3.5};
    run_by_driver(db, "insert into t values ('driver', ?, ?, ?, ?)", mixed);
    direct.run(mixed);
    db.run("insert into t values ('run', ?, ?, ?, ?)", mixed);
    QSqlQuery q = db.run("select count(distinct a || b || c || d), max(a || b || c || d) from t");
    ASSERT_TRUE(fetch(q));
    EXPECT_EQ(q.value(0).toInt(), 1);
    EXPECT_EQ(q.value(1).toString(), QString("\u00e9t\u00e97x3.5"));
    EXPECT_EQ(db.scalar("select count(*) from t").toInt(), 3);
}

// A server gets a statement's values apart from its text; what it stores is what it stored when
// the driver wrote them into the statement.
TEST(Db, ValuesSentApartToAServerAreStoredAsTheDriverWroteThem) {
    test::TestEnv env;
    if (env.server.isEmpty())
        GTEST_SKIP() << "a server's statements only";
    Db db(env.punchdb(), DbMode::ReadWrite, env.db_access());
    db.run("create table sent (way text, a integer, b real, c text)");
    const QVariantList values{1000000.0, -8.0,          qlonglong(-8), qulonglong(20261207),
                              7,         QString("12"), QString()};
    // A "?" in quotes is no value's place.
    QSqlQuery driver = db.prepare("insert into sent values ('driver?', ?, ?, ?)");
    for (const QVariant& v : values) {
        SCOPED_TRACE(v.typeName());
        db.run("insert into sent values ('apart?', ?, ?, ?)", {v, v, v});
        exec(driver, {v, v, v});
        QStringList stored;
        for (QSqlQuery q = db.run("select a, b, c, way from sent order by way"); fetch(q);)
            stored << QStringList{q.value(0).toString(), q.value(1).toString(),
                                  q.value(2).toString(), q.value(3).toString()}
                          .join('|');
        ASSERT_EQ(stored.size(), 2);
        EXPECT_EQ(stored[0].section('|', 0, 2), stored[1].section('|', 0, 2));
        EXPECT_EQ(stored[0].section('|', 3), "apart?");
        db.run("delete from sent");
    }
    // Text goes as it is, quotes, backslashes and all.
    const QString text = "it's \\ \"a\" ? \u00e9t\u00e9";
    db.run("insert into sent (way, c) values (?, ?)", {"x", text});
    EXPECT_EQ(db.scalar("select c from sent where way = ?", {"x"}).toString(), text);
}

// Rows of a query still coming when another statement runs on its connection are lost; the
// query then fails, never ending as if it had no more rows.
TEST(Db, RowsDroppedByAnotherStatementFailTheirQuery) {
    test::TestEnv env;
    if (env.server.isEmpty())
        GTEST_SKIP() << "a server's connections only";
    Db db(env.punchdb(), DbMode::ReadOnly, env.db_access());
    RowStatement rows(db, "select n from pg_catalog.generate_series(1, 100000) as n");
    rows.query({});
    QVariantList row;
    ASSERT_TRUE(rows.next(row));
    EXPECT_EQ(db.scalar("select 2").toInt(), 2);
    EXPECT_THROW(while (rows.next(row)){}, DbError);
}

// A value read as text: what the driver's value reads as, a null as a null text.
void expect_same_text(const QString& text, const QVariant& value) {
    EXPECT_EQ(text.isNull(), value.isNull()) << value.typeName();
    if (!value.isNull()) {
        EXPECT_EQ(text, value.toString());
    }
}

TEST(Db, RowsReadDirectlyAreTheValuesTheDriverGives) {
    test::TestEnv env;
    ASSERT_TRUE(env.add_punch({{"tckempid", -3},
                               {"tckjobcode", 20},
                               {"tckindate", 20261207},
                               {"tckpayrate", 12.75},
                               {"tcktimein", "08:00:00"},
                               {"tcktimeout", ""},
                               {"tckadjreason", "Caf\u00e9 \u263a"}}));
    QStringList queries{"select * from punch"};
    if (!env.server.isEmpty())
        queries << "select true, null::boolean, 2::smallint, -5::integer, null::integer, "
                   "0.1::real, 'NaN'::double precision, '-Infinity'::double precision, "
                   "1e300::double precision, null::double precision, 'v'::varchar, 1.5::numeric, "
                   "date '2026-12-07', 9223372036854775807::bigint, null::bigint";
    Db db(env.punchdb(), DbMode::ReadOnly, env.db_access());
    for (const QString& sql : queries) {
        SCOPED_TRACE(sql.toStdString());
        QList<QVariantList> by_driver;
        for (QSqlQuery q = run_by_driver(db, sql); fetch(q);) {
            by_driver.append(QVariantList());
            for (int i = 0; i < q.record().count(); ++i)
                by_driver.back().append(q.value(i));
        }
        // Run, streamed, and read whole by position.
        QList<QVariantList> ran, streamed, whole;
        for (QSqlQuery q = db.run(sql); fetch(q);) {
            ran.append(QVariantList());
            for (int i = 0; i < q.record().count(); ++i)
                ran.back().append(q.value(i));
        }
        // Streamed, each row also copied into a file as a report copies it, and bound there
        // as values, a column changed each way: both store the same.
        Db file(env.tmp.filePath(QString("copies%1.db").arg(queries.indexOf(sql))), DbMode::Create,
                DbAccess{});
        QStringList columns, stored;
        {
            RowStatement rows(db, sql);
            rows.query({});
            const int last = rows.width() - 1;
            for (int i = 0; i <= last; ++i)
                columns << QString("c%1").arg(i);
            file.run("create table c (way, " + columns.join(',') + ")");
            const QString marks = QStringList(last + 1, "?").join(',');
            RowStatement copied(file, "insert into c values ('copied', " + marks + ")");
            RowStatement bound(file, "insert into c values ('bound', " + marks + ")");
            for (QVariantList row; rows.next(row);) {
                streamed.append(row);
                for (int i = 0; i <= last; ++i) {
                    EXPECT_EQ(QString::number(rows.number(i)), QString::number(row[i].toDouble()));
                    expect_same_text(rows.text(i), row[i]);
                }
                rows.copy_to(copied, {{0, 2.5}, {last, QString("\u00e9")}});
                row[0] = 2.5;
                row[last] = QString("\u00e9");
                bound.run(row);
            }
        }
        for (QString& c : columns)
            c = QString("typeof(%1) || quote(%1)").arg(c);
        for (QSqlQuery q =
                 file.run("select " + columns.join(" || ',' || ") + " from c order by way, rowid");
             fetch(q);)
            stored << q.value(0).toString();
        ASSERT_EQ(stored.size(), 2 * by_driver.size());
        EXPECT_EQ(stored.mid(0, stored.size() / 2), stored.mid(stored.size() / 2));
        WholeRows all = db.run_whole(sql);
        for (int r = 0; r < all.row_count(); ++r) {
            whole.append(QVariantList());
            for (qsizetype i = 0; i < by_driver.value(r).size(); ++i) {
                whole.back().append(all.cell(r, int(i)));
                EXPECT_EQ(QString::number(all.number(r, int(i))),
                          QString::number(by_driver[r][i].toDouble()))
                    << i;
                expect_same_text(all.text(r, int(i)), by_driver[r][i]);
            }
        }
        for (const QList<QVariantList>& direct : {ran, streamed, whole}) {
            ASSERT_EQ(direct.size(), by_driver.size());
            for (qsizetype r = 0; r < direct.size(); ++r)
                for (qsizetype i = 0; i < direct[r].size(); ++i) {
                    const QVariant &a = direct[r][i], &b = by_driver[r][i];
                    SCOPED_TRACE(i);
                    EXPECT_EQ(a.metaType(), b.metaType()) << a.typeName() << " " << b.typeName();
                    EXPECT_EQ(a.isNull(), b.isNull());
                    EXPECT_EQ(a.toString(), b.toString());
                }
        }
    }
}

// A query the station ran itself and still holds when its database is closed lets go of the
// file: closing does not fail, leaving the file open, and the query then has no more rows.
TEST(Db, AQueryStillHeldDoesNotKeepItsFileOpen) {
    test::TestEnv env;
    if (!env.server.isEmpty())
        GTEST_SKIP() << "files only";
    const auto open_copies = [&] {
        int n = 0;
        for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::Files | QDir::System))
            n += fd.symLinkTarget() == QFileInfo(env.punchdb()).canonicalFilePath() ? 1 : 0;
        return n;
    };
    ASSERT_TRUE(env.add_punch({{"tckempid", 1}, {"tckindate", 20261207}}));
    ASSERT_TRUE(env.add_punch({{"tckempid", 2}, {"tckindate", 20261207}}));
    QSqlQuery held;
    {
        Db db(env.punchdb(), DbMode::ReadOnly, env.db_access());
        held = db.run("select tckempid from punch order by tckempid");
        ASSERT_TRUE(fetch(held));
        EXPECT_EQ(held.value(0).toInt(), 1);
        EXPECT_EQ(open_copies(), 1);
    }
    EXPECT_EQ(open_copies(), 0);
    EXPECT_FALSE(fetch(held));
}

} // namespace
} // namespace pw
