// punchwell: the employee time clock station. Runs in the folder that holds parvnode.ini.
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/printers.h"
#include "platform/programs.h"
#include "station/settings.h"
#include "station/station.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString workdir = QDir::currentPath();
    pw::QtDialogs dialogs;
    pw::SystemClock clock;
    pw::QtPrinters printers;
    pw::QtPrograms programs(workdir);
    pw::DiskFiles files;
    pw::Station st(pw::Platform{dialogs, clock, printers, programs, files}, workdir);

    if (!pw::initnode(st))
        return 0;
    pw::checksuite(st);
    if (st.settings.suitemissing == 1) {
        dialogs.message(QStringLiteral("Punchwell cannot connect to Parvela.\r\nClick OK to close "
                                       "Punchwell now."),
                        QStringLiteral("Punchwell - Critical Problem"), pw::Icon::Information);
        return 0;
    }
    pw::loadsettings(st);
    QMainWindow window;
    window.setWindowTitle(QString::fromLatin1(pw::kTitle));
    window.resize(1024, 768);
    window.show();
    return app.exec();
}
