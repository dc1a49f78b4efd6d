#include "offline.h"

#include "punch/punchrecord.h"
#include "punch/punchtable.h"
#include "punch/shift.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/settings.h"
#include "station/station.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QUuid>
#include <cmath>
#include <memory>

namespace pw {

namespace {

const QStringList kLocalTables = {
    QStringLiteral("create table if not exists meta (name text primary key, value text)"),
    QStringLiteral("create table if not exists employees (empid double precision primary key, "
                   "name text, salt text, hash text)"),
    QStringLiteral("create table if not exists jobs (empid double precision, jobcode integer, "
                   "payrate double precision, description text, breaktime double precision, "
                   "breakreduction double precision)"),
    QStringLiteral("create table if not exists openpunch (empid double precision primary key, "
                   "indate integer, adjtimein text, breaktime double precision, breakreduction "
                   "double precision, jobcode integer, description text, timein text, node "
                   "integer)"),
    QStringLiteral("create table if not exists journal (seq integer primary key autoincrement, "
                   "empid double precision, jobcode integer, description text, payrate double "
                   "precision, node integer, secs integer, at text, inout text, sent integer not "
                   "null default 0)")};

// Keypad passwords are a few digits: no number of rounds would keep a stolen copy from being
// guessed, so one salted round keeps the refresh cheap; the copy never holds the password.
QString password_hash(const QString& salt, qint64 password) {
    const QByteArray text = (salt + QLatin1Char(':') + QString::number(password)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex());
}

QString new_salt() {
    QByteArray bytes(16, '\0');
    for (char& b : bytes)
        b = static_cast<char>(QRandomGenerator::system()->bounded(256));
    return QString::fromLatin1(bytes.toHex());
}

// The copy's database, its tables made; null when asked not to make it and it is missing.
std::unique_ptr<Db> local_db(Station& st, bool make) {
    const QString file = offline_file(st);
    const bool exists = st.files().exists(file);
    if (!exists && !make)
        return nullptr;
    DbAccess access;
    access.busy_timeout_ms = st.busy_timeout_ms;
    auto db = std::make_unique<Db>(file, exists ? DbMode::ReadWrite : DbMode::Create, access);
    if (!exists || !st.offline_ready) {
        Transaction tx(*db);
        for (const QString& sql : kLocalTables)
            db->run(sql);
        tx.commit();
        st.offline_ready = true;
    }
    return db;
}

QString meta(Db& db, const QString& name) {
    QSqlQuery q = db.run(QStringLiteral("select value from meta where name = ?"), {name});
    return fetch(q) ? q.value(0).toString() : QString();
}

// This station's id in the punch database's marks: made once with the journal.
QString station_id(Db& local) {
    QString id = meta(local, QStringLiteral("station"));
    if (id.isEmpty()) {
        id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        Transaction tx(local);
        local.run(QStringLiteral("insert into meta (name, value) values ('station', ?)"), {id});
        tx.commit();
    }
    return id;
}

// The digest of the rows a table of the copy is written with, kept in meta beside them: a
// refresh that finds the same rows in the club leaves the table as it is, where writing
// thousands of rows again would hold the station for tens of milliseconds every few minutes.
// Hashed with a fixed seed, it reads the same in every run of the station.
QString rows_digest(const QList<QVariantList>& rows) {
    size_t digest = qHash(rows.size(), 0);
    for (const QVariantList& row : rows) {
        for (const QVariant& v : row) {
            const int type = v.typeId();
            if (type == QMetaType::QString) {
                const QString text = v.toString();
                digest = qHashMulti(0, digest, type, text.isNull(), text);
            } else if (type == QMetaType::Int) {
                digest = qHashMulti(0, digest, type, v.toInt());
            } else {
                digest = qHashMulti(0, digest, type, v.toDouble());
            }
        }
        digest = qHashMulti(0, digest, row.size());
    }
    return QString::number(digest, 16);
}

// Writes rows of these columns into table, a copy of the club's, unless the copy already
// holds these very rows.
void copy_rows(Db& local, const QString& table, const QStringList& columns,
               const QList<QVariantList>& rows) {
    const QString key = table + QStringLiteral("_digest");
    const QString digest = rows_digest(rows);
    if (meta(local, key) == digest)
        return;
    local.run(QStringLiteral("delete from ") + table);
    if (!rows.isEmpty()) {
        // Each insert prepared once: a club has thousands of employees.
        RowStatement insert(local, insert_sql(table, columns, true));
        for (const QVariantList& row : rows)
            insert.run(row);
    }
    local.run(QStringLiteral("insert or replace into meta (name, value) values (?, ?)"),
              {key, digest});
}

void copy_employees(Db& emp, Db& local, const QHash<qint64, QString>& salts) {
    QList<QVariantList> employees;
    QSqlQuery q = emp.run(QStringLiteral("select empid, empfname, emplname, pword from empinfo "
                                         "where CAST(empstatus AS REAL) = 1"));
    while (fetch(q)) {
        const double id = employee_number(q.value(0).toString());
        // A new salt only for an employee the copy has not held: making one costs more than
        // the rest of the row.
        const auto kept = salts.constFind(std::llround(id));
        const QString salt = kept != salts.cend() ? *kept : new_salt();
        const qint64 password = std::llround(std::abs(q.value(3).toDouble()));
        employees.append({id, q.value(1).toString() + QLatin1Char(' ') + q.value(2).toString(),
                          salt, password_hash(salt, password)});
    }
    copy_rows(local, QStringLiteral("employees"), {"empid", "name", "salt", "hash"}, employees);

    QList<QVariantList> jobs;
    QSqlQuery j = emp.run(QStringLiteral("select empjobs.empid, empjobs.jobcode, empjobs.payrate, "
                                         "jobs.jobdescription, jobs.breaktime, "
                                         "jobs.breakreduction from empjobs join jobs on "
                                         "empjobs.jobcode = jobs.jobcode where "
                                         "empjobs.glacctnum < 1"));
    while (fetch(j))
        jobs.append({j.value(0).toDouble(), j.value(1).toInt(), j.value(2).toDouble(),
                     j.value(3).toString(), j.value(4).toDouble(), j.value(5).toDouble()});
    copy_rows(local, QStringLiteral("jobs"),
              {"empid", "jobcode", "payrate", "description", "breaktime", "breakreduction"}, jobs);
}

void copy_open_punches(Db& punch, Db& local) {
    QSqlQuery q = punch.run(QStringLiteral("select tckempid, tckindate, tckadjtimein, "
                                           "tckbreaktime, tckbreakreduction, tckjobcode, "
                                           "tckjobdescription, tcktimein, tcknode from punch "
                                           "where tckstatus = ?"),
                            {int(kOpen)});
    RowStatement open(local, QStringLiteral("insert or replace into openpunch values (?, ?, ?, "
                                            "?, ?, ?, ?, ?, ?)"));
    while (fetch(q))
        open.run({q.value(0).toDouble(), q.value(1).toInt(), q.value(2).toString(),
                  q.value(3).toDouble(), q.value(4).toDouble(), q.value(5).toInt(),
                  q.value(6).toString(), q.value(7).toString(), q.value(8)});
}

void copy_rules(Station& st, Db& local) {
    const Settings& s = st.settings;
    const std::optional<QStringList> holidays = holiday_keys(st);
    const QList<std::pair<QString, QVariant>> values = {
        {QStringLiteral("inrounding"), s.inrounding},
        {QStringLiteral("outrounding"), s.outrounding},
        {QStringLiteral("shiftlimit"), s.shiftlimit},
        {QStringLiteral("wwstartday"), s.wwstartday},
        {QStringLiteral("holidays"), holidays ? holidays->join(QLatin1Char(',')) : QString()}};
    for (const auto& [name, value] : values)
        local.run(QStringLiteral("insert or replace into meta (name, value) values (?, ?)"),
                  {name, value});
}

OfflinePunch journal_row(const QSqlQuery& q) {
    OfflinePunch p;
    p.seq = q.value(0).toLongLong();
    p.employee = q.value(1).toDouble();
    p.job_code = q.value(2).toInt();
    p.job_description = q.value(3).toString();
    p.pay_rate = q.value(4).toDouble();
    // Back in the station's zone: the same moment, with the offset it had then.
    p.at = QDateTime::fromSecsSinceEpoch(q.value(5).toLongLong());
    p.in = q.value(6).toString() == QLatin1String("IN");
    return p;
}

// The journalled punches not yet sent on, in the order they were made.
QList<OfflinePunch> waiting_punches(Db& local) {
    QSqlQuery q = local.run(QStringLiteral("select seq, empid, jobcode, description, payrate, "
                                           "secs, inout from journal where sent = 0 order by seq"));
    QList<OfflinePunch> waiting;
    while (fetch(q))
        waiting << journal_row(q);
    return waiting;
}

// The copy's open punch of the employee as the punch leaves it.
void punch_into_copy(Db& local, const OfflinePunch& p) {
    if (!p.in) {
        local.run(QStringLiteral("delete from openpunch where empid = ?"), {p.employee});
        return;
    }
    const QString time = clock_text(p.at.time());
    local.run(QStringLiteral("insert or replace into openpunch (empid, indate, adjtimein, "
                             "jobcode, description, timein) values (?, ?, ?, ?, ?, ?)"),
              {p.employee, yyyymmdd(p.at.date()), time, p.job_code, p.job_description, time});
}

bool already_sent(Db& db, const QString& station, qint64 seq) {
    QSqlQuery q = db.run(QStringLiteral("select 1 from punchsent where station = ? and seq = ?"),
                         {station, seq});
    return fetch(q);
}

// A punch that can no longer apply, written for the manager with its mark.
void write_for_review(Station& st, const QString& file, const OfflinePunch& p,
                      const AlsoInTransaction& mark) {
    PunchBuffer row;
    const int date = yyyymmdd(p.at.date());
    const QString time = clock_text(p.at.time());
    row[col::tckempid] = p.employee;
    row[col::tckjobcode] = p.job_code;
    row[col::tckjobdescription] = p.job_description;
    row[col::tckpayrate] = p.pay_rate;
    // Dated on its day either way, so the editor and the reports list it.
    row[col::tckindate] = date;
    if (!p.in)
        row[col::tckoutdate] = date;
    row[p.in ? col::tcktimein : col::tcktimeout] = time;
    row[p.in ? col::tckadjtimein : col::tckadjtimeout] = time;
    row[col::tckstatus] = int(kBad);
    row[col::tckadjreason] = offline_review_reason(p, st.settings.nodenumber);
    Db db(file, DbMode::ReadWrite, st.db_access());
    Transaction tx(db);
    insert_punch_row(db, row);
    mark(db);
    tx.commit();
}

// Applies one journalled punch under the rules; false when it went to the manager instead.
bool apply(Station& st, const QString& file, const OfflinePunch& p, const AlsoInTransaction& mark) {
    Session who;
    who.number = p.employee;
    who.job_code = p.job_code;
    who.job_description = p.job_description;
    who.pay_rate = p.pay_rate;
    if (p.in) {
        const OpenOutcome opened = open_shift(st, who, p.at, mark);
        if (opened.stopped)
            throw DbError(3024, QStringLiteral("The punch database is missing."));
        if (!opened.already)
            return true;
    } else {
        Db db(file, DbMode::ReadWrite, st.db_access());
        const PunchQuery query = open_punch_query(p.employee, p.job_code);
        PunchBuffer open;
        ShiftClose closed;
        if (read_punch_row(db, query, open) == RowResult::Done &&
            close_punch(st, db, open, query, p.at, closed, {}, mark))
            return true;
    }
    write_for_review(st, file, p, mark);
    return false;
}

} // namespace

QString offline_file(const Station& st) {
    return st.local(QStringLiteral("offline.db"));
}

void refresh_local_copy(Station& st) {
    Db emp(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    Db punch(st.path(st.settings.punchdb), DbMode::ReadOnly, st.db_access());
    std::unique_ptr<Db> local = local_db(st, true);
    // A password's salt stays while the employee does: the hash changes only with it.
    QHash<qint64, QString> salts;
    QSqlQuery q = local->run(QStringLiteral("select empid, salt from employees"));
    while (fetch(q))
        salts.insert(std::llround(q.value(0).toDouble()), q.value(1).toString());
    Transaction tx(*local);
    local->run(QStringLiteral("delete from openpunch"));
    copy_employees(emp, *local, salts);
    copy_open_punches(punch, *local);
    copy_rules(st, *local);
    // Punches journalled but not sent are the newest word on their employee's open punch.
    for (const OfflinePunch& p : waiting_punches(*local))
        punch_into_copy(*local, p);
    tx.commit();
}

EmployeeReads read_local_employee(Station& st, double number, const QString& typed_password) {
    EmployeeReads found;
    std::unique_ptr<Db> local = local_db(st, false);
    if (!local)
        return found;
    QSqlQuery q = local->run(
        QStringLiteral("select name, salt, hash from employees where empid = ?"), {number});
    if (!fetch(q))
        return found;
    // The copy holds no password: nobody is a manager here.
    found.employee = EmployeeRecord{q.value(0).toString(), 0};
    const double typed = val(typed_password);
    found.password_right =
        typed == std::floor(typed) &&
        password_hash(q.value(1).toString(), std::llround(typed)) == q.value(2).toString();
    if (!found.password_right)
        return found;
    QSqlQuery open = local->run(QStringLiteral("select indate, adjtimein, breaktime, "
                                               "breakreduction, jobcode, description, empid, "
                                               "timein, node from openpunch where empid = ?"),
                                {number});
    if (fetch(open)) {
        found.open = open_punch_from(open);
        return found;
    }
    QSqlQuery jobs = local->run(QStringLiteral("select jobcode, payrate, description, breaktime, "
                                               "breakreduction from jobs where empid = ? order by "
                                               "jobcode"),
                                {number});
    found.jobs = job_lines_from(jobs);
    return found;
}

void journal_punch(Station& st, const OfflinePunch& punch) {
    std::unique_ptr<Db> local = local_db(st, true);
    Transaction tx(*local);
    local->run(QStringLiteral("insert into journal (empid, jobcode, description, payrate, node, "
                              "secs, at, inout) values (?, ?, ?, ?, ?, ?, ?, ?)"),
               {punch.employee, punch.job_code, punch.job_description, punch.pay_rate,
                st.settings.nodenumber, punch.at.toSecsSinceEpoch(),
                punch.at.toOffsetFromUtc(punch.at.offsetFromUtc()).toString(Qt::ISODate),
                punch.in ? QStringLiteral("IN") : QStringLiteral("OUT")});
    punch_into_copy(*local, punch);
    tx.commit();
}

int punches_waiting(Station& st) {
    std::unique_ptr<Db> local = local_db(st, false);
    if (!local)
        return 0;
    QSqlQuery q = local->run(QStringLiteral("select count(*) from journal where sent = 0"));
    return fetch(q) ? q.value(0).toInt() : 0;
}

Forwarded forward_journal(Station& st) {
    Forwarded done;
    std::unique_ptr<Db> local = local_db(st, false);
    if (!local)
        return done;
    const QList<OfflinePunch> waiting = waiting_punches(*local);
    if (waiting.isEmpty())
        return done;
    const QString station = station_id(*local);
    const QString file = st.path(st.settings.punchdb);
    for (const OfflinePunch& p : waiting) {
        const AlsoInTransaction mark = [&](Db& db) {
            db.run(QStringLiteral("insert into punchsent (station, seq) values (?, ?)"),
                   {station, p.seq});
        };
        bool sent = false;
        {
            Db db(file, DbMode::ReadWrite, st.db_access());
            make_side_tables_once(st, db);
            sent = already_sent(db, station, p.seq);
        }
        if (!sent) {
            ++done.sent;
            if (!apply(st, file, p, mark))
                ++done.to_review;
            // The club's log of punches gets the line the punch would have written then.
            write_punch_log(st, yyyymmdd(p.at.date()), clock_text(p.at.time()), p.employee,
                            p.job_code, p.in ? QStringLiteral("IN") : QStringLiteral("OUT"));
        }
        Transaction tx(*local);
        local->run(QStringLiteral("update journal set sent = 1 where seq = ?"), {p.seq});
        tx.commit();
    }
    return done;
}

QString offline_review_reason(const OfflinePunch& punch, int node) {
    return QStringLiteral("Offline punch %1 at %2 on station %3: %4")
        .arg(punch.in ? QStringLiteral("in") : QStringLiteral("out"),
             punch.at.toString(QStringLiteral("HH:mm")), QString::number(node),
             punch.in ? QStringLiteral("already punched in elsewhere")
                      : QStringLiteral("no open punch"));
}

} // namespace pw
