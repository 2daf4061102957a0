#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace xq::test {

// The call on `path` that brings the signal.
enum class At { MakingFolder, OpeningFile, Removing };

// A program run so that it gets `signal` at the moment it makes `path` (a folder, or a file it
// opens) or removes it: strace's syscall tampering delivers it on that call, a point in the work
// that no race between the test and the program can miss. The command line to run, the program's
// own after strace's.
std::vector<std::string> signalAt(const std::filesystem::path& path, At call, int signal,
                                  const std::string& program,
                                  const std::vector<std::string>& arguments);

// Why signal points cannot be set here (for GTEST_SKIP); empty when they can.
std::string signalPointsUnavailable();

}  // namespace xq::test
