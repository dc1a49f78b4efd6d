#include "identify.h"

#include "offline/offline.h"
#include "punch/forgotten.h"
#include "punch/hours.h"
#include "punch/receipts.h"
#include "punch/shift.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/leavingframe.h"
#include "window/offlinepunch.h"
#include "window/punchin.h"
#include "window/punchout.h"
#include "window/punchscreen.h"
#include "window/tclock.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cmath>

namespace pw {

namespace {

const QString kOops = QStringLiteral("Oops...");

// What the list shows while the station waits for a number.
QStringList waiting_lines() {
    return {QStringLiteral("Enter employee ID# and"), QStringLiteral("then select OK.")};
}

// What Ok reads, from the club or, when it cannot be reached, from the station's copy.
// A club that failed to answer moments ago is not waited for again (the connect timeout at
// every Ok of a queue): the copy answers until the club is tried again, by the tick or by an
// Ok half a minute on.
EmployeeReads read_who(Station& st, double number, const QString& password, bool& offline) {
    if (!offline && lately_unreached(st) && punching_offline(st))
        offline = true;
    if (offline)
        return read_local_employee(st, number, password);
    try {
        return read_employee(st, number, password);
    } catch (const DbError& e) {
        // The server gone: the copy answers instead.
        note_unreached(st, e);
        if (e.code() != 75 || !punching_offline(st))
            throw;
    }
    offline = true;
    return read_local_employee(st, number, password);
}

// The job list: two heading lines, then one line per job of the session, in its order.
constexpr int kFirstJobRow = 2;

void show_jobs(Station& st, Tclock& win) {
    win.cmdpunchout->hide();
    QStringList lines{QStringLiteral("Select Job Below"), kDashes};
    if (st.who.number < 1 || st.who.jobs.isEmpty()) {
        win.lstjob->addItems(lines);
        if (st.who.number < 1)
            return;
        tell(st,
             QStringLiteral("No jobs are defined for this employee yet.\r\n"
                            "Punchwell cannot punch this employee in."),
             QStringLiteral("Oops!"));
        keypad_press(st, win, 10);
        return;
    }
    // The lines go in at once: the list and its view do their bookkeeping once, not per job.
    for (const JobLine& job : st.who.jobs)
        lines << QString::number(job.jobcode) + QLatin1Char(' ') + job.description;
    win.lstjob->addItems(lines);
    win.lstjob->setFocus();
    // With three jobs or more the employee must pick one; with fewer the first is taken.
    win.lstjob->setCurrentRow(win.lstjob->count() > 4 ? 1 : kFirstJobRow);
}

// Too many wrong passwords for this number lately: refused without looking at the password.
bool refuse_locked(Station& st, Tclock& win, double number) {
    if (!st.passwords.locked(number, st.clock().now()))
        return false;
    tell(st, QStringLiteral("Too many wrong passwords. Try again in 5 minutes or ask a manager."),
         kOops);
    clearscreen(st, win);
    return true;
}

void wrong_password(Station& st, Tclock& win, double number) {
    const QDateTime now = st.clock().now();
    // The number and the time only: the digits typed stay nobody's business.
    if (st.passwords.failed(number, now))
        adminlog(st, QStringLiteral("Employee ") + plain_number(number) +
                         QStringLiteral(" locked for 5 minutes after 5 wrong passwords at ") +
                         now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    tell(st, QStringLiteral("Invalid Password."), kOops);
    clearscreen(st, win);
}

} // namespace

void clearscreen(Station& st, Tclock& win) {
    win.lstjob->clear();
    win.txtempid->clear();
    win.txtpassword->clear();
    win.txtpassword->hide();
    win.txtname->clear();
    win.txtname->hide();
    for (QWidget* w :
         {static_cast<QWidget*>(win.cmdpunchin), static_cast<QWidget*>(win.cmdpunchout),
          static_cast<QWidget*>(win.cmdreport), static_cast<QWidget*>(win.cmddone),
          static_cast<QWidget*>(win.cmdmanager), static_cast<QWidget*>(win.cmdprintertoggle),
          static_cast<QWidget*>(win.lstpayrate), static_cast<QWidget*>(win.frareport),
          static_cast<QWidget*>(win.frawait)})
        w->hide();
    if (LeavingFrame* frame = leaving_frame(win))
        frame->hide();
    win.frakeypad->show();
    st.run.clearcountdown = 0;
    st.who = Session{};
    win.lstjob->addItems(waiting_lines());
    win.txtempid->setFocus();
    let_events_run();
}

void show_punch_result(Station& st, Tclock& win, const QStringList& lines) {
    clearscreen(st, win);
    win.lstjob->clear();
    win.lstjob->addItems(lines);
    st.run.clearcountdown = 1;
}

bool showing_result(const Station& st) {
    return st.run.clearcountdown > 0;
}

void end_result(Station& st, Tclock& win) {
    close_open_question(st);
    if (st.who.identified) {
        clearscreen(st, win);
        return;
    }
    if (!showing_result(st))
        return;
    st.run.clearcountdown = 0;
    win.lstjob->clear();
    win.lstjob->addItems(waiting_lines());
}

void keypad_press(Station& st, Tclock& win, int index) {
    // The result on screen belongs to nobody: a key starts afresh, and Ok then does nothing.
    const bool result = showing_result(st);
    close_open_question(st);
    // A digit after someone was identified is the next person's number.
    const bool next_person =
        st.who.identified && st.who.entry_mode != 2 && index >= 0 && index <= 9;
    if (result || next_person || val(win.txtempid->text()) < 1)
        clearscreen(st, win);
    win.cmdimport->hide();
    if (st.who.entry_mode == 2 && index != 10) {
        // Typing the time a forgotten punch ended; Ok saves it.
        if (index == 11)
            save_left_time(st, win);
        else if (index >= 0 && index <= 9)
            leaving_frame(win)->keypad_box()->insert(QString::number(index));
        return;
    }
    if (index >= 0 && index <= 9) {
        QLineEdit* box = st.who.entry_mode == 0 ? win.txtempid : win.txtpassword;
        box->setText(box->text() + QString::number(index));
    } else if (index == 10) {
        clearscreen(st, win);
    } else if (index == 11 && !result) {
        identify(st, win);
    }
}

void identify(Station& st, Tclock& win) {
    checksuite(st);
    bool offline = st.settings.suitemissing == 1 && punching_offline(st);
    // Gone, and no copy to punch on: the box says so.
    if (st.settings.suitemissing == 1 && !offline && !suite_reachable(st))
        return;
    if (st.who.entry_mode == 0) {
        st.who.entry_mode = 1;
        win.txtpassword->show();
        win.txtpassword->setFocus();
        win.lstjob->addItems({QStringLiteral(" "), QStringLiteral("Enter password and"),
                              QStringLiteral("select OK again.")});
        return;
    }
    if (!offline && !payrules_ready(st)) {
        clearscreen(st, win);
        return;
    }

    // Every Ok builds the session anew from what is typed now.
    const double number = employee_number(win.txtempid->text());
    st.who = Session{};
    st.who.entry_mode = 1;
    st.who.number = number;
    if (refuse_locked(st, win, number))
        return;
    // The employee lookup fails the same way as the punch and job queries: a box, then a
    // cleared screen.
    try {
        EmployeeReads found = read_who(st, number, win.txtpassword->text(), offline);
        if (!found.employee) {
            tell(st, QStringLiteral("Employee record is not available."), kOops);
            clearscreen(st, win);
            return;
        }
        if (!found.password_right) {
            wrong_password(st, win, number);
            return;
        }
        st.passwords.passed(number);
        st.who.identified = true;
        st.who.offline = offline;
        st.who.name = found.employee->name;
        st.who.manager = found.employee->password >= 20000 ? 1 : 0;
        st.who.jobs = std::move(found.jobs);
        win.txtname->setText(st.who.name);
        win.txtname->show();
        showscreen(st, win);

        win.lstjob->clear();
        if (found.open)
            show_open_punch(st, win, *found.open);
        else
            show_jobs(st, win);
        if (offline)
            win.lstjob->addItems(offline_lines());
    } catch (const DbError& e) {
        keypad_error(st, win, e);
    }
}

void show_open_punch(Station& st, Tclock& win, const OpenPunch& punch) {
    st.who.open = punch;
    const HoursSoFar so_far = calctime(st);
    st.who.job_code = punch.jobcode;
    st.who.job_description = punch.jobdescription;
    win.lstjob->clear();
    win.lstjob->addItems(open_punch_lines(punch, so_far));
    win.cmdpunchin->hide();
    win.cmdpunchout->show(); // hidden when the job list was shown instead
    // Offline the question waits for the club: its answer closes the punch there.
    if (!st.who.offline && leaving_frame(win) && forgotten(st.settings, punch, st.clock().now())) {
        ask_when_left(st, win);
        return;
    }
    if (!win.cmdpunchout->isHidden())
        win.cmdpunchout->setFocus();
}

void showscreen(Station& st, Tclock& win) {
    win.cmdpunchin->show();
    win.cmdpunchout->show();
    win.cmdreport->setVisible(!st.who.offline);
    win.cmddone->show();
    win.cmdprintertoggle->setVisible(receipt_printer(st).has_value());
    win.cmdmanager->setVisible(st.who.manager == 1);
    let_events_run();
}

void show_jobs_after_close(Station& st, Tclock& win) {
    try {
        Db emp(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
        st.who.jobs = employee_jobs(emp, st.who.number);
    } catch (const DbError& e) {
        keypad_error(st, win, e);
        return;
    }
    st.who.open.reset();
    st.who.entry_mode = 1;
    st.who.choose(-1);
    showscreen(st, win);
    win.lstjob->clear();
    show_jobs(st, win);
}

void job_chosen(Station& st, Tclock& win) {
    const int row = win.lstjob->currentRow();
    if (row >= 0)
        st.who.choose(row - kFirstJobRow);
}

void job_list_key(Station& st, Tclock& win, int key) {
    Q_UNUSED(st);
    QListWidget* list = win.lstjob;
    const int row = list->currentRow();
    // Each move makes the list run job_chosen through its selection signal.
    if (key == '+') {
        if (row < list->count() - 1)
            list->setCurrentRow(row + 1);
    } else if (key == '-') {
        if (row > 1)
            list->setCurrentRow(row - 1);
    } else if (key == Qt::Key_Return) {
        if (!win.cmdpunchin->isHidden())
            win.cmdpunchin->setFocus();
    }
}

void keypad_error(Station& st, Tclock& win, const DbError& error) {
    if (error.code() == 3045)
        tell(st, QStringLiteral("Punchwell database is in use. Try again in a moment or two..."),
             QStringLiteral("Punchwell Code 3045"));
    else if (error.code() == 75)
        tell(st, QStringLiteral("Punchwell connection or network problem. Try again."),
             QStringLiteral("Punchwell Code 75"));
    else
        reporterror(st, error);
    clearscreen(st, win);
}

void connect_punch_screen(Station& st, Tclock& win) {
    QObject::connect(&win, &Tclock::clearscreen_requested, &win,
                     [&st, &win] { clearscreen(st, win); });
    QObject::connect(&win, &Tclock::keypad_pressed, &win,
                     [&st, &win](int index) { keypad_press(st, win, index); });
    add_leaving_frame(st, win);
    QObject::connect(&win, &Tclock::typing_started, &win, [&st, &win] { end_result(st, win); });
    QObject::connect(&win, &Tclock::job_selected, &win, [&st, &win] { job_chosen(st, win); });
    QObject::connect(&win, &Tclock::job_list_key, &win,
                     [&st, &win](int key) { job_list_key(st, win, key); });

    QObject::connect(&win, &Tclock::punch_in_clicked, &win, [&st, &win] { punch_in(st, win); });
    QObject::connect(&win, &Tclock::punch_out_clicked, &win, [&st, &win] { punch_out(st, win); });
    QObject::connect(&win, &Tclock::printer_toggle_clicked, &win,
                     [&st, &win] { toggle_printer(st, win); });
    show_printer_state(st, win);
    // The report and manager menus connect to Tclock::report_clicked and manager_clicked,
    // and export and import to export_clicked and import_clicked.
}

} // namespace pw
