#include "instance.h"

#include <QDir>

namespace pw {

InstanceGuard::InstanceGuard(const QString& workdir)
    : lock_(std::make_unique<QLockFile>(QDir(workdir).filePath(QStringLiteral(".punchwell.lock")))) {
    lock_->setStaleLockTime(0);
}

bool InstanceGuard::acquire() { return lock_->isLocked() || lock_->tryLock(0); }

} // namespace pw
