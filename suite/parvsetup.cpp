// parvsetup [--demo] [--force] [--postgres URL] [--config-password PW] DIR: lays out a data
// folder and a station folder under DIR, the shared databases as SQLite files or on a
// PostgreSQL server; run again, it brings the station folder up to the installed package.
// parvsetup --copy-to URL DIR: copies DIR/data's databases into an empty server database.
// parvsetup [--jobs FILE] [--staff FILE] [--list-staff] DIR: a club's jobs and staff.
#include "copyto.h"
#include "demo.h"
#include "installation.h"
#include "staff.h"

#include "station/settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <optional>

namespace {

constexpr char kUsage[] =
    "usage: parvsetup [--demo] [--force] [--postgres URL] [--config-password PW] DIR\n"
    "       parvsetup [--jobs FILE] [--staff FILE] [--list-staff] DIR\n"
    "       parvsetup --copy-to URL DIR\n";

constexpr char kHelp[] = R"(
Lays out DIR/data, the suite's shared data folder, and DIR/station, the folder a clock
station runs in (start punchwell there). Databases and text files that exist are kept;
the station folder's programs and help texts become links to the installed ones, so run
it again after an upgrade. The first thing that cannot be made stops it (exit status 1).

  --demo    add a demo club (employees, jobs, punches, tickets, holidays) and print
            its logins
  --force   replace databases and text files that already exist, and the station's
            own copies of the programs and help texts
  --postgres URL
            make the shared databases as schemas of the PostgreSQL database at URL
            (postgresql://user@host:port/dbname) and name it in parvnode.ini
  --config-password PW
            set the club's configuration password (without it a new club has the
            suite's default, "zvt")
  --copy-to URL
            copy DIR/data's databases into the empty PostgreSQL database at URL,
            all or nothing
  --jobs FILE
            add or update jobs from a CSV file: code,description,break after hours,
            break hours
  --staff FILE
            add or update employees from a CSV file: number,first name,last name,
            password,role,jobs (role employee, manager or inactive; jobs "code:rate"
            pairs separated by blanks); an empty password keeps the stored one
  --list-staff
            write the employees in that form, without passwords, to standard output
  --help    show this text and quit
  --version show the version and quit
Each file is loaded whole or not at all; a refused file names its line and column.
)";

// Loads a jobs or staff file; false (after saying why) when it is refused.
template <typename Load>
bool load(const QString& path, const suite::Installation& inst, Load load_file) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QTextStream(stderr) << "could not read " << path << ": " << file.errorString() << "\n";
        return false;
    }
    const suite::LoadResult r = load_file(inst.db_access, inst.data + "EMP.MDB", file.readAll());
    if (r.ok)
        QTextStream(stdout) << path << ": " << r.message << "\n";
    else
        QTextStream(stderr) << "refused " << path << ": " << r.message << "\n";
    return r.ok;
}

int club_files(const QString& root, const std::optional<QString>& jobs,
               const std::optional<QString>& staff, bool list) {
    const suite::Installation inst = suite::open_installation(root);
    if (!inst.failure.isEmpty()) {
        QTextStream(stderr) << inst.failure << " (lay the folder out with parvsetup DIR first)\n";
        return 1;
    }
    // Jobs first: the staff file names them.
    if (jobs && !load(*jobs, inst, suite::load_jobs))
        return 1;
    if (staff && !load(*staff, inst, suite::load_staff))
        return 1;
    if (list) {
        try {
            QTextStream(stdout) << suite::list_staff(inst.db_access, inst.data + "EMP.MDB");
        } catch (const pw::DbError& e) {
            QTextStream(stderr) << "could not list the staff of " << inst.data
                                << "EMP.MDB: " << e.what() << "\n";
            return 1;
        }
    }
    return 0;
}

int set_up(const QString& root, const suite::Options& options) {
    QStringList report;
    const suite::Installation inst = suite::create_installation(root, options, &report);
    QTextStream out(stdout);
    for (const QString& line : report)
        out << line << "\n";
    out.flush();
    if (!inst.failure.isEmpty()) {
        QTextStream(stderr) << inst.failure << "\n";
        return 1;
    }
    if (options.demo) {
        out << "\nDemo logins (employee number, password, name, role):\n";
        for (const suite::DemoLogin& login : suite::demo_logins())
            out << QStringLiteral("  %1  %2  %3  %4\n")
                       .arg(login.empid, 4)
                       .arg(login.password, -6)
                       .arg(login.name, -16)
                       .arg(login.role);
        if (inst.default_password)
            out << "Configuration password: zvt\n";
    }
    if (inst.default_password && !options.demo)
        out << "\nThe configuration password is the suite's default, \"zvt\": anyone who knows it\n"
               "can change the pay rules. Set the club's own with\n"
               "  parvsetup --config-password PW "
            << root << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains("--help") || args.contains("-h")) {
        QTextStream(stdout) << kUsage << kHelp;
        return 0;
    }
    if (args.contains("--version")) {
        QTextStream(stdout) << "parvsetup " << pw::kVersion << "\n";
        return 0;
    }
    suite::Options options;
    options.demo = args.removeAll("--demo") > 0;
    options.force = args.removeAll("--force") > 0;
    const bool list = args.removeAll("--list-staff") > 0;
    // Options with a value: the value follows the option.
    bool missing_value = false;
    auto take = [&](const QString& option) -> std::optional<QString> {
        const qsizetype at = args.indexOf(option);
        if (at < 0)
            return std::nullopt;
        if (at + 1 >= args.size()) {
            missing_value = true;
            return std::nullopt;
        }
        const QString value = args.takeAt(at + 1);
        args.removeAt(at);
        return value;
    };
    const std::optional<QString> postgres = take("--postgres");
    const std::optional<QString> copy_to = take("--copy-to");
    const std::optional<QString> password = take("--config-password");
    const std::optional<QString> staff = take("--staff");
    const std::optional<QString> jobs = take("--jobs");
    options.database = postgres.value_or(QString());
    options.config_password = password.value_or(QString());
    const bool set_up_options = postgres || password || options.demo || options.force;
    const bool club = staff || jobs || list;
    if (missing_value || args.size() != 1 || args.first().isEmpty() ||
        args.first().startsWith('-') || (copy_to && (set_up_options || club)) ||
        (club && set_up_options)) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    if (password && password->trimmed().isEmpty()) {
        // An empty password would let anyone at a station into the configuration.
        QTextStream(stderr) << "parvsetup: the configuration password must not be empty\n";
        return 2;
    }
    if (copy_to) {
        QStringList report;
        const bool ok = suite::copy_to_server(args.first(), *copy_to, &report);
        for (const QString& line : report)
            QTextStream(stdout) << line << "\n";
        return ok ? 0 : 1;
    }
    if (club)
        return club_files(args.first(), jobs, staff, list);
    return set_up(args.first(), options);
}
