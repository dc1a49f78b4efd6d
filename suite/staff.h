#pragma once
// A club's staff and jobs from a spreadsheet, and back. Two CSV files (UTF-8, a header line,
// comma or semicolon between values):
//
//   staff: number,first name,last name,password,role,jobs
//          role employee, manager (password 20000 or more) or inactive; jobs "code:rate"
//          pairs separated by blanks ("20:9.5 40:12")
//   jobs:  code,description,break after hours,break hours
//
// The header names the columns in any order; columns it does not know are ignored. Rows are
// added or updated by number (code) in one transaction, or nothing is: the first bad value
// refuses the file, naming its line and column. A staff row without a password keeps the
// stored one, so the list written by list_staff (no passwords) loads back unchanged.

#include "station/db.h"

#include <QByteArray>
#include <QString>

namespace suite {

struct LoadResult {
    bool ok = false;
    QString message; // what was added and updated, or why the file was refused
};

LoadResult load_staff(const pw::DbAccess& access, const QString& empdb, const QByteArray& csv);
LoadResult load_jobs(const pw::DbAccess& access, const QString& empdb, const QByteArray& csv);

// Every employee as a staff file without passwords, CR LF line ends. Throws pw::DbError.
QByteArray list_staff(const pw::DbAccess& access, const QString& empdb);

} // namespace suite
