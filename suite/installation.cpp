#include "installation.h"

#include "schema.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace suite {

namespace {

QString folder(const QString& path) {
    QString abs = QDir(path).absolutePath();
    return abs.endsWith('/') ? abs : abs + '/';
}

void note(QStringList* report, const QString& line) {
    if (report)
        *report << line;
}

bool write_file(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    f.write(bytes);
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return true;
}

using Creator = bool (*)(const QString&);

void make_db(const QString& path, Creator create, const Options& options, QStringList* report) {
    if (QFile::exists(path)) {
        if (!options.force) {
            note(report, "kept " + path + " (exists; --force replaces it)");
            return;
        }
        QFile::remove(path);
        note(report, "replaced " + path);
    }
    if (create(path))
        note(report, "created " + path);
    else
        note(report, "could not create " + path);
}

// Runs fn on a fresh connection to db_path.
template <typename Fn> bool with_db(const QString& db_path, Fn fn) {
    const QString name = "suite-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(db_path);
        if (QFile::exists(db_path) && db.open()) {
            ok = fn(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

bool exec_sql(const QString& db_path, const QString& sql) {
    return with_db(db_path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (q.exec(sql))
            return true;
        qWarning("suite: %s", qPrintable(q.lastError().text()));
        return false;
    });
}

bool insert_row(const QString& db_path, const QString& table, const QVariantMap& values) {
    return with_db(db_path, [&](QSqlDatabase& db) {
        QStringList marks(values.size(), "?");
        QSqlQuery q(db);
        q.prepare("insert into " + table + " (" + values.keys().join(", ") + ") values (" +
                  marks.join(", ") + ")");
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (q.exec())
            return true;
        qWarning("suite: %s", qPrintable(q.lastError().text()));
        return false;
    });
}

bool add_employee(const QString& empdb, int empid, const QString& first, const QString& last,
                  qint64 pword, const QVariant& status) {
    return insert_row(empdb, "empinfo",
                      {{"empid", empid},
                       {"empfname", first},
                       {"emplname", last},
                       {"empmainname", last + ", " + first},
                       {"empstatus", status},
                       {"pword", pword}});
}

bool add_job(const QString& empdb, int jobcode, const QString& description, double breaktime,
             double breakreduction) {
    return insert_row(empdb, "jobs",
                      {{"jobcode", jobcode},
                       {"jobdescription", description},
                       {"breaktime", breaktime},
                       {"breakreduction", breakreduction}});
}

bool add_empjob(const QString& empdb, int empid, int jobcode, double payrate, int glacctnum) {
    return insert_row(empdb, "empjobs",
                      {{"empid", empid},
                       {"jobcode", jobcode},
                       {"payrate", payrate},
                       {"glacctnum", glacctnum}});
}

Installation create_installation(const QString& root, const Options& options,
                                 QStringList* report) {
    Installation inst;
    QDir().mkpath(root + "/data");
    QDir().mkpath(root + "/station");
    inst.data = folder(root + "/data");
    inst.station = folder(root + "/station");

    make_db(inst.data + "CONFIG.MDB", create_config_db, options, report);
    make_db(inst.data + "EMP.MDB", create_emp_db, options, report);
    make_db(inst.data + "PUNCHCLK.MDB", create_punch_db, options, report);
    make_db(inst.data + "HBPOSTMP.MDB", create_pos_db, options, report);
    make_db(inst.data + "rpt00.sys", create_report_db, options, report);
    if (!QFile::exists(inst.station + "rpt00.sys"))
        QFile::copy(inst.data + "rpt00.sys", inst.station + "rpt00.sys");

    write_file(inst.data + "parv.exe", "#!/bin/sh\n# Parvela stand-in: its presence means the "
                                       "suite is reachable.\nexit 0\n",
               true);

    // Fields are quoted so that folder names with commas or blanks survive.
    const QByteArray node = "\"MAPDRIVE=" + inst.data.toUtf8() + "\"\r\n\"LOCALDRIVE=" +
                            inst.station.toUtf8() + "\"\r\nNODENUMBER=" +
                            QByteArray::number(options.nodenumber) +
                            "\r\nPOSUNIT=" + QByteArray::number(options.posunit) +
                            "\r\nCOMPUTERNAME=CLOCK" + QByteArray::number(options.nodenumber) +
                            "\r\n";
    write_file(inst.station + "parvnode.ini", node);
    note(report, "wrote " + inst.station + "parvnode.ini");
    return inst;
}

} // namespace suite
