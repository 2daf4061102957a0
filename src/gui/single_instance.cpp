#include "gui/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace xq::gui {

SingleInstance::SingleInstance(QString lockPath)
    : lock_(std::make_unique<QLockFile>(lockPath.isEmpty() ? defaultLockPath() : lockPath)),
      conversions_(lockPath.isEmpty() ? std::string()
                                      : (lockPath + QStringLiteral(".instance")).toStdString()) {
    // Held for the whole run: never stale by age, only when its process has gone.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    // A lock whose owner no longer runs is stale and taken over; anything else (a running copy, or
    // a folder we may not write) keeps this copy from starting twice over the same working
    // directories.
    if (!lock_->tryLock(100)) {
        return false;
    }
    if (!conversions_.acquire()) {
        lock_->unlock();
        return false;
    }
    return true;
}

QString SingleInstance::defaultLockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return QDir(folder).filePath(QStringLiteral("xq3100-converter.lock"));
}

}  // namespace xq::gui
