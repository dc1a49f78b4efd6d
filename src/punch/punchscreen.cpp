#include "punchscreen.h"

#include "punch/identify.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/startup.h"
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

QStringList in_result_lines(const QString& clock_time, const QString& job) {
    return {QStringLiteral("In at %1 for %2.").arg(clock_time.left(5), job),
            QStringLiteral("Have a good shift.")};
}

QStringList out_result_lines(const OutResult& r) {
    const auto h = [](double v) { return QString::number(v, 'f', 2) + QStringLiteral(" h"); };
    QStringList lines{QStringLiteral("Out at %1.").arg(r.time.left(5)),
                      QStringLiteral("This shift %1, this week %2.").arg(h(r.shift), h(r.week))};
    if (r.overtime > 0)
        lines << QStringLiteral("Overtime %1.").arg(h(r.overtime));
    if (r.holiday > 0)
        lines << QStringLiteral("Holiday %1.").arg(h(r.holiday));
    if (!r.review.isEmpty())
        lines << QStringLiteral("This shift waits for a manager: %1.").arg(r.review);
    return lines;
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
    // Time to read the result before the receipt question covers it.
    st.clock().pause(kResultPauseMs);
    finish(st);
    offer_receipt(st, kind, receipt);
}

} // namespace pw
