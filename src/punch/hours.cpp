#include "hours.h"

#include "punchrecord.h"
#include "station/db.h"
#include "station/settings.h"
#include "station/station.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace pw {

namespace {

constexpr qint64 kWeekCents = qint64{40} * 100; // the weekly overtime threshold, in hundredths

// Hours held as whole hundredths so that sums and differences stay exact (8.33, not
// 8.329999). The nudge keeps a value stored as 0.28499999 rounding like the 0.285 it means.
qint64 to_cents(double hours) {
    return std::llround(hours * 100 + (hours < 0 ? -1e-7 : 1e-7));
}

double from_cents(qint64 cents) {
    return static_cast<double>(cents) / 100;
}

// The leading whole number of two characters of a time text ("08" -> 8, "24" -> 24).
int two_digits(const QString& time, int from) {
    const QStringView part = QStringView(time).mid(from, 2).trimmed();
    int n = 0;
    for (const QChar c : part) {
        if (!c.isDigit())
            break;
        n = n * 10 + c.digitValue();
    }
    return n;
}

QString hhmm00(int h, int m) {
    return QStringLiteral("%1:%2:00")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'));
}

} // namespace

QString round_time(const QString& time, int unit) {
    if (unit < 2)
        return time;
    int h = two_digits(time, 0);
    int m = two_digits(time, 3);
    // The remainder of the minute within the hour: a unit that does not divide 60 starts
    // again at every full hour.
    const int r = m % unit;
    if (r > 0) {
        if (2 * r <= unit) // an exact half rounds down
            m -= r;
        else
            m += unit - r;
    }
    if (m >= 60) {
        h += 1;
        m -= 60;
    }
    if (h > 23)
        h = 0; // the caller decides which day a midnight belongs to
    return hhmm00(h, m);
}

qint64 days_between(qint64 from, qint64 to) {
    const QDate a = day_of(from);
    const QDate b = day_of(to);
    if (a.isValid() && b.isValid())
        return a.daysTo(b);
    return to > from ? 1 : (to == from ? 0 : -1);
}

Elapsed elapsed_span(qint64 days, double in_hour, double in_minute, double out_hour,
                     double out_minute, std::optional<double> limit, int dst_minutes) {
    Elapsed result;
    if (days < 0) {
        result.out_before_in = true; // the clock was set back: nothing to count
        return result;
    }
    double whole = 0;
    double min = 0;
    if (days == 0) {
        if (out_minute >= in_minute) {
            whole = out_hour - in_hour;
            min = out_minute - in_minute;
        } else {
            whole = out_hour - in_hour - 1;
            min = out_minute + 60 - in_minute;
        }
        whole += int(dst_minutes / 60);
        min += dst_minutes % 60;
    } else {
        whole = 23 - in_hour;
        min = 60 - in_minute;
        if (min == 60) {
            whole += 1;
            min = 0;
        }
        // A punch left open for days has run every one of them: the limit must see them all.
        whole += out_hour + 24.0 * double(days - 1);
        min += out_minute; // up to 118
        whole += int(dst_minutes / 60);
        min += dst_minutes % 60;
        if (limit && whole >= *limit) {
            result.limit_struck = true;
            return result;
        }
    }
    // min / 60 to two decimals in whole hundredths: whole minutes never make an exact half.
    const double cents = whole * 100 + std::round(min * 100 / 60);
    // Rounded out before rounded in on one day (units of their own) is no time worked.
    result.hours = cents > 0 ? cents / 100 : 0.0;
    return result;
}

std::optional<qint64> epoch_seconds(const Moment& m) {
    const QDate day = day_of(m.date);
    if (!day.isValid())
        return std::nullopt;
    // "24:00:00" is the next day's midnight; minutes beyond 59 carry, as a reading would.
    const int minutes = two_digits(m.time, 0) * 60 + two_digits(m.time, 3);
    const QDate reading_day = day.addDays(minutes / (24 * 60));
    const QTime reading_time(minutes % (24 * 60) / 60, minutes % 60);
    // With the offset known, the zone is not asked at all.
    if (m.offset)
        return QDateTime(reading_day, reading_time, Qt::UTC).toSecsSinceEpoch() - *m.offset;
    // The station's zone; a time the clock skipped where QDateTime puts it.
    if (const std::optional<qint64> s = local_seconds(reading_day, reading_time))
        return s;
    return QDateTime(reading_day, reading_time).toSecsSinceEpoch();
}

std::optional<qint64> local_seconds(const QDate& day, const QTime& time) {
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    std::tm t{};
    t.tm_year = day.year() - 1900;
    t.tm_mon = day.month() - 1;
    t.tm_mday = day.day();
    t.tm_hour = time.hour();
    t.tm_min = time.minute();
    t.tm_sec = time.second();
    t.tm_isdst = -1; // the zone's choice of pass in a repeated hour, as QDateTime's
    const std::tm asked = t;
    const std::time_t s = std::mktime(&t);
    // A skipped time comes back moved by the change.
    if (t.tm_mday != asked.tm_mday || t.tm_hour != asked.tm_hour || t.tm_min != asked.tm_min ||
        t.tm_sec != asked.tm_sec)
        return std::nullopt;
    return qint64(s);
}

Elapsed elapsed_hours(const Moment& in, const Moment& out, int shiftlimit) {
    const qint64 days = days_between(in.date, out.date);
    const int in_hour = two_digits(in.time, 0);
    const int in_minute = two_digits(in.time, 3);
    const int out_hour = two_digits(out.time, 0);
    const int out_minute = two_digits(out.time, 3);
    const std::optional<qint64> from = epoch_seconds(in);
    const std::optional<qint64> to = epoch_seconds(out);
    int dst_minutes = 0;
    if (from && to) {
        // The readings' own difference against real time: what a clock change between them
        // added or took away.
        const qint64 readings = qint64{days} * 24 * 3600 +
                                qint64{(out_hour - in_hour) * 60 + out_minute - in_minute} * 60;
        dst_minutes = int((*to - *from - readings) / 60);
    }
    Elapsed e = elapsed_span(days, in_hour, in_minute, out_hour, out_minute,
                             shiftlimit >= 1 ? std::optional<double>(shiftlimit) : std::nullopt,
                             dst_minutes);
    if (from && to) {
        e.seconds = *to - *from;
        e.out_before_in = e.seconds < 0;
    }
    return e;
}

Elapsed elapsed_hours(int in_date, const QString& in_time, int out_date, const QString& out_time,
                      int shiftlimit) {
    return elapsed_hours(Moment{in_date, in_time, {}}, Moment{out_date, out_time, {}}, shiftlimit);
}

ShiftPay shift_pay(const Moment& in, const Moment& out, int shiftlimit, double breaktime,
                   double breakreduction) {
    const Elapsed e = elapsed_hours(in, out, shiftlimit);
    ShiftPay pay;
    pay.limit_struck = e.limit_struck;
    if (e.out_before_in)
        pay.review = QString::fromLatin1(kOutBeforeIn);
    else if (e.seconds > qint64{24} * 3600)
        pay.review = QString::fromLatin1(kOpenTooLong);
    else
        pay.hours = after_break(e, breaktime, breakreduction);
    return pay;
}

double after_break(const Elapsed& shift, double breaktime, double breakreduction) {
    if (shift.limit_struck)
        return 0; // a zeroed shift stays 0: there is no break to take off it
    if (to_cents(shift.hours) < to_cents(breaktime))
        return shift.hours;
    return std::max(0.0, hours2(shift.hours - breakreduction));
}

double hours2(double hours) {
    return from_cents(to_cents(hours));
}

Stamp rounded_in(const QDateTime& now, int inrounding) {
    const QString clock = clock_text(now.time());
    QString time = round_time(clock, inrounding);
    // Rounded up past midnight: held at the day's last minute, a minute's pay at most.
    if (two_digits(time, 0) < now.time().hour())
        time = QStringLiteral("23:59:00");
    return {yyyymmdd(now.date()), time};
}

Stamp rounded_out(int in_date, const QDateTime& now, int outrounding) {
    const QDate today = now.date();
    const QString time = round_time(clock_text(now.time()), outrounding);
    if (time != QLatin1String("00:00:00"))
        return {yyyymmdd(today), time};
    // Midnight closes the day the clock is in when it rounds up from 23:xx, the day before
    // once the clock has passed it. Putting it on the in date regardless would count a
    // punch left open since an earlier day as a few hours and hide it from the shift limit,
    // and would give a punch begun just after midnight 24 hours.
    const QDate midnight = now.time().hour() >= 12 ? today.addDays(1) : today;
    const int closing = yyyymmdd(midnight.addDays(-1));
    if (closing >= in_date)
        return {closing, QStringLiteral("24:00:00")};
    return {yyyymmdd(midnight), time};
}

Now now_of(Station& st) {
    set_today(st);
    const QDateTime now = st.clock().now();
    return {now, now.offsetFromUtc()};
}

HoursSoFar calctime(Station& st) {
    const OpenPunch open = st.who.open.value_or(OpenPunch{});
    return calctime(st, open.indate, open.adjtimein, open.breaktime, open.breakreduction,
                    open.inoffset);
}

HoursSoFar calctime(Station& st, int in_date, const QString& in_time, double breaktime,
                    double breakreduction, std::optional<int> in_offset) {
    return calctime(st.settings, now_of(st), in_date, in_time, breaktime, breakreduction,
                    in_offset);
}

HoursSoFar calctime(const Settings& s, const Now& now, int in_date, const QString& in_time,
                    double breaktime, double breakreduction, std::optional<int> in_offset) {
    const Stamp out = rounded_out(in_date, now.at, s.outrounding);
    // The time run so far, even past a day: only the close decides what is paid.
    const Elapsed e = elapsed_hours({in_date, in_time, in_offset},
                                    {out.date, out.time, now.utc_offset}, s.shiftlimit);
    return {after_break(e, breaktime, breakreduction), e.limit_struck};
}

WeekBounds week_bounds(const QDate& day, int wwstartday) {
    const int weekday = day.dayOfWeek() % 7 + 1; // 1 = Sunday ... 7 = Saturday
    const int d = ((weekday - wwstartday) % 7 + 7) % 7 + 1;
    return {yyyymmdd(day.addDays(-(d - 1))), yyyymmdd(day.addDays(7 - d))};
}

double week_sum(Db& punchdb, double employee, const WeekBounds& week) {
    // Every status and job: hours already exported still belong to this week's 40.
    const QVariant sum = punchdb.scalar(
        QStringLiteral("select sum(tckadjreghours) from punch where tckempid = ? and tckindate "
                       "between ? and ?"),
        {employee, week.start, week.end});
    return sum.isNull() ? 0.0 : sum.toDouble();
}

WeeklySplit weekly_split(double W, double H, bool holiday, bool enabled) {
    const qint64 w = to_cents(W);
    const qint64 h = to_cents(H);
    WeeklySplit s;
    s.reghours = from_cents(h);
    s.hours = from_cents(h);
    // On a holiday every hour the shift's row keeps is holiday hours, never adjusted regular.
    auto keep = [&](qint64 cents) {
        if (holiday)
            s.holidayhours = from_cents(cents);
        else
            s.adjreghours = from_cents(cents);
    };
    if (enabled && w + h > kWeekCents && w < kWeekCents) {
        // The shift crosses the line: its row keeps the hours up to 40, the rest go on a
        // second row.
        keep(kWeekCents - w);
        s.overtime = from_cents(w + h - kWeekCents);
        s.hours = from_cents(kWeekCents - w);
    } else if (enabled && w >= kWeekCents) {
        // The week was already full: the whole shift is overtime on its own row.
        s.reghours = 0;
        if (holiday)
            s.holidayhours = from_cents(h);
        else
            s.othours = from_cents(h);
    } else {
        keep(h);
    }
    return s;
}

} // namespace pw
