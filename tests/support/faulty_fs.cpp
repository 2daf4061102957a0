// A pass-through file system that fails chosen byte ranges of chosen files, the way an old
// diskette's weak and dead sectors do, for the tests of reading damaged diskettes.
//
//   xq3100-faulty-fs [--probe-size N] SOURCE MOUNTPOINT [fuse options]
//
// With --probe-size, reads of exactly N bytes at offset 0 are passed through untouched and
// uncounted: Wine reads the first 23 bytes of every file it opens, before the program's own first
// read, and those reads are neither the program's nor a try of a weak sector.
//
// Every folder of the mount may hold two files of the file system's own, not listed:
//   .faults  written by a test: the faults of the folder's tree, one per line, paths relative to
//            the folder ("/d2/db/records.dat"); writing it replaces them and resets the counts.
//              fail PATH BEGIN END [K]   reads touching bytes BEGIN..END-1 fail with EIO; with K,
//                                        the K-th read touching them succeeds, and every later one
//              flip PATH OFFSET [N]      the byte at OFFSET reads inverted, the first N reads that
//                                        hold it (every read without N)
//              gone DIR PATH OFFSET      once a read of PATH reaches OFFSET, everything under DIR
//                                        fails with ENOMEDIUM, as a diskette taken out of its drive
//              delay MICROSECONDS        each read takes this long for each KiB, as a floppy drive
//  .reads    read by a test: "bytes PATH N" for the bytes each file gave, "tries PATH BEGIN END N"
//            for the reads that touched each failing range.
// Files are opened for direct I/O, so every read a program makes reaches the file system.

#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <fcntl.h>
#include <fuse3/fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::string_view kFaults = "/.faults";
constexpr std::string_view kReads = "/.reads";

struct FailRule {
    std::string path;
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::uint64_t succeedOn = 0;  // 0: never
    std::uint64_t tries = 0;
};

struct FlipRule {
    std::string path;
    std::uint64_t offset = 0;
    std::uint64_t times = 0;  // 0: always
    std::uint64_t seen = 0;
};

struct GoneRule {
    std::string folder;
    std::string path;
    std::uint64_t offset = 0;
    bool gone = false;
};

// The faults of one folder's tree, paths made absolute within the mount.
struct Faults {
    std::vector<FailRule> fail;
    std::vector<FlipRule> flip;
    std::vector<GoneRule> gone;
    std::uint64_t delayPerKiB = 0;
    std::map<std::string, std::uint64_t> bytes;
    std::string pendingText;  // .faults while it is being written
};

std::string source;
std::mutex lock;
std::size_t probeSize = 0;
std::map<std::string, Faults> byFolder;  // the folder whose .faults set them

std::string hostPath(const char* path) {
    return source + path;
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The folder of a control file's path ("/t/.faults" -> "/t"), or nothing for other paths.
bool controlFolder(std::string_view path, std::string_view name, std::string& folder) {
    if (!endsWith(path, name)) {
        return false;
    }
    folder = std::string(path.substr(0, path.size() - name.size()));
    return true;
}

bool within(const std::string& path, const std::string& folder) {
    return path == folder ||
           (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

void parseFaults(const std::string& folder, Faults& faults) {
    Faults parsed;
    std::istringstream lines(faults.pendingText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "fail") {
            FailRule rule;
            words >> rule.path >> rule.begin >> rule.end >> rule.succeedOn;
            rule.path = folder + rule.path;
            parsed.fail.push_back(rule);
        } else if (kind == "flip") {
            FlipRule rule;
            words >> rule.path >> rule.offset >> rule.times;
            rule.path = folder + rule.path;
            parsed.flip.push_back(rule);
        } else if (kind == "gone") {
            GoneRule rule;
            words >> rule.folder >> rule.path >> rule.offset;
            rule.folder = folder + rule.folder;
            rule.path = folder + rule.path;
            parsed.gone.push_back(rule);
        } else if (kind == "delay") {
            words >> parsed.delayPerKiB;
        }
    }
    faults = std::move(parsed);
}

std::string readsText(const std::string& folder) {
    std::ostringstream text;
    const auto found = byFolder.find(folder);
    if (found == byFolder.end()) {
        return {};
    }
    const Faults& faults = found->second;
    for (const auto& [path, count] : faults.bytes) {
        text << "bytes " << path.substr(folder.size()) << " " << count << "\n";
    }
    for (const FailRule& rule : faults.fail) {
        text << "tries " << rule.path.substr(folder.size()) << " " << rule.begin << " " << rule.end
             << " " << rule.tries << "\n";
    }
    return text.str();
}

// Whether a diskette taken out makes `path` unreachable now.
bool isGone(const std::string& path) {
    for (const auto& [folder, faults] : byFolder) {
        for (const GoneRule& rule : faults.gone) {
            if (rule.gone && within(path, rule.folder)) {
                return true;
            }
        }
    }
    return false;
}

int getAttributes(const char* path, struct stat* info, fuse_file_info*) {
    std::string folder;
    const std::lock_guard<std::mutex> held(lock);
    if (controlFolder(path, kFaults, folder) || controlFolder(path, kReads, folder)) {
        std::memset(info, 0, sizeof *info);
        info->st_mode = S_IFREG | 0600;
        info->st_nlink = 1;
        info->st_uid = ::getuid();
        info->st_gid = ::getgid();
        info->st_size =
            controlFolder(path, kReads, folder) ? static_cast<off_t>(readsText(folder).size()) : 0;
        return 0;
    }
    if (isGone(path)) {
        return -ENOMEDIUM;
    }
    return ::lstat(hostPath(path).c_str(), info) == 0 ? 0 : -errno;
}

int readFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
               fuse_readdir_flags) {
    {
        const std::lock_guard<std::mutex> held(lock);
        if (isGone(path)) {
            return -ENOMEDIUM;
        }
    }
    DIR* folder = ::opendir(hostPath(path).c_str());
    if (folder == nullptr) {
        return -errno;
    }
    while (const dirent* entry = ::readdir(folder)) {
        struct stat info {};
        info.st_ino = entry->d_ino;
        info.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buffer, entry->d_name, &info, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) {
            break;
        }
    }
    ::closedir(folder);
    return 0;
}

int openFile(const char* path, fuse_file_info* file) {
    std::string folder;
    const std::lock_guard<std::mutex> held(lock);
    file->direct_io = 1;
    if (controlFolder(path, kFaults, folder)) {
        // Only writing replaces the faults; a look at the file leaves them.
        if ((file->flags & O_ACCMODE) != O_RDONLY) {
            byFolder[folder].pendingText.clear();
        }
        file->fh = 0;
        return 0;
    }
    if (controlFolder(path, kReads, folder)) {
        file->fh = 0;
        return 0;
    }
    if (isGone(path)) {
        return -ENOMEDIUM;
    }
    const int fd = ::open(hostPath(path).c_str(), file->flags & ~O_CREAT);
    if (fd < 0) {
        return -errno;
    }
    file->fh = static_cast<std::uint64_t>(fd) + 1;
    return 0;
}

int createFile(const char* path, mode_t, fuse_file_info* file) {
    std::string folder;
    if (!controlFolder(path, kFaults, folder)) {
        return -EROFS;  // the diskettes are written in the source folder, not through the mount
    }
    return openFile(path, file);
}

// Applies the faults of every folder above `path` to a read of `size` bytes at `offset`; an
// error number when the read fails.
int faultsOfRead(const std::string& path, std::uint64_t offset, std::size_t size,
                 std::uint64_t& delay) {
    int error = 0;
    for (auto& [folder, faults] : byFolder) {
        if (!within(path, folder)) {
            continue;
        }
        delay += faults.delayPerKiB * ((size + 1023) / 1024);
        for (GoneRule& rule : faults.gone) {
            if (rule.path == path && offset + size > rule.offset) {
                rule.gone = true;
            }
        }
        for (FailRule& rule : faults.fail) {
            if (rule.path == path && offset < rule.end && offset + size > rule.begin) {
                ++rule.tries;
                if (rule.succeedOn == 0 || rule.tries < rule.succeedOn) {
                    error = EIO;
                }
            }
        }
    }
    return isGone(path) ? ENOMEDIUM : error;
}

int readFile(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* file) {
    std::string folder;
    std::unique_lock<std::mutex> held(lock);
    if (controlFolder(path, kReads, folder)) {
        const std::string text = readsText(folder);
        if (static_cast<std::size_t>(offset) >= text.size()) {
            return 0;
        }
        const std::size_t count = std::min(size, text.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, text.data() + offset, count);
        return static_cast<int>(count);
    }
    if (file->fh == 0) {
        return 0;
    }
    if (probeSize != 0 && offset == 0 && size == probeSize) {
        held.unlock();
        const ssize_t count = ::pread(static_cast<int>(file->fh - 1), buffer, size, offset);
        return count < 0 ? -errno : static_cast<int>(count);
    }
    std::uint64_t delay = 0;
    const int error = faultsOfRead(path, static_cast<std::uint64_t>(offset), size, delay);
    held.unlock();
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    if (error != 0) {
        return -error;
    }
    const ssize_t got = ::pread(static_cast<int>(file->fh - 1), buffer, size, offset);
    if (got < 0) {
        return -errno;
    }
    held.lock();
    for (auto& [folderPath, faults] : byFolder) {
        if (!within(path, folderPath)) {
            continue;
        }
        faults.bytes[path] += static_cast<std::uint64_t>(got);
        for (FlipRule& rule : faults.flip) {
            const auto at = static_cast<std::uint64_t>(offset);
            if (rule.path == path && rule.offset >= at &&
                rule.offset < at + static_cast<std::uint64_t>(got) &&
                (rule.times == 0 || rule.seen < rule.times)) {
                ++rule.seen;
                buffer[rule.offset - at] = static_cast<char>(~buffer[rule.offset - at]);
            }
        }
    }
    return static_cast<int>(got);
}

int writeFile(const char* path, const char* buffer, size_t size, off_t offset, fuse_file_info*) {
    std::string folder;
    if (!controlFolder(path, kFaults, folder)) {
        return -EROFS;
    }
    const std::lock_guard<std::mutex> held(lock);
    std::string& text = byFolder[folder].pendingText;
    text.resize(std::max(text.size(), static_cast<std::size_t>(offset) + size));
    std::memcpy(text.data() + offset, buffer, size);
    return static_cast<int>(size);
}

int releaseFile(const char* path, fuse_file_info* file) {
    std::string folder;
    if (controlFolder(path, kFaults, folder)) {
        if ((file->flags & O_ACCMODE) != O_RDONLY) {
            const std::lock_guard<std::mutex> held(lock);
            parseFaults(folder, byFolder[folder]);
        }
    } else if (file->fh != 0) {
        ::close(static_cast<int>(file->fh - 1));
    }
    return 0;
}

int truncateFile(const char* path, off_t, fuse_file_info*) {
    std::string folder;
    return controlFolder(path, kFaults, folder) ? 0 : -EROFS;
}

// What a program may set on the control file (a Windows program's times) is taken and dropped.
int setTimes(const char* path, const timespec*, fuse_file_info*) {
    std::string folder;
    return controlFolder(path, kFaults, folder) ? 0 : -EROFS;
}

int fileSystemSpace(const char*, struct statvfs* space) {
    return ::statvfs(source.c_str(), space) == 0 ? 0 : -errno;
}

}  // namespace

int main(int argc, char* argv[]) {
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--probe-size") == 0) {
        probeSize = std::strtoull(argv[2], nullptr, 10);
        first = 3;
    }
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: %s [--probe-size N] SOURCE MOUNTPOINT [fuse options]\n",
                     argv[0]);
        return 2;
    }
    // Made absolute: the file system runs from the root folder once mounted.
    char* absolute = ::realpath(argv[first], nullptr);
    if (absolute == nullptr) {
        std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[first], std::strerror(errno));
        return 2;
    }
    source = absolute;
    std::free(absolute);
    while (source.size() > 1 && source.back() == '/') {
        source.pop_back();
    }
    fuse_operations operations{};
    operations.getattr = getAttributes;
    operations.readdir = readFolder;
    operations.open = openFile;
    operations.create = createFile;
    operations.read = readFile;
    operations.write = writeFile;
    operations.release = releaseFile;
    operations.truncate = truncateFile;
    operations.utimens = setTimes;
    operations.statfs = fileSystemSpace;
    // The source folder is taken from the arguments; fuse_main gets the program's name, the mount
    // point and the options: foreground, and one thread.
    std::vector<char*> arguments{argv[0], argv[first + 1], const_cast<char*>("-f"),
                                 const_cast<char*>("-s")};
    for (int i = first + 2; i < argc; ++i) {
        arguments.push_back(argv[i]);
    }
    return fuse_main(static_cast<int>(arguments.size()), arguments.data(), &operations, nullptr);
}
