#include "env.h"
#include "station/fields.h"
#include "station/settings.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace pw {
namespace {

TEST(Fields, ReadsTheWayInputDoes) {
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
}

TEST(Fields, ValListNumberAndTclockLine) {
    // No number at all; blanks before it skipped, reading stopped where a number cannot go on;
    // exponents, BASIC's D too (a bare E is none).
    const struct {
        const char* text;
        double value;
    } cases[] = {{"", 0},          {"abc", 0},     {"$5", 0},    {"-", 0},
                 {".", 0},         {"- 5", 0},     {"  12", 12}, {"08:30:00", 8},
                 {"12 34", 12},    {"1.2.3", 1.2}, {"+3", 3},    {".5", 0.5},
                 {"-2.5e1x", -25}, {"1d2", 100},   {"1e", 1},    {"1e+", 1}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(val(c.text), c.value) << c.text;
    EXPECT_TRUE(std::isfinite(val("9e99999")));
    EXPECT_EQ(QStringList({list_number(-0.0), list_number(1234567), list_number(8.5)}),
              QStringList({" 0 ", " 1234567 ", " 8.5 "}));
    EXPECT_EQ(tclock_ini_line(-1, 2, 1), QByteArray("-1 , 2 , 1 \r\n"));
}

TEST(Initnode, ReadsKeysAndDerivesNames) {
    const struct {
        const char* ini;
        const char *mapdrive, *localdrive;
        int node, unit;
        const char *reportdb, *posholddb;
    } cases[] = {
        {"MAPDRIVE=F:\\DATA\\\r\nNODENUMBER=7\r\n", "F:\\DATA\\", "", 7, 0, "RPT07", "HBPOSX00"},
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
        EXPECT_EQ(std::tie(s.mapdrive, s.localdrive, s.nodenumber, s.posunit),
                  std::make_tuple(QString(c.mapdrive), QString(c.localdrive), c.node, c.unit))
            << c.ini;
        EXPECT_EQ(s.reportdb, QString(c.reportdb) + ".MDB") << c.ini;
        EXPECT_EQ(s.posholddb, QString(c.posholddb) + ".MDB") << c.ini;
        // The folder keeps its case: Linux file names are case-sensitive.
        EXPECT_EQ(s.postempdb, QString(c.mapdrive) + "HBPOSTMP.MDB") << c.ini;
    }
}

TEST(Initnode, MissingFileTellsAndFails) {
    test::TestEnv env;
    ASSERT_TRUE(QFile::remove(env.station_file("parvnode.ini")));
    EXPECT_FALSE(initnode(env.st));
    // Its title and text are checked with the other start-up failures.
    ASSERT_EQ(env.dialogs.boxes.size(), 1);
    EXPECT_EQ(env.dialogs.last().icon, Icon::Information);
    // The name in capitals is the same file.
    env.write_file(env.station_file("PARVNODE.INI"), "NODENUMBER=4");
    EXPECT_TRUE(initnode(env.st));
    EXPECT_EQ(env.st.settings.reportdb, "RPT04.MDB");
}

auto pr_fields(const Settings& s) {
    return std::make_tuple(s.nextprdate, s.shiftlimit, s.inrounding, s.outrounding,
                           s.managerpassword, s.reasons[1], s.reasons[3], s.wwstartday);
}

TEST(Loadsettings, PrValuesAndNullDefaults) {
    test::TestEnv env;
    env.load();
    const Settings& s = env.st.settings;
    EXPECT_EQ(std::tie(s.configdb, s.empdb, s.punchdb),
              std::make_tuple(env.configdb(), env.empdb(), env.punchdb()));
    EXPECT_EQ(pr_fields(s),
              std::make_tuple(0, 0, 0, 0, QString("zvt"), QString("Forgot to punch in"),
                              QString("Reallocate Hours"), 1));
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
}

TEST(Loadsettings, MissingConfigOrRowKeepsValuesAndLoadsTheRest) {
    for (const bool no_file : {true, false}) {
        test::TestEnv env;
        // A mapdrive without its separator: names are formed as written, so no CONFIG.MDB.
        const QString map = no_file ? env.inst.data.chopped(1) : env.inst.data;
        const QString local = env.tmp.path() + "/Local Settings/";
        ASSERT_TRUE(QDir().mkpath(local));
        env.write_file(env.station_file("parvnode.ini"),
                       "\"MAPDRIVE=" + map.toUtf8() + "\"\n\"LOCALDRIVE=" + local.toUtf8() + "\"");
        ASSERT_TRUE(env.exec(env.configdb(), "delete from pr"));
        ASSERT_TRUE(initnode(env.st));
        env.st.settings.shiftlimit = 9;
        loadsettings(env.st);
        EXPECT_EQ(env.st.settings.shiftlimit, 9);
        ASSERT_EQ(env.dialogs.boxes.size(), 1);
        EXPECT_TRUE(env.dialogs.last().text.startsWith(no_file ? "Code 53 - " : "Code 3021 - "));
        EXPECT_EQ(env.st.settings.punchdb, map + "PUNCHCLK.MDB");
        EXPECT_EQ(env.read_file(local + "tclock.ini"), QByteArray(" 0 , 0 , 0 \r\n"));
    }
}

TEST(Loadsettings, HolidayList) {
    test::TestEnv env;
    env.load();
    Settings& s = env.st.settings;
    auto first = [&] { return QStringList(s.holidays.begin(), s.holidays.begin() + 4); };
    const QString file = env.data("holiday.dat");
    QFile::remove(file);
    s.holidays[0] = "1";
    s.holidays[1] = "0704";
    loadsettings(env.st);
    EXPECT_EQ(first(), QStringList({"1", "0704", "", ""}));

    env.write_file(file, "0101\r\n1225,1226\r\n");
    loadsettings(env.st);
    EXPECT_EQ(first(), QStringList({"3", "0101", "1225", "1226"}));

    QByteArray many;
    for (int n = 1; n <= 400; ++n)
        many += QByteArray::number(1000 + n) + (n % 10 ? "," : "\n");
    env.write_file(file, many);
    loadsettings(env.st);
    EXPECT_EQ(s.holidays[0], "366");
    EXPECT_EQ(s.holidays[366], "1366");
    // A shorter list leaves later entries in place; only the count is consulted.
    env.write_file(file, "\"0101\"");
    loadsettings(env.st);
    EXPECT_EQ(first(), QStringList({"1", "0101", "1002", "1003"}));
}

TEST(Loadsettings, TclockIniValues) {
    const struct {
        const char* file;
        int printer, type, remote; // were 5, 6, 1
        const char* after;         // nullptr: the file stays as it was
    } cases[] = {
        {" 2 , 1 , 1 \r\n", 2, 1, 1, nullptr},
        {"-1,3,0", -1, 3, 0, nullptr},
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

} // namespace
} // namespace pw
