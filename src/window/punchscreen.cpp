#include "punchscreen.h"

#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/identify.h"
#include "window/startup.h"
#include "window/tclock.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

namespace pw {

namespace {

constexpr int kResultPauseMs = 2000;

} // namespace

PunchScreen::PunchScreen(Tclock& win, const QList<QPushButton*>& hide)
    : win_(win) {
    for (QPushButton* b : hide) {
        if (!b->isHidden())
            hidden_ << b;
        b->hide();
    }
}

void PunchScreen::show_wait() {
    win_.show_wait(true);
    let_events_run();
}

void PunchScreen::disable_close() {
    win_.cmdclose->setEnabled(false);
}

void PunchScreen::restore() {
    for (QPushButton* b : hidden_)
        b->show();
    win_.cmdclose->setEnabled(true);
    win_.show_wait(false);
}

void PunchScreen::finish(Station& st) {
    win_.cmdclose->setEnabled(true);
    win_.show_wait(false);
    // The banner agrees with the holiday.dat the punch was paid by.
    checkholiday(st, win_);
    QStringList lines;
    for (int i = 0; i < win_.lstjob->count(); ++i)
        lines << win_.lstjob->item(i)->text();
    show_punch_result(st, win_, lines);
}

void PunchScreen::show_result(const QStringList& lines) {
    win_.lstjob->clear();
    win_.lstjob->addItems(lines + QStringList{kDashes});
}

void PunchScreen::offer_receipt_and_finish(Station& st, ReceiptKind kind,
                                           const ReceiptData& receipt) {
    // Time to read the result before the receipt question covers it, with the wait notice
    // gone from over it: the punch is written.
    win_.show_wait(false);
    st.clock().pause(kResultPauseMs);
    finish(st);
    offer_receipt(st, kind, receipt);
}

void show_printer_state(Station& st, Tclock& win) {
    // Green and red as the suite's other stations show them.
    const bool off = st.run.printeroff == 1;
    win.cmdprintertoggle->setText(off ? QStringLiteral("Printer OFF ")
                                      : QStringLiteral("Printer ON "));
    win.cmdprintertoggle->setStyleSheet(
        off ? QStringLiteral("QPushButton { background: #ff0000; }")
            : QStringLiteral("QPushButton { background: #00ff00; }"));
}

void toggle_printer(Station& st, Tclock& win) {
    st.run.printeroff = st.run.printeroff == 1 ? 0 : 1;
    show_printer_state(st, win);
}

} // namespace pw
