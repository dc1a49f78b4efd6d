#include "touchkeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScroller>
#include <QTableView>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {

namespace {

// A finger needs about 40 pixels; a scroll bar is dragged with a thumb.
constexpr int kFinger = 40;
constexpr int kThumb = 24;
constexpr int kIndicator = 26;
constexpr int kGap = 8;

// The program's style: the toolkit's own, with room for a finger on buttons, boxes to tick,
// list rows and scroll bars. A style sheet would say the same at a cost in every window's
// every size and paint.
class FingerStyle : public QProxyStyle {
public:
    // Over the style of that name: the one the program was started with.
    explicit FingerStyle(const QString& base)
        : QProxyStyle(base)
        , fusion_(base.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0) {}

    using QProxyStyle::polish;
    // A layout short of room squeezes a control down to its least size: that is a finger too.
    void polish(QWidget* widget) override {
        QProxyStyle::polish(widget);
        if (qobject_cast<QPushButton*>(widget) || qobject_cast<QToolButton*>(widget) ||
            qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget) ||
            qobject_cast<QComboBox*>(widget))
            widget->setMinimumHeight(std::max(widget->minimumHeight(), kFinger));
        if (qobject_cast<QToolButton*>(widget))
            widget->setMinimumWidth(std::max(widget->minimumWidth(), kFinger));
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
        case PM_ScrollBarExtent:
            return kThumb;
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
            if (qobject_cast<const QCheckBox*>(widget))
                return kIndicator;
            break;
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            if (qobject_cast<const QRadioButton*>(widget))
                return kIndicator;
            break;
        default:
            break;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override {
        QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
        switch (type) {
        case CT_ToolButton:
            size.setWidth(std::max(size.width(), kFinger));
            [[fallthrough]];
        case CT_PushButton:
        case CT_CheckBox:
        case CT_RadioButton:
        case CT_ComboBox:
        case CT_ItemViewItem:
            size.setHeight(std::max(size.height(), kFinger));
            break;
        default:
            break;
        }
        return size;
    }
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelButtonCommand && option->rect.height() > kBand)
            draw_in_bands(element, *option, *painter, widget);
        else if (element == PE_FrameLineEdit && fusion_)
            draw_box_frame(*option, *painter);
        else
            QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    // The toolkit paints a button from a picture it keeps of it, and hands a picture more
    // than 95 rows tall to helper threads, waiting until they are done. On a busy terminal
    // every hand-off waits for the scheduler: with fifty stations' work on two processors it
    // made the slowest presses of a shift change three times as slow. Painted in bands, the
    // picture stays on the window's thread and looks the same.
    static constexpr int kBand = 64;
    void draw_in_bands(PrimitiveElement element, const QStyleOption& option, QPainter& painter,
                       const QWidget* widget) const {
        const QRect r = option.rect;
        for (int top = r.top(); top <= r.bottom(); top += kBand) {
            painter.save();
            painter.setClipRect(QRect(r.left(), top, r.width(), kBand), Qt::IntersectClip);
            QProxyStyle::drawPrimitive(element, &option, &painter, widget);
            painter.restore();
        }
    }
    // A typing box's outline in the colours the toolkit's own style gives it, square and
    // without antialiasing: the same look but for the corners' few pixels, where the smoothed
    // rounded outline cost more than all the rest of the box, and the boxes are painted
    // again at every digit typed. Drawn as opaque rectangles: the toolkit hands translucent
    // outlines a box high to its helper threads, a wake-up each, in every paint.
    static void draw_box_frame(const QStyleOption& option, QPainter& p) {
        const QRect r = option.rect;
        const bool focus = option.state.testFlag(State_HasFocus);
        const QColor base = option.palette.base().color();
        QColor highlighted = option.palette.color(QPalette::Highlight).darker(125);
        if (highlighted.value() > 160)
            highlighted.setHsl(highlighted.hue(), highlighted.saturation(), 160);
        const auto outline = [&](const QRect& box, const QColor& c) {
            p.fillRect(box.left(), box.top(), box.width(), 1, c);
            p.fillRect(box.left(), box.bottom(), box.width(), 1, c);
            p.fillRect(box.left(), box.top() + 1, 1, box.height() - 2, c);
            p.fillRect(box.right(), box.top() + 1, 1, box.height() - 2, c);
        };
        outline(r, focus ? highlighted : option.palette.window().color().darker(140));
        const QColor inside = focus ? over(base, highlighted, 40) : base;
        if (focus)
            outline(r.adjusted(1, 1, -1, -1), inside);
        // The shadow under the top edge.
        p.fillRect(r.left() + 2, r.top() + 1, r.width() - 4, 1, over(inside, Qt::black, 18));
    }
    // top at alpha (of 255) over bottom, rounded as the toolkit blends.
    static QColor over(const QColor& bottom, const QColor& top, int alpha) {
        const QRgb src = qPremultiply(qRgba(top.red(), top.green(), top.blue(), alpha));
        const auto mix = [alpha](int s, int b) {
            const int t = b * (255 - alpha) + 0x80;
            return s + ((t + (t >> 8)) >> 8);
        };
        return QColor(mix(qRed(src), bottom.red()), mix(qGreen(src), bottom.green()),
                      mix(qBlue(src), bottom.blue()));
    }

    bool fusion_;
};

// Rows of keys by name; "name#n" spans n columns.
const QList<QStringList> kDigitRows = {{"7", "8", "9", "back"},
                                       {"4", "5", "6", "tab"},
                                       {"1", "2", "3", "-"},
                                       {"0", ":", ".", "enter"},
                                       {"abc#2", "hide#2"}};
const QList<QStringList> kLetterRows = {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"},
                                        {"q", "w", "e", "r", "t", "y", "u", "i", "o", "p"},
                                        {"a", "s", "d", "f", "g", "h", "j", "k", "l", "back"},
                                        {"shift", "z", "x", "c", "v", "b", "n", "m", "-", "tab"},
                                        {"123#2", "space#4", "enter#2", "hide#2"}};

QString caption(const QString& name) {
    static const QMap<QString, QString> words = {
        {"back", "Back"}, {"tab", "*"},     {"enter", "Enter"}, {"abc", "ABC"},
        {"123", "123"},   {"hide", "Hide"}, {"shift", "Shift"}, {"space", "Space"}};
    return words.value(name, name);
}

int key_code(QChar ch) {
    if (ch.isDigit())
        return Qt::Key_0 + ch.digitValue();
    if (ch.isLetter())
        return Qt::Key_A + (ch.toLower().unicode() - u'a');
    switch (ch.unicode()) {
    case u':':
        return Qt::Key_Colon;
    case u'.':
        return Qt::Key_Period;
    case u'-':
        return Qt::Key_Minus;
    default:
        return Qt::Key_Space;
    }
}

void send_key(QWidget* to, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(to, &release);
}

// The nearest touch_keys of the widget or its parents.
QString keys_wanted(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        QString wanted = w->property(kTouchKeys).toString();
        if (!wanted.isEmpty())
            return wanted;
    }
    return {};
}

} // namespace

bool takes_typing(const QWidget* w) {
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return !e->isReadOnly();
    if (const auto* c = qobject_cast<const QComboBox*>(w))
        return c->isEditable();
    if (const auto* s = qobject_cast<const QAbstractSpinBox*>(w))
        return !s->isReadOnly();
    return false;
}

KeyPanel::KeyPanel(QWidget* host)
    // A tool tip's kind of window is never made the active one: the box keeps the focus.
    : QWidget(host, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                        Qt::WindowDoesNotAcceptFocus)
    , digits_(new QWidget(this))
    , alphabet_(new QWidget(this)) {
    setObjectName(QStringLiteral("touchkeys"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("KeyPanel { background: #d8d8d8; border: 1px solid #606060; }"));
    auto* grid = new QGridLayout(digits_);
    build(grid, kDigitRows, 64);
    grid = new QGridLayout(alphabet_);
    build(grid, kLetterRows, 52);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(digits_);
    layout->addWidget(alphabet_);
    set_letters(false);
}

void KeyPanel::build(QGridLayout* grid, const QList<QStringList>& rows, int width) {
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    for (int r = 0; r < rows.size(); ++r) {
        int column = 0;
        for (const QString& cell : rows[r]) {
            const QString name = cell.section(u'#', 0, 0);
            const int span = std::max(1, cell.section(u'#', 1, 1).toInt());
            auto* key = new QPushButton(caption(name), grid->parentWidget());
            key->setObjectName(QStringLiteral("key_") + name);
            key->setFocusPolicy(Qt::NoFocus); // the box keeps the focus
            key->setAutoRepeat(name == QLatin1String("back"));
            // Sized by the rows, not by the captions: ten letters fit an 800 pixel screen.
            key->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
            // Its own sheet: the boxes' large buttons (a sheet of their window) must not widen it.
            key->setStyleSheet(
                QStringLiteral("QPushButton { min-width: %1px; min-height: 44px; font-size: 14pt; "
                               "font-weight: bold; padding: 0px; }")
                    .arg(span * width + (span - 1) * grid->spacing()));
            connect(key, &QPushButton::clicked, this, [this, name] { press(name); });
            grid->addWidget(key, r, column, 1, span);
            column += span;
        }
    }
}

void KeyPanel::set_letters(bool letters) {
    letters_ = letters;
    digits_->setVisible(!letters);
    alphabet_->setVisible(letters);
    adjustSize();
}

QPushButton* KeyPanel::key_for(QChar ch) const {
    QString name = ch.toLower();
    if (ch == u'\t')
        name = QStringLiteral("tab");
    else if (ch == u'\n')
        name = QStringLiteral("enter");
    else if (ch == u'\b')
        name = QStringLiteral("back");
    else if (ch == u' ')
        name = QStringLiteral("space");
    return (letters_ ? alphabet_ : digits_)->findChild<QPushButton*>(QStringLiteral("key_") + name);
}

void KeyPanel::press(const QString& name) {
    if (name == QLatin1String("abc") || name == QLatin1String("123")) {
        set_letters(name == QLatin1String("abc"));
        return;
    }
    if (name == QLatin1String("hide")) {
        hide();
        return;
    }
    if (name == QLatin1String("shift")) {
        shift_ = !shift_;
        alphabet_->findChild<QPushButton*>(QStringLiteral("key_shift"))->setDown(shift_);
        // The captions show what the keys type now.
        for (QPushButton* key : alphabet_->findChildren<QPushButton*>())
            if (const QString letter = key->objectName().mid(4);
                letter.size() == 1 && letter[0].isLetter())
                key->setText(shift_ ? letter.toUpper() : letter);
        return;
    }
    QWidget* to = target.data();
    if (!to)
        return;
    if (name == QLatin1String("back"))
        send_key(to, Qt::Key_Backspace, {});
    else if (name == QLatin1String("tab"))
        send_key(to, Qt::Key_Tab, {}); // moves on as Tab does
    else if (name == QLatin1String("enter"))
        send_key(to, Qt::Key_Return, QStringLiteral("\r"));
    else {
        const QString text = name == QLatin1String("space") ? QStringLiteral(" ")
                             : shift_                       ? name.toUpper()
                                                            : name;
        send_key(to, key_code(text[0]), text);
    }
}

TouchScreen::TouchScreen(QObject* parent)
    : QObject(parent) {
    if (!dynamic_cast<FingerStyle*>(QApplication::style()))
        QApplication::setStyle(new FingerStyle(QApplication::style()->name()));
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { focus_moved(now); });
}

KeyPanel* TouchScreen::panel() const {
    KeyPanel* panel = live();
    return panel && panel->isVisible() ? panel : nullptr;
}

bool TouchScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Polish) {
        // Lists and texts scroll by a finger's flick, not only by their bars.
        if (auto* area = qobject_cast<QAbstractScrollArea*>(watched);
            area && (qobject_cast<QAbstractItemView*>(area) || qobject_cast<QTextEdit*>(area)) &&
            area->window()->windowType() != Qt::Popup) {
            QScroller::grabGesture(area->viewport(), QScroller::LeftMouseButtonGesture);
            if (auto* table = qobject_cast<QTableView*>(area)) {
                table->verticalHeader()->setMinimumSectionSize(kFinger);
                table->verticalHeader()->setDefaultSectionSize(kFinger);
            }
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()) {
        // A tap on a box brings its keys back, after Hide too.
        auto* box = static_cast<QWidget*>(watched);
        if (takes_typing(box) && box->isEnabled() && box->focusPolicy() & Qt::ClickFocus)
            focus_moved(box);
    } else if (event->type() == QEvent::Hide && live() && watched == live()->parentWidget()) {
        live()->hide();
    }
    return false;
}

void TouchScreen::focus_moved(QWidget* now) {
    if (!now)
        return; // the window lost the focus for a moment: the box is still the one
    KeyPanel* panel = live();
    if (!takes_typing(now) || keys_wanted(now) == QLatin1String("none")) {
        if (panel)
            panel->hide();
        return;
    }
    QWidget* host = now->window();
    if (!panel || panel->parentWidget() != host) {
        if (panel) {
            // Later: the window system may still be telling about it.
            panel->hide();
            panel->deleteLater();
        }
        panel = new KeyPanel(host); // goes with its window
        panel_ = panel;
    }
    panel->target = now;
    panel->set_letters(keys_wanted(now) == QLatin1String("letters"));
    place(*panel, *now);
    panel->show();
    panel->raise();
}

void TouchScreen::place(KeyPanel& panel, const QWidget& box) {
    panel.adjustSize();
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    const QRect at(box.mapToGlobal(QPoint(0, 0)), box.size());
    const QSize size = panel.size();
    const auto on_screen = [&](QPoint to) {
        return QRect(QPoint(std::clamp(to.x(), area.left(),
                                       std::max(area.left(), area.right() + 1 - size.width())),
                            std::clamp(to.y(), area.top(),
                                       std::max(area.top(), area.bottom() + 1 - size.height()))),
                     size);
    };
    // What the person still needs while the keys are up: the box, and its window's buttons and
    // texts (a prompt's question).
    QWidget* window = box.window();
    QList<QRect> kept{at};
    for (QWidget* w : window->findChildren<QWidget*>())
        if ((qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w)) && w->isVisible() &&
            w->window() == window)
            kept << QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    const auto covers = [&](const QRect& r) {
        return std::any_of(kept.cbegin(), kept.cend(),
                           [&](const QRect& k) { return k.intersects(r); });
    };
    // Beside the box: right, left, below, above, the first that leaves all of those free.
    const QPoint beside[] = {QPoint(at.right() + 1 + kGap, at.top()),
                             QPoint(at.left() - kGap - size.width(), at.top()),
                             QPoint(at.left(), at.bottom() + 1 + kGap),
                             QPoint(at.left(), at.top() - kGap - size.height())};
    for (QPoint to : beside)
        if (const QRect r = on_screen(to); !covers(r)) {
            panel.move(r.topLeft());
            return;
        }
    // A prompt smaller than the screen moves up and takes the keys under it.
    const QRect frame = window->frameGeometry();
    if (!window->isFullScreen() && frame.height() + kGap + size.height() <= area.height()) {
        const int top =
            std::min(frame.top(), area.bottom() + 1 - size.height() - kGap - frame.height());
        window->move(frame.left(), top);
        panel.move(
            on_screen(QPoint(frame.center().x() - size.width() / 2, top + frame.height() + kGap))
                .topLeft());
        return;
    }
    // No free place: the first side that leaves the box free, over some of the window.
    for (QPoint to : beside)
        if (const QRect r = on_screen(to); !r.intersects(at)) {
            panel.move(r.topLeft());
            return;
        }
    panel.move(on_screen(beside[2]).topLeft());
}

void fill_screen(QWidget& window) {
    // Without a window manager the full-screen state is only a wish: the size is set too.
    if (const QScreen* screen = window.screen())
        window.resize(screen->size());
    window.setWindowState(Qt::WindowFullScreen);
}

void fit_to_screen(QWidget& window, QSize preferred) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(preferred);
        return;
    }
    const QRect area = screen->availableGeometry();
    // The frame the window system adds around the window counts too. Until the window is
    // shown it is not known: room for a usual border and title bar is kept.
    QSize frame = window.frameGeometry().size() - window.geometry().size();
    if (frame.isNull() && !window.testAttribute(Qt::WA_WState_Created) &&
        !window.windowFlags().testFlag(Qt::FramelessWindowHint))
        frame = QSize(12, 40);
    window.resize(preferred.boundedTo(area.size() - frame));
    window.move(area.x() + (area.width() - window.width() - frame.width()) / 2,
                area.y() + (area.height() - window.height() - frame.height()) / 2);
}

} // namespace pw
