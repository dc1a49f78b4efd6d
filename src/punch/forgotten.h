#pragma once
// A punch left open for longer than a shift can be: the person who left it open is asked when
// they left, types the time on the keypad, and the punch closes then under the normal rules,
// for a manager to approve. "Ask a manager" leaves it open for the manager instead.
//
// Rules: the time typed must lie after the punch in and not after now; nothing is written
// until it does.

#include "station/session.h"

#include <QDateTime>
#include <QFrame>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pw {

struct Settings;
class Station;
class Tclock;

// How long a punch may stay open before its owner is asked: the shift limit, or 16 hours.
int forgotten_after_hours(const Settings& s);
// The moment the open punch began (its date and rounded in time).
QDateTime punch_began(const OpenPunch& open);
bool forgotten(const Settings& s, const OpenPunch& open, const QDateTime& now);
// A moment as the screens show it: "Mon 05/24 at 08:00".
QString screen_moment(const QDateTime& at);

// The question's lines: "You are still punched in since Mon 05/24 08:00 for Bartender." and
// "When did you leave?".
QStringList leaving_question(const OpenPunch& open);

// The moment typed: date MMDD (of the punch's year, or the next when the month lies before
// it) and time HHMM. A problem instead when it cannot be the time the person left.
struct Leaving {
    QDateTime at;
    QString problem;
};
Leaving leaving_time(const OpenPunch& open, const QString& date, const QString& time,
                     const QDateTime& now);

// The boxes and buttons in the job list's place while the question is asked.
class LeavingFrame : public QFrame {
    Q_OBJECT
public:
    explicit LeavingFrame(QWidget* parent = nullptr);
    QLabel* lblleft;
    QLineEdit* txtleftdate; // MMDD
    QLineEdit* txtlefttime; // HHMM
    QPushButton* cmdleftsave;
    QPushButton* cmdaskmanager;
    // The box the keypad's digits go to: the one with the focus, else the time.
    QLineEdit* keypad_box() const;
};

// Shows the question for st.who's open punch.
void ask_when_left(Station& st, Tclock& win);
// Saves the time typed (closes the punch) or tells what is wrong with it.
void save_left_time(Station& st, Tclock& win);
// The frame, made and placed on the window by connect_punch_screen.
LeavingFrame* leaving_frame(Tclock& win);
void add_leaving_frame(Station& st, Tclock& win);

} // namespace pw
