#include "archive/tree_operations.h"
#include "archive/tree_paths.h"

namespace xq {

bool DeleteTree(FileService& files, std::string_view path, Listing listing) {
    // folderExists is false for a link: a link put where a working directory should be is not
    // walked, so nothing it points to is removed.
    if (!files.folderExists(path)) {
        return true;
    }
    const std::string folder = asFolderPath(path);
    Result<std::vector<DirEntry>> entries = files.listDirectory(folder, listing);
    if (entries) {
        for (const DirEntry& entry : *entries) {
            // Whatever cannot be removed keeps its folder, and the removal of the folder tells.
            if (entry.kind == EntryKind::Directory) {
                passOver(DeleteTree(files, folder + entry.name + "\\", listing));
            } else {
                passOver(files.deleteFile(folder + entry.name));  // a file, or a link itself
            }
        }
    }
    return files.removeDir(folder) == FileError::None;
}

}  // namespace xq
