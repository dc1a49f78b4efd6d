#pragma once
// The sizes, in points, the station's screens write in. Every size and weight on a screen is
// a font of its own to load, about a quarter of a millisecond of start-up each, so the punch
// screen keeps to these few and the other screens take them where they can. Text this large
// reads as well unhinted, and its glyphs draw in half the time without the hinter.

#include <QFont>
#include <QWidget>

namespace pw {

inline constexpr int kClockPoints = 24;  // the clock and the keypad's digits
inline constexpr int kEntryPoints = 22;  // typing boxes, the date, banners
inline constexpr int kButtonPoints = 16; // action buttons and the message line; lists, plain
inline constexpr int kKeyPoints = 14;    // keys and small buttons captioned with words

// w's font at points, bold or not.
inline QFont sized(const QWidget* w, int points, bool bold = false) {
    QFont f = w->font();
    f.setPointSize(points);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace pw
