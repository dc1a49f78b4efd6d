#include "programs.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace pw {

QtPrograms::QtPrograms(QString workdir) : workdir_(std::move(workdir)) {}

bool QtPrograms::exists(const QString& name) const {
    return QFileInfo(QDir(workdir_).filePath(name)).isFile();
}

void QtPrograms::start(const QString& command_line) {
    QStringList args = QProcess::splitCommand(command_line);
    if (args.isEmpty())
        return;
    const QString name = args.takeFirst();
    QString program = QDir(workdir_).filePath(name);
    if (!QFileInfo(program).isExecutable())
        program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return;
    QProcess::startDetached(program, args, workdir_);
}

} // namespace pw
