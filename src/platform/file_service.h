#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/content_digest.h"
#include "platform/result.h"

namespace xq {

// Paths handed to the file service are Windows-form: a drive letter, a colon and "\"-separated
// components ("A:\disk0001.dat", "C:\tmp\XQ3100_disk1\"); on a Windows host also a network
// share named directly ("\\server\share\Temp\XQ3100_disk1\"), as the system's temporary folder
// may be. Empty components (doubled or trailing separators) are ignored; "." and ".." components
// are refused, so no path leaves its drive's root. A component that does not match a name exactly
// is matched without regard to ASCII case, as on the FAT media the converter reads and writes.
//
// The file service never follows a link at the end of a path: a link is neither a file nor a folder
// here, reading or writing through one fails, and deleting one removes the link itself.

enum class EntryKind { File, Directory, Link, Other };

struct DirEntry {
    std::string name;
    EntryKind kind = EntryKind::File;

    bool operator==(const DirEntry&) const = default;
};

// A file open for reading: start to end with read(), or at chosen offsets with readAt() (one way or
// the other for one open file, not both).
class InputFile {
  public:
    virtual ~InputFile() = default;
    // Fills the buffer as far as the file reaches; fewer bytes than asked for only at its end.
    virtual Result<std::size_t> read(std::span<char> buffer) = 0;
    // The same from `offset` on. Opened FromMedium, every call goes to the medium again: a read
    // tried once more is a new try of the device, not an answer from a cache.
    virtual Result<std::size_t> readAt(std::uint64_t offset, std::span<char> buffer) = 0;
};

// A file open for writing. Closing it without close() (by destruction) drops any error.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual FileError write(std::span<const char> bytes) = 0;
    // Writes at `offset`, wherever the last write ended (a file opened to Update is written so).
    virtual FileError writeAt(std::uint64_t offset, std::span<const char> bytes) = 0;
    // Puts everything written so far on the medium itself, not only in the host's caches.
    virtual FileError flush() = 0;
    // Cuts the file back to `length` bytes (used to take back a failed append).
    virtual FileError truncate(std::uint64_t length) = 0;
    virtual FileError close() = 0;
};

enum class Listing {
    Visible,     // hidden and system entries left out
    WithHidden,  // every entry (to remove a folder of the program's own completely)
};

enum class WriteMode {
    Create,  // a new, empty file (an existing one is emptied)
    Append,  // written after the existing content; created when missing
    Update,  // an existing file, its content kept, to be written over at chosen offsets
};

enum class ReadMode {
    Cached,
    // The host's cached copy of the file is dropped first, so the bytes come from the medium.
    FromMedium,
};

enum class DirAccess {
    Shared,     // the host's usual permissions
    OwnerOnly,  // only the current user may enter it (working directories in a shared folder)
};

// Which part of a copy or an append failed.
enum class TransferStage { None, OpenSource, Read, OpenTarget, Write };

struct [[nodiscard]] TransferResult {
    FileError error = FileError::None;
    TransferStage failedAt = TransferStage::None;

    bool ok() const { return error == FileError::None; }
    bool readFailed() const {
        return failedAt == TransferStage::OpenSource || failedAt == TransferStage::Read;
    }
};

struct DriveSpace {
    std::uint64_t available = 0;  // the bytes this user may still write
    // The unit the drive hands out room in (a FAT card's cluster): every file takes a whole number
    // of them. 0 when the host cannot tell.
    std::uint64_t allocationUnit = 0;
};

class FileService {
  public:
    virtual ~FileService() = default;

    virtual bool folderExists(std::string_view path) = 0;
    virtual bool fileExists(std::string_view path) = 0;
    virtual Result<std::uint64_t> fileLength(std::string_view path) = 0;

    // Normal files, folders, links and other entries of a folder, sorted by name. Hidden and system
    // entries are left out unless asked for; "." and ".." always are.
    virtual Result<std::vector<DirEntry>> listDirectory(std::string_view path,
                                                        Listing listing = Listing::Visible) = 0;

    virtual FileError makeDir(std::string_view path, DirAccess access = DirAccess::Shared) = 0;
    // Removes an empty folder.
    virtual FileError removeDir(std::string_view path) = 0;
    // Removes a file, a link or another non-folder entry.
    virtual FileError deleteFile(std::string_view path) = 0;
    // Renames a file or a folder within one drive; the target must not exist.
    virtual FileError rename(std::string_view from, std::string_view to) = 0;

    virtual Result<std::unique_ptr<InputFile>> openRead(std::string_view path,
                                                        ReadMode mode = ReadMode::Cached) = 0;
    virtual Result<std::unique_ptr<OutputFile>> openWrite(std::string_view path,
                                                          WriteMode mode) = 0;

    // Puts a file's content, written and closed earlier, on the medium itself.
    virtual FileError flushFile(std::string_view path) = 0;
    // Puts a folder's entries (new names, removed names) on the medium.
    virtual FileError flushFolder(std::string_view path) = 0;

    // The room left on the drive that holds `path`.
    virtual Result<DriveSpace> space(std::string_view path) = 0;

    // The system's temporary folder, Windows-form, without a trailing "\".
    virtual std::string temporaryFolder() = 0;

    // The two transfers below stream through openRead and openWrite, so a failure injected there
    // shows here too; a host may do the same more directly.

    // Copies a file byte for byte. With `overwrite` false an existing target is an error. A target
    // left incomplete by a failure is removed.
    virtual TransferResult copyFile(std::string_view source, std::string_view target,
                                    bool overwrite);

    // Appends a file's bytes to the end of the target (created when missing). On any failure the
    // target is put back as it was: it never receives part of the source.
    virtual TransferResult appendFile(std::string_view source, std::string_view target);
};

// The whole of a small file the program keeps (a record, a journal); nullopt when it cannot be
// read, or is longer than `most` bytes (then it is not one of the program's).
[[nodiscard]] std::optional<std::string> readSmallFile(FileService& files, std::string_view path,
                                                       std::size_t most);

// The digest of a whole file's bytes, read as `mode` says; nullopt when it cannot be read.
[[nodiscard]] std::optional<Digest128> fileDigest(FileService& files, std::string_view path,
                                                  ReadMode mode);

}  // namespace xq
