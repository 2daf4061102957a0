// What damaged diskettes cost: a set of 40 full diskettes converted by the terminal front end, read
// through the faulty file system at a floppy drive's speed scaled down a thousand times, once
// undamaged, once with three weak sectors (read on their 3rd, 5th and 8th try), and once with a
// sector that does not read in this drive but does in another (the operator presses Enter to read
// that diskette again). The median time of each and their difference to the undamaged set.
//
// A weak sector should cost about what its tries cost, a dead one about one diskette's reading,
// never the whole set.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "process_runs.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace xq::bench;

constexpr int kRounds = 3;
constexpr int kDiskettes = 40;
// A real drive reads a 1.44 MB diskette in 30 to 60 s, about 30 ms a KiB: a thousandth of that.
constexpr int kMicrosecondsPerKiB = 30;

// The faulty file system over `source`, mounted at `mount` for the benchmark's lifetime.
class FaultyMount {
  public:
    FaultyMount(const fs::path& source, const fs::path& mount) : mount_(mount) {
        const std::string program = XQ_FAULTY_FS_PROGRAM;
        const std::string sourceText = source.string();
        const std::string mountText = mount.string();
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(sourceText.c_str()),
                        const_cast<char*>(mountText.c_str()), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            pid_ = -1;
            return;
        }
        // Mounted once the source's folders show through it.
        for (int i = 0; i < 1000 && fs::is_empty(mount_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    FaultyMount(const FaultyMount&) = delete;
    FaultyMount& operator=(const FaultyMount&) = delete;
    ~FaultyMount() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);  // it unmounts itself
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool mounted() const { return pid_ > 0 && !fs::is_empty(mount_); }

  private:
    fs::path mount_;
    pid_t pid_ = -1;
};

struct Case {
    const char* name;
    std::string faults;  // besides the drive's speed
    std::string input;   // what the operator types
};

}  // namespace

int main() {
    if (!fs::exists("/dev/fuse")) {
        std::fprintf(stderr, "this machine has no /dev/fuse: nothing to measure\n");
        return 0;
    }
    const ScratchFolder scratch;
    if (scratch.path().empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path base = scratch.path();
    for (const char* folder : {"source/set", "mount"}) {
        fs::create_directories(base / folder);
    }
    const std::vector<std::string> env = converterEnvironment(base);
    if (spawnAndWait({XQ_SAMPLE_PROGRAM, (base / "source" / "set").string(), "--full",
                      std::to_string(kDiskettes)},
                     env)
            .status != 0) {
        std::fprintf(stderr, "cannot write the set\n");
        return 1;
    }
    const FaultyMount mount(base / "source", base / "mount");
    if (!mount.mounted()) {
        std::fprintf(stderr, "the faulty file system could not be mounted\n");
        return 1;
    }
    const fs::path set = base / "mount" / "set";
    const fs::path enter = base / "enter.txt";
    std::ofstream(enter) << "\n";

    const std::vector<Case> cases = {
        {"undamaged", "", "/dev/null"},
        {"3 weak sectors",
         "fail /diskette5/db/records.dat 300032 300544 3\n"
         "fail /diskette20/db/records.dat 1000448 1000960 5\n"
         "fail /diskette35/db/records.dat 4096 4608 8\n",
         "/dev/null"},
        {"dead sector, 2 drives", "fail /diskette20/db/records.dat 700416 700928 9\n",
         enter.string()},
    };
    std::vector<Summary> summaries;
    std::vector<std::vector<Measured>> allRounds(cases.size());
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t c = 0; c < cases.size(); ++c) {
            // Writing the faults anew also starts their tries from the first.
            std::ofstream(set / ".faults", std::ios::trunc)
                << "delay " << kMicrosecondsPerKiB << "\n"
                << cases[c].faults;
            std::vector<std::string> command = {XQ_CONVERT_PROGRAM, "--yes", "--diskettes"};
            for (const std::string& folder : disketteFolders(set, kDiskettes)) {
                command.push_back(folder);
            }
            command.insert(command.end(), {"--card", freshFolder(base / "card").string()});
            // The dead sector's reports go to a file: they are what the operator sees, not
            // figures.
            allRounds[c].push_back(
                spawnAndWait(command, env, cases[c].input, (base / "reports.txt").string()));
        }
    }
    int status = 0;
    for (std::size_t c = 0; c < cases.size(); ++c) {
        summaries.push_back(summaryOf(allRounds[c]));
        status = status != 0 ? status : summaries.back().status;
    }

    std::printf("build type: %s; median time of %d rounds, highest peak\n", XQ_BUILD_TYPE, kRounds);
    std::printf("%d full diskettes read at %d us a KiB (a real drive's speed / 1000)\n", kDiskettes,
                kMicrosecondsPerKiB);
    for (std::size_t c = 0; c < cases.size(); ++c) {
        printLine(cases[c].name, summaries[c]);
        if (c != 0) {
            std::printf("  %-21s %+7.3f s against undamaged\n", "",
                        summaries[c].seconds - summaries[0].seconds);
        }
    }
    std::printf("undamaged time / %d diskettes: %.3f s\n", kDiskettes,
                summaries[0].seconds / kDiskettes);
    return status;
}
