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
    pw::wire_station(st, win);
    if (!pw::startup(st, win))
        return 0;
    return app.exec();
}
