#include "installation.h"

#include "copyto.h"
#include "demo.h"
#include "schema.h"

#include "platform/programs.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <filesystem>

namespace suite {

namespace {

// The configuration password the suite's installer sets, until the club sets its own.
constexpr char kDefaultPassword[] = "zvt";

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

// The first thing that cannot be made stops the set-up: what it is and the system's reason.
struct Failed {
    QString line;
};

[[noreturn]] void fail(const QString& what, const QString& path, const QString& why) {
    throw Failed{"could not " + what + " " + path + ": " + why};
}

// Empty when written, else the system's reason.
QString write_file(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return f.errorString();
    if (f.write(bytes) != bytes.size() || !f.flush())
        return f.errorString();
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | kExecutable);
    return {};
}

QByteArray crlf(const QString& text) {
    QString t = text;
    t.replace("\r\n", "\n").replace('\n', "\r\n");
    return t.toUtf8();
}

// How a database is named in the report: a file by its path, a server's by its schema.
QString shown(const QString& path, const pw::DbAccess& access) {
    const QString server = pw::database_server(path, access);
    if (server.isEmpty())
        return path;
    return "schema " + pw::database_schema(path) + " on database " +
           QUrl(server).toString(QUrl::RemovePassword);
}

// Files that hold a club's data or settings are only ever replaced on request. make gives
// the system's reason when it fails. Returns true when the file was made in this run.
template <typename Make>
bool make_kept(const QString& path, const pw::DbAccess& access, const Options& options,
               QStringList* report, Make make) {
    const QString name = shown(path, access);
    const bool existed = pw::database_exists(path, access) || QFileInfo::exists(path);
    if (existed) {
        if (!options.force) {
            note(report, "kept " + name + " (exists; --force replaces it)");
            return false;
        }
        if (!pw::remove_database(path, access))
            fail("replace", name, "it could not be removed");
    }
    const QString why = make();
    if (!why.isEmpty())
        fail("create", name, why);
    note(report, (existed ? "replaced " : "created ") + name);
    return true;
}

using Creator = bool (*)(const QString&, const pw::DbAccess&, QString*);

bool make_db(const QString& path, const pw::DbAccess& access, Creator create,
             const Options& options, QStringList* report) {
    return make_kept(path, access, options, report, [&] {
        QString why;
        return create(path, access, &why) ? QString() : why.isEmpty() ? "failed" : why;
    });
}

bool make_text(const QString& path, const QString& text, const Options& options,
               QStringList* report) {
    return make_kept(path, {}, options, report, [&] { return write_file(path, crlf(text)); });
}

// Files that come with the installation: always brought up to date.
void install_file(const QString& path, const QByteArray& bytes, bool executable,
                  QStringList* report) {
    const QString why = write_file(path, bytes, executable);
    if (!why.isEmpty())
        fail("write", path, why);
    note(report, "wrote " + path);
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
    const QStringList candidates = options.qwcedit.isEmpty()
                                       ? QStringList{beside_program("qwcedit.exe"),
                                                     beside_program("../lib/punchwell/qwcedit.exe")}
                                       : QStringList{options.qwcedit};
    for (const QString& path : candidates)
        if (!path.isEmpty() && QFileInfo(path).isExecutable())
            return QFileInfo(path).absoluteFilePath();
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

// The folder of the stand-in programs: the package's, or the source tree's for a build.
QString find_programs() {
    for (const QString& path :
         {beside_program("../lib/punchwell"), QStringLiteral(PW_SUITE_SOURCE_DIR "/stand-ins")})
        if (!path.isEmpty() && QFileInfo(path + "/syncnwk.exe").isFile())
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

// The station folder's program or help text becomes a link to the installed one, so that a
// package upgrade reaches the station. The station's own copy (pw::own_copy) is kept unless
// forced.
void link_installed(const QString& dest, const QString& installed, const Options& options,
                    QStringList* report) {
    const QFileInfo info(dest);
    if (info.isSymLink() && info.symLinkTarget() == installed) {
        note(report, "kept " + dest + " (a link to " + installed + ")");
        return;
    }
    if (pw::own_copy(dest, installed) && !options.force) {
        note(report,
             "kept " + dest + " (the station's own; --force links it to " + installed + ")");
        return;
    }
    QFile old(dest);
    if ((info.exists() || info.isSymLink()) && !old.remove())
        fail("replace", dest, old.errorString());
    QFile link(installed);
    if (!link.link(dest))
        fail("link", dest, link.errorString());
    note(report, "linked " + dest + " to " + installed);
}

QString node_file(const Installation& inst, const Options& options) {
    // Folder fields are quoted so that folder names with commas or blanks survive.
    return "\"MAPDRIVE=" + inst.data + "\"\n\"LOCALDRIVE=" + inst.station +
           "\"\nNODENUMBER=" + QString::number(options.nodenumber) +
           "\nPOSUNIT=" + QString::number(options.posunit) + "\nCOMPUTERNAME=CLOCK" +
           QString::number(options.nodenumber) + "\n" +
           (inst.db_access.server.isEmpty() ? QString()
                                            : "\"DATABASE=" + inst.db_access.server + "\"\n");
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
    // Tables a station adds when it first needs them: a folder made before then lacks them.
    QStringList station_tables = {};
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
            out.append({file, punch_statements, {"punch", "history"}, {"punchzone", "punchsent"}});
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
            // The UTC offsets kept for DST nights and the record of punches sent on after an
            // outage go too: without the latter, a station could send such a punch again.
            for (const QString& table : source.station_tables)
                if (from.scalar("select count(*) from sqlite_master where type = 'table' and "
                                "name = ?",
                                {table})
                        .toInt() > 0)
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

namespace {

// Makes a folder with its parents; the system's reason when it cannot.
void make_folder(const QString& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path.toStdString()), error);
    if (error)
        fail("create", path, QString::fromStdString(error.message()));
}

void lay_out(Installation& inst, const Options& options, QStringList* report) {
    const QString& data = inst.data;
    const QString& station = inst.station;
    const pw::DbAccess& access = inst.db_access;
    // Everything below needs these, so a missing share stops the set-up first.
    const QString share = find_share(options);
    if (share.isEmpty())
        fail("find", "the report templates and help texts",
             "no templates/ and help/ in " +
                 (options.share.isEmpty() ? "/usr/share/punchwell" : options.share));
    make_folder(data);
    make_folder(station);

    DemoTargets made;
    made.config = make_db(data + "CONFIG.MDB", access, create_config_db, options, report);
    made.emp = make_db(data + "EMP.MDB", access, create_emp_db, options, report);
    made.punch = make_db(data + "PUNCHCLK.MDB", access, create_punch_db, options, report);
    made.pos = make_db(data + "HBPOSTMP.MDB", access, create_pos_db, options, report);
    make_db(data + "rpt00.sys", access, create_report_db, options, report);
    // A CONFIG.MDB without a password (an earlier installer's) gets the default the station
    // used to fall back to, so that its configuration stays reachable.
    const std::optional<QString> stored = read_config_password(inst);
    const bool given = !options.config_password.isEmpty();
    if (given || (stored && stored->isEmpty())) {
        QString why;
        if (!set_config_password(access, data + "CONFIG.MDB",
                                 given ? options.config_password : kDefaultPassword, &why))
            fail("set the configuration password in", shown(data + "CONFIG.MDB", access), why);
        note(report,
             (given ? "set the club's configuration password in "
                    : "set the suite's default configuration password (there was none) in ") +
                 shown(data + "CONFIG.MDB", access));
    }

    QString holidays;
    if (options.demo)
        holidays = demo_holidays().join('\n') + '\n';
    make_text(data + "holiday.dat", holidays, options, report);
    make_text(data + "punchwell.txt", options.demo ? "Welcome to Punchwell\n" : "", options,
              report);
    // The station's own release: a tcfilelist.txt naming it starts no self-update.
    make_text(data + "tcfilelist.txt", QString(pw::kVersion) + '\n', options, report);

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
    const QString programs = find_programs();
    for (const char* name : {"syncnwk.exe", "swupdate.exe"}) {
        if (!programs.isEmpty())
            link_installed(station + name, programs + name, options, report);
        else
            install_file(station + name, stand_in(QStringLiteral("%1, not installed.").arg(name)),
                         true, report);
    }
    const QString viewer = find_viewer(options);
    if (!viewer.isEmpty())
        link_installed(station + "qwcedit.exe", viewer, options, report);
    else
        install_file(station + "qwcedit.exe",
                     stand_in("the text viewer was not built; help shows nothing."), true, report);
    for (const QString& name : files_in(share + "help", "*.txt"))
        link_installed(station + name, share + "help/" + name, options, report);

    if (options.demo)
        if (const QString failed = add_demo_data(inst, options.today, made, report);
            !failed.isEmpty())
            throw Failed{failed};
}

} // namespace

Installation create_installation(const QString& root, const Options& options, QStringList* report) {
    Installation inst;
    inst.data = folder(root + "/data");
    inst.station = folder(root + "/station");
    // A club's folder laid out before keeps the server its stations use.
    const QString database =
        options.database.isEmpty() ? open_installation(root).db_access.server : options.database;
    inst.db_access = {3000, database, inst.data};
    try {
        lay_out(inst, options, report);
        inst.default_password = read_config_password(inst) == QString(kDefaultPassword);
    } catch (const Failed& failed) {
        inst.failure = failed.line;
    }
    return inst;
}

Installation open_installation(const QString& root) {
    Installation inst;
    inst.station = folder(root + "/station");
    inst.data = folder(root + "/data");
    QFile node(inst.station + "parvnode.ini");
    if (!node.open(QIODevice::ReadOnly)) {
        inst.failure = "could not read " + node.fileName() + ": " + node.errorString();
        return inst;
    }
    QString server;
    for (const QString& field : pw::read_fields(QString::fromUtf8(node.readAll()))) {
        if (field.startsWith("MAPDRIVE=", Qt::CaseInsensitive))
            inst.data = field.mid(9);
        else if (field.startsWith("DATABASE=", Qt::CaseInsensitive))
            server = field.mid(9).trimmed();
    }
    inst.db_access = {3000, server, inst.data};
    return inst;
}

bool set_config_password(const DbAccess& access, const QString& configdb, const QString& password,
                         QString* why) {
    try {
        pw::Db db(configdb, pw::DbMode::ReadWrite, access);
        pw::Transaction t(db);
        db.run("update pr set plevel1 = ?", {password});
        t.commit();
        return true;
    } catch (const pw::DbError& e) {
        if (why)
            *why = e.what();
        return false;
    }
}

std::optional<QString> read_config_password(const Installation& inst) {
    try {
        pw::Db db(inst.data + "CONFIG.MDB", pw::DbMode::ReadOnly, inst.db_access);
        return db.scalar("select plevel1 from pr").toString();
    } catch (const pw::DbError&) {
        return std::nullopt;
    }
}

} // namespace suite
