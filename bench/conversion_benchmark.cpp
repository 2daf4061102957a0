// A whole conversion of the largest set the format allows (99 full diskettes), by the terminal
// front end, next to `cp -r` of the same diskette folders, both as child processes of this run:
// wall time and peak resident memory of each. The bundled sample set is converted too, to show
// that memory does not grow with the set.
//
// Each measurement is taken a few times, each time onto an empty card folder after the host's
// caches were written out; the median time and the highest peak are shown.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 5;
constexpr int kLargestDiskettes = 99;
constexpr int kSampleDiskettes = 3;
constexpr double kTimeTarget = 4.0;       // conversion time / cp -r time
constexpr long kMemoryTargetKiB = 65536;  // 64 MiB

struct Measured {
    int status = -1;
    double seconds = 0;
    long peakKiB = 0;      // ru_maxrss of the child
    double userCpu = 0;    // seconds the child ran in its own code
    double systemCpu = 0;  // and in the kernel for it
};

// Removes the benchmark's folder with everything in it, however the run ends.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (fs::temp_directory_path() / "xq3100-conversion-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) {
            fs::remove_all(path_, ec);
        }
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// This process's environment with `overrides` ("NAME=value") in place of the same names.
std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> environment = overrides;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(overrides.begin(), overrides.end(),
                         [name](const std::string& o) { return o.starts_with(name); })) {
            environment.emplace_back(entry);
        }
    }
    return environment;
}

double secondsOf(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Runs `command` (looked up on PATH) with stdout to /dev/null and waits for it.
Measured spawnAndWait(const std::vector<std::string>& command,
                      std::vector<std::string> environment) {
    std::vector<char*> argv;
    for (const std::string& part : command) {
        argv.push_back(const_cast<char*>(part.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : environment) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    Measured measured;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &files, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        measured.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        measured.peakKiB = usage.ru_maxrss;
        measured.userCpu = secondsOf(usage.ru_utime);
        measured.systemCpu = secondsOf(usage.ru_stime);
    }
    posix_spawn_file_actions_destroy(&files);
    return measured;
}

std::vector<std::string> diskettes(const fs::path& set, int count) {
    std::vector<std::string> folders;
    for (int n = 1; n <= count; ++n) {
        folders.push_back((set / ("diskette" + std::to_string(n))).string());
    }
    return folders;
}

std::vector<std::string> conversionOf(const fs::path& set, int count, const fs::path& card) {
    std::vector<std::string> command = {XQ_CONVERT_PROGRAM, "--yes", "--diskettes"};
    for (const std::string& folder : diskettes(set, count)) {
        command.push_back(folder);
    }
    command.insert(command.end(), {"--card", card.string()});
    return command;
}

// The median round (by time), the highest peak and the worst status of the rounds.
struct Summary {
    double seconds = 0;
    double userCpu = 0;
    double systemCpu = 0;
    long peakKiB = 0;
    int status = 0;
};

Summary summaryOf(std::vector<Measured> rounds) {
    std::sort(rounds.begin(), rounds.end(),
              [](const Measured& a, const Measured& b) { return a.seconds < b.seconds; });
    Summary summary;
    const Measured& median = rounds[rounds.size() / 2];
    summary.seconds = median.seconds;
    summary.userCpu = median.userCpu;
    summary.systemCpu = median.systemCpu;
    for (const Measured& m : rounds) {
        summary.peakKiB = std::max(summary.peakKiB, m.peakKiB);
        summary.status = m.status != 0 ? m.status : summary.status;
    }
    return summary;
}

// An empty folder for the next round's output, with the previous round's writes out of the way.
fs::path freshFolder(const fs::path& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
    ::sync();
    return folder;
}

void printLine(const char* what, const Summary& s) {
    std::printf("  %-21s %7.3f s  peak %6ld KiB  cpu %.3f s user %.3f s system  (exit %d)\n", what,
                s.seconds, s.peakKiB, s.userCpu, s.systemCpu, s.status);
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

}  // namespace

int main() {
    const ScratchFolder scratch;
    if (scratch.path().empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path base = scratch.path();
    for (const char* folder : {"largest", "sample", "tmp", "run"}) {
        fs::create_directories(base / folder);
    }
    // The converter's working folders and instance lock are private to this run.
    const std::vector<std::string> env = environmentWith(
        {"TMPDIR=" + (base / "tmp").string(), "XDG_RUNTIME_DIR=" + (base / "run").string()});

    if (spawnAndWait({XQ_SAMPLE_PROGRAM, (base / "largest").string(), "--largest"}, env).status !=
            0 ||
        spawnAndWait({XQ_SAMPLE_PROGRAM, (base / "sample").string()}, env).status != 0) {
        std::fprintf(stderr, "cannot write the sets\n");
        return 1;
    }

    std::vector<Measured> conversions;
    std::vector<Measured> copies;
    std::vector<Measured> samples;
    for (int round = 0; round < kRounds; ++round) {
        const fs::path card = freshFolder(base / "card");
        conversions.push_back(
            spawnAndWait(conversionOf(base / "largest", kLargestDiskettes, card), env));

        std::vector<std::string> copy = {"cp", "-r"};
        for (const std::string& folder : diskettes(base / "largest", kLargestDiskettes)) {
            copy.push_back(folder);
        }
        copy.push_back(freshFolder(base / "copy").string() + "/");
        copies.push_back(spawnAndWait(copy, env));

        const fs::path sampleCard = freshFolder(base / "sample-card");
        samples.push_back(
            spawnAndWait(conversionOf(base / "sample", kSampleDiskettes, sampleCard), env));
    }
    const Summary conversion = summaryOf(conversions);
    const Summary plainCopy = summaryOf(copies);
    const Summary sample = summaryOf(samples);
    const double ratio = conversion.seconds / plainCopy.seconds;
    const bool memoryMet =
        conversion.peakKiB < kMemoryTargetKiB && sample.peakKiB < kMemoryTargetKiB;

    std::printf("build type: %s; median time of %d rounds, highest peak\n", XQ_BUILD_TYPE, kRounds);
    std::printf("largest set: %d diskettes of 1.44 MB, 100 file lines\n", kLargestDiskettes);
    printLine("xq3100-convert --yes", conversion);
    printLine("cp -r", plainCopy);
    std::printf("  time ratio:           %7.2f    target %.0f or less: %s\n", ratio, kTimeTarget,
                verdict(ratio <= kTimeTarget));
    std::printf("bundled sample set: %d diskettes\n", kSampleDiskettes);
    printLine("xq3100-convert --yes", sample);
    std::printf("peak memory: target under %ld KiB for both sets: %s\n", kMemoryTargetKiB,
                verdict(memoryMet));
    std::printf("rounds (convert / cp -r / sample):");
    for (int round = 0; round < kRounds; ++round) {
        std::printf("  %.3f/%.3f/%.3f", conversions[static_cast<std::size_t>(round)].seconds,
                    copies[static_cast<std::size_t>(round)].seconds,
                    samples[static_cast<std::size_t>(round)].seconds);
    }
    std::printf("\n");
    return conversion.status == 0 && plainCopy.status == 0 && sample.status == 0 ? 0 : 1;
}
