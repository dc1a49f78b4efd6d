#pragma once
// The shared routines through which the station talks to the user about failures: the
// yes/no question, the numbered-code error box and its log, the one-second pause.

#include <QString>

namespace pw {

class Station;
class DbError;

// Yes/No, question icon, No the default. True for Yes.
bool askyesno(Station& st, const QString& text, const QString& title);

// The "Parvela Codes" box for an error number and the engine's description, and its line
// in admlog.ini. Code 0 (no error) shows and logs nothing.
void reporterror(Station& st, int code, const QString& description);
void reporterror(Station& st, const DbError& error);
// Notes when error is the club out of reach (75), so that Ok does not wait for it again at
// once.
void note_unreached(Station& st, const DbError& error);

// Appends "MM-DD-YYYY-HH:MM:SS---" + text + CR LF to admlog.ini in the working folder.
void adminlog(Station& st, const QString& text);

// A question asked without holding up the station (a receipt offer) answers itself No when
// the next person starts, and after 15 s.
void close_open_question(Station& st);
void expire_open_question(Station& st);

// checksuite; when the suite cannot be reached, the "Punchwell - Connection Problem" box and
// false. Every action that touches the shared data asks this first.
bool suite_reachable(Station& st);

// Waits one second (through the clock, so tests do not wait).
void pausesecond(Station& st);

} // namespace pw
