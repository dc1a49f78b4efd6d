#include "station.h"

#include <QDir>

namespace pw {

Station::Station(Platform io, QString workdir) : io_(io), workdir_(std::move(workdir)) {}

QString Station::local(const QString& name) const {
    return resolve_name(QDir(workdir_).filePath(name));
}

QString Station::path(const QString& prefixed) const {
    return resolve_name(QDir(workdir_).filePath(prefixed));
}

} // namespace pw
