#pragma once
// The bare SQLite side of every benchmark: the same SQL on the same files through the C API,
// with nothing of the station's own around it. What each station path costs beyond this is
// what the ratios show.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariantList>
#include <optional>

namespace bench::bare {

struct Paths {
    QString punch, emp, pos, work, blank;
};

// One statement on db, for the untimed set-up of a case.
void exec(const QString& db, const QString& sql, const QVariantList& binds = {});

void identify(const Paths& p, int employee);
void punch_in(const Paths& p, int employee, int job, int date, const QString& time);
void punch_out(const Paths& p, int employee, int job, int week_from, int week_to);
// What Who's Punched In shows of an open punch: the hours from its in time to now, now
// rounded to the unit, less the break once the shift has reached it, 0 past the shift limit;
// and whether it has been open longer than a shift can be (a forgotten punch out). The hours
// read the in time in the UTC offset kept for it, when there is one (seconds east of UTC).
struct SoFar {
    qint64 now = 0; // seconds since the epoch
    int unit_minutes = 1;
    int shift_limit = 0;     // hours; 0 for none
    int forgotten_hours = 0; // open longer than this: marked as forgotten
};
struct OpenMark {
    double hours = 0;
    bool too_long = false;
};
OpenMark open_mark(const SoFar& s, int indate, const char* in_time, double breaktime,
                   double breakreduction, std::optional<int> in_offset);
// The mark a forgotten punch out's row gets in its reason column.
inline constexpr const char* kForgotten = "OPEN TOO LONG - forgot to punch out?";
// The kept UTC offsets of open punches, by the punch's key: its numbers' bytes, then its in
// time.
using InOffsets = QHash<QByteArray, int>;
QByteArray open_key(double empid, qint64 indate, const char* timein, qint64 job, qint64 node);
// The statement that reads them, on the punch database.
inline constexpr const char* kOpenOffsets =
    "select tckempid, tckindate, tcktimein, tckjobcode, tcknode, inoffset from punchzone where "
    "outoffset is null and inoffset is not null";

// Copies the blank over the work database, runs sql on punch with binds, looks each row's
// name up and copies the row into the work database in one transaction; with so_far, each
// row goes in with its hours so far.
void report(const Paths& p, const QString& sql, const QVariantList& binds,
            const std::optional<SoFar>& so_far = {});
// Counts the open punches of the selection, writes its closed ones (where + a status list)
// to path as text lines, then marks them, all in one transaction.
void export_rows(const Paths& p, const QString& where, const QVariantList& binds,
                 const QString& mark, const QString& path);
// Adds every line of the transfer file that the table does not hold, in one transaction.
void import_rows(const Paths& p, const QString& path);
void purge(const Paths& p, int from, int to);

} // namespace bench::bare
