#pragma once
// Tells whether another copy of the station already runs from the same working folder.

#include <QByteArray>
#include <QString>

namespace pw {

// A lock the system holds on the folder's lock file for as long as this copy keeps the file
// open: it goes with the copy however the copy ends, and taking it waits for no disk.
class InstanceGuard {
public:
    explicit InstanceGuard(const QString& workdir);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;
    // True when this copy now holds the station's lock; false when another copy holds it or
    // the lock file cannot be opened.
    bool acquire();

private:
    QByteArray path_;
    int fd_ = -1;
};

} // namespace pw
