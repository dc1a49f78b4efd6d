#pragma once
// The station's help: a help text of the station folder shown in a view of its own above the
// window that asked for it, with a Close button and Escape. There is one view at a time: Help
// pressed again brings the open one forward with the text asked for.

class QWidget;
class QString;

namespace pw {

class Station;

// Shows the help text name (tclock0.txt) over window. A text that cannot be read is said in a
// box, and nothing opens.
void show_help(Station& st, QWidget* window, const QString& name);

// The open help view, or null.
QWidget* find_help_view();

} // namespace pw
