#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_service.h"
#include "ui/operator.h"

namespace xq {

// Operations on directory trees, shared by the diskette reader, recombination and the placement on
// the card. Directory paths end in "\" (one is added where it is missing).
//
// None of them ever follows a link: a diskette or a shared temporary folder may hold links to
// anywhere on this machine. Links and other special entries are left out of copies and counts as
// hidden entries are; removing a tree removes such an entry itself, never what it points to.

// The system's temporary folder, which roots every working directory, without a trailing "\".
std::string TemporaryFolder(FileService& files);

enum class [[nodiscard]] CopyOutcome : std::int16_t{
    Copied = 1,   // the whole tree was walked
    Failed = -1,  // stopped at a failure, which has been reported
    // Stopped by the file copier (see FileCopier), which has not reported why: its caller does.
    Stopped = -2,
};

// Copies the tree under `source` into `target`, creating subdirectories as needed. Before each file
// is copied, `step` is added to the progress bar. A file that already exists in the target is
// extended by the source's bytes rather than replaced (this is how recombination joins pieces).
// Returns Copied, or Failed after the failure has been reported to the operator (log
// and "Error!" box); the copy stops at the first failure.
CopyOutcome CopyTree(FileService& files, Operator& op, std::string_view source,
                     std::string_view target, std::int16_t step);

// Which files a copy leaves out, by their path below the tree's root ("\db\main.dat").
using TreeFilter = std::function<bool(std::string_view relativePath)>;

// The same copy, leaving out the files `leaveOut` names.
CopyOutcome CopyTree(FileService& files, Operator& op, std::string_view source,
                     std::string_view target, std::int16_t step, const TreeFilter& leaveOut);

// What a tree copy does with each file, and with a folder of the source it cannot list. The copies
// above copy a new file, extend an existing one, and fail (reported) where anything fails.
class FileCopier {
  public:
    virtual ~FileCopier() = default;
    // `relativePath` is the file's path below the tree's root ("\db\main.dat"); `targetExists`
    // says whether the target holds a file of that name already.
    virtual CopyOutcome copyFile(std::string_view relativePath, const std::string& source,
                                 const std::string& target, bool targetExists) = 0;
    virtual CopyOutcome unlistedFolder(std::string_view relativePath, const std::string& source,
                                       FileError error) = 0;
};

// The same copy, each file copied by `copier`. The walk goes on while the copier answers Copied.
CopyOutcome CopyTree(FileService& files, Operator& op, std::string_view source,
                     std::string_view target, std::int16_t step, const TreeFilter& leaveOut,
                     FileCopier& copier);

// Removes the tree under `path` and `path` itself. A path that is not a folder (missing, or a link)
// is left alone. Failures are passed over: what cannot be removed stays, and the result is false.
// Hidden entries stay too, unless `listing` asks for them (for a folder that is the program's own
// through and through). True when no folder is left at `path` (also when there was none).
[[nodiscard]] bool DeleteTree(FileService& files, std::string_view path,
                              Listing listing = Listing::Visible);

// Every file and folder of the tree under `path`, by the path below it with a leading "\" (folders
// with a trailing one too), folders before what they hold. Nullopt when a folder cannot be listed,
// or holds something else (a link, a device): such a tree is not one the program made.
struct TreeEntry {
    std::string path;
    EntryKind kind = EntryKind::File;
};
[[nodiscard]] std::optional<std::vector<TreeEntry>> ListTree(FileService& files,
                                                             std::string_view path,
                                                             Listing listing = Listing::Visible);

// The number of files and folders in the tree under `path` (a folder counts once, besides its
// contents). A folder that cannot be listed counts as empty.
[[nodiscard]] int CountFiles(FileService& files, std::string_view path);

}  // namespace xq
