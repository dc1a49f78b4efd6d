#include "env.h"
#include "punch/punchrecord.h"
#include "schema.h"
#include "station/db.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

const PunchQuery kOpenRow{"tckempid = ? and tckjobcode = ? and tckstatus = 1", {5, 10}};

struct PunchRecord : ::testing::Test {
    test::TestEnv env;
    PunchBuffer buf;

    void add_open(const QString& timein, const QVariantMap& more = {}) {
        QVariantMap row{{"tckindate", 20040524},
                        {"tckempid", 5},
                        {"tckjobcode", 10},
                        {"tcktimein", timein},
                        {"tckstatus", kOpen}};
        row.insert(more);
        ASSERT_TRUE(env.add_punch(row));
    }
    QList<QVariantMap> rows() const {
        return env.rows(env.punchdb(), "select * from punch order by rowid");
    }
};

TEST_F(PunchRecord, NoRowGivesQuitWithTheFieldListAndUnsetValues) {
    ASSERT_EQ(read_punch_row(env.st, env.punchdb(), marker_query(), buf), RowResult::Quit);
    EXPECT_EQ(buf.names, suite::punch_columns());
    EXPECT_EQ(buf.last_field_index, col::tckstatus);
    EXPECT_EQ(buf.types[col::tckindate], FieldType::Integer);
    EXPECT_EQ(buf.types[col::tckpayrate], FieldType::Real);
    EXPECT_EQ(buf.types[col::tcktimein], FieldType::Text);
    for (const QVariant& v : buf.values)
        EXPECT_FALSE(v.isValid());
}

TEST_F(PunchRecord, SeveralMatchesLoadAndUpdateOnlyTheFirst) {
    add_open("08:00:00");
    add_open("09:00:00");
    ASSERT_EQ(read_punch_row(env.st, env.punchdb(), kOpenRow, buf), RowResult::Done);
    EXPECT_EQ(buf.text(col::tcktimein), "08:00:00");
    buf[col::tcktimeout] = "17:00:00";
    buf[col::tckstatus] = kClosed;
    ASSERT_EQ(write_punch_row(env.st, env.punchdb(), kOpenRow, buf), RowResult::Done);
    const auto r = rows();
    EXPECT_EQ(r[0]["tcktimeout"], "17:00:00");
    EXPECT_EQ(r[0]["tckstatus"], kClosed);
    EXPECT_EQ(r[1]["tckstatus"], kOpen);
    EXPECT_TRUE(r[1]["tcktimeout"].isNull());
}

// A row closed at another station after the read: nothing is updated, not even the next
// open row of the same employee and job.
TEST_F(PunchRecord, RowClosedMeanwhileIsNotUpdated) {
    add_open("08:00:00");
    add_open("09:00:00");
    ASSERT_EQ(read_punch_row(env.st, env.punchdb(), kOpenRow, buf), RowResult::Done);
    ASSERT_TRUE(env.exec(env.punchdb(), "update punch set tckstatus = 2 where rowid = 1"));
    buf[col::tcktimeout] = "17:00:00";
    EXPECT_EQ(write_punch_row(env.st, env.punchdb(), kOpenRow, buf), RowResult::Quit);
    EXPECT_EQ(env.scalar(env.punchdb(), "select count(tcktimeout) from punch").toInt(), 0);
}

TEST_F(PunchRecord, NullNumbersReadAsZeroWhileNullTextStaysNull) {
    add_open("08:00:00", {{"tckjobdescription", ""}});
    ASSERT_EQ(read_punch_row(env.st, env.punchdb(), kOpenRow, buf), RowResult::Done);
    EXPECT_EQ(buf[col::tckexport], 0); // integer default null
    EXPECT_TRUE(buf[col::tckadjreason].isNull());
    ASSERT_EQ(write_punch_row(env.st, env.punchdb(), kOpenRow, buf), RowResult::Done);
    const auto r = rows().first();
    EXPECT_EQ(r["tckexport"], 0);
    EXPECT_TRUE(r["tckadjreason"].isNull());
    EXPECT_TRUE(r["tckcomment"].isNull());
    EXPECT_EQ(r["tckjobdescription"], "");
}

TEST_F(PunchRecord, PathGetsMdbAndIsFoundInAnyCase) {
    add_open("08:00:00");
    for (const char* name : {"punchclk", "PunchClk.mdb", "PUNCHCLK.MDB"}) {
        PunchBuffer b;
        EXPECT_EQ(read_punch_row(env.st, env.data(name), kOpenRow, b), RowResult::Done) << name;
    }
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
}

TEST_F(PunchRecord, MissingDatabaseTellsTheUserAndEmptyInputsDoNothing) {
    EXPECT_EQ(read_punch_row(env.st, "", kOpenRow, buf), RowResult::Skipped);
    EXPECT_EQ(read_punch_row(env.st, env.punchdb(), {}, buf), RowResult::Skipped);
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());

    EXPECT_EQ(write_punch_row(env.st, env.data("nope"), kOpenRow, buf), RowResult::Missing);
    ASSERT_EQ(env.dialogs.boxes.size(), 1);
    EXPECT_EQ(env.dialogs.last().text, "The " + env.data("nope") +
                                           ".MDB database is missing.\r\n"
                                           "Contact Quorwyn technical support for assistance.");
    EXPECT_EQ(env.dialogs.last().title, "Uh-oh...");
    EXPECT_EQ(env.dialogs.last().icon, Icon::Information);
}

TEST_F(PunchRecord, BusyFlagsAddARowInTheColumnsTypes) {
    ASSERT_EQ(read_punch_row(env.st, env.punchdb(), marker_query(), buf), RowResult::Quit);
    set_busy(buf);
    buf[col::tckindate] = 20040524;
    buf[col::tckempid] = 5.0;
    buf[col::tckpayrate] = 12.345678;
    buf[col::tckreghours] = 8.329999923706055;
    buf[col::tcktimein] = "08:00:00";
    ASSERT_EQ(write_punch_row(env.st, env.punchdb(), marker_query(), buf), RowResult::Done);
    clear_busy(buf);
    EXPECT_FALSE(buf.adding());
    const auto r =
        env.rows(env.punchdb(), "select typeof(tckempid) t, tckempid, tckpayrate, tckreghours, "
                                "tcktimein, tckadjreason from punch");
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0]["t"], "integer");
    EXPECT_EQ(r[0]["tckpayrate"], 12.3457);
    EXPECT_EQ(r[0]["tckreghours"], 8.33);
    EXPECT_EQ(r[0]["tcktimein"], "08:00:00");
    EXPECT_TRUE(r[0]["tckadjreason"].isNull()); // left to the default
}

TEST_F(PunchRecord, TextInANumberColumnIsATypeMismatch) {
    add_open("08:00:00");
    ASSERT_EQ(read_punch_row(env.st, env.punchdb(), kOpenRow, buf), RowResult::Done);
    buf[col::tckreghours] = "lots";
    try {
        write_punch_row(env.st, env.punchdb(), kOpenRow, buf);
        FAIL() << "wrote text into hours";
    } catch (const DbError& e) {
        EXPECT_EQ(e.code(), 13);
    }
}

TEST_F(PunchRecord, UpdateAndInsertInOneTransactionRollBackTogether) {
    add_open("08:00:00");
    try {
        Db db(env.punchdb());
        Transaction t(db);
        ASSERT_EQ(read_punch_row(db, kOpenRow, buf), RowResult::Done);
        buf[col::tckstatus] = kClosed;
        ASSERT_EQ(write_punch_row(db, kOpenRow, buf), RowResult::Done);
        set_busy(buf);
        ASSERT_EQ(write_punch_row(db, kOpenRow, buf), RowResult::Done);
        throw DbError(75, "network gone"); // before the commit

    } catch (const DbError&) {
    }
    const auto r = rows();
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0]["tckstatus"], kOpen);
}

TEST_F(PunchRecord, SetTodayFromTheClock) {
    env.clock.set("2004-05-24 23:59:59");
    set_today(env.st);
    EXPECT_EQ(env.st.todaytext, "05-24-2004");
    EXPECT_EQ(env.st.today, 20040524);
}

} // namespace
} // namespace pw
