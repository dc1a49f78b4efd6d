#include "forgotten.h"

#include "punch/hours.h"
#include "punch/punchrecord.h"
#include "station/settings.h"

namespace pw {

namespace {

constexpr int kNoLimitHours = 16;

} // namespace

int forgotten_after_hours(const Settings& s) {
    return s.shiftlimit > 0 ? s.shiftlimit : kNoLimitHours;
}

QDateTime punch_began(const OpenPunch& open) {
    return QDateTime(day_of(open.indate), clock_time(open.adjtimein));
}

bool open_too_long(const Settings& s, int indate, const QString& in_time, qint64 now_secs) {
    const std::optional<qint64> began = local_seconds(day_of(indate), clock_time(in_time));
    return began && now_secs - *began > qint64(forgotten_after_hours(s)) * 3600;
}

bool forgotten(const Settings& s, const OpenPunch& open, const QDateTime& now) {
    return open_too_long(s, open.indate, open.adjtimein, now.toSecsSinceEpoch());
}

QString screen_date(const QDate& day) {
    return QLocale::c().toString(day, QStringLiteral("ddd MM/dd"));
}

QString screen_moment(const QDateTime& at) {
    return screen_date(at.date()) + QStringLiteral(" at ") + at.toString(QStringLiteral("HH:mm"));
}

QStringList leaving_question(const OpenPunch& open) {
    const QDateTime began = punch_began(open);
    return {QStringLiteral("You are still punched in since ") + screen_moment(began),
            QStringLiteral("for ") + open.jobdescription + QStringLiteral("."),
            QStringLiteral("When did you leave?")};
}

Leaving leaving_time(const OpenPunch& open, const QString& date, const QString& time,
                     const QDateTime& now) {
    const QDateTime began = punch_began(open);
    const QTime at = QTime::fromString(time, QStringLiteral("HHmm"));
    const QDate in_day = began.date();
    QDate day = date.size() == 4 ? QDate(in_day.year(), date.left(2).toInt(), date.mid(2).toInt())
                                 : QDate();
    // December's punch left in January.
    if (day.isValid() && day < in_day)
        day = day.addYears(1);
    if (time.size() != 4 || !at.isValid() || !day.isValid())
        return {{}, QStringLiteral("Please type the day as MMDD and the time as HHMM (1630).")};
    const QDateTime left(day, at);
    if (left <= began)
        return {{}, QStringLiteral("That is before you punched in.")};
    if (left > now)
        return {{}, QStringLiteral("That time has not come yet.")};
    return {left, {}};
}

} // namespace pw
