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
    // The job list shows what was punched (the result lines below).
    void show_result(const QStringList& lines);
    // Time to read the result, the receipt offer, then finish().
    void offer_receipt_and_finish(Station& st, ReceiptKind kind, const ReceiptData& receipt);

private:
    Tclock& win_;
    QList<QPushButton*> hidden_;
};

} // namespace pw
