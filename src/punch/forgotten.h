#pragma once
// A punch left open for longer than a shift can be: when it counts as forgotten, the question
// its owner is asked, and the leaving time typed, which must lie after the punch in and not
// after now.

#include "station/session.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace pw {

struct Settings;

// How long a punch may stay open before its owner is asked: the shift limit, or 16 hours.
int forgotten_after_hours(const Settings& s);
// The moment the open punch began (its date and rounded in time).
QDateTime punch_began(const OpenPunch& open);
// Whether a punch in at that day and HH:MM:SS time has been open longer than that by now
// (seconds since the epoch).
bool open_too_long(const Settings& s, int indate, const QString& in_time, qint64 now_secs);
bool forgotten(const Settings& s, const OpenPunch& open, const QDateTime& now);
// A day as the screens show it: "Mon 05/24".
QString screen_date(const QDate& day);
// A moment as the screens show it: "Mon 05/24 at 08:00".
QString screen_moment(const QDateTime& at);

// The question's lines: "You are still punched in since Mon 05/24 08:00 for Bartender." and
// "When did you leave?".
QStringList leaving_question(const OpenPunch& open);

// The moment typed: date MMDD (of the punch's year, or the next when the month lies before
// it) and time HHMM. A problem instead when it cannot be the time the person left.
struct Leaving {
    QDateTime at;
    QString problem;
};
Leaving leaving_time(const OpenPunch& open, const QString& date, const QString& time,
                     const QDateTime& now);

} // namespace pw
