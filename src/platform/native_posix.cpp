// POSIX file primitives (Linux and other Unix hosts).

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <exception>
#include <locale>
#include <utility>

#include "platform/host_file_service.h"
#include "platform/host_path.h"
#include "platform/native_files.h"
#include "platform/text.h"

#if defined(__linux__)
#include <linux/msdos_fs.h>
#endif

namespace xq::native {

namespace fs = std::filesystem;

FileError errorFrom(const std::error_code& ec) {
    return ec ? fromErrno(ec.default_error_condition().value()) : FileError::None;
}

namespace {

FileError lastError() {
    return errorFrom(std::error_code(errno, std::generic_category()));
}

// An owned descriptor, closed on destruction.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

class PosixInputFile final : public InputFile {
  public:
    PosixInputFile(int fd, bool fromMedium) : fd_(fd), fromMedium_(fromMedium) {}

    Result<std::size_t> read(std::span<char> buffer) override {
        return fill(buffer, [this](char* at, std::size_t size, std::size_t) {
            return ::read(fd_.get(), at, size);
        });
    }

    Result<std::size_t> readAt(std::uint64_t offset, std::span<char> buffer) override {
        if (fromMedium_) {
            // A range read before, or read ahead along with its neighbours, would otherwise be
            // answered from memory.
            ::posix_fadvise(fd_.get(), static_cast<off_t>(offset),
                            static_cast<off_t>(buffer.size()), POSIX_FADV_DONTNEED);
        }
        return fill(buffer, [this, offset](char* at, std::size_t size, std::size_t filled) {
            return ::pread(fd_.get(), at, size, static_cast<off_t>(offset + filled));
        });
    }

  private:
    // Fills the buffer with calls of `readSome(at, size, filled)` until the file ends: a read may
    // give fewer bytes than asked for, or be interrupted by a signal.
    template <typename ReadSome>
    static Result<std::size_t> fill(std::span<char> buffer, ReadSome readSome) {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            const ssize_t got = readSome(buffer.data() + filled, buffer.size() - filled, filled);
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return lastError();
            }
            if (got == 0) {
                break;
            }
            filled += static_cast<std::size_t>(got);
        }
        return filled;
    }

    Descriptor fd_;
    bool fromMedium_;
};

class PosixOutputFile final : public OutputFile {
  public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}

    FileError write(std::span<const char> bytes) override {
        while (!bytes.empty()) {
            const ssize_t put = ::write(fd_.get(), bytes.data(), bytes.size());
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return lastError();
            }
            bytes = bytes.subspan(static_cast<std::size_t>(put));
        }
        return FileError::None;
    }

    FileError writeAt(std::uint64_t offset, std::span<const char> bytes) override {
        while (!bytes.empty()) {
            const ssize_t put =
                ::pwrite(fd_.get(), bytes.data(), bytes.size(), static_cast<off_t>(offset));
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return lastError();
            }
            bytes = bytes.subspan(static_cast<std::size_t>(put));
            offset += static_cast<std::uint64_t>(put);
        }
        return FileError::None;
    }

    FileError flush() override { return ::fsync(fd_.get()) == 0 ? FileError::None : lastError(); }

    FileError truncate(std::uint64_t length) override {
        return ::ftruncate(fd_.get(), static_cast<off_t>(length)) == 0 ? FileError::None
                                                                       : lastError();
    }

    FileError close() override {
        const int fd = fd_.release();
        if (fd < 0) {
            return FileError::None;
        }
        return ::close(fd) == 0 ? FileError::None : lastError();
    }

  private:
    Descriptor fd_;
};

// Refuses anything but a regular file behind an open descriptor (a folder, a device, a pipe).
FileError requireRegular(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return lastError();
    }
    return S_ISREG(info.st_mode) ? FileError::None : FileError::PathFileAccess;
}

}  // namespace

Result<std::unique_ptr<InputFile>> openRead(const fs::path& path, ReadMode mode) {
    // O_NONBLOCK keeps a FIFO planted in a tree from blocking the open; it does not affect
    // reads of regular files.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return lastError();
    }
    if (FileError e = requireRegular(fd.get()); e != FileError::None) {
        return e;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    if (mode == ReadMode::FromMedium) {
        // Written data has been flushed by now, so its pages are clean and can be dropped: the
        // reads below then come from the device.
        ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    }
    return std::unique_ptr<InputFile>(
        std::make_unique<PosixInputFile>(fd.release(), mode == ReadMode::FromMedium));
}

Result<std::unique_ptr<OutputFile>> openWrite(const fs::path& path, WriteMode mode) {
    int flags = O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    switch (mode) {
        case WriteMode::Create:
            flags |= O_CREAT | O_TRUNC;
            break;
        case WriteMode::Append:
            flags |= O_CREAT | O_APPEND;
            break;
        case WriteMode::Update:
            break;
    }
    Descriptor fd(::open(path.c_str(), flags, 0666));
    if (fd.get() < 0) {
        return lastError();
    }
    if (FileError e = requireRegular(fd.get()); e != FileError::None) {
        return e;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return std::unique_ptr<OutputFile>(std::make_unique<PosixOutputFile>(fd.release()));
}

FileError makeDir(const fs::path& path, DirAccess access) {
    const mode_t mode = access == DirAccess::OwnerOnly ? 0700 : 0777;
    if (::mkdir(path.c_str(), mode) != 0) {
        return errno == EEXIST ? FileError::PathFileAccess : lastError();
    }
    return FileError::None;
}

FileError deleteEntry(const fs::path& path) {
    return ::unlink(path.c_str()) == 0 ? FileError::None : lastError();
}

FileError flushFile(const fs::path& path) {
    // fsync reaches the file's data through any descriptor of it, a read-only one included.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return lastError();
    }
    if (FileError e = requireRegular(fd.get()); e != FileError::None) {
        return e;
    }
    return ::fsync(fd.get()) == 0 ? FileError::None : lastError();
}

std::optional<TransferResult> copyRange(const fs::path& source, const fs::path& target,
                                        CopyMode mode) {
    Descriptor in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0) {
        return TransferResult{lastError(), TransferStage::OpenSource};
    }
    struct stat info {};
    if (::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return TransferResult{FileError::PathFileAccess, TransferStage::OpenSource};
    }
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK |
                      (mode == CopyMode::Replace ? O_TRUNC : 0);
    Descriptor out(::open(target.c_str(), flags, 0666));
    if (out.get() < 0) {
        return TransferResult{lastError(), TransferStage::OpenTarget};
    }
    if (FileError e = requireRegular(out.get()); e != FileError::None) {
        return TransferResult{e, TransferStage::OpenTarget};
    }
    const off_t original = mode == CopyMode::Append ? ::lseek(out.get(), 0, SEEK_END) : 0;
    off_t at = original;
    for (auto left = static_cast<std::uint64_t>(info.st_size); left > 0;) {
        const ssize_t copied =
            ::copy_file_range(in.get(), nullptr, out.get(), &at, static_cast<std::size_t>(left), 0);
        if (copied > 0) {
            left -= static_cast<std::uint64_t>(copied);
            continue;
        }
        const int error = copied == 0 ? EIO : errno;  // ended early: the source shrank
        if (copied < 0 && at == original &&
            (error == ENOSYS || error == EXDEV || error == EINVAL || error == EOPNOTSUPP)) {
            return std::nullopt;  // nothing written: the caller copies through its own buffer
        }
        if (mode == CopyMode::Append) {
            // The append failed already; the part appended goes if it can.
            passOver(::ftruncate(out.get(), original));
        }
        const bool targetFull =
            error == ENOSPC || error == EDQUOT || error == EFBIG || error == EROFS;
        return TransferResult{errorFrom(std::error_code(error, std::generic_category())),
                              targetFull ? TransferStage::Write : TransferStage::Read};
    }
    if (::close(out.release()) != 0) {
        return TransferResult{lastError(), TransferStage::Write};
    }
    return TransferResult{};
}

std::uint64_t allocationUnit(const fs::path& path) {
    struct statfs info = {};
    if (::statfs(path.c_str(), &info) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(info.f_frsize > 0 ? info.f_frsize : info.f_bsize);
}

FileError flushFolder(const fs::path& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        return lastError();
    }
    if (::fsync(fd.get()) != 0 && errno != EINVAL) {  // EINVAL: the file system keeps no folder
        return lastError();                           // metadata that could be flushed
    }
    return FileError::None;
}

namespace {

bool isHiddenOrSystem(const fs::path& folder, const std::string& name) {
    if (name.starts_with('.')) {
        return true;
    }
#if defined(__linux__) && defined(FAT_IOCTL_GET_ATTRIBUTES)
    // On FAT media the hidden and system attributes are real; ask for them where the folder is
    // on such a file system (one statfs per entry is cheap next to the copy that follows).
    constexpr long kMsdosMagic = 0x4d44;
    struct statfs volume {};
    if (::statfs(folder.c_str(), &volume) == 0 && volume.f_type == kMsdosMagic) {
        Descriptor fd(
            ::open((folder / name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        std::uint32_t attributes = 0;
        if (fd.get() >= 0 && ::ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0) {
            return (attributes & (ATTR_HIDDEN | ATTR_SYS)) != 0;
        }
    }
#else
    (void)folder;
#endif
    return false;
}

}  // namespace

fs::file_type entryType(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type();
}

Result<std::vector<FolderEntry>> listFolder(const fs::path& path) {
    std::error_code ec;
    std::vector<FolderEntry> entries;
    fs::directory_iterator it(path, ec);
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        FolderEntry entry;
        entry.name = fromHostPath(it->path().filename());
        std::error_code statusError;
        entry.type = it->symlink_status(statusError).type();
        entry.hiddenOrSystem = isHiddenOrSystem(path, entry.name);
        entries.push_back(std::move(entry));
    }
    if (ec) {
        return errorFrom(ec);
    }
    return entries;
}

Result<std::uint64_t> fileLength(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOTDIR ? FileError::FileNotFound : lastError();
    }
    if (!S_ISREG(info.st_mode)) {
        return FileError::PathFileAccess;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

FileError removeFolder(const fs::path& path) {
    return ::rmdir(path.c_str()) == 0 ? FileError::None : lastError();
}

FileError renameEntry(const fs::path& from, const fs::path& to, Clock&) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? FileError::None : lastError();
}

std::optional<fs::path> shareRoot(std::string_view, std::string_view) {
    return std::nullopt;
}

fs::path anyLengthForm(fs::path path) {
    return path;  // no limit below the file system's own
}

bool namesIgnoreCase() {
    return false;
}

}  // namespace xq::native

namespace xq {

std::string hostTemporaryFolder() {
    namespace fs = std::filesystem;
    fs::path folder = "/tmp";
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && tmpdir[0] == '/') {
        std::error_code ec;
        fs::path canonical = fs::canonical(tmpdir, ec);
        if (!ec && fs::is_directory(canonical, ec)) {
            folder = std::move(canonical);
        }
    }
    // Seen through C:, the root file system. A name holding "\" cannot be written that way.
    std::string text = folder.string();
    if (text.find('\\') != std::string::npos) {
        text = "/tmp";
    }
    std::string windowsForm = "C:";
    for (char c : text) {
        windowsForm += c == '/' ? '\\' : c;
    }
    while (windowsForm.size() > 2 && windowsForm.back() == '\\') {
        windowsForm.pop_back();
    }
    return windowsForm;
}

namespace {

// A character of the locale's wide character set (UTF-32 with glibc) written as UTF-8; empty for
// values that are no Unicode character.
std::string utf8Of(wchar_t wide) {
    const auto code = static_cast<std::uint32_t>(wide);
    std::string text;
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        if (code >= 0xD800 && code < 0xE000) {
            return {};
        }
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    return text;
}

}  // namespace

DigitGrouping regionalDigitGrouping() {
    // Thousands by "," unless the user's locale says otherwise: the C and POSIX locales group
    // nothing, and a free-space line of eight bare digits is hard to read.
    DigitGrouping grouping;
    try {
        // The user's locale is built for this call only; the program's global locale stays "C",
        // so no other formatting changes under the converter's feet.
        const std::locale user("");
        // The wide facet, because separators such as the narrow no-break space of French
        // locales do not fit in one char.
        const auto& punct = std::use_facet<std::numpunct<wchar_t>>(user);
        const std::string groups = punct.grouping();
        const std::string separator = utf8Of(punct.thousands_sep());
        if (!groups.empty() && groups[0] > 0 && groups[0] != CHAR_MAX && !separator.empty() &&
            separator != std::string(1, '\0')) {
            grouping.separator = separator;
            grouping.groupSize = groups[0];
        }
    } catch (const std::exception&) {
        // LANG or LC_ALL names a locale that is not installed: keep the thousands grouping.
    }
    return grouping;
}

}  // namespace xq
