// punchwell: the employee time clock station. Runs in the folder that holds parvnode.ini.
#include "app/wiring.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/programs.h"
#include "platform/qtdialogs.h"
#include "platform/qtkeyboard.h"
#include "platform/qtprinters.h"
#include "screens/touchkeys.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/startup.h"
#include "window/tclock.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr char kUsage[] = R"(usage: punchwell [--windowed]

The Parvela Punchwell time clock station. Start it in the station folder, the
folder that holds parvnode.ini (laid out by parvsetup).

  --windowed   run in an ordinary window instead of full screen
  --help       show this text and quit
  --version    show the version and quit

Exit status: 0 after a close, 2 when this folder holds no parvnode.ini, 3 when a
station already runs in this folder, 4 when the data folder cannot be reached.
Closing the station asks for the club's configuration password.
)";

// --help and --version answer before any window system is needed, so they work on a
// terminal without a display.
std::optional<int> answer_without_display(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("punchwell %s\n", pw::kVersion);
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto code = answer_without_display(argc, argv))
        return *code;
    QApplication app(argc, argv);
    const QString workdir = QDir::currentPath();
    pw::QtDialogs dialogs;
    pw::SystemClock clock;
    pw::QtPrinters printers;
    // Installed as /usr/bin/punchwell, its stand-in programs live in /usr/lib/punchwell and
    // the help texts in /usr/share/punchwell/help.
    pw::QtPrograms programs(workdir,
                            QDir::cleanPath(app.applicationDirPath() + "/../lib/punchwell"),
                            QDir::cleanPath(app.applicationDirPath() + "/../share/punchwell/help"));
    pw::DiskFiles files;
    pw::QtKeyboard keyboard;
    pw::Station st(pw::Platform{dialogs, clock, printers, programs, files, &keyboard}, workdir);

    pw::Tclock win;
    // A clock station owns its screen; --windowed is for a manager's desk.
    if (app.arguments().contains(QStringLiteral("--windowed")))
        pw::fit_to_screen(win, QSize(1024, 768));
    else
        pw::fill_screen(win);
    pw::wire_station(st, win);
    const pw::Started started = pw::startup(st, win);
    if (started != pw::Started::Running) {
        // A supervisor (the kiosk session, systemd) sees that the station did not start.
        std::fprintf(stderr, "%s\n", pw::startup_failure_text(started));
        return pw::exit_status(started);
    }
    return app.exec();
}
