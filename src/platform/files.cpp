#include "files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <dirent.h>

namespace pw {

namespace {

int open_error(const QString& path) {
    Q_UNUSED(path);
    return 75;
}

} // namespace

bool DiskFiles::exists(const QString& path) const {
    return QFileInfo(path).isFile();
}

std::optional<QByteArray> DiskFiles::read(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

int DiskFiles::append(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return open_error(path);
    if (f.write(bytes) != bytes.size() || !f.flush())
        return 57;
    return 0;
}

int DiskFiles::write(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    f.setDirectWriteFallback(true);
    if (!f.open(QIODevice::WriteOnly))
        return open_error(path);
    if (f.write(bytes) != bytes.size())
        return 57;
    return f.commit() ? 0 : 57;
}

int DiskFiles::replace(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path); // no direct-write fallback: the old file is never half overwritten
    if (!f.open(QIODevice::WriteOnly))
        return open_error(path);
    if (f.write(bytes) != bytes.size())
        return 57;
    return f.commit() ? 0 : 57;
}

int DiskFiles::copy(const QString& from, const QString& to) {
    if (!QFileInfo(from).isFile())
        return 53;
    if (QFileInfo::exists(to) && !QFile::remove(to))
        return 75;
    return QFile::copy(from, to) ? 0 : 75;
}

int DiskFiles::remove(const QString& path) {
    if (!QFileInfo::exists(path))
        return 53;
    return QFile::remove(path) ? 0 : 75;
}

QString resolve_name(const QString& path) {
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const QFileInfo info(path);
    const QString wanted = info.fileName();
    // The folder's names as it lists them, unsorted and without looking at any entry. Of
    // names that differ only in case the first in code order is taken, so the answer does not
    // depend on the folder's order.
    QString found;
    if (DIR* dir = opendir(QFile::encodeName(info.path()).constData())) {
        while (const dirent* entry = readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            if (name.compare(wanted, Qt::CaseInsensitive) == 0 && (found.isEmpty() || name < found))
                found = name;
        }
        closedir(dir);
    }
    return found.isEmpty() ? path : path.left(path.size() - wanted.size()) + found;
}

} // namespace pw
