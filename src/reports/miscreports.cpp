#include "miscreports.h"

#include "keys/sendkeys.h"
#include "listprint.h"
#include "menu.h"
#include "punch/punchrecord.h"
#include "reportviewer.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/messages.h"
#include "station/station.h"
#include "workdb.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <vector>

namespace pw {

namespace {

const QString kApprovedReason = QStringLiteral("MGR APPROVED");

std::vector<QVariantList> read_matching(Station& st, const ReportQuery& query) {
    std::vector<QVariantList> rows;
    Db db(st.path(st.settings.punchdb), DbMode::ReadOnly, st.db_access());
    QSqlQuery q = db.run(query.sql, query.binds);
    while (fetch(q)) {
        const QSqlRecord r = q.record();
        QVariantList values;
        for (int i = 0; i < r.count(); ++i)
            values << r.value(i);
        rows.push_back(std::move(values));
    }
    return rows;
}

// Adds the rows to the work database's punch table by column position, all or none.
void copy_to_work_db(Station& st, const std::vector<QVariantList>& rows) {
    Db db(work_db_path(st), DbMode::ReadWrite, st.db_access());
    as_scratch(db);
    Transaction t(db);
    const QString sql = work_copy_sql(rows.front().size());
    for (const QVariantList& values : rows) {
        db.run(sql, values);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    t.commit();
}

} // namespace

QString misc_option_caption(int option) {
    switch (option) {
    case kMiscApproved:
        return QStringLiteral("Approved punches only");
    case kMiscNotApproved:
        return QStringLiteral("Not-approved punches only");
    case kMiscAdjusted:
        return QStringLiteral("Adjusted punches only");
    case kMiscBad:
        return QStringLiteral("\"Bad\" punches only");
    default:
        return QStringLiteral("All Punches");
    }
}

QString misc_title(int option) {
    switch (option) {
    case kMiscApproved:
        return QStringLiteral("Approved Punches Only");
    case kMiscNotApproved:
        return QStringLiteral("Punches Not Yet Approved");
    case kMiscAdjusted:
        return QStringLiteral("Adjusted Punches");
    case kMiscBad:
        return QStringLiteral("Bad Punches");
    default:
        return QStringLiteral("All Punches");
    }
}

ReportQuery misc_query(int option, int from, int to) {
    ReportQuery q{QStringLiteral("select * from punch where tckindate between ? and ?"),
                  {from, to}};
    switch (option) {
    case kMiscApproved:
        q.sql += QStringLiteral(" and tckadjreason = ?");
        q.binds << kApprovedReason;
        break;
    case kMiscNotApproved:
        q.sql += QStringLiteral(" and tckstatus < ?");
        q.binds << int(kApproved);
        break;
    case kMiscAdjusted:
        q.sql += QStringLiteral(" and tckstatus > ? and tckadjreason <> ?");
        q.binds << int(kBad) << kApprovedReason;
        break;
    case kMiscBad:
        q.sql += QStringLiteral(" and tckstatus = ?");
        q.binds << int(kBad);
        break;
    default:
        break;
    }
    q.sql += QStringLiteral(" order by tckempid, tckindate");
    return q;
}

MiscDates misc_dates(const QString& from_text, const QString& to_text) {
    MiscDates d{to_long(val(from_text)), to_long(val(to_text))};
    if (d.to < d.from) {
        std::swap(d.from, d.to);
        d.swapped = true;
    }
    return d;
}

bool print_misc_report(Station& st, int option, int from, int to) {
    if (!make_report_database(st))
        return false;
    try {
        const std::vector<QVariantList> rows = read_matching(st, misc_query(option, from, to));
        if (rows.empty()) {
            st.dialogs().message(QStringLiteral("No records match your selection criteria."),
                                 QStringLiteral("Oops..."), Icon::Information);
            return false;
        }
        copy_to_work_db(st, rows);
    } catch (const DbError& e) {
        reporterror(st, e);
        return false;
    }
    const std::optional<QString> path = find_template(st, QStringLiteral("tclk01b.rpt"));
    if (!path)
        return false;
    try {
        const QString subtitle = QStringLiteral("From ") + QString::number(from) +
                                 QStringLiteral(" to ") + QString::number(to);
        write_headings(st, {{QStringLiteral("ctlselect"),
                             st.clock().now().toString(QStringLiteral("HH:mm:ss"))},
                            {QStringLiteral("ctlauxtitle"), misc_title(option).left(40)},
                            {QStringLiteral("ctlseq"), subtitle.left(40)}});
    } catch (const DbError& e) {
        reporterror(st, e);
        return false;
    }
    return run_template(st, *path) != nullptr;
}

MiscPunchFrame::MiscPunchFrame(Station& st, QWidget* parent)
    : QGroupBox(QStringLiteral("Misc Punch Reports by Date Range"), parent)
    , st_(st)
    , from_(new QLineEdit(QStringLiteral("FROM"), this))
    , to_(new QLineEdit(QStringLiteral("TO"), this)) {
    setObjectName(QStringLiteral("framiscpunch"));
    setProperty(kManagerOnly, true);
    from_->setObjectName(QStringLiteral("Text1"));
    to_->setObjectName(QStringLiteral("Text2"));
    from_->installEventFilter(this);
    to_->installEventFilter(this);

    // The dates on one line and the options close together: all of it beside the menu at
    // 800x600, every part a finger high.
    auto* layout = new QGridLayout(this);
    layout->setVerticalSpacing(2);
    layout->addWidget(new QLabel(QStringLiteral("From"), this), 0, 0);
    layout->addWidget(from_, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("To"), this), 0, 2);
    layout->addWidget(to_, 0, 3);
    for (QLineEdit* box : {from_, to_})
        box->setMinimumHeight(40);
    for (int i = 0; i < kMiscOptions; ++i) {
        options_[i] = new QRadioButton(misc_option_caption(i), this);
        options_[i]->setObjectName(QStringLiteral("optmiscpunch%1").arg(i));
        layout->addWidget(options_[i], 1 + i, 0, 1, 4);
    }
    options_[kMiscAll]->setChecked(true);
    auto* print_button = new QPushButton(QStringLiteral("Print"), this);
    print_button->setObjectName(QStringLiteral("cmdprintmisc"));
    // A double-click is no gesture a touch screen user knows to try.
    auto* close_button = new QPushButton(QStringLiteral("Close"), this);
    close_button->setObjectName(QStringLiteral("cmdclosemisc"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {print_button, close_button}) {
        b->setMinimumHeight(40);
        buttons->addWidget(b);
    }
    const int below = 1 + kMiscOptions;
    layout->addLayout(buttons, below, 0, 1, 4);
    layout->setRowStretch(below + 1, 1);
    connect(print_button, &QPushButton::clicked, this, &MiscPunchFrame::print);
    connect(close_button, &QPushButton::clicked, this, &QWidget::hide);

    setTabOrder(from_, to_);
    setTabOrder(to_, options_[0]);
}

int MiscPunchFrame::chosen_option() const {
    for (int i = kMiscOptions - 1; i >= 0; --i)
        if (options_[i]->isChecked())
            return i;
    return kMiscAll;
}

bool MiscPunchFrame::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box != from_ && box != to_)
        return QGroupBox::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn: {
        // Coming back from another window or a popup is no new visit to the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            box->clear();
        break;
    }
    case QEvent::FocusOut:
        box->setText(complete_date(box->text(), st_.clock().now().date().year()));
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            send_tab(st_.keyboard(), st_.clock());
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QGroupBox::eventFilter(watched, event);
}

void MiscPunchFrame::mouseDoubleClickEvent(QMouseEvent* event) {
    hide();
    QGroupBox::mouseDoubleClickEvent(event);
}

void MiscPunchFrame::print() {
    // Every punch of every employee: a manager's report only.
    if (st_.who.manager != 1) {
        hide();
        return;
    }
    const MiscDates dates = misc_dates(from_->text(), to_->text());
    if (dates.swapped) {
        from_->setText(QString::number(dates.from));
        to_->setText(QString::number(dates.to));
    }
    if (!dates.valid()) {
        st_.dialogs().message(QStringLiteral("Invalid from or to date. Redo."),
                              QStringLiteral("Oops..."), Icon::Information);
        from_->setText(QStringLiteral("FROM"));
        to_->setText(QStringLiteral("TO"));
        return;
    }
    if (print_misc_report(st_, chosen_option(), dates.from, dates.to)) {
        hide();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

} // namespace pw
