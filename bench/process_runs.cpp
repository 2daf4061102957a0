#include "process_runs.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>

extern char** environ;

namespace xq::bench {

namespace fs = std::filesystem;

namespace {

double secondsOf(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "xq3100-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) {
        fs::remove_all(path_, ec);
    }
}

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

std::vector<std::string> converterEnvironment(const fs::path& base,
                                              std::vector<std::string> overrides) {
    fs::create_directories(base / "tmp");
    fs::create_directories(base / "run");
    fs::permissions(base / "run", fs::perms::owner_all);
    overrides.push_back("TMPDIR=" + (base / "tmp").string());
    overrides.push_back("XDG_RUNTIME_DIR=" + (base / "run").string());
    return environmentWith(overrides);
}

Measured spawnAndWait(const std::vector<std::string>& command, std::vector<std::string> environment,
                      const std::string& input, const std::string& errors) {
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
    posix_spawn_file_actions_addopen(&files, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    if (!errors.empty()) {
        posix_spawn_file_actions_addopen(&files, 2, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0600);
    }
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

fs::path freshFolder(const fs::path& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
    ::sync();
    return folder;
}

std::vector<std::string> disketteFolders(const fs::path& set, int count) {
    std::vector<std::string> folders;
    for (int n = 1; n <= count; ++n) {
        folders.push_back((set / ("diskette" + std::to_string(n))).string());
    }
    return folders;
}

void printLine(const char* what, const Summary& s) {
    std::printf("  %-21s %7.3f s  peak %6ld KiB  cpu %.3f s user %.3f s system  (exit %d)\n", what,
                s.seconds, s.peakKiB, s.userCpu, s.systemCpu, s.status);
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

}  // namespace xq::bench
