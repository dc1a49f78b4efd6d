#pragma once
// A clock station as a person meets it: the main window on a temporary installation, with
// the punch screen connected, driven by typing and clicking. Employee 9 "Ann Lee"
// (password 1) may work as Bartender (job 10, 8.25) and Cook (job 20, 9.5); job 30 "Server"
// exists too.

#include "drive.h"
#include "station/db.h"
#include "window/tclock.h"

#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QVariantMap>

namespace pw::test {

struct Terminal {
    explicit Terminal(suite::Options options = {});

    TestEnv env;
    Tclock win;

    // Start-up as the program runs it; the timer is stopped so ticks come only from tick().
    void start();
    void start_login() {
        start();
        login();
    }
    void login(const QString& number = "9", const QString& password = "1") {
        type_login(win, number, password);
    }
    QPushButton* button(const char* name);
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void key(int index) { click(qPrintable(QString("cmdkeypad%1").arg(index))); }
    QStringList lines() { return item_texts(win.lstjob); }
    // Runs sql on the employee database.
    void emp(const QString& sql, const QVariantList& params = {});
    // mapdrive tclog.clk as it stands.
    QString log() const { return QString::fromUtf8(env.read_file(env.data("tclog.clk"))); }
    // An open punch of employee 9 for job 10 (Bartender) unless the values say otherwise.
    void open_punch(const QVariantMap& values = {});
    // An exported punch of employee 9 (job 20) on indate holding adjusted regular hours.
    void worked(int indate, double adjreghours);
    // The screen waiting for a number, nobody identified.
    void expect_waiting();
};

// Another station on the same installation, with its own boxes and the clock and printers
// given, its punch screen connected and cleared (no start-up: the single-copy lock is for
// one workstation, and this one shares the working folder unless given a node number of its
// own, which gives it a working folder of its own).
struct Peer {
    Peer(const TestEnv& env, Clock& clock, Printers& printers, int node = 0);
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
// The open punch that open_punch() adds.
inline const QVariantMap kOpenPunch = fields("empid=9 jobcode=10 jobdescription=Bartender "
                                             "payrate=8.25 indate=20040524 timein=08:00:00 "
                                             "adjtimein=08:00:00 status=1");
inline const QStringList kWaiting = {"Enter employee ID# and", "then select OK."};

} // namespace pw::test
