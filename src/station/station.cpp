#include "station.h"

#include <QDir>
#include <QFileInfo>

namespace pw {

Station::Station(Platform io, QString workdir)
    : io_(io)
    , workdir_(std::move(workdir))
    , workdir_slash_(QDir(workdir_).path()) {
    if (!workdir_slash_.endsWith(u'/'))
        workdir_slash_ += u'/';
}

QString Station::local(const QString& name) const {
    return path(name);
}

QString Station::path(const QString& prefixed) const {
    // Joined as QDir joins it, without building one at every database opened: an absolute
    // name stands as it is, a relative one goes below the folder.
    if (prefixed.isEmpty() || prefixed.contains(u':'))
        return resolve_name(QDir(workdir_).filePath(prefixed));
    return resolve_name(prefixed.startsWith(u'/') ? prefixed : workdir_slash_ + prefixed);
}

DbAccess Station::db_access() const {
    DbAccess access{busy_timeout_ms, settings.database, {}, connections_};
    if (access.server.isEmpty())
        return access;
    // The folder of the suite's program: the file's own letter case does not change it, so no
    // file of the (shared) folder is looked at for it at every database opened.
    const QString from = workdir_ + QLatin1Char('\n') + settings.mapdrive;
    if (data_folder_.isEmpty() || from != data_folder_from_ || !QDir::isAbsolutePath(workdir_)) {
        data_folder_ =
            QFileInfo(QDir(workdir_).filePath(settings.mapdrive + QStringLiteral("parv.exe")))
                .absolutePath();
        data_folder_from_ = from;
    }
    access.data_folder = data_folder_;
    return access;
}

} // namespace pw
