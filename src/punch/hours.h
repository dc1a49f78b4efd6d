#pragma once
// The pay rules that turn punch times into hours: rounding to the club's unit, the day a
// rounded time belongs to, elapsed hours across any number of midnights with the shift
// limit, the break reduction, the hours an open punch has run so far, holidays and the weekly
// 40-hour split. A shift's week and holiday are those of its in date.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace pw {

class Station;
class Db;

// Rounds "HH:MM:SS" to the nearest unit minutes (an exact half rounds down); seconds become
// 00. A unit below 2 returns the time unchanged. 23:53 with unit 15 gives "00:00:00".
QString round_time(const QString& time, int unit);

struct Elapsed {
    double hours = 0; // whole hours plus minutes / 60 to two decimals, never below 0
    bool limit_struck = false;
};

// Calendar days from one YYYYMMDD date to another. When either is no real day only their
// order counts: 1 when the second is later, 0 when they are equal, -1 when it is earlier.
qint64 days_between(qint64 from, qint64 to);

// The elapsed-time arithmetic of the clock and of the punch editor. days: the midnights
// between in and out (0 the same day; below 0 the clock was set back: nothing to count).
// Times are hours and minutes, already rounded; hour 24 is the end of a day. Overnight every
// day between counts 24 hours, the minutes may reach 118, and once the whole hours before
// them reach limit the span is zeroed and the limit has struck (no limit when empty).
// Same-day spans are never limited. A span never counts below 0.
Elapsed elapsed_span(qint64 days, double in_hour, double in_minute, double out_hour,
                     double out_minute, std::optional<double> limit);

// The same on punch dates and "HH:MM:SS" times, with the station's shift limit (none below
// 1).
Elapsed elapsed_hours(int in_date, const QString& in_time, int out_date, const QString& out_time,
                      int shiftlimit);

// A shift's hours after its break rule: the reduction once the hours reach the break time,
// never below 0, and none on a shift the limit zeroed.
double after_break(const Elapsed& shift, double breaktime, double breakreduction);

// Hours rounded to two decimals, as they are stored and shown.
double hours2(double hours);

// A punch's date and rounded time.
struct Stamp {
    int date = 0; // YYYYMMDD
    QString time; // "HH:MM:SS"; "24:00:00" for a midnight that ends a day
};

// Where a punch in at now starts: the in-rounded time on today, or on tomorrow when the
// rounding carries past midnight (23:55 with unit 15 starts tomorrow at "00:00:00").
Stamp rounded_in(const QDateTime& now, int inrounding);

// Where a punch closed at now ends: today and the out-rounded time, unless that rounds to
// midnight. A rounded midnight becomes "24:00:00" on the day it closes (the day before when
// the clock has just passed it, today when it rounds up to it), so a shift begun that day
// ends at hour 24 and one begun earlier is counted overnight and meets the shift limit.
// A shift begun at that midnight or later ends at "00:00:00" on the midnight's own day.
Stamp rounded_out(int in_date, const QDateTime& now, int outrounding);

struct HoursSoFar {
    double hours = 0;
    bool over_limit = false;
};
// The hours the identified employee's open punch (st.who.open) has run until now, with
// out-rounding, the midnight rule, the shift limit and the break reduction. Sets today.
HoursSoFar calctime(Station& st);
// The same for any open punch (the who's-punched-in report passes each row's values).
HoursSoFar calctime(Station& st, int in_date, const QString& in_time, double breaktime,
                    double breakreduction);

// True when holiday.dat, read now, lists the month and day of the YYYYMMDD date.
bool holiday_on(Station& st, int date);

// First and last day (YYYYMMDD) of the work week holding day; wwstartday 1 = Sunday.
struct WeekBounds {
    int start = 0;
    int end = 0;
};
WeekBounds week_bounds(const QDate& day, int wwstartday);

// Adjusted regular hours already in the employee's week, every status and job.
double week_sum(Db& punchdb, double employee, const WeekBounds& week);

// How a shift of H hours lands in a week that already holds W: the fields of the shift's
// row and the overtime that goes on a second row (0: no second row). On a holiday every
// hour the row keeps goes to holiday hours instead of adjusted regular hours.
struct WeeklySplit {
    double reghours = 0;     // tckreghours of the shift's row
    double adjreghours = 0;  // tckadjreghours
    double othours = 0;      // tckothours
    double holidayhours = 0; // tckholidayhours
    double overtime = 0;     // OT: the second row's tckothours (or holiday hours)
    double hours = 0;        // the shift's hours after the split, for the receipt
};
// enabled is false when wwstartday is below 1: no split at all.
WeeklySplit weekly_split(double W, double H, bool holiday, bool enabled);

} // namespace pw
