#pragma once
// A punch left open for longer than a shift can be: the person who left it open is asked when
// they left, types the time on the keypad, and the punch closes then under the normal rules,
// for a manager to approve. "Ask a manager" leaves it open for the manager instead.
//
// Rules: nothing is written until the time typed can be the time the person left.

#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pw {

class Station;
class Tclock;

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
