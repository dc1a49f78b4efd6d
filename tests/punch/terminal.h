#pragma once
// A clock station as a person meets it: the main window on a temporary installation, with
// the punch screen connected, driven by typing and clicking. Employee 9 "Ann Lee"
// (password 1) may work as Bartender (job 10, 8.25) and Cook (job 20, 9.5).

#include "env.h"
#include "station/tclock.h"

#include <QStringList>
#include <QVariantMap>

class QPushButton;

namespace pw::test {

class Terminal {
public:
    explicit Terminal(suite::Options options = {});

    TestEnv env;
    Tclock win;

    // Start-up as the program runs it; the timer is stopped so ticks come only from tick().
    void start();
    void login(const QString& number = "9", const QString& password = "1");
    QPushButton* button(const char* name);
    void click(const char* name);
    QStringList lines();
    // The punch rows in the order they were added.
    QList<QVariantMap> punches() const;
    // The lines of mapdrive tclog.clk, each with its CR LF.
    QStringList log() const;
    // An open punch of employee 9 for job 10 (Bartender) unless the values say otherwise.
    void open_punch(const QVariantMap& values);
    // A closed punch of employee 9 on indate holding adjusted regular hours.
    void worked(int indate, double adjreghours, double employee = 9);
};

// Types the number and the password, each followed by Enter.
void type_login(Tclock& win, const QString& number = "9", const QString& password = "1");

// Another station on the same installation, with its own boxes and the clock and printers
// given, its punch screen connected and cleared (no start-up: the single-copy lock is for
// one workstation, and this one shares the working folder).
class Peer {
public:
    Peer(const TestEnv& env, Clock& clock, Printers& printers);
    ScriptedDialogs dialogs;
    RecordingPrograms programs;
    DiskFiles files;
    Station st;
    Tclock win;
};

// Every punch column as expected: those named in `want` with their values, every other one
// at the table's default (numbers 0, text and tckexport NULL).
void expect_punch(const QVariantMap& row, const QVariantMap& want);

inline const QString kDashes(38, '-');

} // namespace pw::test
