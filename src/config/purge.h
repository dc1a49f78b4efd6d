#pragma once
// Archive and purge: the punches whose in date lies in a chosen range move from the table
// punch into history, of the same punch database, column by column in table order.
//
// Rules: the copy and the delete run in one transaction, so a punch leaves punch only
// together with its copy in history; on any failure both tables stay as they were and the
// numbered-code box says why. Only tckindate is compared: every status moves.

#include <QString>
#include <functional>

namespace pw {

class Station;

// Moves the punches with tckindate from st.ranges.from_date to st.ranges.to_date, both
// included, and shows "Punch data archived/purged between ..." (also when none were found).
// True when done; false after a failure was reported (nothing moved).
bool archivepurge(Station& st);

// The confirmation texts: the first question, and the second (caution) one.
QString purge_question(int from, int to);
QString purge_caution(int from, int to);

// The Archive/Purge button: the date prompt, the two confirmations, then archivepurge.
// progress receives the texts of the window's purge message box: "WAIT - ARCHIVE/PURGE IN
// PROGRESS..." before the move and "Archive/Purge Complete" after it, or an empty text when
// the move failed (the box then goes away). A cancel or a No calls it not at all.
void archive_purge(Station& st, const std::function<void(const QString&)>& progress);

} // namespace pw
