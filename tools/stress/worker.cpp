#include "worker.h"

#include "app/wiring.h"
#include "config/purge.h"
#include "exchange/exchange.h"
#include "offline/offline.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/printers.h"
#include "platform/programs.h"
#include "punchlog.h"
#include "station/db.h"
#include "station/station.h"
#include "window/startup.h"
#include "window/tclock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <cstdio>

namespace stress {

namespace {

// Answers every box at once: questions with a fixed answer, inputs from a queue, the file
// chooser with one name. Counts the busy boxes and keeps the texts for the child's stderr.
class WorkerDialogs : public pw::Dialogs {
public:
    bool yes = false;
    QStringList inputs;
    QString file;
    int busy = 0;
    QMap<QString, int> shown; // each distinct box and how often it came

    void message(const QString& text, const QString& title, pw::Icon) override {
        note(title, text);
    }
    bool ask_yes_no(const QString& text, const QString& title) override {
        note(title, text);
        return yes;
    }
    void ask_yes_no_later(const QString& text, const QString& title,
                          std::function<void(bool)> answered) override {
        answered(ask_yes_no(text, title));
    }
    void close_question() override {}
    bool question_open() const override { return false; }
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString&) override {
        note(title, prompt);
        if (inputs.isEmpty())
            return std::nullopt;
        return inputs.takeFirst();
    }
    std::optional<QString> choose_file(pw::FileMode, const QString& title, const QString&,
                                       const QString&, const QString&) override {
        note(title, file);
        if (file.isEmpty())
            return std::nullopt;
        return file;
    }

private:
    void note(const QString& title, const QString& text) {
        if (is_busy_box(title, text))
            ++busy;
        ++shown[title + QStringLiteral(": ") + QString(text).replace(u'\n', u' ').left(100)];
    }
};

// The real time of day, but a pause only lets window events run: a person reads the result
// faster than the station's pauses, and two hundred cycles must not take hours.
class BriskClock : public pw::Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    void pause(int) override { QCoreApplication::processEvents(); }
};

// The stand-in programs do nothing; starting them hundreds of times only costs processes.
class NoPrograms : public pw::Programs {
public:
    bool exists(const QString&) const override { return false; }
    void start(const QString&) override {}
};

class NoPrinters : public pw::Printers {
public:
    QStringList names() const override { return {}; }
    bool print_lines(const QString&, const QString&, const QStringList&) override { return false; }
};

// The shared folder as one station sees it: during a spell the suite's program is gone, so
// the station punches on its own.
class SpellFiles : public pw::DiskFiles {
public:
    bool away = false;
    bool exists(const QString& path) const override {
        return !(away && path.endsWith(QLatin1String("parv.exe"))) && DiskFiles::exists(path);
    }
};

int today_number() {
    const QDate d = QDate::currentDate();
    return d.year() * 10000 + d.month() * 100 + d.day();
}

QString arg_value(const QStringList& args, const QString& name) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
}

// One station child: the platform, the Station and its main window, started as main() does.
class Child {
public:
    explicit Child(const QString& station_dir)
        : st(pw::Platform{dialogs, clock, printers, programs, files}, station_dir) {
        pw::wire_station(st, win);
    }

    bool start() { return pw::startup(st, win) == pw::Started::Running; }

    template <typename W> W* named(const char* name) {
        W* w = win.findChild<W*>(QLatin1String(name));
        if (!w)
            qFatal("punchstress: the main window has no %s", name);
        return w;
    }

    // Walks up to the clock: Start Over, the number and the password typed, Enter after each;
    // then presses Punch OUT when the screen shows an open punch, Punch IN otherwise. Returns
    // the punch the screen confirmed, if any.
    std::optional<LoggedPunch> visit(int emp) {
        QTest::mouseClick(named<QPushButton>("cmdkeypad10"), Qt::LeftButton);
        auto* number = named<QLineEdit>("txtempid");
        QTest::keyClicks(number, QString::number(emp));
        QTest::keyClick(number, Qt::Key_Return);
        auto* password = named<QLineEdit>("txtpassword");
        QTest::keyClicks(password, QString::number(password_of(emp)));
        QTest::keyClick(password, Qt::Key_Return);

        auto* in = named<QPushButton>("cmdpunchin");
        auto* out = named<QPushButton>("cmdpunchout");
        QPushButton* press = nullptr;
        if (out->isVisible() && !in->isVisible())
            press = out;
        else if (in->isVisible())
            press = in;
        if (!press)
            return std::nullopt; // a box told why; the person tries again
        last_offline = st.who.offline;
        LoggedPunch p;
        p.in = press == in;
        p.emp = emp;
        p.date_before = today_number();
        QElapsedTimer took;
        took.start();
        QTest::mouseClick(press, Qt::LeftButton);
        p.usec = took.nsecsElapsed() / 1000;
        p.date_after = today_number();

        // The result on screen speaks of this punch: its job and stored time.
        auto* list = named<QListWidget>("lstjob");
        const QString head = p.in ? QStringLiteral("In at ") : QStringLiteral("Out at ");
        if (list->count() < 2 || !list->item(0)->text().startsWith(head))
            return std::nullopt;
        p.job = st.run.last_job;
        p.time = st.run.last_time;
        return p;
    }

    static qint64 password_of(int emp) { return 1000 + emp; }

    // Sends the journal on, as the tick does once the club is back, until it went through.
    bool forward() {
        for (int attempt = 0; attempt < 50; ++attempt) {
            try {
                pw::forward_journal(st);
                st.run.offline_since = QDateTime();
                st.run.offline_waiting = 0;
                return true;
            } catch (const pw::DbError&) {
                QCoreApplication::processEvents();
            }
        }
        return false;
    }

    void finish() {
        pw::closestation(st, win);
        for (auto it = dialogs.shown.cbegin(); it != dialogs.shown.cend(); ++it)
            std::fprintf(stderr, "%6d x %s\n", it.value(), qPrintable(it.key()));
    }

    WorkerDialogs dialogs;
    BriskClock clock;
    NoPrinters printers;
    NoPrograms programs;
    SpellFiles files;
    pw::Station st;
    pw::Tclock win;
    bool last_offline = false; // the last confirmed punch was made on the station alone
};

void say_ready() {
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
}

// Every cycle is two walks to the clock, each repeated until the screen confirms a punch.
// Cycles whose number is a multiple of shared_every go to the shared employee.
int run_station(Child& c, const QStringList& args) {
    const int cycles = arg_value(args, QStringLiteral("--cycles")).toInt();
    const int own = arg_value(args, QStringLiteral("--emp")).toInt();
    const int shared = arg_value(args, QStringLiteral("--shared")).toInt();
    const int every = arg_value(args, QStringLiteral("--shared-every")).toInt();
    // --offline: spells without the shared folder, from one walk in ten, for about four
    // walks; the journal is sent on after each. --leave-waiting: the last spell's punches
    // are left for a forward child.
    const bool spells = args.contains(QStringLiteral("--offline"));
    const bool leave = args.contains(QStringLiteral("--leave-waiting"));
    const int pace = arg_value(args, QStringLiteral("--pace")).toInt();
    QRandomGenerator rng{static_cast<quint32>(own)};
    QFile log(arg_value(args, QStringLiteral("--log")));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return 2;
    if (spells)
        pw::refresh_local_copy(c.st);
    // Up like every other station; all start punching at the harness's word, as a shift
    // change begins on stations that have been running.
    say_ready();
    std::getchar();
    constexpr int kTries = 50;
    int offline = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const int emp = shared > 0 && every > 0 && cycle % every == 0 ? shared : own;
        for (int walk = 0; walk < 2; ++walk) {
            if (spells && !c.files.away && rng.bounded(10) == 0) {
                c.files.away = true;
            } else if (c.files.away && rng.bounded(4) == 0) {
                c.files.away = false;
                if (!c.forward())
                    return 4;
            }
            if (pace > 0)
                QThread::msleep(rng.bounded(2 * pace));
            for (int attempt = 0; attempt < kTries; ++attempt) {
                if (const auto p = c.visit(emp)) {
                    offline += c.last_offline;
                    log.write(log_line(*p).toUtf8());
                    log.flush();
                    break;
                }
            }
        }
    }
    c.files.away = false;
    if (!leave && !c.forward())
        return 4;
    log.write(busy_line(c.dialogs.busy, offline).toUtf8());
    log.close();
    return 0;
}

int run_punchout(Child& c, const QStringList& args) {
    const QStringList emps =
        arg_value(args, QStringLiteral("--emps")).split(u',', Qt::SkipEmptyParts);
    say_ready();
    for (const QString& e : emps)
        c.visit(e.toInt());
    return 0;
}

// Sends the station's journal on; the parent may kill it on the way.
int run_forward(Child& c) {
    say_ready();
    return c.forward() ? 0 : 4;
}

int run_operation(Child& c, const QString& mode, const QStringList& args) {
    c.dialogs.yes = true;
    c.dialogs.file = arg_value(args, QStringLiteral("--file"));
    const QString from = arg_value(args, QStringLiteral("--from"));
    const QString to = arg_value(args, QStringLiteral("--to"));
    c.dialogs.inputs = {from, to};
    if (mode == QLatin1String("export"))
        c.dialogs.inputs << QStringLiteral("00:00:00") << QStringLiteral("23:59:59");
    say_ready();
    QElapsedTimer span;
    span.start();
    if (mode == QLatin1String("export"))
        pw::export_punches(c.st, *c.win.Timer1);
    else if (mode == QLatin1String("import"))
        pw::import_punches(c.st, *c.win.Timer1);
    else
        pw::archive_purge(c.st, [](const QString&) {});
    std::printf("took %lld ms\n", static_cast<long long>(span.elapsed()));
    std::fflush(stdout);
    return 0;
}

} // namespace

int run_worker(const QStringList& args) {
    const QString mode = args.value(0);
    Child c(arg_value(args, QStringLiteral("--station")));
    if (!c.start()) {
        c.finish();
        return 3;
    }
    int rc = 2;
    if (mode == QLatin1String("station"))
        rc = run_station(c, args);
    else if (mode == QLatin1String("punchout"))
        rc = run_punchout(c, args);
    else if (mode == QLatin1String("forward"))
        rc = run_forward(c);
    else if (mode == QLatin1String("export") || mode == QLatin1String("import") ||
             mode == QLatin1String("purge"))
        rc = run_operation(c, mode, args);
    c.finish();
    return rc;
}

} // namespace stress
