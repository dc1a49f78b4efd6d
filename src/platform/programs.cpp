#include "programs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace pw {

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool bare_name(const QString& name) {
    return !name.isEmpty() && !name.contains('/') && name != "." && name != "..";
}

} // namespace

bool own_copy(const QString& local, const QString& installed) {
    const QFileInfo info(local);
    if (!info.isFile() || info.isSymLink())
        return false;
    QByteArray mine = contents(local);
    // What the installer wrote, of this release or an earlier one.
    if (mine.contains("Parvela stand-in") || mine.contains("usage: qwcedit FILE"))
        return false;
    QByteArray theirs = contents(installed);
    // A help text copied with other line ends is still a copy.
    return mine.replace('\r', "") != theirs.replace('\r', "");
}

QString preferred_file(const QString& station_folder, const QString& installed_folder,
                       const QString& name) {
    const QString local = QDir(station_folder).filePath(name);
    const QString installed =
        installed_folder.isEmpty() ? QString() : QDir(installed_folder).filePath(name);
    if (!installed.isEmpty() && QFileInfo(installed).isFile() && !own_copy(local, installed))
        return QFileInfo(installed).absoluteFilePath();
    return QFileInfo(local).isFile() ? QFileInfo(local).absoluteFilePath() : QString();
}

QtPrograms::QtPrograms(QString workdir, QString libdir, QString helpdir)
    : workdir_(std::move(workdir))
    , libdir_(std::move(libdir))
    , helpdir_(std::move(helpdir)) {}

bool QtPrograms::exists(const QString& name) const {
    return QFileInfo(QDir(workdir_).filePath(name)).isFile();
}

QString QtPrograms::locate(const QString& name) const {
    // A bare file name only: "../x" or "/bin/x" must not reach outside the two folders.
    if (!bare_name(name))
        return {};
    const QString program = preferred_file(workdir_, libdir_, name);
    return !program.isEmpty() && QFileInfo(program).isExecutable() ? program : QString();
}

void QtPrograms::start(const QString& command_line) {
    QStringList args = QProcess::splitCommand(command_line);
    if (args.isEmpty())
        return;
    const QString program = locate(args.takeFirst());
    if (program.isEmpty())
        return;
    for (QString& arg : args)
        if (bare_name(arg) && !helpdir_.isEmpty() &&
            QFileInfo(QDir(helpdir_).filePath(arg)).isFile())
            arg = preferred_file(workdir_, helpdir_, arg);
    QProcess::startDetached(program, args, workdir_);
}

} // namespace pw
