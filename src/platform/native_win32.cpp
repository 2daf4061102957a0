// Win32 file primitives (Windows hosts).

#include "platform/windows_headers.h"
// After windows.h, which it needs.
#include <winioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/host_file_service.h"
#include "platform/host_path.h"
#include "platform/native_files.h"
#include "platform/text.h"
#include "platform/win32_text.h"

namespace xq::native {

namespace fs = std::filesystem;

std::wstring utf16FromUtf8(std::string_view utf8) {
    // No name, path or label comes near INT_MAX bytes; longer text is cut rather than wrapped.
    const int length = static_cast<int>(std::min<std::size_t>(utf8.size(), INT_MAX));
    if (length == 0) {
        return {};
    }
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    return wide;
}

std::string utf8FromUtf16(std::wstring_view utf16) {
    const int length = static_cast<int>(std::min<std::size_t>(utf16.size(), INT_MAX));
    if (length == 0) {
        return {};
    }
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, text.data(), needed, nullptr, nullptr);
    return text;
}

namespace {

FileError fromWin32(DWORD code) {
    switch (code) {
        case ERROR_SUCCESS:
            return FileError::None;
        case ERROR_FILE_NOT_FOUND:
            return FileError::FileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
            return FileError::PathNotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD:
            return FileError::PermissionDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileError::FileInUse;
        case ERROR_NOT_READY:
        case ERROR_NO_MEDIA_IN_DRIVE:
        case ERROR_MEDIA_CHANGED:
            return FileError::DiskNotReady;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileError::DiskFull;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return FileError::FileAlreadyExists;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return FileError::BadFileName;
        case ERROR_CRC:
        case ERROR_SEEK:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
        case ERROR_NOT_DOS_DISK:
        case ERROR_UNRECOGNIZED_VOLUME:
            return FileError::DeviceIo;
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_UNIT:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
            return FileError::DeviceUnavailable;
        case ERROR_HANDLE_EOF:
            return FileError::InputPastEnd;
        default:
            return FileError::PathFileAccess;
    }
}

FileError lastError() {
    return fromWin32(::GetLastError());
}

// An owned handle, closed on destruction.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) {
            ::CloseHandle(handle_);
        }
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    void reset(HANDLE handle) {
        if (valid()) {
            ::CloseHandle(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_;
};

// ReadFile and WriteFile take a DWORD count; larger spans go in pieces of this size.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// What is at a path, the entry itself rather than anything a link there points to.
struct EntryInfo {
    DWORD error = ERROR_SUCCESS;  // why it could not be looked at (ERROR_FILE_NOT_FOUND, ...)
    DWORD attributes = 0;
    DWORD reparseTag = 0;
    std::uint64_t size = 0;

    bool isFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool isReparsePoint() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    // Symbolic links and junctions stand for another name; other reparse points (deduplicated or
    // cloud files) are ordinary files whose content a file-system filter supplies. A reparse point
    // whose tag could not be read counts as a link, so it is never followed (Wine reports links
    // of the Linux file system so).
    bool isLink() const {
        return isReparsePoint() && (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag));
    }
    bool isHiddenOrSystem() const {
        return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    }
    fs::file_type type() const {
        if (error != ERROR_SUCCESS) {
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                       ? fs::file_type::not_found
                       : fs::file_type::none;
        }
        if (isLink()) {
            return fs::file_type::symlink;
        }
        return isFolder() ? fs::file_type::directory : fs::file_type::regular;
    }
};

EntryInfo attributesOf(HANDLE handle) {
    EntryInfo info;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) {
        info.error = ::GetLastError();
        return info;
    }
    info.attributes = tag.FileAttributes;
    info.reparseTag = tag.ReparseTag;
    return info;
}

// The entry's attributes as its folder lists them, which is where a link shows as one on every
// host; the tag of a reparse point comes from the entry itself.
EntryInfo inspect(const fs::path& path) {
    EntryInfo info;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        info.error = ::GetLastError();
        return info;
    }
    info.attributes = data.dwFileAttributes;
    info.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    if (info.isReparsePoint()) {
        Handle entry(::CreateFileW(
            path.c_str(), FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        const EntryInfo itself = entry.valid() ? attributesOf(entry.get()) : EntryInfo{};
        if (itself.error == ERROR_SUCCESS && itself.isReparsePoint()) {
            info.reparseTag = itself.reparseTag;
        }
    }
    return info;
}

// Runs `remove` on an entry; where the read-only attribute stops it, once more without that
// attribute (put back should the entry still not go). Files and folders copied from diskettes or
// by other systems often carry the attribute; on POSIX hosts it would not stop a removal, and the
// converter's clean-up relies on that.
template <typename Remove>
FileError removeEvenIfReadOnly(const fs::path& path, Remove remove) {
    if (remove(path.c_str())) {
        return FileError::None;
    }
    DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        const DWORD kept = attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY |
                                          FILE_ATTRIBUTE_REPARSE_POINT);
        if (::SetFileAttributesW(path.c_str(), kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept)) {
            if (remove(path.c_str())) {
                return FileError::None;
            }
            error = ::GetLastError();
            ::SetFileAttributesW(path.c_str(), attributes);
        }
    }
    return fromWin32(error);
}

// Refuses anything but a plain file behind an open handle: a folder, a link (opened as itself,
// since links are not followed), a device or a pipe.
FileError requireRegular(HANDLE handle) {
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        return FileError::PathFileAccess;
    }
    const EntryInfo info = attributesOf(handle);
    if (info.error != ERROR_SUCCESS) {
        return fromWin32(info.error);
    }
    return info.isFolder() || info.isLink() ? FileError::PathFileAccess : FileError::None;
}

// Opens links as themselves, so a link put in place of a file is refused rather than followed;
// other reparse points must be opened normally for their filter to supply the content.
DWORD linkFlags(const EntryInfo& info) {
    return info.isReparsePoint() && !info.isLink() ? 0 : FILE_FLAG_OPEN_REPARSE_POINT;
}

// Unbuffered reads must start at sector boundaries and fill sector-aligned memory, so they go
// through a staging block aligned for the largest sector size in use.
constexpr std::size_t kSectorAlignment = 4096;
constexpr std::size_t kStageSize = 64 * 1024;

class Win32InputFile final : public InputFile {
  public:
    Win32InputFile(HANDLE handle, bool unbuffered) : file_(handle) {
        if (unbuffered) {
            storage_.resize(kStageSize + kSectorAlignment);
            void* start = storage_.data();
            std::size_t space = storage_.size();
            stage_ = static_cast<char*>(std::align(kSectorAlignment, kStageSize, start, space));
        }
    }

    Result<std::size_t> read(std::span<char> buffer) override {
        return stage_ == nullptr ? readDirect(std::nullopt, buffer) : readStaged(buffer);
    }

    Result<std::size_t> readAt(std::uint64_t offset, std::span<char> buffer) override {
        return stage_ == nullptr ? readDirect(offset, buffer) : readStagedAt(offset, buffer);
    }

  private:
    // One ReadFile at `offset`, or where the last one ended; the end of the file reads as 0 bytes.
    DWORD readOnce(std::optional<std::uint64_t> offset, char* into, DWORD count, DWORD& got) {
        OVERLAPPED at{};
        if (offset) {
            at.Offset = static_cast<DWORD>(*offset);
            at.OffsetHigh = static_cast<DWORD>(*offset >> 32);
        }
        got = 0;
        if (::ReadFile(file_.get(), into, count, &got, offset ? &at : nullptr)) {
            return ERROR_SUCCESS;
        }
        const DWORD error = ::GetLastError();
        return error == ERROR_HANDLE_EOF ? ERROR_SUCCESS : error;
    }

    // Buffered: the buffer filled in pieces ReadFile takes, from `offset` or on from the last read.
    Result<std::size_t> readDirect(std::optional<std::uint64_t> offset, std::span<char> buffer) {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            const auto wanted = static_cast<DWORD>(std::min(buffer.size() - filled, kMaxTransfer));
            const std::optional<std::uint64_t> at =
                offset ? std::optional(*offset + filled) : std::nullopt;
            DWORD got = 0;
            if (const DWORD error = readOnce(at, buffer.data() + filled, wanted, got);
                error != ERROR_SUCCESS) {
                return fromWin32(error);
            }
            if (got == 0) {
                break;
            }
            filled += got;
        }
        return filled;
    }

    // Unbuffered: whole device sectors around the range go through the stage. A diskette's
    // sectors are 512 bytes, and reading only those asked for keeps a weak neighbour from failing
    // a good one; a device with larger sectors refuses that, and is then read in its own.
    Result<std::size_t> readStagedAt(std::uint64_t offset, std::span<char> buffer) {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            const std::uint64_t at = offset + filled;
            const std::uint64_t start = at - at % granule_;
            const std::uint64_t end = at + (buffer.size() - filled);
            const std::uint64_t span = std::min<std::uint64_t>(
                kStageSize, (end - start + granule_ - 1) / granule_ * granule_);
            DWORD got = 0;
            const DWORD error = readOnce(start, stage_, static_cast<DWORD>(span), got);
            if (error == ERROR_INVALID_PARAMETER && granule_ < kSectorAlignment) {
                granule_ = kSectorAlignment;
                continue;
            }
            if (error != ERROR_SUCCESS) {
                return fromWin32(error);
            }
            const auto skip = static_cast<std::size_t>(at - start);
            if (got <= skip) {
                break;
            }
            const std::size_t count = std::min<std::size_t>(got - skip, buffer.size() - filled);
            std::copy_n(stage_ + skip, count, buffer.data() + filled);
            filled += count;
            if (got < span) {
                break;
            }
        }
        return filled;
    }

    Result<std::size_t> readStaged(std::span<char> buffer) {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            if (begin_ == end_) {
                if (atEnd_) {
                    break;
                }
                DWORD got = 0;
                if (!::ReadFile(file_.get(), stage_, static_cast<DWORD>(kStageSize), &got,
                                nullptr)) {
                    const DWORD error = ::GetLastError();
                    if (error != ERROR_HANDLE_EOF) {
                        return fromWin32(error);
                    }
                    got = 0;
                }
                // A short block is the end of the file; a further unbuffered read would have to
                // start at that unaligned end, so none is made.
                atEnd_ = got < kStageSize;
                begin_ = 0;
                end_ = got;
                if (got == 0) {
                    break;
                }
            }
            const std::size_t count = std::min(end_ - begin_, buffer.size() - filled);
            std::copy_n(stage_ + begin_, count, buffer.data() + filled);
            begin_ += count;
            filled += count;
        }
        return filled;
    }

    Handle file_;
    std::vector<char> storage_;
    char* stage_ = nullptr;  // aligned block inside storage_; null for cached reads
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    std::uint64_t granule_ = 512;  // the sector size readStagedAt aligns to
};

class Win32OutputFile final : public OutputFile {
  public:
    Win32OutputFile(HANDLE handle, bool append) : file_(handle), append_(append) {}

    FileError write(std::span<const char> bytes) override {
        // Appending always writes at the current end, also after a truncate, as O_APPEND does.
        if (append_ && !::SetFilePointerEx(file_.get(), LARGE_INTEGER{}, nullptr, FILE_END)) {
            return lastError();
        }
        while (!bytes.empty()) {
            const auto count = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
            DWORD put = 0;
            if (!::WriteFile(file_.get(), bytes.data(), count, &put, nullptr)) {
                return lastError();
            }
            bytes = bytes.subspan(put);
        }
        return FileError::None;
    }

    FileError writeAt(std::uint64_t offset, std::span<const char> bytes) override {
        while (!bytes.empty()) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const auto count = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
            DWORD put = 0;
            if (!::WriteFile(file_.get(), bytes.data(), count, &put, &at)) {
                return lastError();
            }
            bytes = bytes.subspan(put);
            offset += put;
        }
        return FileError::None;
    }

    FileError flush() override {
        return ::FlushFileBuffers(file_.get()) ? FileError::None : lastError();
    }

    FileError truncate(std::uint64_t length) override {
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(length);
        if (!::SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN) ||
            !::SetEndOfFile(file_.get())) {
            return lastError();
        }
        return FileError::None;
    }

    FileError close() override {
        const HANDLE handle = file_.release();
        if (handle == INVALID_HANDLE_VALUE) {
            return FileError::None;
        }
        return ::CloseHandle(handle) ? FileError::None : lastError();
    }

  private:
    Handle file_;
    bool append_;
};

}  // namespace

FileError errorFrom(const std::error_code& ec) {
    if (!ec) {
        return FileError::None;
    }
    // std::filesystem reports Win32 codes in the system category and C runtime errno values in
    // the generic one, depending on the call behind it.
    if (ec.category() == std::system_category()) {
        return fromWin32(static_cast<DWORD>(ec.value()));
    }
    return fromErrno(ec.default_error_condition().value());
}

Result<std::unique_ptr<InputFile>> openRead(const fs::path& path, ReadMode mode) {
    const EntryInfo info = inspect(path);
    if (info.error != ERROR_SUCCESS) {
        return fromWin32(info.error);
    }
    if (info.isFolder() || info.isLink()) {
        return FileError::PathFileAccess;
    }
    // Without buffering every read goes to the device, so the bytes checked are those on the
    // medium and not a cached copy of what was written.
    const bool unbuffered = mode == ReadMode::FromMedium;
    const DWORD flags = FILE_FLAG_SEQUENTIAL_SCAN | linkFlags(info);
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              flags | (unbuffered ? FILE_FLAG_NO_BUFFERING : 0), nullptr));
    bool staged = unbuffered;
    if (!file.valid() && unbuffered && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        // Some network redirectors refuse unbuffered access; read through the cache there.
        file.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, flags, nullptr));
        staged = false;
    }
    if (!file.valid()) {
        return lastError();
    }
    if (FileError e = requireRegular(file.get()); e != FileError::None) {
        return e;
    }
    return std::unique_ptr<InputFile>(std::make_unique<Win32InputFile>(file.release(), staged));
}

Result<std::unique_ptr<OutputFile>> openWrite(const fs::path& path, WriteMode mode) {
    const EntryInfo info = inspect(path);
    const bool exists = info.error == ERROR_SUCCESS;
    if (exists && (info.isFolder() || info.isLink())) {
        return FileError::PathFileAccess;
    }
    // Replacing a hidden or system file needs those attributes given again; a plain file is
    // written over with the same result on every host.
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (exists && (info.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        attributes = info.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }
    const DWORD disposition = mode == WriteMode::Create   ? CREATE_ALWAYS
                              : mode == WriteMode::Append ? OPEN_ALWAYS
                                                          : OPEN_EXISTING;
    Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                              attributes | linkFlags(info), nullptr));
    if (!file.valid()) {
        return lastError();
    }
    if (FileError e = requireRegular(file.get()); e != FileError::None) {
        return e;
    }
    return std::unique_ptr<OutputFile>(
        std::make_unique<Win32OutputFile>(file.release(), mode == WriteMode::Append));
}

FileError makeDir(const fs::path& path, DirAccess access) {
    // A new folder gets the permissions it inherits from its parent. The working directories
    // that ask for owner-only access lie in the user's own temporary folder, which only that user
    // (and administrators) may enter, so they are created like any other folder.
    (void)access;
    if (!::CreateDirectoryW(path.c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_ALREADY_EXISTS ? FileError::PathFileAccess : fromWin32(error);
    }
    return FileError::None;
}

FileError deleteEntry(const fs::path& path) {
    const EntryInfo info = inspect(path);
    if (info.error != ERROR_SUCCESS) {
        return fromWin32(info.error);
    }
    if (info.isFolder()) {
        // A link to a folder is removed as a folder (which takes away the link, not its target);
        // a real folder is not this call's business.
        if (!info.isLink()) {
            return FileError::PathFileAccess;
        }
        return removeEvenIfReadOnly(path, ::RemoveDirectoryW);
    }
    return removeEvenIfReadOnly(path, ::DeleteFileW);
}

FileError removeFolder(const fs::path& path) {
    return removeEvenIfReadOnly(path, ::RemoveDirectoryW);
}

FileError flushFile(const fs::path& path) {
    // FlushFileBuffers needs a handle with write access; the file is opened as itself, never
    // through a link.
    Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        return lastError();
    }
    if (FileError e = requireRegular(file.get()); e != FileError::None) {
        return e;
    }
    return ::FlushFileBuffers(file.get()) ? FileError::None : lastError();
}

std::optional<TransferResult> copyRange(const fs::path& source, const fs::path& target,
                                        CopyMode mode) {
    if (mode == CopyMode::Append) {
        // Windows has no call that appends a file to another: the caller streams it, and takes a
        // failed append back itself.
        return std::nullopt;
    }
    // CopyFileExW copies where the bytes are (a network share copies on its server, a volume that
    // clones blocks clones them), without passing them through this program. The source is held
    // open meanwhile, opened as itself: a link is refused rather than followed, and nothing can
    // put one in its place while it is copied.
    const EntryInfo info = inspect(source);
    if (info.error != ERROR_SUCCESS) {
        return TransferResult{fromWin32(info.error), TransferStage::OpenSource};
    }
    if (info.isFolder() || info.isLink()) {
        return TransferResult{FileError::PathFileAccess, TransferStage::OpenSource};
    }
    Handle held(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              linkFlags(info), nullptr));
    if (!held.valid()) {
        return TransferResult{lastError(), TransferStage::OpenSource};
    }
    if (FileError e = requireRegular(held.get()); e != FileError::None) {
        return TransferResult{e, TransferStage::OpenSource};
    }
    // A file at the target goes first, and the copy only ever makes a new file: it never writes
    // through a link put there in between. A link or a folder there is refused, as when the
    // target is opened for writing.
    const EntryInfo existing = inspect(target);
    if (existing.error == ERROR_SUCCESS) {
        if (existing.isFolder() || existing.isLink()) {
            return TransferResult{FileError::PathFileAccess, TransferStage::OpenTarget};
        }
        if (FileError e = deleteEntry(target); e != FileError::None) {
            return TransferResult{e, TransferStage::OpenTarget};
        }
    }
    if (!::CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, nullptr,
                       COPY_FILE_FAIL_IF_EXISTS)) {
        const DWORD error = ::GetLastError();
        switch (error) {
            case ERROR_FILE_EXISTS:
            case ERROR_ALREADY_EXISTS:
                // Something else took the name meanwhile: it is not the copy's to remove.
                return TransferResult{fromWin32(error), TransferStage::OpenTarget};
            case ERROR_CRC:
            case ERROR_READ_FAULT:
            case ERROR_SECTOR_NOT_FOUND:
            case ERROR_SEEK:
                return TransferResult{fromWin32(error), TransferStage::Read};
            default:
                // The source is open and readable: what fails now is mostly the target's side.
                return TransferResult{fromWin32(error), TransferStage::Write};
        }
    }
    // The copy has the source's attributes. The converter's copies are plain files, as the ones
    // it writes itself: a read-only piece from a diskette must still take the next piece's append,
    // and a hidden one must still be listed, and so copied on, with the rest of its folder.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return TransferResult{lastError(), TransferStage::Write};
    }
    const DWORD dropped = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((attributes & dropped) != 0) {
        const DWORD kept = attributes & ~dropped;
        if (!::SetFileAttributesW(target.c_str(), kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept)) {
            return TransferResult{lastError(), TransferStage::Write};
        }
    }
    return TransferResult{};
}

namespace {

// Whether the volume holding `path` puts every change on the medium at once, so that a folder has
// nothing waiting to be flushed: a network share (the server commits each change as it is made),
// or a disk whose write cache is off, as Windows sets up removable drives for quick removal.
bool writesThrough(const fs::path& path) {
    wchar_t volumePath[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(path.c_str(), volumePath, MAX_PATH + 1)) {
        return false;
    }
    if (::GetDriveTypeW(volumePath) == DRIVE_REMOTE) {
        return true;
    }
    wchar_t volumeName[MAX_PATH + 1] = {};
    if (!::GetVolumeNameForVolumeMountPointW(volumePath, volumeName, MAX_PATH + 1)) {
        return false;
    }
    std::wstring device(volumeName);  // "\\?\Volume{...}\": the volume itself without the "\"
    if (device.ends_with(L'\\')) {
        device.pop_back();
    }
    // No access asked for: a property query needs none, and so no administrator either.
    Handle volume(::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!volume.valid()) {
        return false;
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceWriteCacheProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_WRITE_CACHE_PROPERTY cache{};
    DWORD returned = 0;
    return ::DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                             &cache, sizeof cache, &returned, nullptr) &&
           returned >= sizeof cache && cache.WriteCacheEnabled == WriteCacheDisabled;
}

}  // namespace

std::uint64_t allocationUnit(const fs::path& path) {
    wchar_t volumePath[MAX_PATH + 1] = {};
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    if (!::GetVolumePathNameW(path.c_str(), volumePath, MAX_PATH + 1) ||
        !::GetDiskFreeSpaceW(volumePath, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                             &clusters)) {
        return 0;
    }
    return static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
}

FileError flushFolder(const fs::path& path) {
    Handle folder(::CreateFileW(
        path.c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD error = folder.valid() ? ERROR_SUCCESS : ::GetLastError();
    const EntryInfo info = folder.valid() ? attributesOf(folder.get()) : inspect(path);
    if (info.error == ERROR_SUCCESS && (!info.isFolder() || info.isLink())) {
        return FileError::PathNotFound;
    }
    if (folder.valid()) {
        if (::FlushFileBuffers(folder.get())) {
            return FileError::None;
        }
        error = ::GetLastError();
    }
    // Some file systems cannot flush a folder, or not through a handle this user may open; they
    // say so in one of these ways. Their folders are on the medium only where the volume writes
    // every change through at once; anywhere else the entries may still wait in the cache, and
    // the write cannot be told to be complete.
    const bool cannotFlush = error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
                             error == ERROR_ACCESS_DENIED;
    if (cannotFlush && info.error == ERROR_SUCCESS && writesThrough(path)) {
        return FileError::None;
    }
    return fromWin32(error);
}

fs::file_type entryType(const fs::path& path) {
    return inspect(path).type();
}

Result<std::vector<FolderEntry>> listFolder(const fs::path& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW((path / L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder without "." and "..", the root of a drive, may hold nothing at all.
        return error == ERROR_FILE_NOT_FOUND ? Result<std::vector<FolderEntry>>({})
                                             : Result<std::vector<FolderEntry>>(fromWin32(error));
    }
    std::vector<FolderEntry> entries;
    do {
        const std::wstring_view name(found.cFileName);
        if (name == L"." || name == L"..") {
            continue;
        }
        EntryInfo info;
        info.attributes = found.dwFileAttributes;
        info.reparseTag = info.isReparsePoint() ? found.dwReserved0 : 0;
        entries.push_back({utf8FromUtf16(name), info.type(), info.isHiddenOrSystem()});
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        return fromWin32(error);
    }
    return entries;
}

Result<std::uint64_t> fileLength(const fs::path& path) {
    const EntryInfo info = inspect(path);
    if (info.error != ERROR_SUCCESS) {
        return info.type() == fs::file_type::not_found ? FileError::FileNotFound
                                                       : fromWin32(info.error);
    }
    if (info.type() != fs::file_type::regular) {
        return FileError::PathFileAccess;
    }
    return info.size;
}

namespace {

// Whether the volume holding `path` keeps access lists. Where it keeps none (FAT, exFAT: the
// file systems of cards and diskettes), access to an entry can be denied only while another
// program holds it open.
bool keepsAccessLists(const fs::path& path) {
    wchar_t volumePath[MAX_PATH + 1] = {};
    DWORD flags = 0;
    return !::GetVolumePathNameW(path.c_str(), volumePath, MAX_PATH + 1) ||
           !::GetVolumeInformationW(volumePath, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
           (flags & FILE_PERSISTENT_ACLS) != 0;
}

}  // namespace

FileError renameEntry(const fs::path& from, const fs::path& to, Clock& clock) {
    // A virus scanner looking at a new file, a file manager or the search indexer showing a
    // folder holds it open for a moment; while it does, neither the entry nor (for a folder)
    // anything in it can be renamed.
    constexpr auto kPatience = std::chrono::seconds(3);
    const Clock::Time deadline = clock.now() + kPatience;
    DWORD error = ERROR_SUCCESS;
    for (DWORD pause = 20;; pause = std::min<DWORD>(pause * 2, 250)) {
        if (::MoveFileExW(from.c_str(), to.c_str(), 0)) {
            return FileError::None;
        }
        error = ::GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                          error == ERROR_ACCESS_DENIED;
        if (!held || clock.now() >= deadline) {
            break;
        }
        clock.sleepFor(std::chrono::milliseconds(pause));
    }
    if (error == ERROR_ACCESS_DENIED && !keepsAccessLists(from)) {
        return FileError::FileInUse;
    }
    return fromWin32(error);
}

std::optional<fs::path> shareRoot(std::string_view server, std::string_view share) {
    return fs::path(L"\\\\" + utf16FromUtf8(server) + L"\\" + utf16FromUtf8(share) + L"\\");
}

fs::path anyLengthForm(fs::path path) {
    // CreateDirectoryW takes at most MAX_PATH - 12 characters in the plain form (room for an 8.3
    // name to follow); the other calls MAX_PATH.
    constexpr std::size_t kPlainLimit = MAX_PATH - 12;
    std::wstring text = path.make_preferred().native();
    if (text.size() < kPlainLimit || text.starts_with(L"\\\\?\\")) {
        return path;
    }
    // The plain form trims trailing dots and blanks from the final name; "\\?\" keeps them, and
    // would make names that no other program could open.
    const std::size_t nameStart = text.find_last_of(L'\\') + 1;
    const std::size_t kept = text.find_last_not_of(L". ");
    if (kept != std::wstring::npos && kept >= nameStart) {
        text.erase(kept + 1);
    }
    if (text.starts_with(L"\\\\")) {
        return fs::path(L"\\\\?\\UNC\\" + text.substr(2));
    }
    return fs::path(L"\\\\?\\" + text);
}

bool namesIgnoreCase() {
    return true;
}

}  // namespace xq::native

namespace xq {

std::string hostTemporaryFolder() {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            // Only a broken environment gets here; the usual place is the best guess left.
            return "C:\\Windows\\Temp";
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(length);  // too small: `length` is the size needed, terminator included
    }
    std::string folder = native::utf8FromUtf16(buffer);
    while (folder.size() > 2 && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

DigitGrouping regionalDigitGrouping() {
    DigitGrouping grouping;  // thousands by ",", should the settings not be readable
    wchar_t separator[8] = {};
    wchar_t groups[16] = {};
    const int separatorLength =
        ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    const int groupsLength =
        ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SGROUPING, groups, 16);
    if (separatorLength <= 0 || groupsLength <= 0) {
        return grouping;
    }
    // "3;0" groups by thousands; "3;2;0" (India) takes thousands first, then hundreds, and only
    // the first size is kept; "0" is no grouping at all, as the user chose it.
    int first = 0;
    for (const wchar_t* digit = groups; *digit >= L'0' && *digit <= L'9'; ++digit) {
        first = first * 10 + (*digit - L'0');
    }
    grouping.separator = native::utf8FromUtf16(
        std::wstring_view(separator, static_cast<std::size_t>(separatorLength - 1)));
    grouping.groupSize = first;
    return grouping;
}

}  // namespace xq
