#pragma once

#include <string>

namespace xq {

// One running conversion per user: every copy of the converter, window or terminal, works in the
// same working directories, so a second copy must not start while one runs. The lock is the
// host's own file lock, released by the system when the holder ends in any way, so a copy that
// crashed never blocks the next one.
class InstanceLock {
  public:
    // `path` empty: the per-user lock of this program.
    explicit InstanceLock(std::string path = {});
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    // True when no other copy holds the lock; this copy then holds it until destruction.
    bool acquire();

    static std::string defaultPath();

  private:
    std::string path_;
    long long handle_ = -1;  // a descriptor or a Windows handle
};

}  // namespace xq
