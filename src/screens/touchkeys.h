#pragma once
// Touch input for a station without a keyboard. TouchScreen makes every window of the program
// fit for fingers: one style gives buttons, list rows and check boxes room for a finger
// and scroll bars a thumb's width, lists scroll by flicking, and an on-screen key panel follows
// the box that has the focus, in whatever window that box is (the station, the editor, the
// configuration window, an input box).
//
// Rules: the panel comes up beside a box that takes typing and goes when the focus moves to
// something else. It starts on the number keys, or on the letters where the box or one of its
// parents says touch_keys = "letters"; touch_keys = "none" keeps it away (the station's own
// keypad serves those boxes). Its keys act as the keyboard's would: "*" is Tab, Enter is Enter.
// The panel never takes the focus, so the box keeps it while keys are tapped.

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

class QGridLayout;
class QPushButton;

namespace pw {

inline constexpr char kTouchKeys[] = "touch_keys";

// The key panel: numbers (with ':', '.', '-') or letters, and in both Back, "*" and Enter.
class KeyPanel : public QWidget {
    Q_OBJECT
public:
    explicit KeyPanel(QWidget* host);

    void set_letters(bool letters);
    bool letters() const { return letters_; }
    // The key that types ch ('\t' the "*" key, '\n' Enter, '\b' Back), or null when it is not
    // on the keys now shown.
    QPushButton* key_for(QChar ch) const;

    // The box the keys type into.
    QPointer<QWidget> target;

private:
    void press(const QString& name);
    void build(QGridLayout* grid, const QList<QStringList>& rows, int width);

    QWidget* digits_;
    QWidget* alphabet_;
    bool letters_ = false;
    bool shift_ = false;
};

class TouchScreen : public QObject {
    Q_OBJECT
public:
    // Styles the whole program; parent owns this for the run.
    explicit TouchScreen(QObject* parent);

    // The panel now shown, or null.
    KeyPanel* panel() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focus_moved(QWidget* now);
    void place(KeyPanel& panel, const QWidget& box);

    // The panel while it is whole: a window being destroyed takes it along, and events of
    // that destruction must not see it as a panel any more.
    KeyPanel* live() const { return qobject_cast<KeyPanel*>(panel_.data()); }

    QPointer<QWidget> panel_;
};

// True for a box that takes typing: a line edit or an editable list or spin box, not read-only.
bool takes_typing(const QWidget* w);

// Makes the station's window cover its whole screen.
void fill_screen(QWidget& window);

// Gives a window of the station its preferred size, or the whole free area of its screen when
// that is smaller, and centres it there.
void fit_to_screen(QWidget& window, QSize preferred);

} // namespace pw
