#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace xq::test {

enum class Made { Folder, File };

// A program run so that it gets `signal` at the moment it makes `path` (a folder, or a file it
// opens): strace's syscall tampering delivers it on that call, a point in the work that no race
// between the test and the program can miss. The command line to run, the program's own after
// strace's.
std::vector<std::string> signalOnMaking(const std::filesystem::path& path, Made made, int signal,
                                        const std::string& program,
                                        const std::vector<std::string>& arguments);

// Why signal points cannot be set here (for GTEST_SKIP); empty when they can.
std::string signalPointsUnavailable();

}  // namespace xq::test
