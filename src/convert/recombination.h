#pragma once

#include <string_view>

#include "convert/conversion_context.h"

namespace xq {

// Merges the copies of all diskettes into the flat directory and joins the pieces of every file
// split across diskettes, so that each archived file is there whole. Returns true when it ran to
// its end; a failure has been reported.
bool RecombineDatabase(ConversionContext& context);

// Creates the folders of a file's relative path ("\db\sub\main.dat") under `baseDirectory`, which
// must exist. Returns false after reporting a folder that could not be created.
bool CreateDirectoryPath(ConversionContext& context, std::string_view relativePath,
                         std::string_view baseDirectory);

}  // namespace xq
