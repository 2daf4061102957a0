#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "support/temp_dir.h"

namespace xq::test {

// A folder of the faulty file system (faulty_fs.cpp) for one test: what the test writes under
// source() is read through path(), with the faults setFaults() gives. On Linux each one mounts the
// file system of its own; a Windows test under Wine takes a folder of its own in the mount the
// test script has made (XQ_FAULTY_SOURCE and XQ_FAULTY_MOUNT, the same folder by its two names).
class FaultyMount {
  public:
    FaultyMount();
    FaultyMount(const FaultyMount&) = delete;
    FaultyMount& operator=(const FaultyMount&) = delete;
    ~FaultyMount();

    // Why the file system cannot be used here (for GTEST_SKIP); empty when it can.
    const std::string& unavailable() const { return unavailable_; }

    const std::filesystem::path& source() const { return source_; }
    const std::filesystem::path& path() const { return path_; }

    // The faults, in the file system's words, paths below path() ("fail /d2/a.dat 4096 4608 3");
    // the counts start again.
    void setFaults(const std::string& faults) const;

    struct Reads {
        std::map<std::string, std::uint64_t> bytes;  // by path below path(): the bytes it gave
        std::map<std::string, std::uint64_t> tries;  // by fault, "PATH BEGIN END": reads touching
    };
    Reads reads() const;

  private:
    std::string unavailable_;
    std::filesystem::path source_;
    std::filesystem::path path_;
#ifndef _WIN32
    TempDir base_;
    std::filesystem::path mountPoint_;
    int pid_ = -1;
#endif
};

}  // namespace xq::test
