#pragma once
// What the benchmark's programs share: their clocks, their memory, and the moment a window is
// first painted.

#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>
#include <cstdio>
#include <ctime>
#include <functional>
#include <utility>

namespace bench {

// Windows are drawn off any screen unless QT_QPA_PLATFORM says otherwise; before QApplication.
inline void offscreen_by_default() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline double now_ms(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Resident memory of this process in MB: "VmRSS" now or "VmHWM" at its peak.
inline double memory_mb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field)) + 1).trimmed().split(' ').value(0).toDouble() /
                   1024;
    return 0;
}

// The clocks at the start of main(), where the program's own work begins.
struct MainStarted {
    double wall = now_ms(CLOCK_MONOTONIC);
    double cpu = now_ms(CLOCK_PROCESS_CPUTIME_ID);
};

// Prints "ready", the wall-clock and CPU milliseconds since main() began, when w is first
// painted, then calls after.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget& w, const MainStarted& since, std::function<void()> after)
        : since_(since)
        , after_(std::move(after)) {
        w.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && after_) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, [this] {
                std::printf("ready %.2f %.2f\n", now_ms(CLOCK_MONOTONIC) - since_.wall,
                            now_ms(CLOCK_PROCESS_CPUTIME_ID) - since_.cpu);
                std::fflush(stdout);
                std::exchange(after_, nullptr)();
            });
        }
        return false;
    }

private:
    MainStarted since_;
    std::function<void()> after_;
};

} // namespace bench
