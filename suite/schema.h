#pragma once
// The suite's databases as its installer creates them: empty tables with the columns the
// suite defines. Every function creates a new database (a file, or a schema on the folder's
// server) and fails when it already exists.

#include <QString>
#include <QStringList>

namespace suite {

// Column names of punch and history, in their fixed order.
const QStringList& punch_columns();

bool create_punch_db(const QString& path);  // punch, history
bool create_emp_db(const QString& path);    // empinfo, empjobs, jobs
bool create_config_db(const QString& path); // pr, with its one row
bool create_pos_db(const QString& path);    // xact
bool create_report_db(const QString& path); // punch, headings (one row)

} // namespace suite
