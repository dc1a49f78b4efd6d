#pragma once
// Tells whether another copy of the station already runs from the same working folder.

#include <QLockFile>
#include <QString>
#include <memory>

namespace pw {

class InstanceGuard {
public:
    explicit InstanceGuard(const QString& workdir);
    // True when this copy now holds the station's lock; false when another copy holds it.
    bool acquire();

private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace pw
