#include "identify.h"

#include "punch/hours.h"
#include "punch/punchin.h"
#include "punch/punchout.h"
#include "punch/punchscreen.h"
#include "punch/receipts.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "station/tclock.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cmath>

namespace pw {

namespace {

const QString kNotFound = QStringLiteral("NOTFOUND");
const QString kOops = QStringLiteral("Oops...");

QString line_of(const QListWidget* list, int row) {
    const QListWidgetItem* item = list->item(row);
    return item ? item->text() : QString();
}
QString line_of(const LineList* list, int row) {
    return list->text(row);
}

// A whole number from a value read off a list line; out-of-range values read as 0.
int whole(double value) {
    if (!std::isfinite(value) || std::abs(value) > 2147483647.0)
        return 0;
    return static_cast<int>(std::lround(value));
}

// Pay rates are currency with four decimals; shown without trailing zeros.
QString rate_text(double rate) {
    QString text = QString::number(rate, 'f', 4);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

void show_jobs(Station& st, Tclock& win, const QList<JobLine>& jobs) {
    win.cmdpunchout->hide();
    win.lstjob->addItems({QStringLiteral("Select Job Below"), kDashes});
    // Placeholders keep the three lists line for line.
    win.lstpayrate->addItems({QStringLiteral("line1"), QStringLiteral("line2")});
    win.lstdescription->addItems({QStringLiteral("line1"), QStringLiteral("line2")});
    if (st.who.number < 1)
        return;
    if (jobs.isEmpty()) {
        tell(st,
             QStringLiteral("No jobs are defined for this employee yet.\r\n"
                            "Punchwell cannot punch this employee in."),
             QStringLiteral("Oops!"));
        keypad_press(st, win, 10);
        return;
    }
    for (const JobLine& job : jobs) {
        win.lstjob->addItem(QString::number(job.jobcode) + QLatin1Char(' ') + job.description);
        win.lstpayrate->addItem(rate_text(job.payrate));
        win.lstdescription->addItem(job.description);
    }
    win.lstjob->setFocus();
    // With three jobs or more the employee must pick one; with fewer the first is taken.
    win.lstjob->setCurrentRow(win.lstjob->count() > 4 ? 1 : 2);
}

} // namespace

double employee_number(const QString& typed) {
    return static_cast<double>(static_cast<float>(val(typed)));
}

void clearscreen(Station& st, Tclock& win) {
    win.lstjob->clear();
    win.lstpayrate->clear();
    win.lstdescription->clear();
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
    win.frakeypad->show();
    st.run.clearcountdown = 0;
    st.who = Identified{};
    win.lstjob->addItems(
        {QStringLiteral("Enter employee ID# and"), QStringLiteral("then select OK.")});
    win.txtempid->setFocus();
    let_events_run();
}

void keypad_press(Station& st, Tclock& win, int index) {
    if (val(win.txtempid->text()) < 1)
        clearscreen(st, win);
    win.cmdimport->hide();
    if (index >= 0 && index <= 9) {
        QLineEdit* box = st.who.entry_mode == 0 ? win.txtempid : win.txtpassword;
        box->setText(box->text() + QString::number(index));
    } else if (index == 10) {
        clearscreen(st, win);
    } else if (index == 11) {
        identify(st, win);
    }
}

void identify(Station& st, Tclock& win) {
    if (!suite_reachable(st))
        return;
    if (st.who.entry_mode == 0) {
        st.who.entry_mode = 1;
        win.txtpassword->show();
        win.txtpassword->setFocus();
        win.lstjob->addItems({QStringLiteral(" "), QStringLiteral("Enter password and"),
                              QStringLiteral("select OK again.")});
        return;
    }

    // The employee lookup fails the same way as the punch and job queries: a box, then a
    // cleared screen.
    try {
        st.who.number = employee_number(win.txtempid->text());
        const EmployeeReads found = read_employee(st, win.txtpassword->text());
        if (found.password == kNotFound) {
            tell(st, QStringLiteral("Employee record is not available."), kOops);
            clearscreen(st, win);
            return;
        }
        st.who.password = stored_password(found.password);
        if (!password_matches(found.password, win.txtpassword->text())) {
            tell(st, QStringLiteral("Invalid Password."), kOops);
            clearscreen(st, win);
            return;
        }
        st.who.manager = st.who.password >= 20000 ? 1 : 0;
        win.txtname->setText(st.who.name);
        win.txtname->show();
        showscreen(st, win);

        win.lstjob->clear();
        if (found.open)
            show_open_punch(st, win, *found.open);
        else
            show_jobs(st, win, found.jobs);
    } catch (const DbError& e) {
        keypad_error(st, win, e);
    }
}

void show_open_punch(Station& st, Tclock& win, const OpenPunch& punch) {
    st.who.open_indate = punch.indate;
    st.who.open_adjtimein = punch.adjtimein;
    st.who.open_breaktime = punch.breaktime;
    st.who.open_breakreduction = punch.breakreduction;
    st.who.open_inoffset = punch.inoffset;
    const HoursSoFar so_far = calctime(st);
    st.who.job_code = punch.jobcode;
    st.who.job_description = punch.jobdescription;
    win.lstjob->clear();
    win.lstjob->addItems(open_punch_lines(punch, so_far));
    win.cmdpunchin->hide();
    win.cmdpunchout->show(); // hidden when the job list was shown instead
    st.who.open_punch = 1;
    if (!win.cmdpunchout->isHidden())
        win.cmdpunchout->setFocus();
}

void showscreen(Station& st, Tclock& win) {
    win.cmdpunchin->show();
    win.cmdpunchout->show();
    win.cmdreport->show();
    win.cmddone->show();
    win.cmdprintertoggle->setVisible(st.settings.receiptprinter >= 0);
    win.cmdmanager->setVisible(st.who.manager == 1);
    let_events_run();
}

EmployeeReads read_employee(Station& st, const QString& typed_password) {
    EmployeeReads found;
    checksuite(st);
    // Never answer with a stale password when the suite went away since the last check.
    if (st.settings.suitemissing == 1)
        return found;
    Db emp(st.path(st.settings.empdb), DbMode::ReadOnly, st.db_access());
    found.password = lookupemployee(st, emp);
    if (found.password == kNotFound || !password_matches(found.password, typed_password))
        return found;
    found.open = find_open_punch(st, st.who.number);
    if (!found.open && st.who.number >= 1)
        found.jobs = employee_jobs(emp, st.who.number);
    return found;
}

QString lookupemployee(Station& st, Db& emp) {
    QSqlQuery q = emp.run(QStringLiteral("select empfname, emplname, pword from empinfo "
                                         "where empid = ? and CAST(empstatus AS REAL) = 1"),
                          {st.who.number});
    if (!fetch(q))
        return kNotFound;
    st.who.name = q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
    const double pword = std::abs(q.value(2).toDouble());
    return QString::number(static_cast<qint64>(std::llround(pword)));
}

qint64 stored_password(const QString& password) {
    return static_cast<qint64>(std::llround(val(password)));
}

bool password_matches(const QString& password, const QString& typed) {
    return val(typed) == static_cast<double>(stored_password(password));
}

std::optional<OpenPunch> find_open_punch(Station& st, double employee) {
    Db db(st.path(st.settings.punchdb), DbMode::ReadOnly, st.db_access());
    std::optional<OpenPunch> p = find_open_punch(db, employee);
    if (p)
        p->inoffset = kept_offsets(db, p->key).in;
    return p;
}

std::optional<OpenPunch> find_open_punch(Db& db, double employee) {
    QSqlQuery q = db.run(QStringLiteral("select tckindate, tckadjtimein, tckbreaktime, "
                                        "tckbreakreduction, tckjobcode, tckjobdescription, "
                                        "tckempid, tcktimein, tcknode "
                                        "from punch where tckempid = ? and tckstatus = 1"),
                         {employee});
    if (!fetch(q))
        return std::nullopt;
    OpenPunch p;
    p.indate = q.value(0).toInt();
    p.adjtimein = q.value(1).toString();
    p.breaktime = q.value(2).toDouble();
    p.breakreduction = q.value(3).toDouble();
    p.jobcode = q.value(4).toInt();
    p.jobdescription = q.value(5).toString();
    p.key = {q.value(6).toDouble(), p.indate, q.value(7).toString(), p.jobcode, q.value(8).toInt()};
    return p;
}

QList<JobLine> employee_jobs(Db& db, double employee) {
    QSqlQuery q = db.run(QStringLiteral("select empjobs.jobcode, empjobs.payrate, "
                                        "jobs.jobdescription from empjobs "
                                        "join jobs on empjobs.jobcode = jobs.jobcode "
                                        "where empjobs.empid = ? and empjobs.glacctnum < 1 "
                                        "order by empjobs.jobcode"),
                         {employee});
    QList<JobLine> jobs;
    while (fetch(q))
        jobs.append({q.value(0).toInt(), q.value(1).toDouble(), q.value(2).toString()});
    return jobs;
}

QStringList open_punch_lines(const OpenPunch& punch, const HoursSoFar& so_far) {
    QStringList lines{QStringLiteral("Currently punched in on"),
                      QString::number(punch.indate) + QStringLiteral(" at ") + punch.adjtimein,
                      QStringLiteral("Job# ") + QString::number(punch.jobcode),
                      punch.jobdescription,
                      QStringLiteral("Hours so far: ") + plain_number(so_far.hours),
                      kDashes};
    if (so_far.over_limit)
        lines << QStringLiteral("You may have forgotten to")
              << QStringLiteral("punch out. You must punch")
              << QStringLiteral("out now before you can") << QStringLiteral("punch in again.")
              << kDashes;
    lines << QStringLiteral("Choose Punch Out now or") << QStringLiteral("select Done to cancel.");
    return lines;
}

void job_chosen(Station& st, Tclock& win) {
    if (st.who.open_punch == 1)
        return;
    const int row = win.lstjob->currentRow();
    if (row < 0)
        return;
    st.who.job_code = whole(val(line_of(win.lstjob, row)));
    st.who.pay_rate = val(line_of(win.lstpayrate, row));
    st.who.job_description = line_of(win.lstdescription, row);
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
