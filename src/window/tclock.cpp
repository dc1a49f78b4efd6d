#include "tclock.h"

#include "platform/instance.h"
#include "screens/colours.h"
#include "screens/rowsizes.h"
#include "screens/textsizes.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace pw {

namespace {

// Sizes for touch screens of 800x600 and 1024x768 read from a step away: everything fits the
// smaller one, and keys and lists grow on the larger.
constexpr int kKeyWidth = 124;
constexpr int kKeyHeight = 76;
constexpr int kActionHeight = 56;

// Keeps its place in the layout while hidden, so the buttons and boxes the person is about
// to touch do not jump when others appear.
void keep_place(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

template <typename T> T* named(T* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton* action_button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setFont(sized(b, kButtonPoints, true));
    b->setMinimumHeight(kActionHeight);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Enter on a focused button presses it, as on the station's original screen.
    b->setAutoDefault(true);
    return b;
}

QLineEdit* entry_box(QWidget* parent, const char* name, const QString& placeholder) {
    auto* e = named(new QLineEdit(parent), name);
    e->setFont(
        sized(e, kEntryPoints, true)); // "ID number" and "Password" side by side on 800 pixels
    e->setMinimumHeight(48);
    e->setPlaceholderText(placeholder);
    return e;
}

// Watches every key press of the application for the keypad's multiply key on the window.
class MultiplyKey : public QObject {
public:
    explicit MultiplyKey(Tclock* win)
        : QObject(win)
        , win_(win) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Asterisk || !key->modifiers().testFlag(Qt::KeypadModifier) ||
            static_cast<QWidget*>(watched)->window() != win_)
            return false;
        emit win_->keypad_multiply_pressed();
        return true;
    }

private:
    Tclock* win_;
};

} // namespace

Tclock::Tclock(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("tclock"));
    resize(1024, 768);
    QHBoxLayout* header = create_header();
    QVBoxLayout* left = create_entry();
    create_keypad();
    create_report_panel();
    auto* right = new QGridLayout;
    right->addWidget(frakeypad, 0, 0);
    right->addWidget(frareport, 0, 0);
    right->setColumnMinimumWidth(0, 3 * kKeyWidth + 16);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 3);
    body->addLayout(right, 2);
    QGridLayout* actions = create_actions();
    create_message_line();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(12, 6, 12, 6);
    root->setSpacing(6);
    root->addLayout(header);
    root->addLayout(body, 1);
    root->addLayout(actions);
    root->addWidget(lblmsg);

    create_wait_notice();
    Timer1 = named(new QTimer(this), "Timer1");

    for (QWidget* w : {static_cast<QWidget*>(txtempid), static_cast<QWidget*>(txtpassword),
                       static_cast<QWidget*>(lstjob)})
        w->installEventFilter(this);
    // The multiply key is caught before any box of the window takes it as text.
    QCoreApplication::instance()->installEventFilter(new MultiplyKey(this));
    connect(lstjob, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            emit job_selected(row);
    });
}

// Header: date, holiday banner, clock.
QHBoxLayout* Tclock::create_header() {
    lbldate = named(new QLabel(this), "lbldate");
    lbldate->setFont(sized(lbldate, kEntryPoints, true));
    lblholiday = named(new QLabel(this), "lblholiday");
    lblholiday->setFont(sized(lblholiday, kEntryPoints, true));
    lblholiday->setAlignment(Qt::AlignCenter);
    text_colour(lblholiday, QColor(0xb00000));
    lbltime = named(new QLabel(this), "lbltime");
    lbltime->setFont(sized(lbltime, kClockPoints, true));
    lbltime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* header = new QHBoxLayout;
    header->addWidget(lbldate, 1);
    header->addWidget(lblholiday, 2);
    header->addWidget(lbltime, 1);
    return header;
}

// Identification boxes, the name and the job list (with the report list in its place).
QVBoxLayout* Tclock::create_entry() {
    txtempid = entry_box(this, "txtempid", tr("ID number"));
    txtempid->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), txtempid));
    txtempid->setContextMenuPolicy(Qt::NoContextMenu);
    txtpassword = entry_box(this, "txtpassword", tr("Password"));
    txtpassword->setEchoMode(QLineEdit::Password);
    keep_place(txtpassword);
    // The keypad beside them serves these two; no on-screen keys come up over it.
    for (QLineEdit* e : {txtempid, txtpassword})
        e->setProperty("touch_keys", QStringLiteral("none"));
    txtname = entry_box(this, "txtname", QString());
    txtname->setReadOnly(true);
    txtname->setFocusPolicy(Qt::NoFocus);
    keep_place(txtname);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(txtempid);
    boxes->addWidget(txtpassword);

    lstjob = named(new QListWidget(this), "lstjob");
    lstjob->setFont(sized(lstjob, kButtonPoints));
    // Lines as tall as a finger, as the touch style makes them; a longer list is flicked.
    keep_row_sizes(lstjob);
    lstjob->setSelectionMode(QAbstractItemView::SingleSelection);
    // A result line longer than the list breaks between words instead of running off it.
    lstjob->setWordWrap(true);
    lstjob->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstpayrate = named(new LineList(this), "lstpayrate");
    // About 30 characters of a report line show beside the manager menu at 800x600.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(10);
    lstpayrate->setFont(fixed);
    lstpayrate->hide();
    list_area_ = new QGridLayout; // the report list takes the job list's place
    list_area_->addWidget(lstjob, 0, 0);

    auto* left = new QVBoxLayout;
    left->addLayout(boxes);
    left->addWidget(txtname);
    left->addLayout(list_area_, 1);
    add_to_list_area(lstpayrate);
    return left;
}

// The keypad: 7 8 9 / 4 5 6 / 1 2 3 / Start Over 0 Ok.
void Tclock::create_keypad() {
    frakeypad = named(new QFrame(this), "frakeypad");
    auto* keys = new QGridLayout(frakeypad);
    keys->setContentsMargins(0, 0, 0, 0);
    keys->setSpacing(8);
    for (int i = 0; i < 12; ++i) {
        const QString caption = i < 10    ? QString::number(i)
                                : i == 10 ? QStringLiteral("Start Over")
                                          : QStringLiteral("Ok");
        auto* key = new QPushButton(caption, frakeypad);
        key->setObjectName(QStringLiteral("cmdkeypad%1").arg(i));
        key->setFont(sized(key, i < 10 ? kClockPoints : kKeyPoints, true));
        key->setMinimumSize(kKeyWidth, kKeyHeight);
        // Equal keys whatever their captions.
        key->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
        // The typing box keeps the focus while the keypad is used.
        key->setFocusPolicy(Qt::NoFocus);
        connect(key, &QPushButton::clicked, this, [this, i] { emit keypad_pressed(i); });
        cmdkeypad[i] = key;
    }
    for (int i = 1; i <= 9; ++i)
        keys->addWidget(cmdkeypad[i], 2 - (i - 1) / 3, (i - 1) % 3);
    keys->addWidget(cmdkeypad[10], 3, 0);
    keys->addWidget(cmdkeypad[0], 3, 1);
    keys->addWidget(cmdkeypad[11], 3, 2);
    for (int c = 0; c < 3; ++c)
        keys->setColumnStretch(c, 1);
}

// The report panel, in the keypad's place while a menu is open.
void Tclock::create_report_panel() {
    frareport = named(new QFrame(this), "frareport");
    frareport->setFrameShape(QFrame::StyledPanel);
    auto* panel = new QVBoxLayout(frareport);
    panel->setContentsMargins(6, 6, 6, 6);
    report_area_ = new QVBoxLayout;
    panel->addLayout(report_area_);
    // Import and export are placed by the menu, among its buttons.
    cmdimport = action_button(frareport, "cmdimport", tr("Import Punches"));
    cmdexport = action_button(frareport, "cmdexport", tr("Export Punches"));
    for (QPushButton* b : {cmdimport, cmdexport}) {
        b->setFont(sized(b, 11, true));
        b->setMinimumSize(0, 0);
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }
    cmdimport->hide();
    cmdexport->hide();
    frareport->hide();
    connect(cmdimport, &QPushButton::clicked, this, &Tclock::import_clicked);
    connect(cmdexport, &QPushButton::clicked, this, &Tclock::export_clicked);
}

// What an identified employee can do, and Close.
QGridLayout* Tclock::create_actions() {
    cmdpunchin = action_button(this, "cmdpunchin", tr("Punch IN"));
    cmdpunchout = action_button(this, "cmdpunchout", tr("Punch OUT"));
    cmdreport = action_button(this, "cmdreport", tr("Report"));
    cmdmanager = action_button(this, "cmdmanager", tr("Manager"));
    cmdprintertoggle = action_button(this, "cmdprintertoggle", QStringLiteral("Printer ON "));
    cmddone = action_button(this, "cmddone", tr("DONE"));
    cmdclose = action_button(this, "cmdclose", tr("Close"));
    cmdclose->setFont(sized(cmdclose, kKeyPoints, true));
    cmdclose->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    cmdclose->setMinimumWidth(90);
    text_colour(cmdpunchin, QColor(0x006400));
    text_colour(cmdpunchout, QColor(0xa00000));
    // Punch IN and Punch OUT share a place: an employee is offered one of them.
    auto* actions = new QGridLayout;
    actions->setHorizontalSpacing(10);
    const QList<QList<QPushButton*>> places = {
        {cmdpunchin, cmdpunchout}, {cmdreport}, {cmdmanager}, {cmdprintertoggle}, {cmddone}};
    for (int column = 0; column < places.size(); ++column) {
        for (QPushButton* b : places[column]) {
            keep_place(b);
            actions->addWidget(b, 0, column);
        }
        actions->setColumnStretch(column, 1);
    }
    actions->setColumnMinimumWidth(places.size(), 6);
    actions->addWidget(cmdclose, 0, places.size() + 1);
    connect(cmdpunchin, &QPushButton::clicked, this, &Tclock::punch_in_clicked);
    connect(cmdpunchout, &QPushButton::clicked, this, &Tclock::punch_out_clicked);
    connect(cmdreport, &QPushButton::clicked, this, &Tclock::report_clicked);
    connect(cmdmanager, &QPushButton::clicked, this, &Tclock::manager_clicked);
    connect(cmdprintertoggle, &QPushButton::clicked, this, &Tclock::printer_toggle_clicked);
    connect(cmddone, &QPushButton::clicked, this, [this] { emit keypad_pressed(10); });
    connect(cmdclose, &QPushButton::clicked, this, &Tclock::close_clicked);
    return actions;
}

void Tclock::create_message_line() {
    lblmsg = named(new QLabel(this), "lblmsg");
    lblmsg->setFont(sized(lblmsg, kButtonPoints, true));
    lblmsg->setAlignment(Qt::AlignCenter);
    lblmsg->setMinimumHeight(32);
    lblmsg->setWordWrap(true); // a long message line takes a second line, never the edge
    lblmsg->setFrameShape(QFrame::StyledPanel);
    // Texts from files and the clock are shown as written, never as markup.
    for (QLabel* l : {lbldate, lbltime, lblholiday, lblmsg})
        l->setTextFormat(Qt::PlainText);
}

// The wait notice floats over everything; it is placed, not laid out.
void Tclock::create_wait_notice() {
    frawait = named(new QFrame(this), "frawait");
    frawait->setFrameShape(QFrame::Box);
    frawait->setLineWidth(2);
    fill_colour(frawait, QColor(0xfff8c0));
    auto* wait_text = new QLabel(tr("Please wait a moment..."), frawait);
    wait_text->setFont(sized(wait_text, kEntryPoints, true));
    wait_text->setAlignment(Qt::AlignCenter);
    auto* wait_layout = new QVBoxLayout(frawait);
    wait_layout->addWidget(wait_text);
    frawait->setFixedSize(480, 120);
    frawait->hide();
}

Tclock::~Tclock() {
    // Helpers that watch the window's widgets (menus, wiring) go first, while the window is
    // still whole: hiding and removing the children below would otherwise reach them.
    const QObjectList kids = children();
    for (QObject* kid : kids)
        if (!kid->isWidgetType())
            delete kid;
}

void Tclock::add_to_list_area(QWidget* w) {
    list_area_->addWidget(w, 0, 0);
    list_covers_ << w;
    w->installEventFilter(this);
}

void Tclock::list_area_changed(QWidget* shown) {
    if (shown)
        for (QWidget* other : list_covers_)
            if (other != shown)
                other->hide();
    bool covered = false;
    for (const QWidget* w : list_covers_)
        covered = covered || !w->isHidden();
    lstjob->setVisible(!covered);
}

void Tclock::place_wait() {
    frawait->move((width() - frawait->width()) / 2, (height() - frawait->height()) / 3);
}

void Tclock::show_wait(bool on) {
    if (on) {
        place_wait();
        frawait->raise();
    }
    frawait->setVisible(on);
    QCoreApplication::processEvents();
}

bool Tclock::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShowToParent || type == QEvent::HideToParent) &&
        list_covers_.contains(watched)) {
        list_area_changed(type == QEvent::ShowToParent ? static_cast<QWidget*>(watched) : nullptr);
        return false;
    }
    if (type != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const QString text = key->text();

    const bool typed = !text.isEmpty() && text[0].isPrint() && text != QLatin1String(";");
    if ((watched == txtempid || watched == txtpassword) &&
        (typed || key->key() == Qt::Key_Backspace)) {
        emit typing_started();
        // The box was put away meanwhile (a new person starts): the key is not for it.
        if (static_cast<QWidget*>(watched)->isHidden())
            return true;
    }
    if (watched == txtempid) {
        // Digits, Backspace and Enter only; ';' (a card reader's end mark) is Enter.
        if (enter || text == QLatin1String(";")) {
            emit keypad_pressed(11);
            return true;
        }
        // Tab and Backtab still move on, as the keypad's "*" does through a Tab.
        if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab ||
            key->key() == Qt::Key_Backtab)
            return false;
        const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
        return !digit;
    }
    if (watched == txtpassword) {
        if (enter) {
            emit keypad_pressed(11);
            return true;
        }
        return false;
    }
    if (watched == lstjob) {
        if (enter) {
            emit job_list_key(Qt::Key_Return);
            return true;
        }
        if (text == QLatin1String("+") || text == QLatin1String("-")) {
            emit job_list_key(text[0].unicode());
            return true;
        }
    }
    return false;
}

void Tclock::closeEvent(QCloseEvent* event) {
    if (!closing_)
        emit close_requested();
    // Whoever answers the request decides: the window closes only once closestation runs.
    if (closing_)
        event->accept();
    else
        event->ignore();
}

void Tclock::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place_wait();
}

} // namespace pw
