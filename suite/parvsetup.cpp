// parvsetup [--demo] [--force] DIR: lays out a data folder and a station folder under DIR.
#include "installation.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    suite::Options options;
    options.demo = args.removeAll("--demo") > 0;
    options.force = args.removeAll("--force") > 0;
    QTextStream out(stdout);
    if (args.size() != 1) {
        out << "usage: parvsetup [--demo] [--force] DIR\n";
        return 2;
    }
    QStringList report;
    suite::create_installation(args.first(), options, &report);
    for (const QString& line : report)
        out << line << "\n";
    return 0;
}
