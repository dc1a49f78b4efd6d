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

    void add_open(const QString& timein, const QVariant& description = QVariant()) {
        ASSERT_TRUE(env.add_punch({{"tckindate", 20040524},
                                   {"tckempid", 5},
                                   {"tckjobcode", 10},
                                   {"tcktimein", timein},
                                   {"tckstatus", kOpen},
                                   {"tckjobdescription", description}}));
    }
    QList<QVariantMap> rows() const {
        return env.rows(env.punchdb(), "select * from punch order by rowid");
    }
    RowResult read(const PunchQuery& q = kOpenRow) {
        return read_punch_row(env.st, env.punchdb(), q, buf);
    }
    RowResult write(const PunchQuery& q = kOpenRow) {
        return write_punch_row(env.st, env.punchdb(), q, buf);
    }
};

TEST_F(PunchRecord, TheMarkerReadGivesTheFieldListAndBusyFlagsAdd) {
    ASSERT_EQ(read(marker_query()), RowResult::Quit);
    EXPECT_EQ(buf.names, suite::punch_columns());
    // Values are stored as their columns hold them; unset ones take the table's default.
    set_busy(buf);
    buf[col::tckempid] = 5.0;
    buf[col::tckpayrate] = 12.345678;
    buf[col::tckreghours] = 8.329999923706055;
    buf[col::tcktimein] = "08:00:00";
    ASSERT_EQ(write(marker_query()), RowResult::Done);
    const auto r = env.rows(env.punchdb(), "select tckempid, tckpayrate, tckreghours, tcktimein, "
                                           "tckadjreason from punch");
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0]["tckpayrate"], 12.3457);
    EXPECT_EQ(r[0]["tckreghours"], 8.33);
    EXPECT_EQ(r[0]["tcktimein"], "08:00:00");
    EXPECT_TRUE(r[0]["tckadjreason"].isNull());

    // Text in a number column is a type mismatch.
    buf[col::tckreghours] = "lots";
    try {
        write(marker_query());
        FAIL() << "wrote text into hours";
    } catch (const DbError& e) {
        EXPECT_EQ(e.code(), 13);
    }
}

// The first match is read and updated: null numbers read as 0, null text stays NULL. A row
// closed at another station after the read is left alone, and so is the next open row of the
// same employee and job.
TEST_F(PunchRecord, OnlyTheRowReadAndOnlyWhileItStillMatches) {
    add_open("08:00:00", "");
    add_open("09:00:00");
    ASSERT_EQ(read(), RowResult::Done);
    EXPECT_EQ(buf.text(col::tcktimein), "08:00:00");
    buf[col::tckstatus] = kClosed;
    ASSERT_EQ(write(), RowResult::Done);
    auto r = rows();
    EXPECT_EQ(r[0]["tckstatus"], kClosed);
    EXPECT_EQ(r[0]["tckexport"], 0);
    EXPECT_TRUE(r[0]["tckadjreason"].isNull());
    EXPECT_EQ(r[0]["tckjobdescription"], "");
    EXPECT_EQ(r[1]["tckstatus"], kOpen);

    add_open("10:00:00");
    ASSERT_EQ(read(), RowResult::Done);
    EXPECT_EQ(buf.text(col::tcktimein), "09:00:00");
    ASSERT_TRUE(env.exec(env.punchdb(), "update punch set tckstatus = 2 where rowid = 2"));
    buf[col::tcktimeout] = "18:00:00";
    EXPECT_EQ(write(), RowResult::Quit);
    EXPECT_EQ(env.scalar(env.punchdb(), "select count(tcktimeout) from punch").toInt(), 0);
}

TEST_F(PunchRecord, ThePathGetsMdbInAnyCase) {
    add_open("08:00:00");
    for (const char* name : {"punchclk", "PunchClk.mdb", "PUNCHCLK.MDB"})
        EXPECT_EQ(read_punch_row(env.st, env.data(name), kOpenRow, buf), RowResult::Done) << name;
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
}

} // namespace
} // namespace pw
