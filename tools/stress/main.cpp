// punchstress: proves on real processes that no punch is lost or doubled. Many station
// processes punch on one data folder, then children are killed at random moments of punch
// out, export, import and archive/purge. Prints one line per phase; exits non-zero on any
// fault.
#include "harness.h"
#include "worker.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int usage() {
    std::fputs("usage: punchstress [--stations N] [--cycles M] [--kills K] [--postgres URL]\n"
               "                   [--pace MS] [--import-during-punches] [--offline]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--worker") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return stress::run_worker(app.arguments().mid(2));
    }

    QCoreApplication app(argc, argv);
    stress::HarnessOptions options;
    QStringList args = app.arguments().mid(1);
    options.import_during_punches = args.removeAll(QStringLiteral("--import-during-punches")) > 0;
    options.offline = args.removeAll(QStringLiteral("--offline")) > 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size())
            return usage();
        const QString value = args[++i];
        bool ok = true;
        if (a == QLatin1String("--stations"))
            options.stations = value.toInt(&ok);
        else if (a == QLatin1String("--cycles"))
            options.cycles = value.toInt(&ok);
        else if (a == QLatin1String("--kills"))
            options.kills = value.toInt(&ok);
        else if (a == QLatin1String("--pace"))
            options.pace_ms = value.toInt(&ok);
        else if (a == QLatin1String("--postgres"))
            options.postgres = value;
        else
            return usage();
        if (!ok || options.stations < 1 || options.cycles < 0 || options.kills < 0 ||
            options.pace_ms < 0)
            return usage();
    }
    return stress::run_harness(options);
}
