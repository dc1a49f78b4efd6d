#pragma once
// The station phase's verdict, from the punch table and what the children saw. A punch a
// child saw succeed must be in the table exactly once; a row nobody saw written is one too
// many; a shift two children were told they closed was closed twice; a row left open that no
// child's punches explain is open-left.

#include "punchlog.h"

#include <QList>
#include <QSet>
#include <QString>

namespace stress {

struct PunchRow {
    qint64 rowid = 0;
    int emp = 0;
    int job = 0;
    int indate = 0;
    QString adjtimein;
    int outdate = 0;
    QString adjtimeout;
    int status = 0;
    bool review = false; // a punch made on a station alone that no longer applied when sent
};

struct Verdict {
    int punches = 0;
    int lost = 0;
    int duplicated = 0;
    int double_closed = 0;
    int open_left = 0;
    int busy = 0;
    int reviewed = 0; // punches sent on for the manager instead (each one confirmed)
    bool faultless() const { return lost + duplicated + double_closed + open_left == 0; }
};

// extra_open holds the rows seen open while their employee had another open row.
Verdict judge(const QList<PunchRow>& rows, const QList<ChildLog>& logs,
              const QSet<qint64>& extra_open);

} // namespace stress
