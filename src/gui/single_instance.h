#pragma once

#include <memory>

#include <QLockFile>
#include <QString>

#include "platform/instance_lock.h"

namespace xq::gui {

// Refuses a second running copy for the same user. The lock is held for as long as the program
// runs; a lock left behind by a copy that crashed is recognised as stale (its process is gone) and
// taken over. The window also holds the lock every front end takes, so a terminal conversion and
// the window never work in the working directories at the same time.
class SingleInstance {
  public:
    // `lockPath` empty: the per-user runtime folder's lock for this program.
    explicit SingleInstance(QString lockPath = {});

    // True when no other copy holds the lock; this copy then holds it.
    bool acquire();

    static QString defaultLockPath();

  private:
    std::unique_ptr<QLockFile> lock_;
    InstanceLock conversions_;
};

}  // namespace xq::gui
