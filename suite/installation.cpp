#include "installation.h"

#include "demo.h"
#include "schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace suite {

namespace {

// The station's own release: a tcfilelist.txt naming it starts no self-update.
constexpr char kStationVersion[] = "21.12.28a";

QString folder(const QString& path) {
    QString abs = QDir(path).absolutePath();
    return abs.endsWith('/') ? abs : abs + '/';
}

void note(QStringList* report, const QString& line) {
    if (report)
        *report << line;
}

constexpr QFile::Permissions kExecutable =
    QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;

bool write_file(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = f.write(bytes) == bytes.size() && f.flush();
    f.close();
    if (ok && executable)
        f.setPermissions(f.permissions() | kExecutable);
    return ok;
}

QByteArray crlf(const QString& text) {
    QString t = text;
    t.replace("\r\n", "\n").replace('\n', "\r\n");
    return t.toUtf8();
}

// Files that hold a club's data or settings are only ever replaced on request.
// Returns true when the file was made in this run.
template <typename Make>
bool make_kept(const QString& path, const Options& options, QStringList* report, Make make) {
    const bool existed = QFileInfo::exists(path);
    if (existed) {
        if (!options.force) {
            note(report, "kept " + path + " (exists; --force replaces it)");
            return false;
        }
        if (!QFile::remove(path)) {
            note(report, "could not replace " + path);
            return false;
        }
    }
    if (!make()) {
        note(report, "could not create " + path);
        return false;
    }
    note(report, (existed ? "replaced " : "created ") + path);
    return true;
}

using Creator = bool (*)(const QString&);

bool make_db(const QString& path, Creator create, const Options& options, QStringList* report) {
    return make_kept(path, options, report, [&] { return create(path); });
}

bool make_text(const QString& path, const QString& text, const Options& options,
               QStringList* report) {
    return make_kept(path, options, report, [&] { return write_file(path, crlf(text)); });
}

// Programs and help texts come with the installation: always brought up to date.
void install_file(const QString& path, const QByteArray& bytes, bool executable,
                  QStringList* report) {
    note(report, (write_file(path, bytes, executable) ? "wrote " : "could not write ") + path);
}

QByteArray stand_in(const QString& what) {
    return "#!/bin/sh\n# Parvela stand-in: " + what.toUtf8() + "\nexit 0\n";
}

// Folders relative to the running program: a build keeps its parts beside it, an
// installation (/usr/bin/parvsetup) in ../lib/punchwell and ../share/punchwell.
QString beside_program(const QString& relative) {
    return QCoreApplication::instance()
               ? QDir::cleanPath(QCoreApplication::applicationDirPath() + '/' + relative)
               : QString();
}

QString find_viewer(const Options& options) {
    const QStringList candidates =
        options.qwcedit.isEmpty()
            ? QStringList{beside_program("qwcedit"), beside_program("../lib/punchwell/qwcedit.exe")}
            : QStringList{options.qwcedit};
    for (const QString& path : candidates)
        if (!path.isEmpty() && QFileInfo(path).isExecutable())
            return path;
    return {};
}

// The folder holding templates/ and help/; empty when there is none.
QString find_share(const Options& options) {
    const QStringList candidates =
        options.share.isEmpty()
            ? QStringList{beside_program("../share/punchwell"), QStringLiteral(PW_SUITE_SOURCE_DIR)}
            : QStringList{options.share};
    for (const QString& path : candidates)
        if (!path.isEmpty() && QFileInfo(path + "/templates").isDir() &&
            QFileInfo(path + "/help").isDir())
            return folder(path);
    return {};
}

QStringList files_in(const QString& dir, const QString& pattern) {
    return QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
}

QByteArray read_all(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void install_viewer(const QString& dest, const Options& options, QStringList* report) {
    const QString viewer = find_viewer(options);
    if (!viewer.isEmpty()) {
        QFile::remove(dest);
        if (QFile::copy(viewer, dest)) {
            QFile(dest).setPermissions(QFile(dest).permissions() | kExecutable);
            note(report, "wrote " + dest + " (from " + viewer + ")");
            return;
        }
    }
    install_file(dest, stand_in("the text viewer was not built; help shows nothing."), true,
                 report);
}

QString node_file(const Installation& inst, const Options& options) {
    // Folder fields are quoted so that folder names with commas or blanks survive.
    return "\"MAPDRIVE=" + inst.data + "\"\n\"LOCALDRIVE=" + inst.station +
           "\"\nNODENUMBER=" + QString::number(options.nodenumber) +
           "\nPOSUNIT=" + QString::number(options.posunit) + "\nCOMPUTERNAME=CLOCK" +
           QString::number(options.nodenumber) + "\n";
}

// Runs fn on a fresh connection to an existing db_path.
template <typename Fn> bool with_db(const QString& db_path, Fn fn) {
    const QString name = "suite-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(db_path);
        if (QFileInfo(db_path).isFile() && db.open()) {
            ok = fn(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool insert(QSqlDatabase& db, const QString& table, const QVariantMap& values) {
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
}

} // namespace

bool exec_sql(const QString& db_path, const QString& sql, const QVariantList& params) {
    return with_db(db_path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare(sql);
        for (const QVariant& v : params)
            q.addBindValue(v);
        if (q.exec())
            return true;
        qWarning("suite: %s", qPrintable(q.lastError().text()));
        return false;
    });
}

bool insert_row(const QString& db_path, const QString& table, const QVariantMap& values) {
    return with_db(db_path, [&](QSqlDatabase& db) { return insert(db, table, values); });
}

bool insert_rows(const QString& db_path, const QString& table, const QList<QVariantMap>& rows) {
    return with_db(db_path, [&](QSqlDatabase& db) {
        if (!db.transaction())
            return false;
        for (const QVariantMap& row : rows) {
            if (!insert(db, table, row)) {
                db.rollback();
                return false;
            }
        }
        return db.commit();
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
    return insert_row(
        empdb, "empjobs",
        {{"empid", empid}, {"jobcode", jobcode}, {"payrate", payrate}, {"glacctnum", glacctnum}});
}

Installation create_installation(const QString& root, const Options& options, QStringList* report) {
    Installation inst;
    QDir().mkpath(root + "/data");
    QDir().mkpath(root + "/station");
    inst.data = folder(root + "/data");
    inst.station = folder(root + "/station");
    const QString& data = inst.data;
    const QString& station = inst.station;

    DemoTargets made;
    made.config = make_db(data + "CONFIG.MDB", create_config_db, options, report);
    made.emp = make_db(data + "EMP.MDB", create_emp_db, options, report);
    made.punch = make_db(data + "PUNCHCLK.MDB", create_punch_db, options, report);
    made.pos = make_db(data + "HBPOSTMP.MDB", create_pos_db, options, report);
    make_db(data + "rpt00.sys", create_report_db, options, report);

    QString holidays;
    if (options.demo)
        holidays = demo_holidays().join('\n') + '\n';
    make_text(data + "holiday.dat", holidays, options, report);
    make_text(data + "punchwell.txt", options.demo ? "Welcome to Punchwell\n" : "", options,
              report);
    make_text(data + "tcfilelist.txt", QString(kStationVersion) + '\n', options, report);

    const QString share = find_share(options);
    if (share.isEmpty())
        note(report, "could not find the report templates and help texts (" +
                         (options.share.isEmpty() ? "/usr/share/punchwell" : options.share) + ")");
    // Report templates: a club may edit them, so they are kept like its data.
    for (const QString& name : files_in(share + "templates", "*.rpt")) {
        const QByteArray bytes = read_all(share + "templates/" + name);
        make_kept(data + name, options, report, [&] { return write_file(data + name, bytes); });
    }

    install_file(data + "parv.exe", stand_in("its presence means the suite is reachable."), true,
                 report);
    if (options.demo) // switches the open sales-ticket check on, so the demo tickets show
        install_file(data + "tillmar.exe", stand_in("the point-of-sale program."), true, report);

    make_text(station + "parvnode.ini", node_file(inst, options), options, report);
    make_db(station + "rpt00.sys", create_report_db, options, report);
    install_file(station + "syncnwk.exe", stand_in("network clock synchronisation."), true, report);
    install_file(station + "swupdate.exe", stand_in("software updater."), true, report);
    install_viewer(station + "qwcedit.exe", options, report);
    for (const QString& name : files_in(share + "help", "*.txt"))
        install_file(station + name, crlf(QString::fromUtf8(read_all(share + "help/" + name))),
                     false, report);

    if (options.demo)
        add_demo_data(inst, options.today, made, report);
    return inst;
}

} // namespace suite
