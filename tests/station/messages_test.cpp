#include "env.h"
#include "station/db.h"
#include "station/messages.h"

#include <QFile>
#include <gtest/gtest.h>

namespace pw {
namespace {

const QString kCodesBox =
    QStringLiteral("Code 3021 - No current record.\n\n"
                   "FYI - other possible codes and their explanations\n"
                   "    13 = An alpha character exists for a numeric field\n"
                   "    53 = A database is missing. Call Quorwyn.\n"
                   "3018 = Data field is missing. Call Quorwyn.\n"
                   "3021 = There is no data available\n"
                   "3022 = Duplicate: the number for this record already exists\n"
                   "3024 = Data file or table is missing. Run UPDATE\n"
                   "3043 = Exit Parvela, restart and try again.\n"
                   "3049 = Corrupt database - use the Database Repair Tool\n"
                   "3186-3188 = Another user is using this database. Try again later.\n"
                   "3000 or 8194 = A database is locked by another user. Try again later.\n"
                   "3420 = Close and restart the module to try again.\n"
                   "20500-20900 = Crystal Report errors. Try restarting the computer. \n"
                   "Other codes - call Quorwyn");

TEST(Reporterror, ShowsTheCodesBoxAndLogsTheFirstLine) {
    test::TestEnv env;
    reporterror(env.st, 0, "no error: no box, no log");
    EXPECT_TRUE(env.dialogs.boxes.isEmpty());
    EXPECT_FALSE(QFile::exists(env.station_file("admlog.ini")));
    reporterror(env.st, DbError(3021, "No current record."));
    ASSERT_EQ(env.dialogs.boxes.size(), 1);
    EXPECT_EQ(env.dialogs.last().text, kCodesBox);
    EXPECT_EQ(env.dialogs.last().title, "Parvela Codes");
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

} // namespace
} // namespace pw
