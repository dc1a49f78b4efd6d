#include "harness.h"

#include "checks.h"
#include "exchange/transferfile.h"
#include "installation.h"
#include "punch/punchrecord.h"
#include "punchlog.h"
#include "station/db.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace stress {

namespace {

// Employees: one shared by several stations, one per station, and the kill trials' own.
constexpr int kSharedEmp = 99;
constexpr int kFirstOwnEmp = 101;
constexpr int kFirstKillEmp = 501;
constexpr int kKillEmps = 40;
constexpr int kSharedEvery = 4; // every fourth cycle of each station is on the shared one
constexpr int kJob = 1;

// Rows of the kill trials, told apart by their comment and by dates no other punch has.
constexpr int kExportRows = 20000;
constexpr int kImportRows = 2000;
constexpr int kPurgeRows = 5000;
const QString kExportTag = QStringLiteral("stress-export");
const QString kImportTag = QStringLiteral("stress-import");
const QString kPurgeTag = QStringLiteral("stress-purge");
constexpr int kExportYear = 2004;
constexpr int kImportYear = 2005;
constexpr int kPurgeYear = 2003;
// The import that runs while the stations punch.
constexpr int kBulkRows = 100000;
const QString kBulkTag = QStringLiteral("stress-bulk");
constexpr int kBulkYear = 2006;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "punchstress: %s\n", what);
    std::exit(2);
}

int today_number() {
    const QDate d = QDate::currentDate();
    return d.year() * 10000 + d.month() * 100 + d.day();
}

// The start of this hour: a shift begun then is an ordinary one to punch out of, where one
// begun at midnight may by now look forgotten (open longer than a shift can be).
QString this_hour() {
    return QTime::currentTime().toString(QStringLiteral("HH:00:00"));
}

// A database as the parent reaches it: the file, or its schema on the club's server.
struct Target {
    QString path;
    pw::DbAccess access;
};

// One connection to a database for the parent's arranging and checking. Opening read-write
// lets SQLite roll back the journal a killed child left behind; a server rolls back a killed
// child's transaction on its own.
class Sql {
public:
    explicit Sql(const Target& t) {
        try {
            db_ = std::make_unique<pw::Db>(t.path, pw::DbMode::ReadWrite, t.access);
        } catch (const pw::DbError& e) {
            fail(qPrintable(QStringLiteral("cannot open ") + t.path + u' ' + e.what()));
        }
    }

    QSqlQuery run(const QString& sql, const QVariantList& binds = {}) {
        try {
            return db_->run(sql, binds);
        } catch (const pw::DbError& e) {
            fail(qPrintable(sql + QStringLiteral(": ") + e.what()));
        }
    }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) {
        QSqlQuery q = run(sql, binds);
        return q.next() ? q.value(0) : QVariant();
    }
    int count(const QString& sql, const QVariantList& binds = {}) {
        return scalar(sql, binds).toInt();
    }
    void begin() { db_->begin(); }
    void commit() { db_->commit(); }
    pw::Backend backend() const { return db_->backend(); }

private:
    std::unique_ptr<pw::Db> db_;
};

// A punch row with the columns the trials care about; the others take the table's defaults.
QVariantList punch_values(int date, int emp, const QString& in, const QString& out, int status,
                          const QString& tag) {
    QVariantList v(pw::col::count);
    v[pw::col::tckindate] = date;
    v[pw::col::tckempid] = emp;
    v[pw::col::tckjobcode] = kJob;
    v[pw::col::tckjobdescription] = QStringLiteral("Stress \"quoted\", job");
    v[pw::col::tckpayrate] = 12.5;
    v[pw::col::tckbreaktime] = 0.0;
    v[pw::col::tckbreakreduction] = 0.0;
    v[pw::col::tcktimein] = in;
    v[pw::col::tckadjtimein] = in;
    v[pw::col::tckoutdate] = out.isEmpty() ? 0 : date;
    if (!out.isEmpty()) {
        v[pw::col::tcktimeout] = out;
        v[pw::col::tckadjtimeout] = out;
        v[pw::col::tckreghours] = 8.0;
        v[pw::col::tckadjreghours] = 8.0;
    }
    v[pw::col::tckexport] = 0;
    v[pw::col::tckcomment] = tag;
    v[pw::col::tckstatus] = status;
    // Numbers the suite leaves at their default 0; texts stay NULL.
    for (int i = 0; i < pw::col::count; ++i)
        if (!v[i].isValid() && pw::kPunchColumns[i].type != pw::FieldType::Text)
            v[i] = 0;
    return v;
}

void insert_punches(Sql& db, const QList<QVariantList>& rows) {
    const QString insert = pw::punch_insert_sql(QStringLiteral("punch"));
    db.begin();
    for (const QVariantList& row : rows)
        db.run(insert, row);
    db.commit();
}

// A day in the given year, spread over its first months.
int day_of(int year, int i) {
    return year * 10000 + (1 + i % 6) * 100 + 1 + i % 28;
}

class Club {
public:
    // With a server (admin: a connection URI to any database on it), the club's databases
    // live in a database of their own there, dropped at the end.
    Club(int stations, const QString& admin)
        : tmp_(QDir::tempPath() + QStringLiteral("/punchstress-XXXXXX"))
        , admin_(admin) {
        if (!tmp_.isValid())
            fail("cannot make a temporary folder");
        QString server;
        if (!admin.isEmpty()) {
            database_ = QStringLiteral("punchstress_") + QUuid::createUuid().toString(QUuid::Id128);
            try {
                pw::server_exec(admin, QStringLiteral("create database ") + database_);
            } catch (const pw::DbError& e) {
                fail(e.what());
            }
            QUrl url(admin);
            url.setPath(u'/' + database_);
            server = url.toString();
        }
        // Every station gets an installation of its own; all but the first then point their
        // MAPDRIVE at the first one's data folder.
        for (int i = 1; i <= stations; ++i) {
            suite::Options o;
            o.nodenumber = i;
            o.database = server;
            const suite::Installation inst =
                suite::create_installation(root(QStringLiteral("node%1").arg(i)), o);
            if (i == 1) {
                data_ = inst.data;
                access_ = inst.db_access;
                access_.busy_timeout_ms = 20000;
            } else {
                const QString ini = inst.station + QStringLiteral("parvnode.ini");
                QFile f(ini);
                if (!f.open(QIODevice::ReadOnly))
                    fail("parvnode.ini missing");
                QByteArray text = f.readAll();
                f.close();
                text.replace(inst.data.toUtf8(), data_.toUtf8());
                if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) < 0)
                    fail("cannot write parvnode.ini");
                QDir(inst.data).removeRecursively();
            }
            stations_ << inst.station;
        }
        const QString emp = data_ + QStringLiteral("EMP.MDB");
        if (!suite::add_job(access_, emp, kJob, QStringLiteral("Stress")))
            fail("cannot add the job");
        QList<int> emps{kSharedEmp};
        for (int i = 0; i < stations; ++i)
            emps << kFirstOwnEmp + i;
        for (int i = 0; i < kKillEmps; ++i)
            emps << kFirstKillEmp + i;
        for (int e : emps)
            if (!suite::add_employee(access_, emp, e, QStringLiteral("Emp"), QString::number(e),
                                     1000 + e) ||
                !suite::add_empjob(access_, emp, e, kJob, 12.5))
                fail("cannot add the employees");
    }

    ~Club() {
        if (database_.isEmpty())
            return;
        pw::closealldata();
        try {
            pw::server_exec(admin_, QStringLiteral("drop database %1 with (force)").arg(database_));
        } catch (const pw::DbError& e) {
            std::fprintf(stderr, "punchstress: %s\n", e.what());
        }
    }
    Club(const Club&) = delete;
    Club& operator=(const Club&) = delete;

    QString root(const QString& name) const { return tmp_.path() + u'/' + name; }
    Target punchdb() const { return {data_ + QStringLiteral("PUNCHCLK.MDB"), access_}; }

    // A killed child's server connection works on until its server notices the child gone:
    // its transaction may still take locks, and its COMMIT, if sent, still lands. Waits until
    // no connection but the harness's own is left, so that a trial is judged and reset on
    // what the child really left.
    void settle() const {
        if (!on_server())
            return;
        for (int tries = 0; tries < 300; ++tries) {
            Sql s(punchdb());
            if (s.count(QStringLiteral("select count(*) from pg_stat_activity where datname = "
                                       "current_database() and pid <> pg_backend_pid()")) == 0)
                return;
            QThread::msleep(100);
        }
        fail("a killed child's server connection did not end");
    }
    bool on_server() const { return !database_.isEmpty(); }
    const QStringList& stations() const { return stations_; }

    std::unique_ptr<QProcess> spawn(const QStringList& args, const QString& err) const {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p->setProcessEnvironment(env);
        p->setStandardErrorFile(err, QIODevice::Append);
        p->start(QCoreApplication::applicationFilePath(),
                 QStringList{QStringLiteral("--worker")} + args);
        if (!p->waitForStarted(30000))
            fail("cannot start a station child");
        return p;
    }

private:
    QTemporaryDir tmp_;
    QString admin_;
    QString database_;
    QString data_;
    pw::DbAccess access_;
    QStringList stations_;
};

// Rows seen open while their employee had another open row (the later ones).
void watch_open_rows(Sql& db, QSet<qint64>& extra_open) {
    QSqlQuery q = db.run(
        QStringLiteral("select tckempid, rowid from punch where tckstatus = 1 and tckempid in "
                       "(select tckempid from punch where tckstatus = 1 group by tckempid "
                       "having count(*) > 1) order by tckempid, rowid"));
    int last = -1;
    while (q.next()) {
        const int emp = q.value(0).toInt();
        if (emp == last)
            extra_open.insert(q.value(1).toLongLong());
        last = emp;
    }
}

bool started(QProcess& p);

// The stations that left punches waiting send them on: a first forward child is killed at a
// random moment, a second one finishes. Returns the killed ones.
int forward_phase(Club& club, const HarnessOptions& o) {
    QRandomGenerator rng(QRandomGenerator::global()->generate());
    int killed = 0;
    for (int i = 0; i < o.stations; i += 2)
        for (const bool kill : {true, false}) {
            auto kid = club.spawn(
                {QStringLiteral("forward"), QStringLiteral("--station"), club.stations()[i]},
                club.root(QStringLiteral("forward%1.err").arg(i + 1)));
            if (!started(*kid))
                fail("a forward child never got ready");
            if (kill && !kid->waitForFinished(int(rng.bounded(6)))) {
                kid->kill();
                ++killed;
            }
            kid->waitForFinished(-1);
            if (!kill && (kid->exitStatus() != QProcess::NormalExit || kid->exitCode() != 0))
                fail("a forward child failed");
        }
    return killed;
}

bool started(QProcess& p);

bool station_phase(Club& club, const HarnessOptions& o) {
    std::vector<std::unique_ptr<QProcess>> kids;
    QStringList logs;
    for (int i = 0; i < o.stations; ++i) {
        logs << club.root(QStringLiteral("node%1.log").arg(i + 1));
        QStringList args{QStringLiteral("station"),
                         QStringLiteral("--station"),
                         club.stations()[i],
                         QStringLiteral("--cycles"),
                         QString::number(o.cycles),
                         QStringLiteral("--emp"),
                         QString::number(kFirstOwnEmp + i),
                         QStringLiteral("--shared"),
                         QString::number(kSharedEmp),
                         QStringLiteral("--shared-every"),
                         QString::number(kSharedEvery),
                         QStringLiteral("--log"),
                         logs.last()};
        if (o.pace_ms > 0)
            args << QStringLiteral("--pace") << QString::number(o.pace_ms);
        if (o.offline)
            args << QStringLiteral("--offline");
        if (o.offline && i % 2 == 0)
            args << QStringLiteral("--leave-waiting");
        kids.push_back(club.spawn(args, club.root(QStringLiteral("node%1.err").arg(i + 1))));
    }
    for (auto& kid : kids)
        if (!started(*kid))
            fail("a station child never got ready");
    for (auto& kid : kids) {
        kid->write("go\n");
        kid->waitForBytesWritten(30000);
    }

    QSet<qint64> extra_open;
    bool children_ok = true;
    {
        Sql db(club.punchdb());
        for (auto& kid : kids) {
            while (!kid->waitForFinished(100))
                watch_open_rows(db, extra_open);
            if (kid->exitStatus() != QProcess::NormalExit || kid->exitCode() != 0) {
                std::fprintf(stderr, "punchstress: a station child ended with %d\n",
                             kid->exitCode());
                children_ok = false;
            }
        }
        watch_open_rows(db, extra_open);
    }

    const int forwards_killed = o.offline ? forward_phase(club, o) : 0;
    QList<ChildLog> seen;
    for (const QString& path : logs) {
        QFile f(path);
        const ChildLog log =
            f.open(QIODevice::ReadOnly) ? parse_log(QString::fromUtf8(f.readAll())) : ChildLog{};
        if (!log.finished) {
            std::fprintf(stderr, "punchstress: %s did not finish\n", qPrintable(path));
            children_ok = false;
        }
        seen << log;
    }

    QList<PunchRow> rows;
    {
        Sql db(club.punchdb());
        QSqlQuery q =
            db.run(QStringLiteral(
                       "select rowid, tckempid, tckjobcode, tckindate, tckadjtimein, tckoutdate, "
                       "tckadjtimeout, tckstatus, tckadjreason from punch where tckempid < ?"),
                   {kFirstKillEmp});
        while (q.next())
            rows.append({q.value(0).toLongLong(), q.value(1).toInt(), q.value(2).toInt(),
                         q.value(3).toInt(), q.value(4).toString(), q.value(5).toInt(),
                         q.value(6).toString(), q.value(7).toInt(),
                         q.value(8).toString().startsWith(QLatin1String("Offline punch"))});
    }
    int offline = 0;
    for (const ChildLog& log : seen)
        offline += log.offline;
    QString offline_line;
    if (o.offline) {
        Sql db(club.punchdb());
        offline_line = QStringLiteral(" offline %1 forwarded %2 forward-killed %3")
                           .arg(offline)
                           .arg(db.count(QStringLiteral("select count(*) from punchsent")))
                           .arg(forwards_killed);
    }
    const Verdict v = judge(rows, seen, extra_open);
    // Every walk ends in a confirmed punch; when some did not, the boxes each station met
    // say why.
    if (v.punches < o.stations * o.cycles * 2)
        for (int i = 0; i < o.stations; ++i) {
            QFile err(club.root(QStringLiteral("node%1.err").arg(i + 1)));
            if (err.open(QIODevice::ReadOnly))
                std::fprintf(stderr, "punchstress: station %d met:\n%s", i + 1,
                             err.readAll().constData());
        }
    std::printf("stations %d cycles %d punches %d lost %d duplicated %d double-closed %d "
                "open-left %d busy-shown %d %s%s reviewed %d\n",
                o.stations, o.cycles, v.punches, v.lost, v.duplicated, v.double_closed, v.open_left,
                v.busy, qPrintable(latency_line(seen, kSharedEmp)), qPrintable(offline_line),
                v.reviewed);
    std::fflush(stdout);
    return children_ok && v.faultless();
}

// What a killed child left of its change. Some: a run of independent changes (one punch out
// after another) stopped between two of them, each one whole.
enum class Left { Absent, Whole, Some, Torn };

Left judge_change(bool absent, bool whole) {
    return absent ? Left::Absent : whole ? Left::Whole : Left::Torn;
}

// One kind of change for the kill trials: how to start it, how to put the data back before
// each trial, and what a child left of it.
struct Operation {
    const char* name;
    QStringList args;
    std::function<void()> reset;
    std::function<Left()> left;
};

int count_lines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return int(f.readAll().count('\n'));
}

// The export's one unavoidable gap: the file renamed into place, the marks' commit not made
// (a file and a database cannot change together). The punches then go out again with the
// next export, and the import must know them: imported onto the very punches it came from,
// the file adds nothing. Then nothing is lost or doubled.
Left file_before_marks(const Club& club, const QString& file) {
    auto kid = club.spawn({QStringLiteral("import"), QStringLiteral("--file"), file,
                           QStringLiteral("--station"), club.stations().first()},
                          club.root(QStringLiteral("kills.err")));
    kid->waitForFinished(-1);
    Sql s(club.punchdb());
    const int held =
        s.count(QStringLiteral("select count(*) from punch where tckcomment = ?"), {kExportTag});
    std::fprintf(stderr,
                 "punchstress: export file in place before its marks; imported again it %s\n",
                 held == kExportRows ? "added nothing" : "added punches");
    return held == kExportRows ? Left::Absent : Left::Torn;
}

QList<Operation> operations(Club& club) {
    const Target db = club.punchdb();
    QList<Operation> ops;

    QStringList emps;
    for (int i = 0; i < kKillEmps; ++i)
        emps << QString::number(kFirstKillEmp + i);
    const int last_emp = kFirstKillEmp + kKillEmps - 1;
    ops.append({"punch out",
                {QStringLiteral("punchout"), QStringLiteral("--emps"), emps.join(u',')},
                [db, last_emp] {
                    Sql s(db);
                    s.run(QStringLiteral("delete from punch where tckempid between ? and ?"),
                          {kFirstKillEmp, last_emp});
                    QList<QVariantList> rows;
                    for (int e = kFirstKillEmp; e <= last_emp; ++e)
                        rows << punch_values(today_number(), e, this_hour(), {}, pw::kOpen, {});
                    insert_punches(s, rows);
                },
                [db, last_emp] {
                    Sql s(db);
                    // Each shift either still open as it was, or closed with all its values.
                    const int rows = s.count(
                        QStringLiteral("select count(*) from punch where tckempid between ? and ?"),
                        {kFirstKillEmp, last_emp});
                    const int open = s.count(
                        QStringLiteral("select count(*) from punch where tckempid between ? and ? "
                                       "and tckstatus = 1 and tckoutdate = 0 and tcktimeout is "
                                       "null and tckadjtimeout is null"),
                        {kFirstKillEmp, last_emp});
                    const int closed = s.count(
                        QStringLiteral("select count(*) from punch where tckempid between ? and ? "
                                       "and tckstatus in (2, 3) and tckoutdate > 0 and tcktimeout "
                                       "is not null and tckadjtimeout is not null"),
                        {kFirstKillEmp, last_emp});
                    if (rows != kKillEmps || open + closed != kKillEmps)
                        return Left::Torn;
                    return closed == 0 ? Left::Absent : open == 0 ? Left::Whole : Left::Some;
                }});

    const QString dest = club.root(QStringLiteral("export/tcexport.csv"));
    QDir().mkpath(club.root(QStringLiteral("export")));
    {
        Sql s(db);
        QList<QVariantList> rows;
        for (int i = 0; i < kExportRows; ++i)
            rows << punch_values(day_of(kExportYear, i), 600 + i % 50, QStringLiteral("08:00:00"),
                                 QStringLiteral("16:00:00"), pw::kClosed, kExportTag);
        insert_punches(s, rows);
    }
    ops.append({"export",
                {QStringLiteral("export"), QStringLiteral("--file"), dest, QStringLiteral("--from"),
                 QString::number(kExportYear * 10000 + 101), QStringLiteral("--to"),
                 QString::number(kExportYear * 10000 + 1231)},
                [db, dest] {
                    Sql s(db);
                    s.run(QStringLiteral("update punch set tckstatus = ?, tckexport = 0 where "
                                         "tckcomment = ?"),
                          {int(pw::kClosed), kExportTag});
                    QFile::remove(dest);
                },
                [db, dest, &club] {
                    // The file holds exactly the marked punches: all of them or none.
                    int marked = 0;
                    {
                        Sql s(db);
                        marked = s.count(QStringLiteral("select count(*) from punch where "
                                                        "tckcomment = ? and tckstatus = ?"),
                                         {kExportTag, int(pw::kExported)});
                    }
                    const int lines = count_lines(dest);
                    if (marked == 0 && lines == kExportRows)
                        return file_before_marks(club, dest);
                    if (marked != lines) {
                        std::fprintf(stderr,
                                     "punchstress: export left %d punches marked and %d "
                                     "lines in the file\n",
                                     marked, lines);
                        return Left::Torn;
                    }
                    return judge_change(marked == 0, marked == kExportRows);
                }});

    const QString source = club.root(QStringLiteral("import.csv"));
    {
        QByteArray text;
        for (int i = 0; i < kImportRows; ++i)
            text += pw::export_line(
                punch_values(day_of(kImportYear, i), 700 + i % 50, QStringLiteral("08:00:00"),
                             QStringLiteral("16:00:00"), pw::kExported, kImportTag));
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            fail("cannot write the import file");
    }
    ops.append({"import",
                {QStringLiteral("import"), QStringLiteral("--file"), source},
                [db] {
                    Sql s(db);
                    s.run(QStringLiteral("delete from punch where tckcomment = ?"), {kImportTag});
                },
                [db] {
                    Sql s(db);
                    const int n =
                        s.count(QStringLiteral("select count(*) from punch where tckcomment = ?"),
                                {kImportTag});
                    return judge_change(n == 0, n == kImportRows);
                }});

    {
        Sql s(db);
        QList<QVariantList> rows;
        for (int i = 0; i < kPurgeRows; ++i)
            rows << punch_values(day_of(kPurgeYear, i), 800 + i % 50, QStringLiteral("08:00:00"),
                                 QStringLiteral("16:00:00"), pw::kApproved, kPurgeTag);
        insert_punches(s, rows);
    }
    ops.append({"archive/purge",
                {QStringLiteral("purge"), QStringLiteral("--from"),
                 QString::number(kPurgeYear * 10000 + 101), QStringLiteral("--to"),
                 QString::number(kPurgeYear * 10000 + 1231)},
                [db] {
                    Sql s(db);
                    s.begin();
                    s.run(QStringLiteral("insert into punch select * from history where "
                                         "tckcomment = ?"),
                          {kPurgeTag});
                    s.run(QStringLiteral("delete from history where tckcomment = ?"), {kPurgeTag});
                    s.commit();
                },
                [db] {
                    Sql s(db);
                    // Every punch is in exactly one of the two tables, all in the same one.
                    const int in_punch =
                        s.count(QStringLiteral("select count(*) from punch where tckcomment = ?"),
                                {kPurgeTag});
                    const int in_history =
                        s.count(QStringLiteral("select count(*) from history where tckcomment = ?"),
                                {kPurgeTag});
                    if (in_punch + in_history != kPurgeRows)
                        return Left::Torn;
                    return judge_change(in_history == 0, in_punch == 0);
                }});
    return ops;
}

// Starts the child and waits for its "ready". False when it never got there.
bool started(QProcess& p) {
    while (p.waitForReadyRead(60000))
        if (p.readAll().contains("ready"))
            return true;
    return false;
}

// A full run first, to learn how long the change takes; then the trials, each killed at a
// moment drawn from that span. Returns the number of torn changes.
int kill_trials(Club& club, const Operation& op, int kills, QRandomGenerator& rng) {
    const QString station = club.stations().first();
    const QStringList args = op.args + QStringList{QStringLiteral("--station"), station};
    const QString err = club.root(QStringLiteral("kills.err"));

    op.reset();
    auto calib = club.spawn(args, err);
    if (!started(*calib))
        fail("a kill-trial child never got ready");
    QElapsedTimer span;
    span.start();
    calib->waitForFinished(-1);
    const qint64 full_ms = std::max<qint64>(1, span.elapsed());
    // A child that never makes its change would make every trial look whole.
    if (op.left() != Left::Whole)
        fail(qPrintable(QStringLiteral("the %1 child did not complete its change; see ")
                            .arg(QLatin1String(op.name)) +
                        err));

    int killed = 0;
    int torn = 0;
    int whole = 0;
    for (int trial = 0; trial < kills; ++trial) {
        op.reset();
        auto kid = club.spawn(args, err);
        if (!started(*kid))
            fail("a kill-trial child never got ready");
        const int delay = int(rng.bounded(full_ms + 1));
        if (!kid->waitForFinished(delay)) {
            kid->kill(); // SIGKILL
            kid->waitForFinished(-1);
            ++killed;
        }
        club.settle();
        const Left left = op.left();
        torn += left == Left::Torn;
        whole += left == Left::Whole || left == Left::Some;
    }
    std::fprintf(stderr,
                 "punchstress: %s takes %lld ms; %d of %d trials killed mid-way; "
                 "%d whole, %d absent, %d torn\n",
                 op.name, static_cast<long long>(full_ms), killed, kills, whole,
                 kills - whole - torn, torn);
    return torn;
}

// One more station imports a long file while the stations punch: how many punch attempts
// the import held back (the busy box) shows in the station line.
int import_during_punches(Club& club, const HarnessOptions& o) {
    const QString source = club.root(QStringLiteral("bulk.csv"));
    {
        QByteArray text;
        for (int i = 0; i < kBulkRows; ++i) {
            // Every row its own punch (employee and day), or the import would skip repeats.
            const QDate day = QDate(kBulkYear, 1, 1).addDays(i / 100);
            text += pw::export_line(punch_values(
                day.year() * 10000 + day.month() * 100 + day.day(), 900 + i % 100,
                QStringLiteral("08:00:00"), QStringLiteral("16:00:00"), pw::kExported, kBulkTag));
        }
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            fail("cannot write the import file");
    }
    auto importer = club.spawn({QStringLiteral("import"), QStringLiteral("--file"), source,
                                QStringLiteral("--station"), club.stations().last()},
                               club.root(QStringLiteral("bulk.err")));
    if (!started(*importer))
        fail("the importing child never got ready");
    QElapsedTimer span;
    span.start();
    const bool stations_ok = station_phase(club, o);
    const qint64 punching_ms = span.elapsed();
    importer->waitForFinished(-1);
    const QString took = QString::fromUtf8(importer->readAllStandardOutput()).trimmed();
    Sql db(club.punchdb());
    const int added =
        db.count(QStringLiteral("select count(*) from punch where tckcomment = ?"), {kBulkTag});
    std::printf("import-during-punches on %s: %d of %d punches imported, %s; the stations "
                "punched for %lld ms from its start\n",
                club.on_server() ? "the server" : "SQLite", added, kBulkRows, qPrintable(took),
                static_cast<long long>(punching_ms));
    std::fflush(stdout);
    return stations_ok && added == kBulkRows ? 0 : 1;
}

} // namespace

int run_harness(const HarnessOptions& o) {
    Club club(o.stations + (o.import_during_punches ? 1 : 0), o.postgres);
    if (o.import_during_punches)
        return import_during_punches(club, o);
    const bool stations_ok = station_phase(club, o);

    const quint32 seed = QRandomGenerator::global()->generate();
    std::fprintf(stderr, "punchstress: kill moments drawn with seed %u\n", seed);
    QRandomGenerator rng(seed);
    int torn = 0;
    if (o.kills > 0) // --kills 0: the station phase alone
        for (const Operation& op : operations(club))
            torn += kill_trials(club, op, o.kills, rng);

    // A server keeps its own files whole (its write-ahead log); the file is checked here.
    QString integrity = QStringLiteral("ok");
    if (!club.on_server()) {
        integrity.clear();
        Sql db(club.punchdb());
        QSqlQuery q = db.run(QStringLiteral("PRAGMA integrity_check"));
        while (q.next())
            integrity +=
                (integrity.isEmpty() ? QString() : QStringLiteral("; ")) + q.value(0).toString();
    }
    std::printf("kills %d torn %d integrity %s\n", o.kills, torn, qPrintable(integrity));
    std::fflush(stdout);
    return stations_ok && torn == 0 && integrity == QLatin1String("ok") ? 0 : 1;
}

} // namespace stress
