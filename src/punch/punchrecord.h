#pragma once
// The Punch record: one row of the table punch (defined in punchtable.h), today's
// date in the two forms the punch code uses, and the positional buffer through which punch in
// and punch out read and write one row at a time.
//
// Rules: the buffer is addressed by column position (pw::col). A read loads the first row the
// where-clause matches, or leaves every value unset when none does. A write adds a new row when
// both busy flags are set, and otherwise updates the row that was read, provided it still
// matches the where-clause, so a row closed meanwhile at another station is left alone. Values
// that are null or unset are never written. Database failures are thrown as DbError.

#include "punchtable.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <QVariantList>
#include <array>
#include <optional>

namespace pw {

class Db;
class DbError;
class Station;

// st.today = YYYYMMDD, from the station's clock.
void set_today(Station& st);
// A day as the punch dates hold it: YYYYMMDD.
int yyyymmdd(const QDate& day);
// A clock time as the punches hold it: HH:MM:SS (empty for an invalid time).
QString clock_text(const QTime& time);
// The clock time a HH:MM:SS text holds; invalid for any other text.
QTime clock_time(QStringView text);
// The day a YYYYMMDD number names; invalid when it names none.
QDate day_of(qint64 yyyymmdd);

// v as the punch column at pos stores it: whole numbers for integer columns, real ones to
// their decimals. Throws DbError 13 naming the column when a number column gets no finite
// number.
QVariant stored_value(const QVariant& v, int pos);

// One punch row by position. A value is unset (invalid QVariant) until read or assigned; a
// text field read as NULL stays a null QVariant so that writing it back leaves it NULL.
struct PunchBuffer {
    QVariantList values = QVariantList(col::count);
    // Both set: the next write adds a new row instead of updating the one read.
    std::array<bool, 2> busy{};
    // The row the last read loaded; a write updates this one.
    std::optional<qint64> rowid;
    // That row's values as stored, nulls as nulls.
    QVariantList stored;

    QVariant& operator[](int pos) { return values[pos]; }
    const QVariant& operator[](int pos) const { return values[pos]; }
    bool adding() const { return busy[0] && busy[1]; }

    // Typed reads of a value; unset and null read as 0 or an empty text.
    double number(int pos) const;
    int integer(int pos) const;
    QString text(int pos) const;
};

void set_busy(PunchBuffer& buf);
void clear_busy(PunchBuffer& buf);

// A where-clause on punch with '?' placeholders and the values bound to them, in order.
struct PunchQuery {
    QString where;
    QVariantList binds;
};

enum class RowResult {
    Done,    // read: the first row loaded; write: the row added or updated
    Quit,    // read: no row matched (values unset); write: no row updated
    Skipped, // empty where-clause: nothing was done
};

// The punch database file for path: ".MDB" appended when path lacks it (any case), resolved
// through st.path(). Empty when path is empty or, after telling the user, when the file is
// missing.
QString punch_db_file(Station& st, const QString& path);
// The same for a press that opens the database at once. On a server the schema is not asked
// for beforehand, a round trip at every press: the press's first statement finds it gone, and
// tell_if_missing then shows the same box.
QString punch_db_for_press(Station& st, const QString& path);
// After a DbError on the punch database of path (as above): true, having told the user, when
// e says that database is missing.
bool tell_if_missing(Station& st, const DbError& e, const QString& path);

// Reads the first row the query matches, or writes the buffer to it, on a database the caller
// has opened, so that several reads and writes can share one connection and one Transaction.
// Return Done, Quit or Skipped; the buffer is left alone when the query is empty.
RowResult read_punch_row(Db& db, const PunchQuery& query, PunchBuffer& buf);
RowResult write_punch_row(Db& db, const PunchQuery& query, const PunchBuffer& buf);
// Adds the buffer as a new row, whatever its busy flags.
void insert_punch_row(Db& db, const PunchBuffer& buf);
// Writes to the row read (as write_punch_row updates it) only the columns whose values as
// stored would differ from what read found stored, so that columns left alone, indexed ones
// among them, are not rewritten.
RowResult update_punch_row(Db& db, const PunchQuery& query, const PunchBuffer& read,
                           const PunchBuffer& buf);

// The UTC offsets (seconds) a punch was made at, kept beside the punch table in punchzone,
// keyed as import keys a punch (employee, in date, recorded in time, job, node), so that a
// punch in the repeated hour of an autumn night is told from one an hour later. The punch
// table itself stays as the suite keeps it; a punch without a kept offset is read in the
// station's zone. parvsetup makes the table with the punch table; on an installation made
// before it, the station makes it once, in a transaction of its own, before a punch keeps an
// offset there (make_side_tables_once), so that no punch's transaction holds DDL.
struct PunchOffsets {
    std::optional<int> in;
    std::optional<int> out;
};
void keep_in_offset(Db& db, const PunchBuffer& row, int offset);
void keep_out_offset(Db& db, const PunchBuffer& row, int offset);
// The punch database's side tables (punchzone; punchsent, of punches a station sent on after
// the club was out of reach) and their indexes, each statement safe to run again.
QStringList side_table_statements();
void make_side_tables_once(Station& st, Db& db);
// Archive/purge: the offsets of the punches of in dates from..to go with them.
void forget_offsets(Db& db, int from, int to);
// None kept, or no table yet: both empty.
PunchOffsets kept_offsets(Db& db, const PunchBuffer& row);
PunchOffsets kept_offsets(Db& db, const QVariantList& key);
// "1 punch", "3 punches".
QString punch_count_text(int n);

// A punch's key (punch_key) as a value to find it by in a hash.
struct OpenPunchKey {
    double empid = 0;
    qint64 indate = 0;
    QString timein;
    qint64 jobcode = 0;
    qint64 node = 0;
    friend bool operator==(const OpenPunchKey&, const OpenPunchKey&) = default;
    friend size_t qHash(const OpenPunchKey& key, size_t seed = 0) noexcept {
        return qHashMulti(seed, key.empid, key.indate, key.timein, key.jobcode, key.node);
    }
};
// The key of the punch with these values, read as punch_key reads them.
OpenPunchKey open_punch_key(double empid, double indate, const QString& timein, double jobcode,
                            double node);
// The in offsets kept for punches not yet closed.
QHash<OpenPunchKey, int> open_in_offsets(Db& db);
// What makes a punch the same punch at every station: tckempid, tckindate, tcktimein,
// tckjobcode, tcknode of the row's values in table order. NULL reads as 0, or as an empty
// text: a punch without a recorded in time (made in the editor) is keyed like one with "".
QVariantList punch_key(const QVariantList& row);
QVariantList punch_key(const PunchBuffer& row);

} // namespace pw
