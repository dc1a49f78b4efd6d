#include "baseline.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdexcept>
#include <unistd.h>

namespace bench::bare {

namespace {

[[noreturn]] void fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

class Stmt {
public:
    Stmt(sqlite3* db, const QString& sql)
        : db_(db) {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s_, nullptr) != SQLITE_OK)
            fail(db, "prepare");
    }
    ~Stmt() { sqlite3_finalize(s_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    Stmt& bind(const QVariantList& values) {
        sqlite3_reset(s_);
        for (int i = 0; i < values.size(); ++i) {
            const QVariant& v = values[i];
            if (v.isNull())
                sqlite3_bind_null(s_, i + 1);
            else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
                sqlite3_bind_int64(s_, i + 1, v.toLongLong());
            else if (v.typeId() == QMetaType::Double)
                sqlite3_bind_double(s_, i + 1, v.toDouble());
            else
                sqlite3_bind_text(s_, i + 1, v.toString().toUtf8().constData(), -1,
                                  SQLITE_TRANSIENT);
        }
        return *this;
    }
    bool row() {
        const int rc = sqlite3_step(s_);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            fail(db_, "step");
        return rc == SQLITE_ROW;
    }
    void run() {
        while (row()) {
        }
    }
    sqlite3_stmt* get() const { return s_; }

private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

class Conn {
public:
    Conn(const QString& path, bool write) {
        const int flags =
            (write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr) != SQLITE_OK)
            fail(db_, "open");
        sqlite3_busy_timeout(db_, 3000);
    }
    ~Conn() { sqlite3_close_v2(db_); }
    Conn(const Conn&) = delete;
    Conn& operator=(const Conn&) = delete;
    operator sqlite3*() const { return db_; }
    void exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(db_, sql);
    }

private:
    sqlite3* db_ = nullptr;
};

// Reads every column of the current row, as the station reads a record.
void read_row(sqlite3_stmt* s) {
    for (int c = 0; c < sqlite3_column_count(s); ++c)
        if (sqlite3_column_type(s, c) == SQLITE_TEXT)
            sqlite3_column_text(s, c);
}

QString marks(int n) {
    QStringList m;
    for (int i = 0; i < n; ++i)
        m << QStringLiteral("?");
    return m.join(u',');
}

// Copies the current row of from into to's statement by position.
void copy_row(sqlite3_stmt* from, sqlite3_stmt* to, int columns) {
    sqlite3_reset(to);
    for (int c = 0; c < columns; ++c)
        sqlite3_bind_value(to, c + 1, sqlite3_column_value(from, c));
}

// An open punch's kept UTC offset, found by the punch's key.
const QString kZoneJoin =
    QStringLiteral("z.tckempid = p.tckempid and z.tckindate = p.tckindate and z.tcktimein = "
                   "p.tcktimein and z.tckjobcode = p.tckjobcode and z.tcknode = p.tcknode");
const int kOffset = -4 * 3600;

const QString kName = QStringLiteral("select empfname, emplname from empinfo where empid = ? "
                                     "limit 1");

// Where the columns an open punch's hours so far are reckoned from stand in a row.
struct OpenColumns {
    int empid = -1, indate = -1, timein = -1, adjtimein = -1, breaktime = -1, breakreduction = -1,
        reghours = -1, reason = -1, jobcode = -1, node = -1;

    explicit OpenColumns(sqlite3_stmt* s) {
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            const std::string name = sqlite3_column_name(s, c);
            for (auto [n, at] : {std::pair{"tckempid", &empid},
                                 {"tckindate", &indate},
                                 {"tcktimein", &timein},
                                 {"tckadjtimein", &adjtimein},
                                 {"tckbreaktime", &breaktime},
                                 {"tckbreakreduction", &breakreduction},
                                 {"tckreghours", &reghours},
                                 {"tckadjreason", &reason},
                                 {"tckjobcode", &jobcode},
                                 {"tcknode", &node}})
                if (name == n)
                    *at = c;
        }
    }
};

} // namespace

OpenMark open_mark(const SoFar& s, int indate, const char* in_time, double breaktime,
                   double breakreduction, std::optional<int> in_offset) {
    std::tm t{};
    std::sscanf(in_time ? in_time : "", "%d:%d:%d", &t.tm_hour, &t.tm_min, &t.tm_sec);
    t.tm_year = indate / 10000 - 1900;
    t.tm_mon = indate / 100 % 100 - 1;
    t.tm_mday = indate % 100;
    t.tm_isdst = -1;
    std::tm naive = t;
    const qint64 local = std::mktime(&t);
    const qint64 in = in_offset ? qint64(timegm(&naive)) - *in_offset : local;
    const qint64 unit = qint64(s.unit_minutes > 0 ? s.unit_minutes : 1) * 60;
    const qint64 now = (s.now + unit / 2) / unit * unit;
    OpenMark m;
    m.too_long = s.now - local > qint64(s.forgotten_hours) * 3600;
    const double hours = std::round(double(now - in) / 36) / 100;
    if (s.shift_limit > 0 && hours > s.shift_limit)
        return m;
    m.hours =
        hours < breaktime ? hours : std::max(0.0, std::round((hours - breakreduction) * 100) / 100);
    return m;
}

QByteArray open_key(double empid, qint64 indate, const char* timein, qint64 job, qint64 node) {
    const qint64 numbers[] = {indate, job, node};
    QByteArray key(reinterpret_cast<const char*>(&empid), sizeof empid);
    key.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
    return key.append(timein ? timein : "");
}

void exec(const QString& db, const QString& sql, const QVariantList& binds) {
    Conn c(db, true);
    Stmt(c, sql).bind(binds).run();
}

void identify(const Paths& p, int employee) {
    Conn emp(p.emp, false);
    Stmt who(emp, "select empfname, emplname, pword from empinfo where empid = ? and "
                  "CAST(empstatus AS REAL) = 1");
    who.bind({employee}).run();
    {
        Conn punch(p.punch, false);
        Stmt open(punch, "select p.tckindate, p.tckadjtimein, p.tckbreaktime, "
                         "p.tckbreakreduction, p.tckjobcode, p.tckjobdescription, z.inoffset "
                         "from punch p left join punchzone z on " +
                             kZoneJoin + " where p.tckempid = ? and p.tckstatus = 1");
        open.bind({employee}).run();
    }
    Stmt jobs(emp, "select empjobs.jobcode, empjobs.payrate, jobs.jobdescription from empjobs "
                   "join jobs on empjobs.jobcode = jobs.jobcode where empjobs.empid = ? and "
                   "empjobs.glacctnum < 1 order by empjobs.jobcode");
    jobs.bind({employee}).run();
}

void punch_in(const Paths& p, int employee, int job, int date, const QString& time) {
    {
        Conn emp(p.emp, false);
        Stmt(emp, "select breaktime, breakreduction from jobs where jobcode = ?").bind({job}).run();
    }
    Conn punch(p.punch, true);
    punch.exec("begin immediate");
    Stmt(punch, "select rowid from punch where tckempid = ? and tckstatus = 1")
        .bind({employee})
        .run();
    Stmt(punch, "insert into punch (tckindate, tckempid, tckjobcode, tckjobdescription, "
                "tckpayrate, tckbreaktime, tckbreakreduction, tcktimein, tckadjtimein, "
                "tckstatus) values (?,?,?,?,?,?,?,?,?,1)")
        .bind({date, employee, job, QStringLiteral("Job"), 10.5, 0.0, 0.0, time, time})
        .run();
    Stmt(punch, "insert into punchzone (tckempid, tckindate, tcktimein, tckjobcode, tcknode, "
                "inoffset) values (?, ?, ?, ?, 0, ?)")
        .bind({employee, date, time, job, kOffset})
        .run();
    punch.exec("commit");
}

void punch_out(const Paths& p, int employee, int job, int week_from, int week_to) {
    {
        Conn pos(p.pos, false);
        Stmt(pos, "select count(ticket) from xact where server = ? and ord = 0")
            .bind({employee})
            .run();
    }
    const QString where = QStringLiteral("tckempid = ? and tckjobcode = ? and tckstatus = ?");
    Conn punch(p.punch, true);
    qint64 rowid = 0;
    QVariantList key;
    {
        Stmt open(punch, "select p.*, p.rowid, z.inoffset from punch p left join punchzone z on " +
                             kZoneJoin +
                             " where p.tckempid = ? and p.tckjobcode = ? and p.tckstatus = ? "
                             "order by p.rowid limit 1");
        if (open.bind({employee, job, 1}).row()) {
            read_row(open.get());
            rowid = sqlite3_column_int64(open.get(), 29);
            key = {employee, sqlite3_column_int(open.get(), 0),
                   QString::fromUtf8(
                       reinterpret_cast<const char*>(sqlite3_column_text(open.get(), 7))),
                   job, sqlite3_column_int(open.get(), 19)};
        }
    }
    punch.exec("begin immediate");
    Stmt(punch, "select sum(tckadjreghours) from punch where tckempid = ? and tckindate between "
                "? and ?")
        .bind({employee, week_from, week_to})
        .run();
    Stmt(punch, "update punch set tckoutdate = ?, tcktimeout = ?, tckadjtimeout = ?, "
                "tckreghours = ?, tckadjreghours = ?, tckstatus = 2 where rowid = ? and " +
                    where)
        .bind({week_to, QStringLiteral("16:00:00"), QStringLiteral("16:00:00"), 8.0, 8.0, rowid,
               employee, job, 1})
        .run();
    Stmt(punch, "update punchzone set outoffset = ? where tckempid = ? and tckindate = ? and "
                "tcktimein = ? and tckjobcode = ? and tcknode = ?")
        .bind(QVariantList{kOffset} + key)
        .run();
    punch.exec("commit");
}

void report(const Paths& p, const QString& sql, const QVariantList& binds,
            const std::optional<SoFar>& so_far) {
    QFile::remove(p.work);
    QFile::copy(p.blank, p.work);
    Conn punch(p.punch, false);
    Conn emp(p.emp, false);
    Conn work(p.work, true);
    // A scratch copy, as the station keeps it.
    work.exec("pragma synchronous = off");
    work.exec("pragma journal_mode = memory");
    Stmt rows(punch, sql);
    Stmt name(emp, kName);
    rows.bind(binds);
    const int columns = sqlite3_column_count(rows.get());
    Stmt copy(work, "insert into punch values (" + marks(columns) + ")");
    const OpenColumns at(rows.get());
    // The kept UTC offsets of the open punches, read before the rows as the station does.
    InOffsets offsets;
    if (so_far) {
        Stmt kept(punch, QString::fromLatin1(kOpenOffsets));
        while (kept.row()) {
            sqlite3_stmt* k = kept.get();
            offsets.insert(open_key(sqlite3_column_double(k, 0), sqlite3_column_int64(k, 1),
                                    reinterpret_cast<const char*>(sqlite3_column_text(k, 2)),
                                    sqlite3_column_int64(k, 3), sqlite3_column_int64(k, 4)),
                           sqlite3_column_int(k, 5));
        }
    }
    // Each employee's name is looked up once, as the station does.
    QHash<qint64, QByteArray> names;
    work.exec("begin immediate");
    while (rows.row()) {
        read_row(rows.get());
        const qint64 empid = sqlite3_column_int64(rows.get(), 1);
        if (!names.contains(empid)) {
            QByteArray& n = names[empid];
            if (name.bind({empid}).row())
                n = reinterpret_cast<const char*>(sqlite3_column_text(name.get(), 0));
            sqlite3_reset(name.get());
        }
        copy_row(rows.get(), copy.get(), columns);
        if (so_far && at.reghours >= 0) {
            sqlite3_stmt* r = rows.get();
            const auto text = [r](int c) {
                return reinterpret_cast<const char*>(sqlite3_column_text(r, c));
            };
            const int in =
                sqlite3_column_type(r, at.adjtimein) == SQLITE_NULL ? at.timein : at.adjtimein;
            std::optional<int> kept;
            if (!offsets.isEmpty()) {
                const auto it = offsets.constFind(
                    open_key(sqlite3_column_double(r, at.empid), sqlite3_column_int64(r, at.indate),
                             text(at.timein), sqlite3_column_int64(r, at.jobcode),
                             at.node >= 0 ? sqlite3_column_int64(r, at.node) : 0));
                if (it != offsets.cend())
                    kept = *it;
            }
            const OpenMark m = open_mark(*so_far, sqlite3_column_int(r, at.indate), text(in),
                                         sqlite3_column_double(r, at.breaktime),
                                         sqlite3_column_double(r, at.breakreduction), kept);
            sqlite3_bind_double(copy.get(), at.reghours + 1, m.hours);
            if (m.too_long && at.reason >= 0 && sqlite3_column_bytes(r, at.reason) == 0)
                sqlite3_bind_text(copy.get(), at.reason + 1, kForgotten, -1, SQLITE_STATIC);
        }
        copy.run();
    }
    work.exec("commit");
}

void export_rows(const Paths& p, const QString& where, const QVariantList& binds,
                 const QString& mark, const QString& path) {
    Conn punch(p.punch, true);
    punch.exec("begin immediate");
    Stmt(punch, "select count(*) from punch where " + where + "(1)").bind(binds).run();
    const QString closed = where + "(2, 3, 4)";
    QByteArray text;
    {
        Stmt rows(punch, "select * from punch where " + closed + " order by rowid");
        rows.bind(binds);
        const int columns = sqlite3_column_count(rows.get());
        while (rows.row()) {
            for (int c = 0; c < columns; ++c) {
                if (c)
                    text += ',';
                if (const unsigned char* v = sqlite3_column_text(rows.get(), c))
                    text += reinterpret_cast<const char*>(v);
            }
            text += "\r\n";
        }
    }
    // Written under another name, synced and renamed into place, as the station writes it.
    const QByteArray temp = (path + QStringLiteral(".tmp")).toLocal8Bit();
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, text.constData(), size_t(text.size())) != text.size() ||
        ::fsync(fd) != 0 || ::close(fd) != 0 ||
        ::rename(temp.constData(), path.toLocal8Bit().constData()) != 0)
        throw std::runtime_error("cannot write the export file");
    Stmt(punch, mark + " where " + closed).bind(binds).run();
    punch.exec("commit");
}

void import_rows(const Paths& p, const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the import file");
    const QByteArray text = f.readAll();
    Conn punch(p.punch, true);
    punch.exec("begin immediate");
    Stmt add(punch, "insert into punch values (" + marks(29) + ")");
    Stmt held(punch, "select count(*) from punch where tckempid = ? and tckindate = ? and "
                     "coalesce(tcktimein, '') = ? and coalesce(tckjobcode, 0) = ? and "
                     "coalesce(tcknode, 0) = ?");
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        QList<QByteArray> fields = line.trimmed().split(',');
        for (QByteArray& v : fields)
            if (v.startsWith('"'))
                v = v.mid(1, v.size() - 2);
        if (fields.size() < 29)
            continue;
        held.bind({fields[1].toInt(), fields[0].toInt(), QString::fromUtf8(fields[7]),
                   fields[2].toInt(), fields[19].toInt()})
            .run();
        sqlite3_reset(add.get());
        for (int c = 0; c < 29; ++c)
            sqlite3_bind_text(add.get(), c + 1, fields[c].constData(), int(fields[c].size()),
                              SQLITE_TRANSIENT);
        add.run();
    }
    punch.exec("commit");
}

void purge(const Paths& p, int from, int to) {
    Conn punch(p.punch, true);
    punch.exec("begin immediate");
    Stmt(punch, "insert into history select * from punch where tckindate >= ? and tckindate <= ? "
                "order by rowid")
        .bind({from, to})
        .run();
    Stmt(punch, "delete from punch where tckindate >= ? and tckindate <= ?").bind({from, to}).run();
    punch.exec("commit");
}

} // namespace bench::bare
