#pragma once
// The pay rules that turn punch times into hours: rounding to the club's unit, the day a
// rounded time belongs to, elapsed hours across any number of midnights with the shift
// limit, the break reduction, the hours an open punch has run so far, holidays and the weekly
// 40-hour split. A shift's week and holiday are those of its in date.
//
// Hours are real time in the station's zone: a night that puts the clocks back pays the hour
// it repeats, one that puts them forward does not pay the hour it skips. Inside the repeated
// hour a reading alone does not say which pass it was; the UTC offset a punch was made at
// does, when it was kept.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace pw {

class Station;
struct Settings;
class Db;

// Rounds "HH:MM:SS" to the nearest unit minutes (an exact half rounds down); seconds become
// 00. A unit below 2 returns the time unchanged. 23:53 with unit 15 gives "00:00:00".
QString round_time(const QString& time, int unit);

struct Elapsed {
    double hours = 0; // whole hours plus minutes / 60 to two decimals, never below 0
    bool limit_struck = false;
    bool out_before_in = false; // the out moment lies before the in moment
    qint64 seconds = 0;         // real time between the moments, when both name a day
};

// A punch's moment as stored: its date, its time text ("24:00:00" ends the day) and the UTC
// offset in seconds it was made at, when known.
struct Moment {
    int date = 0;
    QString time;
    std::optional<int> offset;
};

// Seconds since the epoch. Without a known offset the station's zone reads the time (in the
// repeated hour, its own choice of pass). nullopt when the date names no day.
std::optional<qint64> epoch_seconds(const Moment& m);
// A reading of the station's clock in seconds since the epoch, asking the zone once where
// QDateTime asks it twice (on making the reading and again for its seconds), with the same
// answer. nullopt where QDateTime's reading is not valid: no day, no time, or a time the clock
// skipped when it sprang forward.
std::optional<qint64> local_seconds(const QDate& day, const QTime& time);

// Calendar days from one YYYYMMDD date to another. When either is no real day only their
// order counts: 1 when the second is later, 0 when they are equal, -1 when it is earlier.
qint64 days_between(qint64 from, qint64 to);

// The elapsed-time arithmetic of the clock and of the punch editor. days: the midnights
// between in and out (0 the same day; below 0 the clock was set back: nothing to count).
// Times are hours and minutes, already rounded; hour 24 is the end of a day. Overnight every
// day between counts 24 hours, the minutes may reach 118, and once the whole hours before
// them reach limit the span is zeroed and the limit has struck (no limit when empty).
// Same-day spans are never limited. A span never counts below 0.
// dst_minutes: how much longer real time was than the clock readings say (a daylight-saving
// change between them), counted into the whole hours before the limit looks at them.
Elapsed elapsed_span(qint64 days, double in_hour, double in_minute, double out_hour,
                     double out_minute, std::optional<double> limit, int dst_minutes = 0);

// The same on punch moments in real time, with the station's shift limit (none below 1).
Elapsed elapsed_hours(const Moment& in, const Moment& out, int shiftlimit);
Elapsed elapsed_hours(int in_date, const QString& in_time, int out_date, const QString& out_time,
                      int shiftlimit);

// What a shift pays, the same for the clock and the punch editor: real elapsed time with the
// shift limit and the break rule. A shift that cannot be right pays 0 and names why, for the
// manager: an out before its in ("Out before in"), or more than 24 hours whatever the shift
// limit ("Open more than 24 hours").
inline constexpr char kOutBeforeIn[] = "Out before in";
inline constexpr char kOpenTooLong[] = "Open more than 24 hours";
struct ShiftPay {
    double hours = 0;
    bool limit_struck = false;
    QString review; // empty when nothing is wrong
};
ShiftPay shift_pay(const Moment& in, const Moment& out, int shiftlimit, double breaktime,
                   double breakreduction);

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

// Where a punch in at now starts: the in-rounded time on today. Rounding never carries past
// the day's end: a time that would round up to midnight stays at "23:59:00", so the row's date
// and time name a moment the person was there.
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
// The moment hours so far run to, with its UTC offset, read from the clock once: a report
// reckons every open punch it lists to the same moment, and each reading of the zone costs.
struct Now {
    QDateTime at;
    int utc_offset = 0;
};
// The clock's now. Sets today.
Now now_of(Station& st);
// The hours the identified employee's open punch (st.who.open) has run until now, with
// out-rounding, the midnight rule, the shift limit and the break reduction. Sets today.
HoursSoFar calctime(Station& st);
// The same for any open punch (the who's-punched-in report passes each row's values).
HoursSoFar calctime(Station& st, int in_date, const QString& in_time, double breaktime,
                    double breakreduction, std::optional<int> in_offset = std::nullopt);
HoursSoFar calctime(const Settings& s, const Now& now, int in_date, const QString& in_time,
                    double breaktime, double breakreduction, std::optional<int> in_offset);

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
