#pragma once
// Synthesised key events: delivery to the widget that has the focus, and the lock keys'
// states. Tests record the events instead.

#include <QList>

namespace pw {

// One key press or release by virtual-key code (9 Tab, 13 Enter, 16 Shift, 65 'A', ...).
struct KeyEvent {
    int vk = 0;
    bool press = true;
    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Delivers the events in order to the focus widget.
    virtual void deliver(const QList<KeyEvent>& events) = 0;
    // Whether Caps Lock (20), Num Lock (144) or Scroll Lock (145) is on; off where the
    // platform cannot tell.
    virtual bool lock_on(int vk) const = 0;
};

// For a station without windows: nothing to deliver to, every lock off.
class NoKeyboard : public Keyboard {
public:
    void deliver(const QList<KeyEvent>&) override {}
    bool lock_on(int) const override { return false; }
};

} // namespace pw
