#include "env.h"
#include "station/db.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(Db, MissingFileIs53AndIsNeverCreated) {
    test::TestEnv env;
    const QString path = env.data("NOPE.MDB");
    try {
        Db db(path);
        FAIL() << "opened a missing database";
    } catch (const DbError& e) {
        EXPECT_EQ(e.code(), 53);
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST(Db, MissingTableAndColumnGetTheirCodes) {
    test::TestEnv env;
    Db db(env.punchdb());
    auto code_of = [&](const QString& sql) {
        try {
            db.run(sql);
        } catch (const DbError& e) {
            return e.code();
        }
        return 0;
    };
    EXPECT_EQ(code_of("select * from nosuch"), 3024);
    EXPECT_EQ(code_of("select nosuch from punch"), 3018);
    EXPECT_EQ(code_of("select count(*) from punch"), 0);
}

TEST(Db, ALockHeldByAnotherStationIs3045) {
    test::TestEnv env;
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-station");
    other.setDatabaseName(env.punchdb());
    ASSERT_TRUE(other.open());
    {
        QSqlQuery q(other);
        ASSERT_TRUE(q.exec("begin exclusive"));
        Db db(env.punchdb(), DbMode::ReadWrite, 50);
        try {
            db.run("select count(*) from punch");
            FAIL() << "read through an exclusive lock";
        } catch (const DbError& e) {
            EXPECT_EQ(e.code(), 3045);
        }
        q.exec("rollback");
    }
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other-station");
}

TEST(Db, TransactionRollsBackWhenLeftWithoutCommit) {
    test::TestEnv env;
    {
        Db db(env.punchdb());
        Transaction t(db);
        db.run("insert into punch (tckempid) values (?)", {7});
    }
    EXPECT_EQ(env.scalar(env.punchdb(), "select count(*) from punch").toInt(), 0);
}

} // namespace
} // namespace pw
