#pragma once
// What the suite's installer lays out for a station: a data folder (the mapdrive) with the
// shared databases and files, and a station folder with parvnode.ini, the station's own
// files, the stand-in sibling programs and their help texts. parvsetup and the tests use this
// same code.
//
// Rules: databases and text files that already exist are kept unless options.force; the
// stand-in programs and help texts belong to the installation and are always rewritten.
// Text files are UTF-8 with CR LF line ends.

#include "station/db.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <optional>

namespace suite {

struct Options {
    bool demo = false;  // add sample employees, jobs, punches, tickets and holidays
    bool force = false; // replace databases and text files that already exist
    int nodenumber = 0;
    int posunit = 0;
    // A PostgreSQL connection URI: the shared databases are made there as schemas and the
    // station's parvnode.ini names it. Empty: SQLite files in the data folder.
    QString database;
    QDate today = QDate::currentDate(); // the demo's punches lead up to this day
    // The built text viewer to install as qwcedit.exe. Empty: "qwcedit" beside the running
    // program (a build) or ../lib/punchwell/qwcedit.exe (an installation). When none is
    // found a do-nothing script stands in.
    QString qwcedit;
    // The folder with templates/ (the report templates) and help/ (the help texts). Empty:
    // ../share/punchwell beside the running program (an installation), else the source tree.
    QString share;
    // The club's configuration password (pr.plevel1). Empty: a new CONFIG.MDB gets the
    // suite's default, a kept one keeps its own (the default when it has none).
    QString config_password;
};

struct Installation {
    QString data;           // absolute, ending in "/": the value of MAPDRIVE=
    QString station;        // absolute, ending in "/": the working folder and LOCALDRIVE=
    pw::DbAccess db_access; // how its databases are reached: options.database serving data
    // The first thing that could not be made, with the system's reason ("could not create
    // PATH: Permission denied"); nothing after it was tried. Empty when everything was made.
    QString failure;
    bool default_password = false; // CONFIG.MDB holds the suite's default password
};

// Creates root/data/ and root/station/. report (when given) gets one line per file or
// database: "created", "kept" (with the reason), "replaced", "wrote" or "linked"; a server's
// databases are named as schemas of its database. Without options.database, a folder laid out
// before keeps the server its parvnode.ini names. The station folder's programs and help texts
// become links to the installed ones, except the station's own copies (pw::own_copy).
Installation create_installation(const QString& root, const Options& options,
                                 QStringList* report = nullptr);
// The installation laid out under root, as its parvnode.ini names it; failure says why not.
Installation open_installation(const QString& root);

// Sets the club's configuration password (pr.plevel1); false with the reason when it cannot.
bool set_config_password(const pw::DbAccess& access, const QString& configdb,
                         const QString& password, QString* why = nullptr);
// pr.plevel1 as stored (empty for none); nullopt when it cannot be read.
std::optional<QString> read_config_password(const Installation& inst);

// Rows for tests and the demo. Each opens the database file, works and closes it; a missing
// file is an error, never a new database. Values are column name -> value; columns left
// out take the table's defaults. insert_rows adds all rows or none.
// access says where the database is (Installation::db_access).
using pw::DbAccess;
bool insert_row(const DbAccess& access, const QString& db_path, const QString& table,
                const QVariantMap& values);
bool insert_rows(const DbAccess& access, const QString& db_path, const QString& table,
                 const QList<QVariantMap>& rows);
bool exec_sql(const DbAccess& access, const QString& db_path, const QString& sql,
              const QVariantList& params = {});

bool add_employee(const DbAccess& access, const QString& empdb, int empid, const QString& first,
                  const QString& last, qint64 pword, const QVariant& status = QStringLiteral("1"));
bool add_job(const DbAccess& access, const QString& empdb, int jobcode, const QString& description,
             double breaktime = 0, double breakreduction = 0);
bool add_empjob(const DbAccess& access, const QString& empdb, int empid, int jobcode,
                double payrate, int glacctnum = 0);

} // namespace suite
