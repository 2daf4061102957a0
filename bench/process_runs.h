#pragma once

// Running the converter's programs as child processes and summing up their rounds, for the
// benchmark programs.

#include <filesystem>
#include <string>
#include <vector>

namespace xq::bench {

// Wall time, peak memory and processor time of one child process.
struct Measured {
    int status = -1;
    double seconds = 0;
    long peakKiB = 0;      // ru_maxrss of the child
    double userCpu = 0;    // seconds the child ran in its own code
    double systemCpu = 0;  // and in the kernel for it
};

// The median round (by time), the highest peak and the worst status of the rounds.
struct Summary {
    double seconds = 0;
    double userCpu = 0;
    double systemCpu = 0;
    long peakKiB = 0;
    int status = 0;
};

Summary summaryOf(std::vector<Measured> rounds);

// A fresh folder in the temporary folder, removed with everything in it however the run ends.
class ScratchFolder {
  public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// This process's environment with `overrides` ("NAME=value") in place of the same names.
std::vector<std::string> environmentWith(const std::vector<std::string>& overrides);

// The environment for the converter's runs: its working folders and instance lock private to the
// benchmark, in the folders tmp and run made below `base`; `overrides` as above.
std::vector<std::string> converterEnvironment(const std::filesystem::path& base,
                                              std::vector<std::string> overrides = {});

// Runs `command` (looked up on PATH) with stdout on /dev/null, stdin from `input` and stderr to
// `errors` (this program's own when empty), and waits for it.
Measured spawnAndWait(const std::vector<std::string>& command, std::vector<std::string> environment,
                      const std::string& input = "/dev/null", const std::string& errors = "");

// An empty folder for the next round's output, with the previous round's writes out of the way.
std::filesystem::path freshFolder(const std::filesystem::path& folder);

// The folders diskette1 ... diskette`count` of a set written by xq3100-sample-set.
std::vector<std::string> disketteFolders(const std::filesystem::path& set, int count);

// One line of a benchmark's report: time, peak memory, processor time and exit status.
void printLine(const char* what, const Summary& summary);

const char* verdict(bool met);

}  // namespace xq::bench
