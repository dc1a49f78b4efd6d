#include "menu.h"

#include "punch/punchrecord.h"
#include "punchreports.h"
#include "reportengine.h"
#include "reportlines.h"
#include "screens/helpview.h"
#include "screens/textsizes.h"
#include "station/db.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/tclock.h"
#include "workdb.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

namespace {

// The panel's four columns: the manager's buttons in two, the place of "Print Report", and the
// employee's own buttons (10 to 15). Six rows each, so that every button keeps a finger's
// height beside the report list on an 800x600 screen.
constexpr int kLeftColumn = 0;
constexpr int kSecondColumn = 1;
constexpr int kPrintColumn = 2;
constexpr int kOwnColumn = 3;
constexpr int kButtonWidth = 96;
constexpr int kPrintWidth = 128;
constexpr int kManagerRowHeight = 48;
constexpr int kEmployeeRowHeight = 62;
constexpr int kManagerPoints = 9;
// The manager's buttons of the second column, top to bottom.
constexpr std::array<int, 6> kSecondColumnButtons = {6, 7, 8, 9, 16, 17};
constexpr int kEmployeePoints = 14;

const QString kPrintLeft = QStringLiteral("Print Report -->");
const QString kPrintRight = QStringLiteral("<-- Print Report");

int row_of(int index) {
    if (is_own_report(index))
        return index - kMyPunchesToday;
    const auto second = std::find(kSecondColumnButtons.begin(), kSecondColumnButtons.end(), index);
    return second != kSecondColumnButtons.end() ? int(second - kSecondColumnButtons.begin())
                                                : index;
}

int column_of(int index) {
    if (is_own_report(index))
        return kOwnColumn;
    return index < kSecondColumnButtons.front() ? kLeftColumn : kSecondColumn;
}

// A push button whose caption wraps onto a second line in a narrow column; text() stays the
// caption as given. It may shrink to the height of its caption's lines, and would rather have
// the row height it is given.
class WrapButton : public QPushButton {
public:
    WrapButton(const QString& caption, QWidget* parent)
        : QPushButton(caption, parent) {}

    void set_row_height(int height) {
        row_height_ = height;
        updateGeometry();
    }
    QSize sizeHint() const override {
        return {kButtonWidth, std::max(row_height_, minimumSizeHint().height())};
    }
    QSize minimumSizeHint() const override {
        const QRect text = fontMetrics().boundingRect(
            QRect(0, 0, kButtonWidth - 12, 1000), Qt::AlignCenter | Qt::TextWordWrap, this->text());
        return {kButtonWidth, text.height() + 6};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QString caption = opt.text;
        opt.text.clear();
        p.drawControl(QStyle::CE_PushButton, opt);
        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::ButtonText));
        p.drawText(area.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextWordWrap, caption);
    }

private:
    int row_height_ = kManagerRowHeight;
};

} // namespace

ReportMenu::ReportMenu(Station& st, Tclock& win, MenuActions actions)
    : QObject(&win)
    , st_(st)
    , win_(win)
    , actions_(std::move(actions)) {
    QFrame* panel = win.frareport;
    create_heading(panel);
    create_buttons(panel);
    create_password_frame(panel);
    set_menu_look(true);
    // Every screen clear hides the panel: whatever a manager left open goes with it.
    panel->installEventFilter(this);
    connect_window();
}

void ReportMenu::create_heading(QFrame* panel) {
    lblmenuheading = new QLabel(QStringLiteral("Manager Options"), panel);
    lblmenuheading->setObjectName(QStringLiteral("lblmenuheading"));
    lblmenuheading->setFont(sized(lblmenuheading, 14, true));
    lblmenuheading->setAlignment(Qt::AlignCenter);
    win_.report_area()->addWidget(lblmenuheading);
}

void ReportMenu::create_buttons(QFrame* panel) {
    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(6);
    grid_->setVerticalSpacing(4);
    grid_->setColumnMinimumWidth(kPrintColumn, kPrintWidth);
    for (int i = 0; i < kMenuButtons; ++i) {
        auto* b = new WrapButton(menu_caption(i), panel);
        b->setObjectName(QStringLiteral("cmdmenu%1").arg(i));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        grid_->addWidget(b, row_of(i), column_of(i));
        connect(b, &QPushButton::clicked, this, [this, i] { menu_button_pressed(i); });
        cmdmenu[static_cast<size_t>(i)] = b;
    }

    cmdprintlistbox = new QPushButton(QStringLiteral("Print Report"), panel);
    cmdprintlistbox->setObjectName(QStringLiteral("cmdprintlistbox"));
    cmdprintlistbox->setFont(sized(cmdprintlistbox, kManagerPoints, true));
    QSizePolicy keep(QSizePolicy::Ignored, QSizePolicy::Ignored);
    keep.setRetainSizeWhenHidden(true); // the buttons must not shift when it appears
    cmdprintlistbox->setSizePolicy(keep);
    cmdprintlistbox->setStyleSheet(QStringLiteral("QPushButton { color: #00308f; }"));
    cmdprintlistbox->hide();
    grid_->addWidget(cmdprintlistbox, 0, kPrintColumn);
    connect(cmdprintlistbox, &QPushButton::clicked, this, [this] {
        if (actions_.print_report)
            actions_.print_report();
    });
    // Import or export (never both) below the employee's own buttons.
    for (QPushButton* b : {win_.cmdimport, win_.cmdexport})
        grid_->addWidget(b, row_of(kMyHoursThisQuarter) + 1, kOwnColumn);
    win_.report_area()->addLayout(grid_);
    win_.report_area()->addStretch(1);
}

void ReportMenu::create_password_frame(QFrame* panel) {
    // Placed over the buttons when "Configuration" is pressed, not laid out with them.
    frapassword = new QFrame(panel);
    frapassword->setObjectName(QStringLiteral("frapassword"));
    frapassword->setFrameShape(QFrame::Box);
    frapassword->setLineWidth(2);
    frapassword->setAutoFillBackground(true);
    frapassword->setStyleSheet(QStringLiteral("QFrame#frapassword { background: #fff8c0; }"));
    lblpassword = new QLabel(QStringLiteral("Manager Password Required"), frapassword);
    lblpassword->setObjectName(QStringLiteral("lblpassword"));
    lblpassword->setFont(sized(lblpassword, 13, true));
    txtmgrpassword = new QLineEdit(frapassword);
    txtmgrpassword->setObjectName(QStringLiteral("txtmgrpassword"));
    txtmgrpassword->setEchoMode(QLineEdit::Password);
    txtmgrpassword->setProperty("touch_keys", QStringLiteral("letters"));
    txtmgrpassword->setFont(sized(txtmgrpassword, kEntryPoints, true));
    txtmgrpassword->setMinimumHeight(48);
    txtmgrpassword->installEventFilter(this);
    cmdpasswordok = new QPushButton(QStringLiteral("Ok"), frapassword);
    cmdpasswordok->setObjectName(QStringLiteral("cmdpasswordok"));
    cmdpasswordok->setFont(sized(cmdpasswordok, kButtonPoints, true));
    cmdpasswordok->setMinimumSize(96, 52);
    cmdpasswordok->setAutoDefault(true); // Enter on the focused button presses it
    auto* password_layout = new QVBoxLayout(frapassword);
    password_layout->addWidget(lblpassword);
    auto* password_row = new QHBoxLayout;
    password_row->addWidget(txtmgrpassword, 1);
    password_row->addWidget(cmdpasswordok);
    password_layout->addLayout(password_row);
    frapassword->setFixedSize(380, 124);
    frapassword->hide();
    connect(cmdpasswordok, &QPushButton::clicked, this, [this] { manager_password_entered(); });

    frapassword->setProperty(kManagerOnly, true);
}

void ReportMenu::connect_window() {
    connect(&win_, &Tclock::manager_clicked, this, [this] { open_manager_menu(); });
    connect(&win_, &Tclock::report_clicked, this, [this] { open_employee_report_menu(); });
    connect(&win_, &Tclock::export_clicked, this,
            [this] { run_manager_action(actions_.export_punches); });
    connect(&win_, &Tclock::import_clicked, this,
            [this] { run_manager_action(actions_.import_punches); });
}

bool ReportMenu::manager_present() const {
    return st_.who.manager == 1;
}

void ReportMenu::run_manager_action(const std::function<void()>& action) {
    if (manager_present() && action)
        action();
}

void ReportMenu::hide_manager_frames(bool windows_too) {
    // The report viewer is a window of its own, not the main window's.
    QList<QWidget*> all = win_.findChildren<QWidget*>();
    all += QApplication::topLevelWidgets();
    for (QWidget* w : all) {
        if (!w->property(kManagerOnly).toBool())
            continue;
        if (!w->isWindow())
            w->hide();
        else if (windows_too)
            w->close();
    }
}

void ReportMenu::set_menu_look(bool manager) {
    for (QPushButton* b : cmdmenu) {
        b->setFont(sized(b, manager ? kManagerPoints : kEmployeePoints, true));
        static_cast<WrapButton*>(b)->set_row_height(manager ? kManagerRowHeight
                                                            : kEmployeeRowHeight);
    }
}

QString review_note(Station& st) {
    try {
        Db db(st.path(st.settings.punchdb), DbMode::ReadOnly, st.db_access());
        const int waiting =
            db.scalar(QStringLiteral("select count(*) from punch where tckstatus = ?"), {int(kBad)})
                .toInt();
        if (waiting > 0)
            return QStringLiteral(" - %1 to review").arg(waiting);
    } catch (const DbError&) {
        // The menu opens all the same; the count is only a reminder.
    }
    return {};
}

void ReportMenu::open_manager_menu() {
    hide_manager_frames();
    if (!manager_present())
        return;
    for (QPushButton* b : cmdmenu)
        b->show();
    set_menu_look(true);
    lblmenuheading->setText(QStringLiteral("Manager Options") + review_note(st_));
    // The panel takes the keypad's place.
    win_.frakeypad->hide();
    win_.frareport->show();
    const bool remote = st_.settings.remotemode == 1;
    win_.cmdexport->setVisible(remote);
    win_.cmdimport->setVisible(!remote);
    win_.cmdpunchin->hide();
    win_.cmdpunchout->hide();
    win_.cmdreport->hide();
}

void ReportMenu::open_employee_report_menu() {
    hide_manager_frames();
    for (int i = 0; i < kMenuButtons; ++i)
        cmdmenu[static_cast<size_t>(i)]->setVisible(is_own_report(i));
    cmdprintlistbox->hide();
    grid_->removeWidget(cmdprintlistbox); // out of the manager's rows, which are hidden now
    grid_->addWidget(cmdprintlistbox, row_of(kMyPunchesToday), kPrintColumn);
    // Export and import are manager work; start-up marks Export shown on a remote station,
    // which would otherwise offer it to every employee.
    win_.cmdexport->hide();
    win_.cmdimport->hide();
    set_menu_look(false);
    lblmenuheading->setText(QStringLiteral("Employee Report Options"));
    win_.frakeypad->hide();
    win_.frareport->show();
}

void ReportMenu::place_print_button(int index) {
    cmdprintlistbox->hide();
    grid_->removeWidget(cmdprintlistbox);
    grid_->addWidget(cmdprintlistbox, row_of(index), kPrintColumn);
    cmdprintlistbox->setText(is_own_report(index) ? kPrintLeft : kPrintRight);
}

void ReportMenu::show_report_list() {
    LineList* list = win_.lstpayrate;
    list->show();
    list->raise();
    win_.frakeypad->hide();
    // Keys meant for the report must not move the job list hidden beneath it.
    list->setFocus();
}

void ReportMenu::menu_button_pressed(int index) {
    if (index < 0 || index >= kMenuButtons || busy_)
        return;
    // Only the own reports are an employee's; the rest is refused whatever reached it.
    if (!is_own_report(index) && !manager_present())
        return;
    hide_manager_frames(false);
    if (!suite_reachable(st_))
        return;
    place_print_button(index);
    win_.lstpayrate->clear();
    st_.run.report_index = index;

    // A report waits in its prompts; a second press must not start another meanwhile.
    busy_ = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{busy_};

    if (is_report_index(index)) {
        if (!make_report_database(st_))
            return; // already reported; the old rows must not be printed as this report's
        run_menu_report(index);
        return;
    }
    switch (index) {
    case 5:
        if (st_.programs().exists(QStringLiteral("syncnwk.exe")))
            st_.programs().start(QStringLiteral("syncnwk.exe new"));
        break;
    case 6:
        show_password_frame();
        break;
    case 7:
        run_manager_action(actions_.open_editor);
        break;
    case 9:
        show_help(st_, &win_, QStringLiteral("tclock0.txt"));
        break;
    case 17:
        run_manager_action(actions_.show_misc);
        break;
    default:
        break;
    }
}

void ReportMenu::run_menu_report(int index) {
    std::optional<bool> offer;
    if (is_own_report(index)) {
        show_report_list();
        offer = own_report(st_, *win_.lstpayrate, index);
    } else {
        // The prompts come first; the list takes its place once the limits are known.
        const std::optional<ReportQuery> query = manager_query(st_, index);
        if (!query)
            return;
        show_report_list();
        offer = run_report(st_, *win_.lstpayrate, index, *query);
    }
    if (offer.value_or(false))
        cmdprintlistbox->show();
}

void ReportMenu::show_password_frame() {
    const QWidget* panel = win_.frareport;
    frapassword->move((panel->width() - frapassword->width()) / 2,
                      (panel->height() - frapassword->height()) / 2);
    frapassword->raise();
    frapassword->show();
    txtmgrpassword->setFocus();
}

void ReportMenu::manager_password_entered() {
    const bool right = manager_password_right(st_.settings, txtmgrpassword->text());
    txtmgrpassword->clear();
    frapassword->hide();
    if (right)
        run_manager_action(actions_.open_configuration);
    else if (manager_present()) // a mistyped password must not look like a dead button
        st_.dialogs().message(QStringLiteral("Wrong password."), QStringLiteral("Oops..."),
                              Icon::Information);
}

bool ReportMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == win_.frareport && event->type() == QEvent::Hide)
        hide_manager_frames();
    if (watched == txtmgrpassword && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdpasswordok->setFocus();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

ReportMenu& connect_menus(Station& st, Tclock& win, MenuActions actions) {
    return *new ReportMenu(st, win, std::move(actions));
}

} // namespace pw
