#pragma once

#include <string>
#include <string_view>

namespace xq {

// `folder` with exactly the "\" that joins it to an entry's name.
inline std::string asFolderPath(std::string_view folder) {
    std::string path(folder);
    if (!path.ends_with('\\')) {
        path += '\\';
    }
    return path;
}

}  // namespace xq
