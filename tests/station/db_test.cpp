#include "env.h"
#include "station/db.h"

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

// A lock held by another station (3045) is met by the punch and identification tests.
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

} // namespace
} // namespace pw
