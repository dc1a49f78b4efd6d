// punchwell: the employee time clock station. Runs in the folder that holds parvnode.ini.
#include "app/wiring.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/printers.h"
#include "platform/programs.h"
#include "station/startup.h"
#include "station/station.h"
#include "station/tclock.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString workdir = QDir::currentPath();
    pw::QtDialogs dialogs;
    pw::SystemClock clock;
    pw::QtPrinters printers;
    pw::QtPrograms programs(workdir);
    pw::DiskFiles files;
    pw::Station st(pw::Platform{dialogs, clock, printers, programs, files}, workdir);

    pw::Tclock win;
    // A clock station owns its screen; --windowed is for a manager's desk.
    if (app.arguments().contains(QStringLiteral("--windowed")))
        pw::fit_to_screen(win, QSize(1024, 768));
    else
        win.setWindowState(Qt::WindowFullScreen);
    pw::wire_station(st, win);
    if (!pw::startup(st, win))
        return 0;
    return app.exec();
}
