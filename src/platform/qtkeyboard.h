#pragma once
// Key delivery to Qt Widgets.
#include "platform/keyboard.h"

namespace pw {

// Posts the events as QKeyEvents to the application's focus widget.
class QtKeyboard : public Keyboard {
public:
    void deliver(const QList<KeyEvent>& events) override;
    bool lock_on(int vk) const override;
};

} // namespace pw
