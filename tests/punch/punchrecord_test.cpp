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

// The first match is read and updated, and only that row: the next open row of the same
// employee and job keeps its values. (Null values written back, and a row closed meanwhile
// at another station, are met by the punches through the window.)
TEST_F(PunchRecord, OnlyTheRowRead) {
    add_open("08:00:00", "");
    add_open("09:00:00");
    ASSERT_EQ(read(), RowResult::Done);
    EXPECT_EQ(buf.text(col::tcktimein), "08:00:00");
    buf[col::tckstatus] = kClosed;
    ASSERT_EQ(write(), RowResult::Done);
    const auto r = rows();
    EXPECT_EQ(r[0]["tckstatus"], kClosed);
    EXPECT_EQ(r[0]["tckjobdescription"], "");
    EXPECT_EQ(r[1]["tckstatus"], kOpen);
    EXPECT_TRUE(r[1]["tckjobdescription"].isNull());
}

TEST_F(PunchRecord, ThePathGetsMdbInAnyCase) {
    add_open("08:00:00");
    for (const char* name : {"punchclk", "PunchClk.mdb", "PUNCHCLK.MDB"})
        EXPECT_EQ(read_punch_row(env.st, env.data(name), kOpenRow, buf), RowResult::Done) << name;
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
}

} // namespace
} // namespace pw
