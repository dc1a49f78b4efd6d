#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(DiskFiles, FindTheLastComponentInAnyLetterCaseAndAppend) {
    QTemporaryDir tmp;
    QDir(tmp.path()).mkdir("Data");
    ASSERT_TRUE(QFile(tmp.path() + "/Data/punchclk.mdb").open(QIODevice::WriteOnly));
    // Only the last component is matched; the folder keeps the case it was given.
    EXPECT_EQ(resolve_name(tmp.path() + "/Data/PUNCHCLK.MDB"), tmp.path() + "/Data/punchclk.mdb");
    EXPECT_EQ(resolve_name(tmp.path() + "/DATA/PUNCHCLK.MDB"), tmp.path() + "/DATA/PUNCHCLK.MDB");
    EXPECT_EQ(resolve_name(tmp.path() + "/Data/EMP.MDB"), tmp.path() + "/Data/EMP.MDB");
    // Two names alike but for their case: the same one whatever order the folder lists them.
    for (const char* name : {"/Data/Emp.mdb", "/Data/EMP.mdb"})
        ASSERT_TRUE(QFile(tmp.path() + name).open(QIODevice::WriteOnly));
    EXPECT_EQ(resolve_name(tmp.path() + "/Data/emp.mdb"), tmp.path() + "/Data/EMP.mdb");
    DiskFiles files;
    const QString log = tmp.path() + "/tclog.clk";
    EXPECT_EQ(files.append(log, "a\r\n"), 0);
    EXPECT_EQ(files.append(log, "b\r\n"), 0);
    EXPECT_EQ(*files.read(log), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(files.append(tmp.path() + "/gone/tclog.clk", "a"), 75);
    EXPECT_FALSE(files.read(tmp.path() + "/gone/tclog.clk"));
}

} // namespace
} // namespace pw
