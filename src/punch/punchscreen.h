#pragma once
// What identification, punch in and punch out share on the main window: the information box,
// the suite check that guards each of them, and the screen state while a punch is written,
// from the wait notice to the result lines and the receipt offer.
//
// Rules: a punch that went through leaves its result on the screen until the countdown clears
// it; one that stopped early gives the screen back as it was.

#include "punch/receipts.h"

#include <QList>
#include <QString>

class QPushButton;

namespace pw {

class Station;
class Tclock;

// The rule line between the parts of the job list.
inline const QString kDashes = QString(38, QLatin1Char('-'));

// An information box.
void tell(Station& st, const QString& text, const QString& title);

// Lets pending window events run, so that the screen shows the latest state.
void let_events_run();

// checksuite; when the suite cannot be reached, the "Punchwell - Connection Problem" box and
// false.
bool suite_reachable(Station& st);
// Whether the club's pay rules are loaded; when not, says that punching waits, and false.
bool payrules_ready(Station& st);

// The main window while a punch is written: the buttons that could start another action are
// hidden and the Close button disabled; restore() puts the screen back when a punch stops
// early, finish() ends a punch that went through (its result stays on the screen until the
// countdown clears it).
class PunchScreen {
public:
    PunchScreen(Tclock& win, QList<QPushButton*> hide);
    // The wait notice, placed and drawn before the work starts.
    void show_wait();
    void disable_close();
    void restore();
    void finish(Station& st);
    // The job list shows what was punched: what ("Punched in") for job #, "at " time.
    void show_result(const QString& what, int job_code, const QString& at);
    // Time to read the result, the receipt offer, then finish().
    void offer_receipt_and_finish(Station& st, ReceiptKind kind, const ReceiptData& receipt);

private:
    Tclock& win_;
    QList<QPushButton*> hidden_;
};

} // namespace pw
