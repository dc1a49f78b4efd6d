#pragma once
// What a punch says and the checks that guard one: the result lines of punch in and punch
// out, the information box, the suite check and the pay rules check.

#include <QString>
#include <QStringList>

namespace pw {

class Station;

// The rule line between the parts of the job list.
inline const QString kDashes = QString(38, QLatin1Char('-'));

// What a punch in shows: "In at 08:02 for Server." and "Have a good shift.", the time as the
// clock read it.
QStringList in_result_lines(const QString& clock_time, const QString& job);
// What a punch out shows: the time, the shift's and the week's hours, overtime and holiday
// hours when there are any, and the reason when the shift waits for a manager.
struct OutResult {
    QString time; // the clock's, HH:MM:SS
    double shift = 0;
    double week = 0;
    double overtime = 0;
    double holiday = 0;
    QString review; // why a manager must look at it; empty when not
};
QStringList out_result_lines(const OutResult& r);

// An information box.
void tell(Station& st, const QString& text, const QString& title);

// Lets pending window events run, so that the screen shows the latest state.
void let_events_run();

// Whether the club's pay rules are loaded; when not, says that punching waits, and false.
bool payrules_ready(Station& st);

} // namespace pw
