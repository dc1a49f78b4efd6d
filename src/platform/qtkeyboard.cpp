#include "qtkeyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace pw {

namespace {

// A virtual-key code as Qt knows the key, and the text it types without and with Shift on
// a US layout (empty for keys that type nothing).
struct QtKey {
    Qt::Key key = Qt::Key_unknown;
    QString plain;
    QString shifted;
    bool keypad = false;
};

QtKey bare(Qt::Key key) {
    QtKey k;
    k.key = key;
    return k;
}

QtKey typing(Qt::Key key, const QString& plain, const QString& shifted, bool keypad = false) {
    return QtKey{key, plain, shifted, keypad};
}

QtKey qt_key(int vk) {
    switch (vk) {
    case 8:
        return bare(Qt::Key_Backspace);
    case 9:
        return bare(Qt::Key_Tab);
    case 13:
        return typing(Qt::Key_Return, QStringLiteral("\r"), QStringLiteral("\r"));
    case 16:
        return bare(Qt::Key_Shift);
    case 17:
        return bare(Qt::Key_Control);
    case 18:
        return bare(Qt::Key_Alt);
    case 19:
        return bare(Qt::Key_Pause);
    case 20:
        return bare(Qt::Key_CapsLock);
    case 27:
        return bare(Qt::Key_Escape);
    case 32:
        return typing(Qt::Key_Space, QStringLiteral(" "), QStringLiteral(" "));
    case 33:
        return bare(Qt::Key_PageUp);
    case 34:
        return bare(Qt::Key_PageDown);
    case 35:
        return bare(Qt::Key_End);
    case 36:
        return bare(Qt::Key_Home);
    case 37:
        return bare(Qt::Key_Left);
    case 38:
        return bare(Qt::Key_Up);
    case 39:
        return bare(Qt::Key_Right);
    case 40:
        return bare(Qt::Key_Down);
    case 42:
    case 44:
        return bare(Qt::Key_Print);
    case 45:
        return bare(Qt::Key_Insert);
    case 46:
        return bare(Qt::Key_Delete);
    case 47:
        return bare(Qt::Key_Help);
    case 144:
        return bare(Qt::Key_NumLock);
    case 145:
        return bare(Qt::Key_ScrollLock);
    default:
        break;
    }
    if (vk >= 'A' && vk <= 'Z')
        return typing(Qt::Key(vk), QString(QChar(vk)).toLower(), QString(QChar(vk)));
    if (vk >= '0' && vk <= '9')
        return typing(Qt::Key(vk), QString(QChar(vk)), QString(QChar(u")!@#$%^&*("[vk - '0'])));
    if (vk >= 96 && vk <= 105) {
        const QString digit(QChar(u'0' + (vk - 96)));
        return typing(Qt::Key(Qt::Key_0 + (vk - 96)), digit, digit, true);
    }
    if (vk >= 112 && vk <= 127)
        return bare(Qt::Key(Qt::Key_F1 + (vk - 112)));
    struct Sign {
        int vk;
        char16_t plain;
        char16_t shifted;
    };
    static constexpr Sign kSigns[] = {
        {186, u';', u':'},  {187, u'=', u'+'}, {188, u',', u'<'},  {189, u'-', u'_'},
        {190, u'.', u'>'},  {191, u'/', u'?'}, {192, u'`', u'~'},  {219, u'[', u'{'},
        {220, u'\\', u'|'}, {221, u']', u'}'}, {222, u'\'', u'"'},
    };
    for (const Sign& s : kSigns)
        if (s.vk == vk)
            return typing(Qt::Key(s.plain), QString(QChar(s.plain)), QString(QChar(s.shifted)));
    return bare(Qt::Key_unknown);
}

} // namespace

// Each event goes to the widget that has the focus at that moment, so that a Tab that moved
// the focus sends the next key to the new box.
void QtKeyboard::deliver(const QList<KeyEvent>& events) {
    Qt::KeyboardModifiers mods;
    for (const KeyEvent& e : events) {
        const QtKey k = qt_key(e.vk);
        if (k.key == Qt::Key_Shift)
            mods.setFlag(Qt::ShiftModifier, e.press);
        else if (k.key == Qt::Key_Control)
            mods.setFlag(Qt::ControlModifier, e.press);
        else if (k.key == Qt::Key_Alt)
            mods.setFlag(Qt::AltModifier, e.press);
        QWidget* target = QApplication::focusWidget();
        if (!target || k.key == Qt::Key_unknown)
            continue;
        // Ctrl and Alt combinations type nothing: they are commands.
        const bool typing = !mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::AltModifier);
        const QString text =
            typing ? (mods.testFlag(Qt::ShiftModifier) ? k.shifted : k.plain) : QString();
        Qt::KeyboardModifiers event_mods = mods;
        if (k.keypad)
            event_mods |= Qt::KeypadModifier;
        QKeyEvent ev(e.press ? QEvent::KeyPress : QEvent::KeyRelease, k.key, event_mods, text);
        QApplication::sendEvent(target, &ev);
    }
}

// Qt does not tell the lock keys' states; they read as off.
bool QtKeyboard::lock_on(int) const {
    return false;
}

} // namespace pw
