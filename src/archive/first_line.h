#pragma once

#include <string>
#include <string_view>

#include "platform/file_service.h"

namespace xq {

// The first line of a text file, without its line end (LF, CR LF or a lone CR). An empty file has
// no first line: reading one is an error (FileError::InputPastEnd), as for any text stream.
Result<std::string> readFirstLine(FileService& files, std::string_view path);

}  // namespace xq
