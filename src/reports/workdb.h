#pragma once
// The report work database: the station's own copy of the rows of the last report, in the
// working folder, from which printed reports take their rows. Each report press makes it
// fresh from the blank template rpt00.sys and the report engine fills its punch table.
//
// Rules: the file is "rpt" + the last two digits of the node number + ".mdb"; file names
// on disk may differ in letter case (start-up knows it as RPTnn.MDB), so the name is
// resolved without case and every part of the station must use work_db_path() to reach the
// one file.

#include <QString>
#include <optional>

namespace pw {

class Db;
class Station;

// "rpt" + last two characters of ("00" + node number) + ".mdb": node 3 rpt03.mdb, node 112
// rpt12.mdb.
QString work_db_name(int nodenumber);

// The work database of this station in the working folder, resolved in any letter case.
QString work_db_path(const Station& st);

// Replaces the work database with a copy of rpt00.sys from the working folder; without
// rpt00.sys the old work database is kept as it is. Returns the work database's path, or
// nullopt after reporting a failure through reporterror.
std::optional<QString> make_report_database(Station& st);

// Sets a connection to the work database up for a report's writes. The file is this node's
// scratch copy, made fresh for every report, so its writes need not wait for the disk and
// its rollback journal may stay in memory: a crash leaves at worst a copy the next report
// replaces. Call before the first transaction.
void as_scratch(Db& work);

// The insert that copies a report's punch row of width values into the work database's punch
// table by position. Throws DbError 3018 when the rows are wider than the punch table.
QString work_copy_sql(qsizetype width);

} // namespace pw
