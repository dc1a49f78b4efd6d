#include "punchrecord.h"

#include "station/db.h"
#include "station/station.h"

#include <QSqlQuery>
#include <algorithm>
#include <array>
#include <cmath>

namespace pw {

namespace {

bool is_number(FieldType type) {
    return type != FieldType::Text;
}

// Unset values (never read nor assigned) and NULLs are never written.
bool writable(const QVariant& v) {
    return v.isValid() && !v.isNull();
}

double round_to(double v, int decimals) {
    // The powers a column's decimals take, exact as doubles; pow gives the same, slowly.
    static constexpr std::array<double, 10> kScales = {1,   1e1, 1e2, 1e3, 1e4,
                                                       1e5, 1e6, 1e7, 1e8, 1e9};
    const double scale = decimals >= 0 && decimals < int(kScales.size())
                             ? kScales[std::size_t(decimals)]
                             : std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

QString where_of(const PunchQuery& query) {
    return QLatin1Char('(') + query.where + QLatin1Char(')');
}

bool empty_query(const PunchQuery& query) {
    return query.where.trimmed().isEmpty();
}

} // namespace

namespace {

// Writes n as digits decimal digits, zero-filled, at out.
QChar* put_digits(QChar* out, int n, int digits) {
    for (int i = digits - 1; i >= 0; --i, n /= 10)
        out[i] = QChar(u'0' + n % 10);
    return out + digits;
}

} // namespace

void set_today(Station& st) {
    st.today = yyyymmdd(st.clock().now().date());
}

QString clock_text(const QTime& time) {
    if (!time.isValid())
        return {};
    QString text(8, Qt::Uninitialized);
    QChar* out = put_digits(text.data(), time.hour(), 2);
    *out++ = u':';
    out = put_digits(out, time.minute(), 2);
    *out++ = u':';
    put_digits(out, time.second(), 2);
    return text;
}

int yyyymmdd(const QDate& day) {
    return day.year() * 10000 + day.month() * 100 + day.day();
}

QTime clock_time(QStringView text) {
    // Read by hand: the library's parser with a format costs as much as several time zone
    // look-ups, and Who's Punched In reads one per open punch.
    if (text.size() != 8 || text[2] != u':' || text[5] != u':')
        return {};
    int part[3];
    for (qsizetype i = 0; i < 3; ++i) {
        const char16_t tens = text[i * 3].unicode();
        const char16_t ones = text[i * 3 + 1].unicode();
        if (tens < u'0' || tens > u'9' || ones < u'0' || ones > u'9')
            return {};
        part[i] = (tens - u'0') * 10 + (ones - u'0');
    }
    return QTime(part[0], part[1], part[2]); // invalid beyond 23:59:59
}

QDate day_of(qint64 yyyymmdd) {
    if (yyyymmdd < 10000101 || yyyymmdd > 99991231)
        return {};
    return QDate(int(yyyymmdd / 10000), int(yyyymmdd / 100 % 100), int(yyyymmdd % 100));
}

double PunchBuffer::number(int pos) const {
    return values.value(pos).toDouble();
}
QVariant stored_value(const QVariant& v, int pos) {
    const PunchColumn& column = kPunchColumns.at(pos);
    if (column.type == FieldType::Text)
        return v.toString();
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        throw DbError(
            13, QStringLiteral("Data type mismatch in field %1.").arg(punch_column_names()[pos]));
    if (column.type == FieldType::Integer)
        return static_cast<qlonglong>(std::llround(d));
    return round_to(d, column.decimals);
}

int PunchBuffer::integer(int pos) const {
    return static_cast<int>(std::llround(values.value(pos).toDouble()));
}
QString PunchBuffer::text(int pos) const {
    return values.value(pos).toString();
}

void set_busy(PunchBuffer& buf) {
    buf.busy = {true, true};
}
void clear_busy(PunchBuffer& buf) {
    buf.busy = {false, false};
}

namespace {

QString punch_db_named(const QString& path) {
    if (path.isEmpty() || path.endsWith(QLatin1String(".MDB"), Qt::CaseInsensitive))
        return path;
    return path + QLatin1String(".MDB");
}

void tell_missing(Station& st, const QString& named) {
    st.dialogs().message(QStringLiteral("The ") + named +
                             QStringLiteral(" database is missing.\r\n"
                                            "Contact Quorwyn technical support for "
                                            "assistance."),
                         QStringLiteral("Uh-oh..."), Icon::Information);
}

// file, the punch database named so, when it exists; else empty, the user told.
QString existing_punch_db(Station& st, const QString& named, QString file) {
    if (database_exists(st.files(), file, st.db_access()))
        return file;
    tell_missing(st, named);
    return {};
}

} // namespace

QString punch_db_file(Station& st, const QString& path) {
    if (path.isEmpty())
        return {};
    const QString named = punch_db_named(path);
    return existing_punch_db(st, named, st.path(named));
}

QString punch_db_for_press(Station& st, const QString& path) {
    if (path.isEmpty())
        return {};
    const QString named = punch_db_named(path);
    QString file = st.path(named);
    if (!database_server(file, st.db_access()).isEmpty())
        return file;
    return existing_punch_db(st, named, std::move(file));
}

bool tell_if_missing(Station& st, const DbError& e, const QString& path) {
    const QString named = punch_db_named(path);
    if (path.isEmpty() || !says_missing(e, st.path(named)))
        return false;
    tell_missing(st, named);
    return true;
}

RowResult read_punch_row(Db& db, const PunchQuery& query, PunchBuffer& buf) {
    if (empty_query(query))
        return RowResult::Skipped;
    // rowid last, so that positions 0.. are the table's own columns.
    QSqlQuery q = db.run(QStringLiteral("select ") + punch_select_list() +
                             QStringLiteral(", rowid from punch where ") + where_of(query) +
                             QStringLiteral(" order by rowid limit 1"),
                         query.binds);
    PunchBuffer fresh;
    fresh.busy = buf.busy;
    const bool found = fetch(q);
    if (found) {
        for (int i = 0; i < col::count; ++i) {
            const FieldType type = kPunchColumns[i].type;
            QVariant v = q.value(i);
            fresh.stored << v;
            if (is_number(type) && (v.isNull() || v.toString().isEmpty()))
                v = type == FieldType::Integer ? QVariant(qlonglong(0)) : QVariant(0.0);
            else if (v.isNull())
                v = QVariant(QMetaType::fromType<QString>());
            fresh.values[i] = std::move(v);
        }
        fresh.rowid = q.value(col::count).toLongLong();
    }
    q.finish();
    buf = std::move(fresh);
    return found ? RowResult::Done : RowResult::Quit;
}

namespace {

// The buffer's writable columns and their values as stored; with before given, only
// those whose value as stored differs from what before found stored.
void columns_to_write(const PunchBuffer& buf, const PunchBuffer* before, QStringList& names,
                      QVariantList& binds) {
    const int count = std::min<int>(int(buf.values.size()), col::count);
    for (int i = 0; i < count; ++i) {
        if (!writable(buf.values[i]))
            continue;
        QVariant v = stored_value(buf.values[i], i);
        if (before && i < before->stored.size() && !before->stored[i].isNull() &&
            before->stored[i] == v)
            continue;
        names << punch_column_names()[i];
        binds << std::move(v);
    }
}

// Updates these columns of the row read, and only while it still matches (an open row closed
// meanwhile at another station must not be closed twice, nor its neighbour overwritten with
// its values). A buffer that was not read from a row updates the first match.
RowResult update_read_row(Db& db, const PunchQuery& query, const PunchBuffer& buf,
                          const QStringList& names, const QVariantList& binds) {
    QString target;
    QVariantList target_binds;
    if (buf.rowid) {
        target = QStringLiteral("rowid = ? and ") + where_of(query);
        target_binds << *buf.rowid;
    } else {
        target = QStringLiteral("rowid = (select rowid from punch where ") + where_of(query) +
                 QStringLiteral(" order by rowid limit 1)");
    }
    target_binds += query.binds;

    if (names.isEmpty()) {
        const QVariant hit =
            db.scalar(QStringLiteral("select rowid from punch where ") + target, target_binds);
        return hit.isValid() ? RowResult::Done : RowResult::Quit;
    }
    QStringList sets;
    for (const QString& name : names)
        sets << name + QStringLiteral(" = ?");
    QSqlQuery q = db.run(QStringLiteral("update punch set ") + sets.join(QLatin1String(", ")) +
                             QStringLiteral(" where ") + target,
                         binds + target_binds);
    return q.numRowsAffected() > 0 ? RowResult::Done : RowResult::Quit;
}

} // namespace

RowResult write_punch_row(Db& db, const PunchQuery& query, const PunchBuffer& buf) {
    if (empty_query(query))
        return RowResult::Skipped;
    if (buf.adding()) {
        insert_punch_row(db, buf);
        return RowResult::Done;
    }
    QStringList names;
    QVariantList binds;
    columns_to_write(buf, nullptr, names, binds);
    return update_read_row(db, query, buf, names, binds);
}

void insert_punch_row(Db& db, const PunchBuffer& buf) {
    QStringList names;
    QVariantList binds;
    columns_to_write(buf, nullptr, names, binds);
    if (names.isEmpty())
        db.run(QStringLiteral("insert into punch default values"));
    else
        db.run(insert_sql(QStringLiteral("punch"), names), binds);
}

RowResult update_punch_row(Db& db, const PunchQuery& query, const PunchBuffer& read,
                           const PunchBuffer& buf) {
    if (empty_query(query))
        return RowResult::Skipped;
    QStringList names;
    QVariantList binds;
    columns_to_write(buf, &read, names, binds);
    return update_read_row(db, query, buf, names, binds);
}

namespace {

const QString kOffsetKey = QStringLiteral(
    "tckempid = ? and tckindate = ? and tcktimein = ? and tckjobcode = ? and tcknode = ?");

void make_side_tables(Db& db) {
    for (const QString& sql : side_table_statements())
        db.run(sql);
}

std::optional<int> offset_of(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<int>(v.toInt());
}

} // namespace

QStringList side_table_statements() {
    return {QStringLiteral("create table if not exists punchzone (tckempid double precision, "
                           "tckindate integer, tcktimein text, tckjobcode integer, tcknode "
                           "integer, inoffset integer, outoffset integer)"),
            // One row per punch ever made: found by its key, and the open ones on their own.
            QStringLiteral("create index if not exists punchzone_key on punchzone "
                           "(tckempid, tckindate)"),
            QStringLiteral("create index if not exists punchzone_open on punchzone (tckempid) "
                           "where outoffset is null"),
            // The punches a station made while the club was out of reach, as each was sent on.
            QStringLiteral("create table if not exists punchsent (station text, seq integer)"),
            QStringLiteral("create unique index if not exists punchsent_key on punchsent "
                           "(station, seq)")};
}

namespace {

// What the side tables' statements make, every one of which a punch database should hold.
const char* const kSideTables =
    "'punchzone', 'punchzone_key', 'punchzone_open', 'punchsent', 'punchsent_key'";
constexpr int kSideTableCount = 5;

// A table of this database by the name an expression gives, as the server's catalog names it.
QString named(const QString& name) {
    return QStringLiteral("current_schema() || '.' || ") + name;
}

// Whether the server's table named by the expression has an index on its rowid. A punch or
// history table made before its rowid was its key has none: an edit or a review finds its
// row by rowid, which without an index reads the whole table.
QString rowid_indexed(const QString& table) {
    return QStringLiteral("exists (select 1 from pg_index i join pg_attribute a on a.attrelid = "
                          "i.indrelid and a.attnum = i.indkey[0] where i.indrelid = "
                          "to_regclass(%1) and i.indnatts = 1 and a.attname = 'rowid')")
        .arg(table);
}

// Whether the database holds its side tables, and on a server its rowid indexes, so that no
// statement that takes a table's lock need run.
bool side_tables_present(Db& db) {
    if (db.backend() == Backend::SQLite)
        return db.scalar(QStringLiteral("select count(*) from sqlite_master where name in (%1)")
                             .arg(QLatin1String(kSideTables)))
                   .toInt() == kSideTableCount;
    return db
        .scalar(QStringLiteral("select (select count(*) from pg_class where relnamespace = "
                               "to_regnamespace(current_schema()) and relname in (%1)) = %2 and "
                               "not exists (select 1 from (values ('punch'), ('history')) as "
                               "t(name) where to_regclass(%3) is not null and not %4)")
                    .arg(QLatin1String(kSideTables))
                    .arg(kSideTableCount)
                    .arg(named(QStringLiteral("t.name")),
                         rowid_indexed(named(QStringLiteral("t.name")))))
        .toBool();
}

void index_server_rowids(Db& db) {
    if (db.backend() != Backend::PostgreSQL)
        return;
    for (const QString& table : {QStringLiteral("punch"), QStringLiteral("history")})
        if (db.scalar(QStringLiteral("select to_regclass(%1) is not null and not ")
                              .arg(named(QStringLiteral("cast(? as text)"))) +
                          rowid_indexed(named(QStringLiteral("cast(? as text)"))),
                      {table, table})
                .toBool())
            db.run(QStringLiteral("create unique index if not exists %1_rowid on %1 (rowid)")
                       .arg(table));
}

} // namespace

// A statement that makes a table or an index takes a lock that holds up the punches of
// every other station, even when what it would make is there: it runs only when something
// is missing.
void make_side_tables_once(Station& st, Db& db) {
    if (st.side_tables_made.contains(db.path()))
        return;
    if (!side_tables_present(db)) {
        Transaction tx(db);
        make_side_tables(db);
        index_server_rowids(db);
        tx.commit();
    }
    st.side_tables_made.insert(db.path());
}

void forget_offsets(Db& db, int from, int to) {
    make_side_tables(db);
    db.run(QStringLiteral("delete from punchzone where tckindate >= ? and tckindate <= ?"),
           {from, to});
}

QString punch_count_text(int n) {
    return n == 1 ? QStringLiteral("1 punch") : QStringLiteral("%1 punches").arg(n);
}

OpenPunchKey open_punch_key(double empid, double indate, const QString& timein, double jobcode,
                            double node) {
    return {empid, std::llround(indate), timein, std::llround(jobcode), std::llround(node)};
}

QHash<OpenPunchKey, int> open_in_offsets(Db& db) {
    QHash<OpenPunchKey, int> out;
    try {
        // Read whole: on a server, each number straight from its answer.
        WholeRows rows = db.run_whole(
            QStringLiteral("select tckempid, tckindate, tcktimein, tckjobcode, tcknode, inoffset "
                           "from punchzone where outoffset is null and inoffset is not null"));
        out.reserve(rows.row_count());
        for (int r = 0; r < rows.row_count(); ++r)
            out.insert(open_punch_key(rows.number(r, 0), rows.number(r, 1),
                                      rows.cell(r, 2).toString(), rows.number(r, 3),
                                      rows.number(r, 4)),
                       int(rows.number(r, 5)));
    } catch (const DbError& e) {
        if (e.code() != 3024)
            throw;
    }
    return out;
}

QVariantList punch_key(const QVariantList& row) {
    const auto whole = [&](int pos) { return std::llround(row.value(pos).toDouble()); };
    // A null text would be bound as NULL, which equals nothing.
    const QString timein = row.value(col::tcktimein).toString();
    return {row.value(col::tckempid).toDouble(), whole(col::tckindate),
            timein.isNull() ? QStringLiteral("") : timein, whole(col::tckjobcode),
            whole(col::tcknode)};
}

QVariantList punch_key(const PunchBuffer& row) {
    return punch_key(row.values);
}

void keep_in_offset(Db& db, const PunchBuffer& row, int offset) {
    const QVariantList key = punch_key(row);
    const QString remove = QStringLiteral("delete from punchzone where ") + kOffsetKey;
    const QString insert =
        QStringLiteral("insert into punchzone (tckempid, tckindate, tcktimein, tckjobcode, "
                       "tcknode, inoffset) values (?, ?, ?, ?, ?, ?)");
    // A server takes both in one statement, saving the press a round trip.
    if (db.backend() == Backend::PostgreSQL) {
        db.run(QStringLiteral("with gone as (") + remove + QStringLiteral(") ") + insert,
               key + key + QVariantList{offset});
        return;
    }
    db.run(remove, key);
    db.run(insert, key + QVariantList{offset});
}

void keep_out_offset(Db& db, const PunchBuffer& row, int offset) {
    db.run(QStringLiteral("update punchzone set outoffset = ? where ") + kOffsetKey,
           QVariantList{offset} + punch_key(row));
}

PunchOffsets kept_offsets(Db& db, const PunchBuffer& row) {
    return kept_offsets(db, punch_key(row));
}

PunchOffsets kept_offsets(Db& db, const QVariantList& key) {
    try {
        QSqlQuery q = db.run(
            QStringLiteral("select inoffset, outoffset from punchzone where ") + kOffsetKey, key);
        if (!fetch(q))
            return {};
        return {offset_of(q.value(0)), offset_of(q.value(1))};
    } catch (const DbError& e) {
        if (e.code() != 3024)
            throw;
        return {}; // no punch has kept an offset here yet
    }
}

} // namespace pw
