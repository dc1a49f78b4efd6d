#include "programs.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace pw {

QtPrograms::QtPrograms(QString workdir, QString libdir)
    : workdir_(std::move(workdir))
    , libdir_(std::move(libdir)) {}

bool QtPrograms::exists(const QString& name) const {
    return QFileInfo(QDir(workdir_).filePath(name)).isFile();
}

QString QtPrograms::locate(const QString& name) const {
    // A bare file name only: "../x" or "/bin/x" must not reach outside the two folders.
    if (name.isEmpty() || name.contains('/'))
        return {};
    for (const QString& folder : {workdir_, libdir_}) {
        if (folder.isEmpty())
            continue;
        const QFileInfo program(QDir(folder).filePath(name));
        if (program.isFile() && program.isExecutable())
            return program.absoluteFilePath();
    }
    return {};
}

void QtPrograms::start(const QString& command_line) {
    QStringList args = QProcess::splitCommand(command_line);
    if (args.isEmpty())
        return;
    const QString program = locate(args.takeFirst());
    if (!program.isEmpty())
        QProcess::startDetached(program, args, workdir_);
}

} // namespace pw
