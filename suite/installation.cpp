#include "installation.h"

#include "copyto.h"
#include "demo.h"
#include "schema.h"

#include "station/db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>

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
bool make_kept(const QString& path, const pw::DbAccess& access, const Options& options,
               QStringList* report, Make make) {
    const bool existed = pw::database_exists(path, access) || QFileInfo::exists(path);
    if (existed) {
        if (!options.force) {
            note(report, "kept " + path + " (exists; --force replaces it)");
            return false;
        }
        if (!pw::remove_database(path, access)) {
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

using Creator = bool (*)(const QString&, const pw::DbAccess&);

bool make_db(const QString& path, const pw::DbAccess& access, Creator create,
             const Options& options, QStringList* report) {
    return make_kept(path, access, options, report, [&] { return create(path, access); });
}

bool make_text(const QString& path, const QString& text, const Options& options,
               QStringList* report) {
    return make_kept(path, {}, options, report, [&] { return write_file(path, crlf(text)); });
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
           QString::number(options.nodenumber) + "\n" +
           (options.database.isEmpty() ? QString() : "\"DATABASE=" + options.database + "\"\n");
}

// Runs fn on a fresh connection to an existing db_path.
template <typename Fn> bool with_db(const pw::DbAccess& access, const QString& db_path, Fn fn) {
    try {
        pw::Db db(db_path, pw::DbMode::ReadWrite, access);
        fn(db);
    } catch (const pw::DbError& e) {
        qWarning("suite: %s", e.what());
        return false;
    }
    return true;
}

void insert(pw::Db& db, const QString& table, const QVariantMap& values) {
    QStringList marks(values.size(), "?");
    db.run("insert into " + table + " (" + values.keys().join(", ") + ") values (" +
               marks.join(", ") + ")",
           values.values());
}

} // namespace

bool exec_sql(const DbAccess& access, const QString& db_path, const QString& sql,
              const QVariantList& params) {
    return with_db(access, db_path, [&](pw::Db& db) { db.run(sql, params); });
}

bool insert_row(const DbAccess& access, const QString& db_path, const QString& table,
                const QVariantMap& values) {
    return with_db(access, db_path, [&](pw::Db& db) { insert(db, table, values); });
}

bool insert_rows(const DbAccess& access, const QString& db_path, const QString& table,
                 const QList<QVariantMap>& rows) {
    return with_db(access, db_path, [&](pw::Db& db) {
        pw::Transaction t(db);
        for (const QVariantMap& row : rows)
            insert(db, table, row);
        t.commit();
    });
}

bool add_employee(const DbAccess& access, const QString& empdb, int empid, const QString& first,
                  const QString& last, qint64 pword, const QVariant& status) {
    return insert_row(access, empdb, "empinfo",
                      {{"empid", empid},
                       {"empfname", first},
                       {"emplname", last},
                       {"empmainname", last + ", " + first},
                       {"empstatus", status},
                       {"pword", pword}});
}

bool add_job(const DbAccess& access, const QString& empdb, int jobcode, const QString& description,
             double breaktime, double breakreduction) {
    return insert_row(access, empdb, "jobs",
                      {{"jobcode", jobcode},
                       {"jobdescription", description},
                       {"breaktime", breaktime},
                       {"breakreduction", breakreduction}});
}

bool add_empjob(const DbAccess& access, const QString& empdb, int empid, int jobcode,
                double payrate, int glacctnum) {
    return insert_row(
        access, empdb, "empjobs",
        {{"empid", empid}, {"jobcode", jobcode}, {"payrate", payrate}, {"glacctnum", glacctnum}});
}

namespace {

struct Source {
    QString file;
    QStringList (*statements)();
    QStringList tables;
};

QList<Source> sources_in(const QString& data) {
    QList<Source> out;
    for (const QString& file : QDir(data).entryList(QDir::Files)) {
        const QString name = file.toUpper();
        if (name == "CONFIG.MDB")
            out.append({file, config_statements, {"pr"}});
        else if (name == "EMP.MDB")
            out.append({file, emp_statements, {"empinfo", "empjobs", "jobs"}});
        else if (name == "PUNCHCLK.MDB")
            out.append({file, punch_statements, {"punch", "history"}});
        else if (name.startsWith("HBPOS") && name.endsWith(".MDB"))
            out.append({file, pos_statements, {"xact"}});
    }
    return out;
}

// Copies every row of table in their stored order; the made table's own rows go first.
void copy_table(pw::Db& from, pw::Db& to, const QString& table) {
    to.run("delete from " + table);
    QSqlQuery rows = from.run("select * from " + table + " order by rowid");
    QSqlQuery insert;
    bool prepared = false;
    while (pw::fetch(rows)) {
        const QSqlRecord rec = rows.record();
        if (!prepared) {
            QStringList names;
            for (int i = 0; i < rec.count(); ++i)
                names << rec.fieldName(i);
            insert = to.prepare("insert into " + table + " (" + names.join(", ") + ") values (" +
                                QStringList(rec.count(), "?").join(", ") + ")");
            prepared = true;
        }
        QVariantList values;
        for (int i = 0; i < rec.count(); ++i)
            values << rec.value(i);
        pw::exec(insert, values);
    }
}

} // namespace

bool copy_to_server(const QString& root, const QString& url, QStringList* report) {
    const QString data = folder(root + "/data");
    const pw::DbAccess server{3000, url, data};
    const QList<Source> sources = sources_in(data);
    if (sources.isEmpty()) {
        note(report, "could not find the databases in " + data);
        return false;
    }
    // One transaction on one connection: the schemas, their tables and every row, or nothing.
    QStringList copied;
    QString current;
    try {
        const std::unique_ptr<pw::Db> to = pw::Db::server(server);
        for (const Source& source : sources) {
            try {
                to->use(data + source.file);
            } catch (const pw::DbError& e) {
                if (e.code() == 53) // not there yet, as it must be
                    continue;
                throw;
            }
            note(report, "could not copy the data folder: the server already holds schema " +
                             pw::database_schema(source.file));
            return false;
        }
        pw::Transaction t(*to);
        for (const Source& source : sources) {
            current = source.file;
            to->use(data + source.file, pw::DbMode::Create);
            for (const QString& sql : source.statements())
                to->run(sql);
            pw::Db from(data + source.file, pw::DbMode::ReadOnly);
            for (const QString& table : source.tables)
                copy_table(from, *to, table);
            copied << "copied " + data + source.file + " to schema " +
                          pw::database_schema(source.file);
        }
        t.commit();
    } catch (const pw::DbError& e) {
        note(report, "could not copy " + current + ": " + e.what());
        note(report, "could not copy the data folder: nothing was left on the server");
        return false;
    }
    for (const QString& line : copied)
        note(report, line);
    return true;
}

Installation create_installation(const QString& root, const Options& options, QStringList* report) {
    Installation inst;
    QDir().mkpath(root + "/data");
    QDir().mkpath(root + "/station");
    inst.data = folder(root + "/data");
    inst.station = folder(root + "/station");
    inst.db_access = {3000, options.database, inst.data};
    const QString& data = inst.data;
    const QString& station = inst.station;
    const pw::DbAccess& access = inst.db_access;

    DemoTargets made;
    made.config = make_db(data + "CONFIG.MDB", access, create_config_db, options, report);
    made.emp = make_db(data + "EMP.MDB", access, create_emp_db, options, report);
    made.punch = make_db(data + "PUNCHCLK.MDB", access, create_punch_db, options, report);
    made.pos = make_db(data + "HBPOSTMP.MDB", access, create_pos_db, options, report);
    make_db(data + "rpt00.sys", access, create_report_db, options, report);

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
        make_kept(data + name, {}, options, report, [&] { return write_file(data + name, bytes); });
    }

    install_file(data + "parv.exe", stand_in("its presence means the suite is reachable."), true,
                 report);
    if (options.demo) // switches the open sales-ticket check on, so the demo tickets show
        install_file(data + "tillmar.exe", stand_in("the point-of-sale program."), true, report);

    make_text(station + "parvnode.ini", node_file(inst, options), options, report);
    make_db(station + "rpt00.sys", {}, create_report_db, options, report);
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
