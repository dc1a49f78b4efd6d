#include "startup.h"

#include "platform/instance.h"
#include "punch/forgotten.h"
#include "station/db.h"
#include "station/fields.h"
#include "station/messages.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/offlinepunch.h"
#include "window/tclock.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <optional>

namespace pw {

namespace {

const QString kRunMarker = QStringLiteral("punchwell.run");
const QString kReleaseFile = QStringLiteral("tcfilelist.txt");

// Files an older installation kept beside the station, in the order they are moved.
const char* const kLocalFiles[] = {"tcimport.exe", "tclk00a.rpt",  "tclk01a.rpt", "tclk02a.rpt",
                                   "tclk03a.rpt",  "tclk04a.rpt",  "tclk05a.rpt", "tclk06a.rpt",
                                   "dbupdate.dat", "punchclk.mdb", "rpt00.sys"};

void connect_station(Station& st, Tclock& win) {
    QObject::connect(win.Timer1, &QTimer::timeout, &win, [&st, &win] { tick(st, win); });
    QObject::connect(&win, &Tclock::close_clicked, &win,
                     [&st, &win] { close_with_password(st, win); });
    QObject::connect(&win, &Tclock::close_requested, &win,
                     [&st, &win] { close_with_password(st, win); });
}

void stop_timer(Tclock& win) {
    win.Timer1->stop();
    win.Timer1->setInterval(0);
}

// An older installation's own punch database may hold punches found nowhere else: it is
// put aside as punchclk.mdb.old (punchclk.mdb.old.2, .3, ... when taken), never deleted.
void keep_old_punches(Station& st, const QString& local) {
    QString kept = local + QStringLiteral(".old");
    for (int n = 2; st.files().exists(kept); ++n)
        kept = local + QStringLiteral(".old.") + QString::number(n);
    if (st.files().copy(local, kept) != 0)
        return;
    st.files().remove(local);
    adminlog(st, QStringLiteral("Old local punch database kept as ") + kept);
}

void remove_if_there(Station& st, const QString& path) {
    if (st.files().exists(path))
        st.files().remove(path);
}

} // namespace

QString first_line(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    QString line = end < 0 ? text : text.left(end);
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

void settopmost(QWidget& window, bool on) {
    const bool shown = window.isVisible();
    const QRect geometry = window.geometry();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a window's flags hides it; put it back where it was.
    if (shown) {
        window.setGeometry(geometry);
        window.show();
    }
}

Started startup(Station& st, Tclock& win) {
    connect_station(st, win);
    // The network clock synchronisation runs at every start, whatever follows.
    st.programs().start(QStringLiteral("syncnwk.exe"));

    if (!initnode(st)) {
        closestation(st, win);
        return Started::NotInitialized;
    }

    auto guard = std::make_unique<InstanceGuard>(st.workdir());
    if (!guard->acquire()) {
        st.run.alreadyrunning = -5;
        closestation(st, win);
        return Started::AlreadyRunning;
    }
    win.instance = std::move(guard);

    settopmost(win, true);

    const QString reportdb = st.local(st.settings.reportdb);
    const QString report_template = st.local(QStringLiteral("rpt00.sys"));
    if (!st.settings.reportdb.isEmpty() && !st.files().exists(reportdb) &&
        st.files().exists(report_template))
        st.files().copy(report_template, reportdb);

    checksuite(st);
    // With its copy the station starts all the same and punches on its own.
    if (st.settings.suitemissing == 1 && !punching_offline(st)) {
        st.dialogs().message(QStringLiteral("Punchwell cannot connect to Parvela.\r\n"
                                            "Click OK to close Punchwell now."),
                             QStringLiteral("Punchwell - Critical Problem"), Icon::Information);
        closestation(st, win);
        return Started::SuiteMissing;
    }

    win.setWindowTitle(QString::fromLatin1(kTitle));
    loadsettings(st);
    // Shown with the manager panel; the menu sets import and export again when it opens.
    if (st.settings.remotemode == 1)
        win.cmdexport->setVisible(true);
    checkholiday(st, win);
    movelocalfiles(st);

    win.Timer1->setInterval(1000);
    win.Timer1->start();
    win.show();

    const QString now = st.clock().now().toString(QStringLiteral("HH:mm:ss"));
    st.files().append(st.local(kRunMarker), now.toLatin1() + "\r\n");

    win.request_clearscreen();
    win.txtempid->setFocus();
    if (!st.settings.payrules_loaded)
        wait_for_payrules(st, win);
    show_offline_notice(st, win);
    return Started::Running;
}

const char* startup_failure_text(Started how) {
    switch (how) {
    case Started::NotInitialized:
        return "punchwell: this node has not been initialized (no parvnode.ini here)";
    case Started::AlreadyRunning:
        return "punchwell: already running in this station folder";
    case Started::SuiteMissing:
        return "punchwell: cannot connect to Parvela (the data folder is unreachable)";
    case Started::Running:
        break;
    }
    return "";
}

void wait_for_payrules(Station& st, Tclock& win) {
    constexpr int kRetrySecs = 10;
    win.lblmsg->setText(payrules_waiting_text(st.settings));
    show_offline_notice(st, win);
    st.run.payrules_retry = st.clock().now().addSecs(kRetrySecs);
}

bool close_with_password(Station& st, Tclock& win) {
    if (win.closing())
        return true;
    const std::optional<QString> typed = st.dialogs().input(
        QStringLiteral("Configuration password:"), QStringLiteral("Close Punchwell"), QString());
    if (!typed)
        return false;
    if (!manager_password_right(st.settings, *typed)) {
        st.dialogs().message(QStringLiteral("Wrong password."), QStringLiteral("Close Punchwell"),
                             Icon::Information);
        return false;
    }
    closestation(st, win);
    return true;
}

void tick(Station& st, Tclock& win) {
    const QDateTime now = st.clock().now();
    if (!st.settings.payrules_loaded && now >= st.run.payrules_retry) {
        loadsettings(st);
        if (st.settings.payrules_loaded)
            showmessageline(st, win);
        else
            wait_for_payrules(st, win);
    }
    const QString time = now.toString(QStringLiteral("HH:mm:ss"));
    win.lbldate->setText(screen_date(now.date()));
    win.lbltime->setText(time);

    if (time == QLatin1String("00:00:01"))
        checkholiday(st, win);

    const int minute = now.time().minute();
    if (minute % 5 == 0)
        showmessageline(st, win);
    // Only while nobody is identifying: the updater closes the station.
    if (minute % 11 == 0 && val(win.txtempid->text()) == 0 && checkupdate(st, win))
        return;

    expire_open_question(st);
    offline_tick(st, win);
    if (st.run.clearcountdown > 0) {
        st.run.clearcountdown += 1;
        // Six seconds to read the result, unless the next person starts first.
        if (st.run.clearcountdown >= 7) {
            st.run.clearcountdown = 0;
            win.request_clearscreen();
        }
    }
}

void checkholiday(Station& st, Tclock& win) {
    const QDate today = st.clock().now().date();
    // Only the month and day count.
    const bool holiday = holiday_on(st, today.month() * 100 + today.day());
    win.lblholiday->setText(holiday ? QStringLiteral("HOLIDAY HOURS TODAY") : QString());
}

void showmessageline(Station& st, Tclock& win) {
    // While the station punches on its own, the line says so; while punching waits for the
    // pay rules, it says that; and nothing else.
    if (show_offline_notice(st, win))
        return;
    if (!st.settings.payrules_loaded) {
        win.lblmsg->setText(payrules_waiting_text(st.settings));
        return;
    }
    checksuite(st);
    if (st.settings.suitemissing == 1)
        return;
    QString line;
    if (const auto bytes = st.files().read(st.shared(QStringLiteral("punchwell.txt"))))
        line = first_line(*bytes);
    win.lblmsg->setText(line);
}

void movelocalfiles(Station& st) {
    checksuite(st);
    if (st.settings.suitemissing == 1)
        return;
    // Running from the suite's own folder: the files are where they belong.
    if (st.files().exists(st.local(QStringLiteral("parv.exe"))))
        return;
    for (const char* name : kLocalFiles) {
        const QString file = QString::fromLatin1(name);
        const QString local = st.local(file);
        if (!st.files().exists(local))
            continue;
        const QString shared = st.shared(file);
        bool kept_safe = true;
        if (!st.files().exists(shared))
            kept_safe = st.files().copy(local, shared) == 0;
        // The template stays: start-up makes the node's report database from it. A file
        // that could not be copied stays too, so nothing is lost.
        if (!kept_safe || file == QLatin1String("rpt00.sys"))
            continue;
        if (file == QLatin1String("punchclk.mdb"))
            keep_old_punches(st, local);
        else
            st.files().remove(local);
    }
}

bool newer_release(const QString& release) {
    return QString::compare(release.trimmed(), QString::fromLatin1(kVersion), Qt::CaseSensitive) >
           0;
}

bool checkupdate(Station& st, Tclock& win) {
    checksuite(st);
    if (st.settings.suitemissing != 0)
        return false;
    const QString published = st.shared(kReleaseFile);
    if (!st.files().exists(published))
        return false;
    const auto bytes = st.files().read(published);
    if (!bytes || !newer_release(first_line(*bytes)))
        return false;

    remove_if_there(st, st.local(kRunMarker));
    remove_if_there(st, st.local(kReleaseFile));
    st.files().copy(published, st.local(kReleaseFile));
    stop_timer(win);
    st.programs().start(QStringLiteral("swupdate.exe"));
    closestation(st, win);
    return true;
}

void closestation(Station& st, Tclock& win) {
    if (win.closing())
        return;
    win.mark_closing();
    if (st.run.alreadyrunning == -5)
        st.dialogs().message(QStringLiteral("Punchwell is already running; you may reopen it\r\n"
                                            "by clicking on the Punchwell icon in your taskbar."),
                             QStringLiteral("FYI..."), Icon::Information);
    stop_timer(win);
    closealldata(st.kept_connections());
    remove_if_there(st, st.local(kRunMarker));
    win.instance.reset();
    QCoreApplication::processEvents();
    win.close();
}

} // namespace pw
