#pragma once
// The suite's text viewer (qwcedit.exe): one text file shown read-only, titled with its name.
// The station that starts it keeps its own window on top of ordinary windows, so the viewer
// puts itself on top as well and takes the front and the keyboard when shown.

#include <QPlainTextEdit>
#include <QString>

namespace suite {

// Fills view with the file at path (CR LF or LF) or with why it could not be read.
void load_text(QPlainTextEdit& view, const QString& path);

// Shows view in front of every window, the station's included, with the keyboard focus.
void show_in_front(QPlainTextEdit& view);

} // namespace suite
