// parvsetup [--demo] [--force] DIR: lays out a data folder and a station folder under DIR.
#include "demo.h"
#include "installation.h"

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>

namespace {

constexpr char kUsage[] = "usage: parvsetup [--demo] [--force] DIR\n";

constexpr char kHelp[] = R"(
Lays out DIR/data, the suite's shared data folder, and DIR/station, the folder a clock
station runs in (start punchwell there). Databases and text files that exist are kept;
the suite's programs and help texts are always brought up to date.

  --demo    add a demo club (employees, jobs, punches, tickets, holidays) and print
            its logins
  --force   replace databases and text files that already exist
  --help    show this text and quit
)";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains("--help") || args.contains("-h")) {
        QTextStream(stdout) << kUsage << kHelp;
        return 0;
    }
    suite::Options options;
    options.demo = args.removeAll("--demo") > 0;
    options.force = args.removeAll("--force") > 0;
    if (args.size() != 1 || args.first().isEmpty() || args.first().startsWith('-')) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    QStringList report;
    suite::create_installation(args.first(), options, &report);
    QTextStream out(stdout);
    for (const QString& line : report)
        out << line << "\n";
    if (options.demo) {
        out << "\nDemo logins (employee number, password, name, role):\n";
        for (const suite::DemoLogin& login : suite::demo_logins())
            out << QStringLiteral("  %1  %2  %3  %4\n")
                       .arg(login.empid, 4)
                       .arg(login.password, -6)
                       .arg(login.name, -16)
                       .arg(login.role);
        out << "Configuration password: zvt\n";
    }
    const bool failed = std::any_of(report.begin(), report.end(), [](const QString& line) {
        return line.startsWith("could not");
    });
    return failed ? 1 : 0;
}
