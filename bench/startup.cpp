// bench_startup STATION [idle]: the station as main() starts it, built from what the station's
// program is built from and nothing else, on the club's working folder; prints "ready" at the
// first paint of its window, then closes. With idle, its resident memory after a second of
// idling first. The benchmark starts it beside bench_floor.
#include "firstpaint.h"

#include "app/wiring.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/programs.h"
#include "platform/qtdialogs.h"
#include "platform/qtkeyboard.h"
#include "platform/qtprinters.h"
#include "station/station.h"
#include "window/startup.h"
#include "window/tclock.h"

#include <QApplication>

int main(int argc, char** argv) {
    const bench::MainStarted since;
    bench::offscreen_by_default();
    QApplication app(argc, argv);
    const QString station = app.arguments().value(1);
    const bool idle = app.arguments().value(2) == QLatin1String("idle");
    pw::QtDialogs dialogs;
    pw::SystemClock clock;
    pw::QtPrinters printers;
    pw::QtPrograms programs(station, station); // the stand-ins stand in the station folder
    pw::DiskFiles files;
    pw::QtKeyboard keyboard;
    pw::Station st(pw::Platform{dialogs, clock, printers, programs, files, &keyboard}, station);
    pw::Tclock win;
    win.setWindowState(Qt::WindowFullScreen);
    bench::FirstPaint painted(win, since, [&] {
        QTimer::singleShot(idle ? 1000 : 0, [&] {
            if (idle)
                std::printf("idle_rss_mb %.1f\n", bench::memory_mb("VmRSS:"));
            std::fflush(stdout);
            pw::closestation(st, win);
            QCoreApplication::quit();
        });
    });
    pw::wire_station(st, win);
    if (pw::startup(st, win) != pw::Started::Running)
        return 1;
    return QCoreApplication::exec() * 0;
}
