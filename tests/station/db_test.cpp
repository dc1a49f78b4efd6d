#include "env.h"
#include "station/db.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>
#include <gtest/gtest.h>

namespace pw {
namespace {

// The station's code of the DbError that work throws, 0 when it throws none.
int code_of(const std::function<void()>& work) {
    try {
        work();
    } catch (const DbError& e) {
        return e.code();
    }
    return 0;
}

TEST(Db, EngineErrorsGetTheStationsCodesAndTransactionsRollBack) {
    test::TestEnv env;
    const QString missing = env.data("NOPE.MDB");
    EXPECT_EQ(code_of([&] { Db db(missing); }), 53);
    EXPECT_FALSE(QFile::exists(missing)); // never created by opening it

    Db db(env.punchdb());
    EXPECT_EQ(code_of([&] { db.run("select * from nosuch"); }), 3024);
    EXPECT_EQ(code_of([&] { db.run("select nosuch from punch"); }), 3018);
    EXPECT_EQ(code_of([&] { db.run("select count(*) from punch"); }), 0);

    // A transaction left without commit rolls back.
    {
        Transaction t(db);
        db.run("insert into punch (tckempid) values (?)", {7});
    }
    EXPECT_EQ(env.scalar(env.punchdb(), "select count(*) from punch").toInt(), 0);
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
        EXPECT_EQ(code_of([&] { db.run("select count(*) from punch"); }), 3045);
        q.exec("rollback");
    }
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other-station");
}

} // namespace
} // namespace pw
