#include "instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {

namespace {

// The same file under the same name: a copy that was closing may have removed the file this
// one opened, in which case the lock taken on it locks nothing anyone else can see.
bool still_named(int fd, const QByteArray& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

InstanceGuard::InstanceGuard(const QString& workdir)
    : path_(QFile::encodeName(QDir(workdir).filePath(QStringLiteral(".punchwell.lock")))) {}

InstanceGuard::~InstanceGuard() {
    if (fd_ < 0)
        return;
    // Removed while still held, so that no copy finds a file of a copy that has gone.
    ::unlink(path_.constData());
    ::close(fd_);
}

bool InstanceGuard::acquire() {
    if (fd_ >= 0)
        return true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(path_.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        if (!still_named(fd, path_)) {
            ::close(fd);
            continue;
        }
        // Who holds it, as older copies of the station write it and read it: process, program
        // and machine, so that they take a lock left by a copy that died for free. Nothing
        // rests on this reaching the disk: the lock is what counts.
        const QByteArray holder = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                                  QCoreApplication::applicationName().toUtf8() + '\n' +
                                  QSysInfo::machineHostName().toUtf8() + '\n';
        const bool told = ::ftruncate(fd, 0) == 0 &&
                          ::write(fd, holder.constData(), size_t(holder.size())) == holder.size();
        Q_UNUSED(told);
        fd_ = fd;
        return true;
    }
    return false;
}

} // namespace pw
