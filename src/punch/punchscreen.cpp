#include "punchscreen.h"

#include "punch/identify.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "station/tclock.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

namespace pw {

namespace {

constexpr int kResultPauseMs = 2000;

} // namespace

void tell(Station& st, const QString& text, const QString& title) {
    st.dialogs().message(text, title, Icon::Information);
}

void let_events_run() {
    QCoreApplication::processEvents();
}

bool suite_reachable(Station& st) {
    checksuite(st);
    if (st.settings.suitemissing != 1)
        return true;
    tell(st,
         QStringLiteral("Punchwell cannot connect to Parvela.\r\n"
                        "You cannot punch in or out unless this\nproblem is corrected."),
         QStringLiteral("Punchwell - Connection Problem"));
    return false;
}

bool payrules_ready(Station& st) {
    if (st.settings.payrules_loaded)
        return true;
    tell(st, payrules_waiting_text(st.settings), QStringLiteral("Punchwell"));
    return false;
}

PunchScreen::PunchScreen(Tclock& win, QList<QPushButton*> hide)
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
    QStringList lines;
    for (int i = 0; i < win_.lstjob->count(); ++i)
        lines << win_.lstjob->item(i)->text();
    show_punch_result(st, win_, lines);
}

void PunchScreen::show_result(const QString& what, int job_code, const QString& at) {
    win_.lstjob->clear();
    win_.lstjob->addItems({what + QStringLiteral(" for job #") + QString::number(job_code),
                           QStringLiteral("at ") + at, kDashes});
}

void PunchScreen::offer_receipt_and_finish(Station& st, ReceiptKind kind,
                                           const ReceiptData& receipt) {
    // Time to read the result before the receipt question covers it.
    st.clock().pause(kResultPauseMs);
    finish(st);
    offer_receipt(st, kind, receipt);
}

} // namespace pw
