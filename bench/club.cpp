#include "club.h"

#include "exchange/transferfile.h"
#include "installation.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QVariantList>
#include <random>
#include <sqlite3.h>
#include <stdexcept>
#include <utility>

namespace bench {

namespace {

constexpr int kFormat = 2; // bump when the rows change, so old caches are not reused
constexpr int kJobs = 20;
constexpr int kOpen = 200;
constexpr int kUnexported = 100000;
constexpr int kDays = 1095;
const QDate kFirstDay(2023, 7, 1);

int yyyymmdd(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

// A connection for bulk writing: no journal, no syncing; the folder is rebuilt on failure.
struct Bulk {
    sqlite3* db = nullptr;
    explicit Bulk(const QString& path) {
        check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
        exec("pragma journal_mode=off; pragma synchronous=off; begin");
    }
    ~Bulk() { sqlite3_close(db); }
    void exec(const char* sql) { check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql); }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        check(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), db, sql);
        return s;
    }
    void step(sqlite3_stmt* s) {
        check(sqlite3_step(s), db, "step");
        sqlite3_reset(s);
    }
};

void bind_text(sqlite3_stmt* s, int i, const QByteArray& v) {
    sqlite3_bind_text(s, i, v.constData(), int(v.size()), SQLITE_TRANSIENT);
}

int job_of(int employee, int k) {
    return (employee * 7 + k * 5) % kJobs + 1;
}
int jobs_of(int employee) {
    return 1 + employee % 3;
}
double rate_of(int job) {
    return 10 + job * 0.5;
}

void fill_employees(const QString& path) {
    Bulk b(path);
    sqlite3_stmt* job = b.prepare("insert into jobs (jobcode, jobdescription, breaktime, "
                                  "breakreduction) values (?, ?, ?, ?)");
    for (int j = 1; j <= kJobs; ++j) {
        sqlite3_bind_int(job, 1, j);
        bind_text(job, 2, "Job " + QByteArray::number(j));
        sqlite3_bind_double(job, 3, j % 4 == 0 ? 6 : 0);
        sqlite3_bind_double(job, 4, j % 4 == 0 ? 0.5 : 0);
        b.step(job);
    }
    sqlite3_stmt* emp = b.prepare("insert into empinfo (empid, empfname, emplname, empstatus, "
                                  "pword) values (?, ?, ?, '1', ?)");
    sqlite3_stmt* ej = b.prepare("insert into empjobs (empid, jobcode, payrate) values (?, ?, ?)");
    for (int e = 1; e <= kEmployees; ++e) {
        sqlite3_bind_int(emp, 1, e);
        bind_text(emp, 2, "FIRST" + QByteArray::number(e));
        bind_text(emp, 3, "LAST" + QByteArray::number(e));
        sqlite3_bind_int(emp, 4, password_of(e));
        b.step(emp);
        for (int k = 0; k < jobs_of(e); ++k) {
            sqlite3_bind_int(ej, 1, e);
            sqlite3_bind_int(ej, 2, job_of(e, k));
            sqlite3_bind_double(ej, 3, rate_of(job_of(e, k)));
            b.step(ej);
        }
    }
    for (sqlite3_stmt* s : {job, emp, ej})
        sqlite3_finalize(s);
    b.exec("commit");
}

QByteArray hms(int h, int m, int s) {
    return QByteArray::number(h).rightJustified(2, '0') + ':' +
           QByteArray::number(m).rightJustified(2, '0') + ':' +
           QByteArray::number(s).rightJustified(2, '0');
}

void fill_punches(const QString& path, Club& club) {
    std::mt19937 rng(20261207);
    Bulk b(path);
    sqlite3_stmt* s = b.prepare(
        "insert into punch (tckindate, tckempid, tckjobcode, tckjobdescription, tckpayrate, "
        "tckbreaktime, tckbreakreduction, tcktimein, tckoutdate, tcktimeout, tckreghours, "
        "tckadjreason, tckexport, tcknode, tckadjtimein, tckadjtimeout, tckadjreghours, "
        "tckstatus) values (?,?,?,?,?,?,?,?,?,?,?,?,?,1,?,?,?,?)");
    const int n = club.rows;
    for (int i = 0; i < n; ++i) {
        const bool open = i >= n - kOpen;
        const bool exported = i < n - kUnexported;
        const int day = open ? kDays - 1 : int(qint64(i) * (kDays - 1) / n);
        const int date = yyyymmdd(kFirstDay.addDays(day));
        const int employee = open ? kEmployees - (n - 1 - i) : int(rng() % kEmployees) + 1;
        const int job = job_of(employee, int(rng() % jobs_of(employee)));
        const int h = 6 + int(rng() % 9), m = int(rng() % 60), sec = int(rng() % 60);
        const int status = open ? 1 : exported ? 5 : (rng() % 200 == 0 ? 3 : 2);
        sqlite3_bind_int(s, 1, date);
        sqlite3_bind_int(s, 2, employee);
        sqlite3_bind_int(s, 3, job);
        bind_text(s, 4, "Job " + QByteArray::number(job));
        sqlite3_bind_double(s, 5, rate_of(job));
        sqlite3_bind_double(s, 6, job % 4 == 0 ? 6 : 0);
        sqlite3_bind_double(s, 7, job % 4 == 0 ? 0.5 : 0);
        bind_text(s, 8, hms(h, m, sec));
        sqlite3_bind_int(s, 9, open ? 0 : date);
        if (open)
            sqlite3_bind_null(s, 10);
        else
            bind_text(s, 10, hms(h + 8, m, sec));
        sqlite3_bind_double(s, 11, open ? 0 : 8);
        if (rng() % 50 == 0)
            bind_text(s, 12, "Forgot to punch");
        else
            sqlite3_bind_null(s, 12);
        if (exported)
            sqlite3_bind_int(s, 13, 1);
        else
            sqlite3_bind_null(s, 13);
        bind_text(s, 14, hms(h, m / 15 * 15, 0));
        if (open)
            sqlite3_bind_null(s, 15);
        else
            bind_text(s, 15, hms(h + 8, m / 15 * 15, 0));
        sqlite3_bind_double(s, 16, open ? 0 : 8);
        sqlite3_bind_int(s, 17, status);
        b.step(s);
        if (i == n - kUnexported)
            club.unexported_day = date;
        if (i == n / 2)
            club.half_day = date;
    }
    sqlite3_finalize(s);
    // The UTC offset each open punch began in, as the station that punched it in keeps it.
    // They all began on the last day between 06:00 and 15:00, in one offset.
    sqlite3_stmt* zone = b.prepare(
        "insert into punchzone (tckempid, tckindate, tcktimein, tckjobcode, tcknode, inoffset) "
        "select tckempid, tckindate, tcktimein, tckjobcode, tcknode, ? from punch where "
        "tckstatus = 1");
    sqlite3_bind_int(zone, 1,
                     QDateTime(kFirstDay.addDays(kDays - 1), QTime(12, 0)).offsetFromUtc());
    b.step(zone);
    sqlite3_finalize(zone);
    b.exec("commit");
    club.first_day = yyyymmdd(kFirstDay);
    club.last_day = yyyymmdd(kFirstDay.addDays(kDays - 1));
}

// The last 100,000 closed punches as another station would have exported them, so that an
// import adds every one of them (node 9 holds none of this folder's punches).
void write_import_file(const Club& club) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((club.data + "PUNCHCLK.MDB").toUtf8().constData(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "select * from punch where tckstatus in (2, 3) order by rowid desc "
                       "limit 100000",
                       -1, &s, nullptr);
    QByteArray text;
    const int node = 19, status = 28;
    while (sqlite3_step(s) == SQLITE_ROW) {
        QVariantList values;
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_INTEGER:
                values << qlonglong(sqlite3_column_int64(s, c));
                break;
            case SQLITE_FLOAT:
                values << sqlite3_column_double(s, c);
                break;
            case SQLITE_NULL:
                values << QVariant();
                break;
            default:
                values << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(s, c)));
            }
        }
        values[node] = 9;
        values[status] = 5;
        text += pw::export_line(values);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    QFile f(club.import);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        throw std::runtime_error("cannot write the import file");
}

void read_meta(Club& club, const QString& meta) {
    QFile f(meta);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> v = f.readAll().split(' ');
    if (v.size() == 4) {
        club.first_day = v[0].toInt();
        club.last_day = v[1].toInt();
        club.unexported_day = v[2].toInt();
        club.half_day = v[3].toInt();
    }
}

// A cached club copied or moved with its build folder still names its old folders in
// parvnode.ini: point them at where the club now is.
void follow_moved_folder(const Club& club) {
    QFile f(club.station + "parvnode.ini");
    if (!f.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    bool moved = false;
    for (QByteArray& line : lines) {
        for (const auto& [key, folder] : {std::pair{QByteArray("\"MAPDRIVE="), club.data},
                                          std::pair{QByteArray("\"LOCALDRIVE="), club.station}}) {
            const QByteArray want = key + folder.toUtf8() + '"';
            if (line.startsWith(key) && line != want) {
                line = want;
                moved = true;
            }
        }
    }
    if (moved &&
        (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(lines.join('\n')) < 0))
        throw std::runtime_error("cannot rewrite parvnode.ini");
}

} // namespace

Club make_club(const QString& cache_dir, int rows) {
    Club club;
    club.rows = rows;
    club.root = QDir(cache_dir).absoluteFilePath(QStringLiteral("v%1-%2").arg(kFormat).arg(rows));
    club.data = club.root + "/data/";
    club.station = club.root + "/station/";
    club.pristine = club.root + "/PUNCHCLK.pristine";
    club.import = club.root + "/import.csv";
    const QString meta = club.root + "/ready";
    if (QFile::exists(meta)) {
        read_meta(club, meta);
        follow_moved_folder(club);
        return club;
    }
    QDir(club.root).removeRecursively();
    suite::Options options;
    options.nodenumber = 1;
    options.today = QDate(2026, 7, 1);
    suite::create_installation(club.root, options);
    fill_employees(club.data + "EMP.MDB");
    fill_punches(club.data + "PUNCHCLK.MDB", club);
    write_import_file(club);
    if (!QFile::copy(club.data + "PUNCHCLK.MDB", club.pristine))
        throw std::runtime_error("cannot copy the punch database");
    QFile f(meta);
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot mark the folder made");
    f.write(QByteArray::number(club.first_day) + ' ' + QByteArray::number(club.last_day) + ' ' +
            QByteArray::number(club.unexported_day) + ' ' + QByteArray::number(club.half_day));
    return club;
}

void restore_punches(const Club& club) {
    const QString live = club.data + "PUNCHCLK.MDB";
    QFile::remove(live);
    QFile::remove(live + "-journal");
    if (!QFile::copy(club.pristine, live))
        throw std::runtime_error("cannot restore the punch database");
}

} // namespace bench
