#include "archive/tree_operations.h"
#include "archive/tree_paths.h"

namespace xq {

int CountFiles(FileService& files, std::string_view path) {
    const std::string folder = asFolderPath(path);
    Result<std::vector<DirEntry>> listing = files.listDirectory(folder);
    if (!listing) {
        return 0;
    }
    int count = 0;
    for (const DirEntry& entry : *listing) {
        if (entry.kind == EntryKind::Directory) {
            count += CountFiles(files, folder + entry.name + "\\") + 1;
        } else if (entry.kind == EntryKind::File) {
            ++count;
        }
        // Links and special entries are not copied, so they do not count either.
    }
    return count;
}

}  // namespace xq
