#pragma once
// The pay rules that turn punch times into hours: rounding to the club's unit, elapsed
// hours across at most one midnight with the shift limit, the break reduction, the hours
// an open punch has run so far, and the weekly 40-hour split.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace pw {

class Station;
class Db;

// Rounds "HH:MM:SS" to the nearest unit minutes (an exact half rounds down); seconds become
// 00. A unit below 2 returns the time unchanged. 23:53 with unit 15 gives "00:00:00".
QString round_time(const QString& time, int unit);
QString round_in_time(const Station& st, const QString& time);  // inrounding
QString round_out_time(const Station& st, const QString& time); // outrounding

struct Elapsed {
    double hours = 0; // whole hours plus minutes / 60 to two decimals
    bool limit_struck = false;
};
// Times already rounded; "24:00:00" counts as hour 24. Only overnight shifts are limited,
// and only when shiftlimit is at least 1. An out date before the in date (the clock was set
// back) gives 0 hours.
Elapsed elapsed_hours(int in_date, const QString& in_time, int out_date, const QString& out_time,
                      int shiftlimit);

// hours minus the reduction once hours reach the break time.
double break_reduced(double hours, double breaktime, double breakreduction);

// Hours rounded to two decimals, as they are stored and shown.
double hours2(double hours);

// Where a punch closed at now ends: today and the out-rounded time, unless that rounds to
// midnight. A rounded midnight becomes "24:00:00" on the day it closes (the day before when
// the clock has just passed it, today when it rounds up to it), so a shift begun that day
// ends at hour 24 and one begun earlier is counted overnight and meets the shift limit.
// A shift begun after that midnight ends at "00:00:00" today.
struct OutStamp {
    int date = 0; // YYYYMMDD
    QString time; // "HH:MM:SS", "24:00:00" for a midnight
};
OutStamp rounded_out(int in_date, const QDateTime& now, int outrounding);

struct HoursSoFar {
    double hours = 0;
    bool over_limit = false;
};
// The hours the identified employee's open punch (st.who.open_*) has run until now, with
// out-rounding, the midnight rule, the shift limit and the break reduction. Sets today.
HoursSoFar calctime(Station& st);
// The same for any open punch (the who's-punched-in report passes each row's values).
HoursSoFar calctime(Station& st, int in_date, const QString& in_time, double breaktime,
                    double breakreduction);

// First and last day (YYYYMMDD) of the work week holding today; wwstartday 1 = Sunday.
struct WeekBounds {
    int start = 0;
    int end = 0;
};
WeekBounds week_bounds(const QDate& today, int wwstartday);

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
