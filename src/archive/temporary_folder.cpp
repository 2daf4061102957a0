#include "archive/tree_operations.h"

namespace xq {

std::string TemporaryFolder(FileService& files) {
    std::string folder = files.temporaryFolder();
    // Working directories are formed as folder & "\XQ3100_..."; a root like "C:\" must not double
    // it.
    while (folder.ends_with('\\')) {
        folder.pop_back();
    }
    return folder;
}

}  // namespace xq
