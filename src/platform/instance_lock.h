#pragma once

#include <filesystem>
#include <string>

namespace xq {

// One conversion at a time per temporary folder. Every copy of the converter, window or terminal,
// works in the same working directories there, whoever started it and from whichever session, so
// the lock lives beside them: a file "XQ3100.lock" in the temporary folder, private to its owner,
// never opened through a link. It is the host's own file lock, released by the system when the
// holder ends in any way, so a copy that crashed never blocks the next one.
enum class LockOutcome {
    Acquired,
    HeldByAnotherCopy,  // another copy converts in this temporary folder now
    // Something that this user's converter did not make stands where the lock goes: a link, a
    // folder, another user's file.
    Blocked,
    Failed,  // the temporary folder cannot hold the lock (missing, not writable)
};

struct [[nodiscard]] LockResult {
    LockOutcome outcome = LockOutcome::Failed;
    // For Blocked and Failed: what is wrong, for the operator.
    std::string message;
};

class InstanceLock {
  public:
    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock() { release(); }

    // Takes the lock of the working directories in `temporaryFolder` (a host path).
    LockResult acquire(const std::filesystem::path& temporaryFolder);
    // Releases the lock and removes its file now (for a program about to end without unwinding).
    void release();

    static constexpr const char* kFileName = "XQ3100.lock";

  private:
    std::filesystem::path path_;
    long long handle_ = -1;  // a descriptor or a Windows handle
};

}  // namespace xq
