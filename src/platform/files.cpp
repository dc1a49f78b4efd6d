#include "files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace pw {

namespace {

int open_error(const QString& path) {
    Q_UNUSED(path);
    return 75;
}

} // namespace

bool DiskFiles::exists(const QString& path) const { return QFileInfo(path).isFile(); }

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
    const QDir dir = info.dir();
    const QString wanted = info.fileName();
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& entry : entries)
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return path.left(path.size() - wanted.size()) + entry;
    return path;
}

} // namespace pw
