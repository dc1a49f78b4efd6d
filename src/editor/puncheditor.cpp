#include "puncheditor.h"

#include "keys/sendkeys.h"
#include "punch/punchrecord.h"
#include "punch/shift.h"
#include "punchgrids.h"
#include "reports/menu.h"
#include "reports/prompts.h"
#include "reports/reportlines.h"
#include "screens/helpview.h"
#include "screens/touchkeys.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/messages.h"
#include "station/station.h"
#include "window/startup.h"
#include "window/tclock.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

namespace {

const QString kDateHelp =
    QStringLiteral("Type the date in YYYYMMDD format, or enter MMDD by itself.");
const QString kTimeHelp = QStringLiteral("Type the time in HH:MM:SS format, including the colons.");

struct BoxSpec {
    const char* caption;
    const char* field;
    int max_length; // 0: no limit
    QString help;
};

const BoxSpec kBoxes[12] = {
    {"Punch Date - IN", "tckindate", 8, kDateHelp},
    {"Adjusted Time - IN", "tckadjtimein", 8, kTimeHelp},
    {"Punch Date - OUT", "tckoutdate", 8, kDateHelp},
    {"Adjusted time - OUT", "tckadjtimeout", 8, kTimeHelp},
    {"Regular Hours", "tckadjreghours", 0,
     QStringLiteral("Total REGULAR hours of calculated time for this punch record.")},
    {"Regular Overtime Hours", "tckothours", 0,
     QStringLiteral("Total REGULAR OVERTIME hours to apply. To reallocate regular hours to "
                    "regular overtime, type the number of hours in this box and zero the regular "
                    "hours box.")},
    {"Holiday Hours", "tckholidayhours", 0,
     QStringLiteral("Total HOLIDAY hours to apply. To reallocate regular hours to holiday "
                    "hours, type the number of hours in this box and zero the regular hours "
                    "box.")},
    {"Holiday Overtime Hours", "tckholidayothrs", 0,
     QStringLiteral("Total HOLIDAY OVERTIME hours to apply. To reallocate regular hours to "
                    "holiday overtime, type the number of hours in this box and zero the regular "
                    "hours box.")},
    {"Vacation Hours", "tckvachours", 0,
     QStringLiteral("Total VACATION hours to apply. To reallocate regular hours to vacation "
                    "hours, type the number of hours in this box and zero the regular hours "
                    "box.")},
    {"Sick Hours", "tcksickhours", 0,
     QStringLiteral("Total SICK hours to apply. To reallocate regular hours to sick hours, type "
                    "the number of hours in this box and zero the regular hours box.")},
    {"Declared Tips", "tcktips", 8,
     QStringLiteral("Tips declared by the employee. No dollar signs, please.")},
    {"Adjustment Reason", "tckadjreason", 20,
     QStringLiteral("The reason this edit or addition is being made. Limit: 20 characters.")},
};

const QString kOops = QStringLiteral("Oops...");

// Names the date box that holds no usable date.
QString bad_date_text(int k, const QString& rule) {
    return QStringLiteral("Invalid ") + QString::fromLatin1(kBoxes[k].caption) +
           QStringLiteral(" entry. Must be a date in YYYYMMDD format") + rule + u'.';
}
const QString kOkayAllCaption = QStringLiteral("Global OK ALL punches for this employee");

// A box a finger taps.
constexpr int kFingerHeight = 40;

template <typename T> T* named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = named(new QPushButton(caption, parent), QString::fromLatin1(name));
    b->setMinimumHeight(36);
    return b;
}

// Hidden controls keep their place, so the rest does not move when they come and go.
void keep_place(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

QTableView* grid(QWidget* parent, const char* name, QAbstractItemModel* model) {
    auto* g = named(new QTableView(parent), QString::fromLatin1(name));
    g->setModel(model);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->verticalHeader()->hide();
    g->setAlternatingRowColors(false);
    keep_place(g);
    return g;
}

void set_base(QLineEdit* e, const QColor& c) {
    QPalette p = e->palette();
    p.setColor(QPalette::Base, c);
    e->setPalette(p);
}

// A list filled anew shows its prompt text until a choice is made.
void refill(QComboBox* list, const QStringList& items) {
    list->clear();
    list->addItems(items);
    list->setCurrentIndex(-1);
}

} // namespace

PunchEditor::PunchEditor(Station& st, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , st_(st) {
    setObjectName(QStringLiteral("puncheditor"));
    setProperty(kManagerOnly, true);
    setWindowTitle(QStringLiteral("Punch Editor"));
    fit_to_screen(*this, QSize(1000, 720));

    auto* all = new QVBoxLayout(this);
    all->addLayout(create_selection_bar());
    all->addLayout(create_lists(), 1);
    all->addWidget(create_edit_frame());
    create_connections();

    // The views the window starts in: nothing listed yet, the edit frame closed, only the
    // approve-all button of its own.
    for (QWidget* w : {static_cast<QWidget*>(cmdsave), static_cast<QWidget*>(cmdsavenew),
                       static_cast<QWidget*>(cmdcancelnew), static_cast<QWidget*>(cboempnumber),
                       static_cast<QWidget*>(cboempjobs), static_cast<QWidget*>(fraedit1)})
        w->hide();
    show_grid1(false);
    show_grid2(false);
}

QLayout* PunchEditor::create_selection_bar() {
    cmdselectdates = button(this, "cmdselectdates", QStringLiteral("Select From/To Dates"));
    lbljobcode = named(new QLabel(QStringLiteral("Job Code"), this), QStringLiteral("lbljobcode"));
    Combo1 = named(new QComboBox(this), QStringLiteral("Combo1"));
    Combo1->setPlaceholderText(QStringLiteral("Select Job Code"));
    Combo1->setMinimumWidth(120);
    cmdgo = button(this, "cmdgo", QStringLiteral("Go"));
    cmdcreate = button(this, "cmdcreate", QStringLiteral("Create New Punch Record"));
    cmdhelp = button(this, "cmdhelp", QStringLiteral("Help"));
    cmdexit = button(this, "cmdexit", QStringLiteral("Exit"));
    auto* bar = new QHBoxLayout;
    bar->addWidget(cmdselectdates);
    bar->addSpacing(12);
    bar->addWidget(lbljobcode);
    bar->addWidget(Combo1);
    bar->addWidget(cmdgo);
    bar->addStretch(1);
    bar->addWidget(cmdcreate);
    bar->addWidget(cmdhelp);
    bar->addWidget(cmdexit);
    return bar;
}

QLayout* PunchEditor::create_lists() {
    Data1 = named(new EmployeeGrid(this), QStringLiteral("Data1"));
    Data2 = named(new PunchGrid(this), QStringLiteral("Data2"));
    lblgrid1 = named(new QLabel(QStringLiteral("Select Employee Below"), this),
                     QStringLiteral("lblgrid1"));
    grid1 = grid(this, "grid1", Data1);
    lblgrid2 = named(new QLabel(QStringLiteral("Select Punch Date Below"), this),
                     QStringLiteral("lblgrid2"));
    grid2 = grid(this, "grid2", Data2);
    grid2->setColumnHidden(PunchGrid::kStatusColumn, true);
    // A new row set resets the header; the status column stays out of sight.
    connect(Data2, &QAbstractItemModel::modelReset, this,
            [this] { grid2->setColumnHidden(PunchGrid::kStatusColumn, true); });
    keep_place(lblgrid1);
    keep_place(lblgrid2);
    auto* lists = new QGridLayout;
    lists->addWidget(lblgrid1, 0, 0);
    lists->addWidget(grid1, 1, 0);
    lists->addWidget(lblgrid2, 0, 1);
    lists->addWidget(grid2, 1, 1);
    lists->setColumnStretch(0, 2);
    lists->setColumnStretch(1, 3);
    return lists;
}

QFrame* PunchEditor::create_edit_frame() {
    fraedit1 = named(new QFrame(this), QStringLiteral("fraedit1"));
    fraedit1->setFrameShape(QFrame::StyledPanel);
    keep_place(fraedit1);
    cboempnumber = named(new QComboBox(fraedit1), QStringLiteral("cboempnumber"));
    cboempnumber->setPlaceholderText(QStringLiteral("Select Employee"));
    cboempjobs = named(new QComboBox(fraedit1), QStringLiteral("cboempjobs"));
    cboempjobs->setPlaceholderText(QStringLiteral("Select Employee's Job"));
    for (QComboBox* c : {cboempnumber, cboempjobs}) {
        c->setMinimumWidth(200);
        keep_place(c);
    }
    auto* newlists = new QHBoxLayout;
    newlists->addWidget(cboempnumber);
    newlists->addWidget(cboempjobs);
    newlists->addStretch(1);

    QLayout* boxgrid = create_punch_boxes();
    QLayout* reasons = create_reasons();
    helpwindow1 = named(new QLabel(fraedit1), QStringLiteral("helpwindow1"));
    helpwindow1->setWordWrap(true);
    helpwindow1->setFrameShape(QFrame::Panel);
    helpwindow1->setFrameShadow(QFrame::Sunken);
    helpwindow1->setMinimumHeight(40);
    // It takes the room left under the reasons; a long help never makes the window taller.
    helpwindow1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);

    auto* left = new QVBoxLayout;
    left->addLayout(newlists);
    left->addLayout(boxgrid);
    left->addLayout(create_actions());
    // The help goes under the reasons, where there is room: the boxes get a finger's height
    // and the window still fits an 800x600 screen.
    helpwindow1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* right = new QVBoxLayout;
    right->addLayout(reasons);
    right->addWidget(helpwindow1, 1);
    auto* frame = new QHBoxLayout(fraedit1);
    frame->setContentsMargins(6, 6, 6, 6);
    frame->addLayout(left, 1);
    frame->addLayout(right);
    return fraedit1;
}

QLayout* PunchEditor::create_punch_boxes() {
    auto* boxgrid = new QGridLayout;
    for (int k = 0; k < 12; ++k) {
        Label1[k] = named(new QLabel(QString::fromLatin1(kBoxes[k].caption), fraedit1),
                          QStringLiteral("Label1%1").arg(k));
        txtpunch[k] = named(new QLineEdit(fraedit1), QStringLiteral("txtpunch%1").arg(k));
        txtpunch[k]->setMinimumHeight(kFingerHeight); // tapped to type into
        if (kBoxes[k].max_length > 0)
            txtpunch[k]->setMaxLength(kBoxes[k].max_length);
        txtpunch[k]->installEventFilter(this);
        Label1[k]->setBuddy(txtpunch[k]);
        Label1[k]->setWordWrap(true); // two lines rather than wider than the screen
        const int row = (k / 4) * 2;
        boxgrid->addWidget(Label1[k], row, k % 4);
        boxgrid->addWidget(txtpunch[k], row + 1, k % 4);
    }
    for (int k = 0; k + 1 < 12; ++k)
        setTabOrder(txtpunch[k], txtpunch[k + 1]);
    txtpunch[11]->setProperty("touch_keys", QStringLiteral("letters")); // the reason
    return boxgrid;
}

// The total hours and the six reason options, beside the boxes.
QLayout* PunchEditor::create_reasons() {
    lbltotalhours =
        named(new QLabel(QStringLiteral("Total Hours"), fraedit1), QStringLiteral("lbltotalhours"));
    txttotalhours = named(new QLineEdit(fraedit1), QStringLiteral("txttotalhours"));
    // Shows the total only: no keystroke reaches it.
    txttotalhours->setReadOnly(true);
    txttotalhours->setFocusPolicy(Qt::NoFocus);
    auto* reasons = new QVBoxLayout;
    reasons->addWidget(lbltotalhours);
    reasons->addWidget(txttotalhours);
    for (int k = 0; k < 6; ++k) {
        optreason[k] = named(new QRadioButton(fraedit1), QStringLiteral("optreason%1").arg(k));
        connect(optreason[k], &QRadioButton::clicked, this, [this, k] { reason_clicked(k); });
        reasons->addWidget(optreason[k]);
    }
    return reasons;
}

QLayout* PunchEditor::create_actions() {
    cmdsave = button(fraedit1, "cmdsave", QStringLiteral("Save Changes and OK this record"));
    cmdnewpunch = button(fraedit1, "cmdnewpunch", QStringLiteral("Create NEW punch record"));
    cmdsavenew = button(fraedit1, "cmdsavenew", QStringLiteral("SAVE new punch record"));
    cmdcancelnew = button(fraedit1, "cmdcancelnew", QStringLiteral("CANCEL new punch record"));
    cmdokayall = button(fraedit1, "cmdokayall", kOkayAllCaption);
    cmdokayall->setMinimumHeight(52); // two lines once an employee is chosen
    auto* actions = new QGridLayout;
    actions->addWidget(cmdsave, 0, 0);
    actions->addWidget(cmdnewpunch, 0, 1);
    actions->addWidget(cmdsavenew, 1, 0);
    actions->addWidget(cmdcancelnew, 1, 1);
    // Below the others: its caption (with the employee's name) is the widest of them.
    actions->addWidget(cmdokayall, 2, 0, 1, 2);
    for (QWidget* w : {static_cast<QWidget*>(cmdsave), static_cast<QWidget*>(cmdsavenew),
                       static_cast<QWidget*>(cmdcancelnew), static_cast<QWidget*>(cmdokayall)})
        keep_place(w);
    return actions;
}

void PunchEditor::create_connections() {
    connect(cmdselectdates, &QPushButton::clicked, this, &PunchEditor::select_dates);
    connect(Combo1, &QComboBox::activated, this, &PunchEditor::choose_job);
    connect(cmdgo, &QPushButton::clicked, this, &PunchEditor::go);
    connect(cmdcreate, &QPushButton::clicked, this, &PunchEditor::create_punch);
    connect(cmdhelp, &QPushButton::clicked, this, &PunchEditor::help);
    connect(cmdexit, &QPushButton::clicked, this, &QWidget::close);
    connect(grid1, &QTableView::clicked, this,
            [this](const QModelIndex& i) { choose_employee(i.row()); });
    connect(grid2, &QTableView::clicked, this,
            [this](const QModelIndex& i) { choose_punch(i.row()); });
    connect(cmdsave, &QPushButton::clicked, this, &PunchEditor::save);
    connect(cmdnewpunch, &QPushButton::clicked, this, &PunchEditor::new_punch);
    connect(cboempnumber, &QComboBox::activated, this, &PunchEditor::employee_chosen);
    connect(cboempjobs, &QComboBox::activated, this, &PunchEditor::employee_job_chosen);
    connect(cmdsavenew, &QPushButton::clicked, this, &PunchEditor::save_new);
    connect(cmdcancelnew, &QPushButton::clicked, this, &PunchEditor::cancel_new);
    connect(cmdokayall, &QPushButton::clicked, this, &PunchEditor::okay_all);
}

PunchEditor::~PunchEditor() = default;

void PunchEditor::open() {
    settopmost(*this, true);
    select_dates();
    for (int k = 0; k < 6; ++k)
        optreason[k]->setText(st_.settings.reasons[k + 1]);
    try {
        const QStringList jobs = job_items(st_);
        if (!jobs.isEmpty())
            refill(Combo1, QStringList(QStringLiteral("0 - All Jobs")) + jobs);
    } catch (const DbError& e) {
        reporterror(st_, e);
    }
}

void PunchEditor::select_dates() {
    fraedit1->hide();
    const std::optional<DateRange> r = ask_date_range(st_, QString());
    filter.from_date = r ? r->from : 0;
    filter.to_date = r ? r->to : 0;
    st_.ranges.from_date = filter.from_date;
    st_.ranges.to_date = filter.to_date;
    setWindowTitle(QStringLiteral("Punch Editor Date Range: ") + QString::number(filter.from_date) +
                   QStringLiteral(" - ") + QString::number(filter.to_date));
}

void PunchEditor::choose_job() {
    sizecolumns();
    show_grid2(false);
    fraedit1->hide();
    clearedit();
    go();
}

void PunchEditor::go() {
    const int job = to_long(val(Combo1->currentText()));
    EditorFilter f = filter;
    f.job = job;
    QList<EmployeeGrid::Row> rows;
    try {
        const QList<QVariant> ids = list_employee_ids(st_, f);
        // Names are looked up after the punch database is closed: an unknown number is
        // reported in a box, and no lock may wait on it.
        for (const QVariant& id : ids) {
            const QString text = id.toString();
            rows.append({text, check_employee_number(st_, number_text(val(text)))});
        }
    } catch (const DbError& e) {
        reporterror(st_, e);
        return;
    }
    filter.job = job;
    Data1->set_rows(std::move(rows));
    show_grid1(true);
}

void PunchEditor::choose_employee(int row) {
    if (row < 0 || row >= Data1->rowCount())
        return;
    clearedit();
    const EmployeeGrid::Row& chosen = Data1->row(row);
    selected_employee = val(chosen.id);
    if (selected_employee < 1)
        return;
    EmployeePunches punches;
    try {
        punches = read_employee_punches(st_, selected_employee, filter);
    } catch (const DbError& e) {
        reporterror(st_, e);
        return;
    }
    cmdokayall->setText(QStringLiteral("Global OK ALL punches for: \r\n") + chosen.name);
    Data2->set_rows(std::move(punches.rows), st_.settings.shiftlimit);
    txttotalhours->setText(format_total(punches.total.value_or(0)));
    show_grid2(true);
    fraedit1->show();
}

void PunchEditor::choose_punch(int row) {
    if (row < 0 || row >= Data2->rowCount())
        return;
    const QSqlRecord& r = Data2->record(row);
    // A reason the clock wrote ("Open more than 24 hours") may run past what a manager types:
    // it is shown, and saved, whole.
    const int reason_size = int(value_text(r.value(QStringLiteral("tckadjreason"))).size());
    txtpunch[box::reason]->setMaxLength(std::max(kBoxes[box::reason].max_length, reason_size));
    for (int k = 0; k < 12; ++k)
        txtpunch[k]->setText(value_text(r.value(QString::fromLatin1(kBoxes[k].field))));
    const int status = r.value(QStringLiteral("tckstatus")).toInt();
    helpwindow1->clear();
    if (status == kOpen)
        helpwindow1->setText(QStringLiteral("Employee has not punched out yet"));
    if (status == kBad)
        helpwindow1->setText(QStringLiteral("Bad Punch - total hours may exceed the shift limit"));
    cmdsave->show();
    cmdsavenew->hide();
    cmdcancelnew->hide();
    hours_only_answer_.reset();
    try {
        kept_ = listed_offsets(st_, r);
    } catch (const DbError&) {
        kept_ = {}; // the times are then read in the station's zone
    }
    kept_in_ = txtpunch[box::indate]->text() + txtpunch[box::adjtimein]->text();
    kept_out_ = txtpunch[box::outdate]->text() + txtpunch[box::adjtimeout]->text();
    breaktime_ = r.value(QStringLiteral("tckbreaktime")).toDouble();
    breakreduction_ = r.value(QStringLiteral("tckbreakreduction")).toDouble();
    current_ = Current{row,
                       {r.value(QStringLiteral("pw_rowid")).toLongLong(),
                        r.value(QStringLiteral("tckempid")), r.value(QStringLiteral("tckindate")),
                        status}};
}

void PunchEditor::save() {
    // Only the punch shown in the boxes is saved; emptied boxes must never overwrite one.
    if (!current_)
        return;
    const double in = val(txtpunch[box::adjtimein]->text());
    const double out = val(txtpunch[box::adjtimeout]->text());
    if (current_->key.status == kOpen && in > out) {
        st_.dialogs().message(QStringLiteral("This is an open punch record; it cannot be saved "
                                             "\nwithout a valid punch out date and time."),
                              kOops, Icon::Information);
        return;
    }
    // The out date is written too: a punch stored without one can no longer be found.
    if (!date_box_ok(txtpunch[box::outdate]->text(), current_->key.indate.toDouble())) {
        st_.dialogs().message(
            bad_date_text(box::outdate, QStringLiteral(", not before the ") +
                                            QString::fromLatin1(kBoxes[box::indate].caption)),
            kOops, Icon::Information);
        return;
    }
    QLineEdit* reason = txtpunch[box::reason];
    if (reason->text().trimmed().isEmpty()) {
        for (QRadioButton* o : optreason)
            if (o->isChecked())
                reason->setText(o->text());
        deselect_reasons();
    }
    if (reason->text().trimmed().isEmpty())
        reason->setText(QStringLiteral("MGR APPROVED"));

    QVariantMap stored;
    try {
        stored = save_punch(st_, current_->key, boxes());
    } catch (const DbError& e) {
        reporterror(st_, e);
        return;
    }
    Data2->update_row(current_->row, stored);
    current_->key.status = kApproved;
    sumhours();
    deselect_reasons();
    st_.dialogs().message(punch_count_text(1) + QStringLiteral(" changed."),
                          QStringLiteral("Punch Editor"), Icon::Information);
}

void PunchEditor::create_punch() {
    fraedit1->show();
    new_punch();
}

void PunchEditor::new_punch() {
    clearedit();
    cmdsavenew->show();
    cmdcancelnew->show();
    cboempnumber->show();
    cboempjobs->show();
    cmdokayall->hide();
    cmdsave->hide();
    show_grid1(false);
    show_grid2(false);
    newpunchmode = 1;
    txtpunch[box::indate]->setText(QString::number(filter.from_date));
    txtpunch[box::outdate]->setText(QString::number(filter.from_date));
    try {
        const QStringList employees = active_employee_items(st_);
        if (!employees.isEmpty())
            refill(cboempnumber, employees);
    } catch (const DbError& e) {
        reporterror(st_, e);
    }
}

void PunchEditor::employee_chosen() {
    // Nothing of the employee chosen before may stay with the new punch.
    refill(cboempjobs, {});
    job_description.clear();
    pay_rate = 0;
    try {
        refill(cboempjobs, employee_job_items(st_, val(cboempnumber->currentText())));
    } catch (const DbError& e) {
        reporterror(st_, e);
    }
}

void PunchEditor::employee_job_chosen() {
    const QString item = cboempjobs->currentText();
    std::optional<double> rate;
    try {
        rate = job_payrate(st_, val(cboempnumber->currentText()), to_long(val(item)));
        if (rate) {
            const BreakRule rule = job_break_rule(st_, to_long(val(item)));
            breaktime_ = rule.breaktime;
            breakreduction_ = rule.breakreduction;
        }
    } catch (const DbError& e) {
        reporterror(st_, e);
        return;
    }
    // A job the employee no longer holds is no choice.
    if (!rate) {
        cboempjobs->setCurrentIndex(-1);
        job_description.clear();
        pay_rate = 0;
        return;
    }
    job_description = job_item_description(item);
    pay_rate = *rate;
}

void PunchEditor::save_new() {
    // Only the form saves: its lists go with a save or a cancel, and what they still hold
    // then is no choice.
    if (cboempnumber->isHidden())
        return;
    auto oops = [this](const QString& text, const QString& title) {
        st_.dialogs().message(text, title, Icon::Information);
    };
    const double employee = val(cboempnumber->currentText());
    if (employee < 1)
        return oops(QStringLiteral("You must select an employee and his/her job."), kOops);
    const double job = val(cboempjobs->currentText());
    if (job < 1 || cboempjobs->currentIndex() < 0)
        return oops(QStringLiteral("You must select a job for this employee."), kOops);
    if (!date_box_ok(txtpunch[box::indate]->text()))
        return oops(bad_date_text(box::indate, {}), kOops);
    calchours();
    if (hoursonly == 0 && val(txtpunch[box::adjreghours]->text()) < 0)
        return oops(QStringLiteral("Calculated hours is less than zero. Redo."), kOops);
    if (txtpunch[box::reason]->text().trimmed().isEmpty()) {
        badentry = 1;
        oops(QStringLiteral("You must insert a reason for the punch record."),
             QStringLiteral("Missing reason"));
        txtpunch[box::reason]->setFocus();
        return;
    }
    if (badentry == 1)
        return oops(QStringLiteral("A required value is missing."), QStringLiteral("Uh-oh..."));
    for (int k = box::adjreghours; k <= box::tips; ++k) {
        if (val(txtpunch[k]->text()) < 0 &&
            !askyesno(st_,
                      Label1[k]->text() + QStringLiteral(" is less than zero.") +
                          QStringLiteral("Save the record anyway?"),
                      QStringLiteral("Manager Override?")))
            txtpunch[k]->clear();
    }
    double extra = 0;
    for (int k = 5; k <= 9; ++k)
        extra += val(txtpunch[k]->text());
    if (val(txtpunch[box::adjreghours]->text()) > 0 && extra > 0 &&
        !askyesno(st_,
                  QStringLiteral("Note: Extra hours in addition to regular hours have been "
                                 "allocated.\nClick YES to verify this is correct; click NO to "
                                 "cancel."),
                  QStringLiteral("Please Verify...")))
        return;
    try {
        add_new_punch(st_, NewPunch{employee, to_long(job), job_description, pay_rate}, boxes());
    } catch (const DbError& e) {
        reporterror(st_, e);
        return;
    }
    deselect_reasons();
    hoursonly = 0;
    clearedit();
}

void PunchEditor::cancel_new() {
    clearedit();
}

void PunchEditor::okay_all() {
    if (selected_employee < 1)
        return;
    int approved = 0;
    try {
        if (approve_all(st_, selected_employee, filter, false, &approved) ==
            ApproveResult::BadPunchesFound) {
            if (!askyesno(st_,
                          QStringLiteral("This employee has some 'bad punches.' Do you still\n"
                                         "want to approve everything?"),
                          QStringLiteral("Bad Punches Exist")))
                return;
            approve_all(st_, selected_employee, filter, true, &approved);
        }
    } catch (const DbError& e) {
        reporterror(st_, e);
        return;
    }
    st_.dialogs().message(punch_count_text(approved) + QStringLiteral(" changed."),
                          QStringLiteral("Punch Editor"), Icon::Information);
    show_grid2(false);
    Data2->clear();
    clearedit();
    txttotalhours->clear();
}

void PunchEditor::help() {
    show_help(st_, this, QStringLiteral("tchelp2.txt"));
}

void PunchEditor::reason_clicked(int k) {
    txtpunch[box::reason]->setText(optreason[k]->text());
}

void PunchEditor::clearedit() {
    for (QLineEdit* e : txtpunch)
        e->clear();
    txtpunch[box::reason]->setMaxLength(kBoxes[box::reason].max_length);
    txttotalhours->clear();
    cboempnumber->hide();
    cboempjobs->hide();
    // The boxes no longer show the punch: Save has nothing to write until one is chosen.
    current_.reset();
    hours_only_answer_.reset();
    breaktime_ = 0;
    breakreduction_ = 0;
    kept_ = {};
}

void PunchEditor::sizecolumns() {
    const int w1 = grid1->width();
    grid1->setColumnWidth(0, w1 * 1110 / 5415);
    grid1->setColumnWidth(1, w1 * 3675 / 5415);
    const int w2 = grid2->width();
    for (int c = 0; c < 4; ++c)
        grid2->setColumnWidth(c, w2 * 1005 / 5415);
    grid2->setColumnWidth(4, w2 * 800 / 5415);
}

void PunchEditor::sumhours() {
    std::optional<double> sum;
    try {
        sum = sum_adjreghours(st_, selected_employee, filter);
    } catch (const DbError& e) {
        reporterror(st_, e);
        return;
    }
    txttotalhours->setText(format_total(sum.value_or(0)));
}

void PunchEditor::calchours() {
    badentry = 0;
    // A kept offset holds only while its box still shows the moment it was kept for.
    const PunchBoxes b = boxes();
    PunchOffsets offsets;
    if (b[box::indate] + b[box::adjtimein] == kept_in_)
        offsets.in = kept_.in;
    if (b[box::outdate] + b[box::adjtimeout] == kept_out_)
        offsets.out = kept_.out;
    const CalcResult r =
        calc_hours(b, st_.settings.shiftlimit, breaktime_, breakreduction_, offsets);
    switch (r.outcome) {
    case CalcOutcome::NoDates:
        return;
    case CalcOutcome::AskHoursOnly:
        badentry = 1;
        // Asked once for the times in the boxes, not again at every move between the boxes.
        if (!hours_only_answer_ || hours_only_answer_->times != boxes_times()) {
            const bool yes =
                askyesno(st_, QStringLiteral("Is this an hours adjustment without time settings?"),
                         QStringLiteral("Manager Override?"));
            if (yes) {
                txtpunch[box::adjtimein]->setText(QStringLiteral("00:00:00"));
                txtpunch[box::adjtimeout]->setText(QStringLiteral("00:00:00"));
            }
            hours_only_answer_ = HoursOnlyAnswer{boxes_times(), yes};
        }
        if (hours_only_answer_->yes) {
            badentry = 0;
            hoursonly = 1;
        }
        return;
    case CalcOutcome::OutBeforeIn:
        st_.dialogs().message(QStringLiteral("Clock out time cannot be before clock in time\n"
                                             "on the same date."),
                              kOops, Icon::Information);
        badentry = 1;
        return;
    case CalcOutcome::OutDateEarlier:
    case CalcOutcome::Hours:
        txtpunch[box::adjreghours]->setText(r.hours_text);
        return;
    }
}

QString PunchEditor::boxes_times() const {
    return txtpunch[box::adjtimein]->text() + u'|' + txtpunch[box::adjtimeout]->text();
}

PunchBoxes PunchEditor::boxes() const {
    PunchBoxes b;
    for (int k = 0; k < 12; ++k)
        b[k] = txtpunch[k]->text();
    return b;
}

int PunchEditor::box_index(QObject* watched) const {
    const auto it = std::find(txtpunch.begin(), txtpunch.end(), watched);
    return it == txtpunch.end() ? -1 : int(it - txtpunch.begin());
}

bool PunchEditor::eventFilter(QObject* watched, QEvent* event) {
    const int k = box_index(watched);
    if (k < 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        box_focus_in(k);
        break;
    case QEvent::FocusOut: {
        // Another window coming to the front (a message box among them) is no move to
        // another box: the checks wait for that.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            box_focus_out(k);
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            box_enter(k);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

void PunchEditor::box_focus_in(int k) {
    set_base(txtpunch[k], QColor(255, 255, 0));
    helpwindow1->setText(kBoxes[k].help);
}

void PunchEditor::box_focus_out(int k) {
    set_base(txtpunch[k], QColor(255, 255, 255));
    QLineEdit* e = txtpunch[k];
    if (k == box::indate || k == box::outdate) {
        set_today(st_);
        e->setText(complete_date(e->text(), st_.today / 10000));
        calchours();
    } else if (k == box::adjtimein || k == box::adjtimeout) {
        if (!time_format_ok(e->text())) {
            st_.dialogs().message(k == box::adjtimein
                                      ? QStringLiteral("Invalid Time IN entry. Must be in "
                                                       "HH:MN:SC format")
                                      : QStringLiteral("Invalid Time OUT entry. Must be in "
                                                       "HH:MN:SC format"),
                                  kOops, Icon::Information);
            if (newpunchmode == 1)
                badentry = 1;
        } else {
            calchours();
        }
    }
}

void PunchEditor::box_enter(int k) {
    if (k == box::adjtimein || k == box::adjtimeout)
        txtpunch[k]->setText(complete_punch_time(txtpunch[k]->text()));
    send_tab(st_.keyboard(), st_.clock());
}

void PunchEditor::show_grid1(bool on) {
    lblgrid1->setVisible(on);
    grid1->setVisible(on);
}

void PunchEditor::show_grid2(bool on) {
    lblgrid2->setVisible(on);
    grid2->setVisible(on);
}

void PunchEditor::deselect_reasons() {
    // An exclusive option cannot be unchecked while it is exclusive.
    for (QRadioButton* o : optreason) {
        o->setAutoExclusive(false);
        o->setChecked(false);
        o->setAutoExclusive(true);
    }
}

void PunchEditor::closeEvent(QCloseEvent* event) {
    // The lists hold only copies; emptying them leaves nothing of the databases behind.
    Data1->clear();
    Data2->clear();
    current_.reset();
    QWidget::closeEvent(event);
}

void PunchEditor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    sizecolumns();
}

PunchEditor* open_punch_editor(Station& st, QWidget* parent) {
    if (st.who.manager != 1)
        return nullptr;
    auto* editor = new PunchEditor(st, parent);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->open();
    editor->show();
    return editor;
}

} // namespace pw
