#include "keyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace pw {

namespace {

// Virtual-key codes to Qt keys for the keys the station sends; letters and digits share
// their codes with ASCII.
Qt::Key qt_key(int vk) {
    switch (vk) {
    case 8:
        return Qt::Key_Backspace;
    case 9:
        return Qt::Key_Tab;
    case 13:
        return Qt::Key_Return;
    case 16:
        return Qt::Key_Shift;
    case 17:
        return Qt::Key_Control;
    case 18:
        return Qt::Key_Alt;
    default:
        break;
    }
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return static_cast<Qt::Key>(vk);
    return Qt::Key_unknown;
}

} // namespace

void QtKeyboard::deliver(const QList<KeyEvent>& events) {
    for (const KeyEvent& e : events) {
        const Qt::Key key = qt_key(e.vk);
        QWidget* target = QApplication::focusWidget();
        if (!target || key == Qt::Key_unknown)
            continue;
        QKeyEvent ev(e.press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &ev);
    }
}

bool QtKeyboard::lock_on(int) const { return false; }

} // namespace pw
