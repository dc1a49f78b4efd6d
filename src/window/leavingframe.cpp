#include "leavingframe.h"

#include "punch/employee.h"
#include "punch/forgotten.h"
#include "punch/hours.h"
#include "punch/results.h"
#include "punch/shift.h"
#include "screens/textsizes.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/station.h"
#include "window/identify.h"
#include "window/tclock.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace pw {

namespace {

QLineEdit* digits_box(QWidget* parent, const char* name, int length) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(length);
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(length)), box));
    box->setAlignment(Qt::AlignCenter);
    box->setMinimumHeight(48);
    return box;
}

} // namespace

LeavingFrame::LeavingFrame(QWidget* parent)
    : QFrame(parent) {
    setObjectName(QStringLiteral("fraleft"));
    lblleft = new QLabel(this);
    lblleft->setObjectName(QStringLiteral("lblleft"));
    lblleft->setWordWrap(true);
    lblleft->setTextFormat(Qt::PlainText);
    const QFont big = sized(lblleft, kButtonPoints);
    lblleft->setFont(big);
    txtleftdate = digits_box(this, "txtleftdate", 4);
    txtlefttime = digits_box(this, "txtlefttime", 4);
    cmdleftsave = new QPushButton(QStringLiteral("Save"), this);
    cmdleftsave->setObjectName(QStringLiteral("cmdleftsave"));
    cmdaskmanager = new QPushButton(QStringLiteral("Ask a manager"), this);
    cmdaskmanager->setObjectName(QStringLiteral("cmdaskmanager"));
    for (QWidget* w : {static_cast<QWidget*>(txtleftdate), static_cast<QWidget*>(txtlefttime),
                       static_cast<QWidget*>(cmdleftsave), static_cast<QWidget*>(cmdaskmanager)})
        w->setFont(big);
    for (QPushButton* b : {cmdleftsave, cmdaskmanager})
        b->setMinimumHeight(48);
    auto* grid = new QGridLayout(this);
    grid->addWidget(lblleft, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Day (MMDD)"), this), 1, 0);
    grid->addWidget(txtleftdate, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Time (HHMM)"), this), 2, 0);
    grid->addWidget(txtlefttime, 2, 1);
    grid->addWidget(cmdleftsave, 3, 0);
    grid->addWidget(cmdaskmanager, 3, 1);
    grid->setRowStretch(4, 1);
}

QLineEdit* LeavingFrame::keypad_box() const {
    return txtleftdate->hasFocus() ? txtleftdate : txtlefttime;
}

LeavingFrame* leaving_frame(Tclock& win) {
    return win.findChild<LeavingFrame*>(QStringLiteral("fraleft"));
}

void ask_when_left(Station& st, Tclock& win) {
    LeavingFrame* frame = leaving_frame(win);
    const OpenPunch& open = *st.who.open;
    st.who.entry_mode = 2;
    frame->lblleft->setText(leaving_question(open).join(QLatin1Char('\n')));
    frame->txtleftdate->setText(punch_began(open).toString(QStringLiteral("MMdd")));
    frame->txtlefttime->clear();
    win.cmdpunchout->hide();
    frame->show();
    frame->txtlefttime->setFocus();
}

void save_left_time(Station& st, Tclock& win) {
    LeavingFrame* frame = leaving_frame(win);
    if (!st.who.identified || !st.who.open)
        return;
    const Leaving left = leaving_time(*st.who.open, frame->txtleftdate->text(),
                                      frame->txtlefttime->text(), st.clock().now());
    if (!left.problem.isEmpty()) {
        tell(st, left.problem, QStringLiteral("Oops..."));
        frame->txtlefttime->setFocus();
        return;
    }
    const QString reason = QStringLiteral("Left at ") + left.at.toString(QStringLiteral("HH:mm")) +
                           QStringLiteral(" (employee)");
    try {
        if (!close_for_review(st, st.who, left.at, reason)) {
            tell(st, QStringLiteral("Punchwell was unable to locate the punch-in record."),
                 QStringLiteral("Uh-oh..."));
            clearscreen(st, win);
            return;
        }
    } catch (const DbError& e) {
        keypad_error(st, win, e);
        return;
    }
    write_punch_log(st, yyyymmdd(left.at.date()), clock_text(left.at.time()), st.who.number,
                    st.who.job_code, QStringLiteral("OUT"));
    frame->hide();
    // Closed for the manager's review: the person goes on to punch in now.
    show_jobs_after_close(st, win);
}

void add_leaving_frame(Station& st, Tclock& win) {
    auto* frame = new LeavingFrame(&win);
    frame->hide();
    win.add_to_list_area(frame);
    QObject::connect(frame->cmdleftsave, &QPushButton::clicked, &win,
                     [&st, &win] { save_left_time(st, win); });
    QObject::connect(frame->cmdaskmanager, &QPushButton::clicked, &win, [&st, &win] {
        tell(st, QStringLiteral("Your punch stays open. Please ask a manager to close it."),
             QStringLiteral("Punchwell"));
        clearscreen(st, win);
    });
}

} // namespace pw
