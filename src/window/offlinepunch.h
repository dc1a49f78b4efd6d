#pragma once
// The main window while the club cannot be reached: identification against the station's
// own copy, punches journalled on the station, the waiting screen's notice, and the tick
// that refreshes the copy and sends the journal on when the club is back.

#include <QString>
#include <QStringList>

namespace pw {

class Station;
class Tclock;

// Whether this station can punch on its own, once the club was found out of reach (the suite
// gone from the shared folder, or the server not answering): it has its copy. Marks the
// spell's start.
bool punching_offline(Station& st);
// Whether the club failed to answer so lately (half a minute) that Ok should not wait for it
// again.
bool lately_unreached(const Station& st);

// Journals who's punch in or out at the clock's time and shows what became of it.
void punch_offline(Station& st, Tclock& win, bool in);

// "Offline since HH:MM - N punches waiting" on the message line while the station punches on
// its own; false (the line untouched) while the club is reached.
bool show_offline_notice(const Station& st, Tclock& win);
// What an employee identified offline is told besides the jobs or the open punch.
QStringList offline_lines();

// From the tick: refreshes the copy every few minutes while the club is reached, and sends
// the journal on once it is reached again. Quiet: a failure only waits for the next try.
void offline_tick(Station& st, Tclock& win);

} // namespace pw
