#pragma once
// What the suite's installer lays out for a station: a data folder (the mapdrive) with the
// shared databases and files, and a station folder with parvnode.ini and the station's own
// files. parvsetup and the tests use this same code.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace suite {

struct Options {
    bool demo = false;  // add sample employees, jobs, punches, tickets and holidays
    bool force = false; // replace databases that already exist
    int nodenumber = 0;
    int posunit = 0;
    QDate today = QDate::currentDate(); // the demo's punches lead up to this day
};

struct Installation {
    QString data;    // absolute, ending in "/": the value of MAPDRIVE=
    QString station; // absolute, ending in "/": the working folder and LOCALDRIVE=
};

// Creates root/data/ and root/station/. Existing databases are kept unless options.force;
// report (when given) gets one line per thing done or kept.
Installation create_installation(const QString& root, const Options& options,
                                 QStringList* report = nullptr);

// Rows for tests and the demo. Each opens the database file, adds the row and closes it.
// Values are column name -> value; columns left out take the table's defaults.
bool insert_row(const QString& db_path, const QString& table, const QVariantMap& values);
bool exec_sql(const QString& db_path, const QString& sql);

bool add_employee(const QString& empdb, int empid, const QString& first, const QString& last,
                  qint64 pword, const QVariant& status = QStringLiteral("1"));
bool add_job(const QString& empdb, int jobcode, const QString& description,
             double breaktime = 0, double breakreduction = 0);
bool add_empjob(const QString& empdb, int empid, int jobcode, double payrate, int glacctnum = 0);

} // namespace suite
