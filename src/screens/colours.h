#pragma once
// Colours of the screens' own widgets, set in their palettes. A style sheet would set them as
// well, but then every paint of the widget goes through the sheets' style: the punch screen's
// four coloured widgets cost a press about a twentieth of its drawing that way.

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace pw {

// w's text in c, as a sheet's "color" has it.
inline void text_colour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(role, c);
    w->setPalette(p);
}

// w's background filled with c.
inline void fill_colour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace pw
