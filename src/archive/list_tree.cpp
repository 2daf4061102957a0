#include "archive/tree_operations.h"
#include "archive/tree_paths.h"

namespace xq {

std::optional<std::vector<TreeEntry>> ListTree(FileService& files, std::string_view path,
                                               Listing listing) {
    const std::string root = asFolderPath(path);
    std::vector<TreeEntry> entries;
    std::vector<std::string> folders{"\\"};
    while (!folders.empty()) {
        const std::string folder = std::move(folders.back());
        folders.pop_back();
        Result<std::vector<DirEntry>> listed =
            files.listDirectory(root + folder.substr(1), listing);
        if (!listed) {
            return std::nullopt;
        }
        for (const DirEntry& entry : *listed) {
            if (entry.kind == EntryKind::Directory) {
                entries.push_back({folder + entry.name + "\\", EntryKind::Directory});
                folders.push_back(entries.back().path);
            } else if (entry.kind == EntryKind::File) {
                entries.push_back({folder + entry.name, EntryKind::File});
            } else {
                return std::nullopt;
            }
        }
    }
    return entries;
}

}  // namespace xq
