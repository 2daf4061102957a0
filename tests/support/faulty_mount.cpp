#include "support/faulty_mount.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/process.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace xq::test {

namespace fs = std::filesystem;

namespace {

// The folder of this test, below the mount's root: a folder that is itself a mount point shows
// under Wine as a reparse point, which the program rightly does not read through.
std::string testFolderName() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test != nullptr ? test->test_suite_name() + std::string("-") + test->name()
                                       : std::string("test");
    for (char& c : name) {
        if (c == '/') {
            c = '-';
        }
    }
    return name;
}

}  // namespace

#ifdef _WIN32

FaultyMount::FaultyMount() {
    const std::optional<std::string> source = environmentVariable("XQ_FAULTY_SOURCE");
    const std::optional<std::string> mount = environmentVariable("XQ_FAULTY_MOUNT");
    if (!source || !mount) {
        unavailable_ = "no faulty file system was mounted for this run (XQ_FAULTY_MOUNT)";
        return;
    }
    const std::string name = testFolderName();
    source_ = fs::path(*source) / name;
    path_ = fs::path(*mount) / name;
    std::error_code ignored;
    fs::remove_all(source_, ignored);
    fs::create_directories(source_);
}

FaultyMount::~FaultyMount() {
    if (!source_.empty()) {
        setFaults("");
        std::error_code ignored;
        fs::remove_all(source_, ignored);
    }
}

#else

FaultyMount::FaultyMount() {
#ifndef XQ_FAULTY_FS_PROGRAM
    unavailable_ = "the tests were built without libfuse3";
#else
    if (!fs::exists("/dev/fuse")) {
        unavailable_ = "this machine has no /dev/fuse";
        return;
    }
    const std::string name = testFolderName();
    mountPoint_ = base_ / "mount";
    source_ = base_ / "source" / name;
    path_ = mountPoint_ / name;
    fs::create_directories(source_);
    fs::create_directories(mountPoint_);
    const std::string program = XQ_FAULTY_FS_PROGRAM;
    const std::string sourceRoot = (base_ / "source").string();
    const std::string mountPoint = mountPoint_.string();
    const std::string log = (base_ / "faulty-fs.log").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(sourceRoot.c_str()),
                    const_cast<char*>(mountPoint.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &files, nullptr, argv, environ) == 0) {
        pid_ = child;
    }
    posix_spawn_file_actions_destroy(&files);
    // Mounted once the test's folder shows through it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (pid_ > 0 && !fs::exists(path_) && std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!fs::exists(path_)) {
        std::ifstream why(log);
        std::stringstream text;
        text << why.rdbuf();
        unavailable_ = "the faulty file system could not be mounted: " + text.str();
    }
#endif
}

FaultyMount::~FaultyMount() {
    if (pid_ <= 0) {
        return;
    }
    // The file system unmounts itself when it is told to end.
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            const std::string unmount = "fusermount3 -u -z '" + mountPoint_.string() + "'";
            [[maybe_unused]] const int ignored = std::system(unmount.c_str());
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

#endif

void FaultyMount::setFaults(const std::string& faults) const {
    std::ofstream(path_ / ".faults", std::ios::binary | std::ios::trunc) << faults;
}

FaultyMount::Reads FaultyMount::reads() const {
    Reads reads;
    std::ifstream text(path_ / ".reads", std::ios::binary);
    std::string kind;
    while (text >> kind) {
        std::string path;
        std::uint64_t count = 0;
        if (kind == "bytes") {
            text >> path >> count;
            reads.bytes[path] = count;
        } else {
            std::string begin;
            std::string end;
            text >> path >> begin >> end >> count;
            reads.tries[path + " " + begin + " " + end] = count;
        }
    }
    return reads;
}

}  // namespace xq::test
