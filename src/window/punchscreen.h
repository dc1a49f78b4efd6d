#pragma once
// What identification, punch in and punch out share on the main window: the screen state while
// a punch is written, from the wait notice to the result lines and the receipt offer, and the
// receipt printer's switch.
//
// Rules: a punch that went through leaves its result on the screen until the countdown clears
// it; one that stopped early gives the screen back as it was.

#include "punch/receipts.h"
#include "punch/results.h"

#include <QList>
#include <QString>

class QPushButton;

namespace pw {

class Station;
class Tclock;

// The main window while a punch is written: the buttons that could start another action are
// hidden and the Close button disabled; restore() puts the screen back when a punch stops
// early, finish() ends a punch that went through (its result stays on the screen until the
// countdown clears it).
class PunchScreen {
public:
    PunchScreen(Tclock& win, const QList<QPushButton*>& hide);
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

// The printer switch: flips st.run.printeroff and shows it on the button.
void toggle_printer(Station& st, Tclock& win);
// Paints the switch for the current st.run.printeroff.
void show_printer_state(Station& st, Tclock& win);

} // namespace pw
