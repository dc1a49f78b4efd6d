#pragma once
// The keystroke interpreter: a text in the key-description syntax ("{TAB}", "+a", "^{END}",
// "~", ...) becomes key presses and releases delivered to the focus widget. The station
// itself only ever sends "{TAB}" to move to the next box.
//
// Rules: "+", "^" and "%" hold Shift, Ctrl and Alt for the next key, or for a group in
// parentheses; "{NAME}" and "{NAME n}" send a named key (n times); "~" is Enter; other
// characters are typed with the keys of a US keyboard layout (capitals and shifted signs
// with Shift). Characters from code 128 on are typed as Alt plus their code page 437
// number on the numeric keypad, with Num Lock on around them. The lock keys that are on
// are switched off first and restored at the end, unless the digits 2 (Caps Lock),
// 3 (Num Lock) or 4 (Scroll Lock) of wait say to leave them as the text set them.

#include "platform/keyboard.h"

#include <QList>
#include <QString>

namespace pw {

class Clock;

// Virtual-key codes the interpreter itself uses.
namespace vk {
inline constexpr int kTab = 9;
inline constexpr int kEnter = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kCapsLock = 20;
inline constexpr int kNumLock = 144;
inline constexpr int kScrollLock = 145;
} // namespace vk

// The events that sendkeys(text, wait) delivers, given the lock states on entry. Pure.
QList<KeyEvent> sendkeys_events(const QString& text, int wait, bool caps_on, bool num_on,
                                bool scroll_on);

// Interprets text and delivers its events through keyboard; with wait not 0, then waits 20 ms.
void sendkeys(Keyboard& keyboard, Clock& clock, const QString& text, int wait = 0);

// Moves the focus on from the focus widget as a Tab would: sendkeys("{TAB}", 0).
void send_tab(Keyboard& keyboard, Clock& clock);

// Press or release of one key by name: "SHIFT", "CONTROL", "ALT", a name of the brace table
// ("TAB", "F5", ...; any letter case) or one character, whose layout modifiers are pressed
// before it and released after it. A name that maps to no key gives no events. Pure.
QList<KeyEvent> keydown_events(const QString& name);
QList<KeyEvent> keyup_events(const QString& name);

// The same, delivered as one batch.
void keydown(Keyboard& keyboard, const QString& name);
void keyup(Keyboard& keyboard, const QString& name);
// Presses and releases Num Lock.
void togglenumlock(Keyboard& keyboard);

// The code page 437 number of a character (63, "?", when the code page lacks it).
int oem_code(char32_t ch);

} // namespace pw
