// parvsetup [--demo] [--force] [--postgres URL] DIR: lays out a data folder and a station
// folder under DIR, the shared databases as SQLite files or on a PostgreSQL server.
// parvsetup --copy-to URL DIR: copies DIR/data's databases into an empty server database.
#include "copyto.h"
#include "demo.h"
#include "installation.h"

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>
#include <optional>

namespace {

constexpr char kUsage[] = "usage: parvsetup [--demo] [--force] [--postgres URL] DIR\n"
                          "       parvsetup --copy-to URL DIR\n";

constexpr char kHelp[] = R"(
Lays out DIR/data, the suite's shared data folder, and DIR/station, the folder a clock
station runs in (start punchwell there). Databases and text files that exist are kept;
the suite's programs and help texts are always brought up to date.

  --demo    add a demo club (employees, jobs, punches, tickets, holidays) and print
            its logins
  --force   replace databases and text files that already exist
  --postgres URL
            make the shared databases as schemas of the PostgreSQL database at URL
            (postgresql://user@host:port/dbname) and name it in parvnode.ini
  --copy-to URL
            copy DIR/data's databases into the empty PostgreSQL database at URL,
            all or nothing
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
    // Options with a value: the value follows the option.
    auto take = [&args](const QString& option) -> std::optional<QString> {
        const qsizetype at = args.indexOf(option);
        if (at < 0 || at + 1 >= args.size())
            return std::nullopt;
        const QString value = args.takeAt(at + 1);
        args.removeAt(at);
        return value;
    };
    const std::optional<QString> postgres = take("--postgres");
    const std::optional<QString> copy_to = take("--copy-to");
    options.database = postgres.value_or(QString());
    if (args.size() != 1 || args.first().isEmpty() || args.first().startsWith('-') ||
        (copy_to && (postgres || options.demo || options.force))) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    QStringList report;
    QTextStream out(stdout);
    if (copy_to) {
        const bool ok = suite::copy_to_server(args.first(), *copy_to, &report);
        for (const QString& line : report)
            out << line << "\n";
        return ok ? 0 : 1;
    }
    suite::create_installation(args.first(), options, &report);
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
