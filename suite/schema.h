#pragma once
// The suite's databases as its installer creates them: empty tables with the columns the
// suite defines. Every function creates a new database (a file, or a schema on the folder's
// server, as access says) and fails when it already exists, giving the engine's reason in why.

#include "station/db.h"

#include <QString>
#include <QStringList>

namespace suite {

bool create_punch_db(const QString& path, const pw::DbAccess& access,
                     QString* why = nullptr); // punch, history
bool create_emp_db(const QString& path, const pw::DbAccess& access,
                   QString* why = nullptr); // empinfo, empjobs, jobs
bool create_config_db(const QString& path, const pw::DbAccess& access,
                      QString* why = nullptr); // pr, one row
bool create_pos_db(const QString& path, const pw::DbAccess& access, QString* why = nullptr); // xact
bool create_report_db(const QString& path, const pw::DbAccess& access,
                      QString* why = nullptr); // punch, headings

// The statements each of them runs, for work that lays a database out itself.
QStringList punch_statements();
QStringList emp_statements();
QStringList config_statements();
QStringList pos_statements();
QStringList report_statements();

} // namespace suite
