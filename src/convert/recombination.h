#pragma once

#include <string_view>

#include "convert/conversion_context.h"

namespace xq {

// Merges the copies of all diskettes into the flat directory and joins the pieces of every file
// split across diskettes, so that each archived file is there whole. Returns true when it ran to
// its end; a failure has been reported.
[[nodiscard]] bool RecombineDatabase(ConversionContext& context);

// Where recombination takes a piece from, below its diskette's copy: the entry's file name, or
// "\keycode.kcd" for the entry "\keycode.rec" when diskette 1 holds the other key-code file.
[[nodiscard]] std::string_view recombinedSource(const ArchivedFile& entry, bool keyCodeIsRec);
// Where recombination puts it, below the flat directory: the same, without blanks at its ends.
[[nodiscard]] std::string recombinedDestination(const ArchivedFile& entry, bool keyCodeIsRec);

// Creates the folders of a file's relative path ("\db\sub\main.dat") under `baseDirectory`, which
// must exist. Returns false after reporting a folder that could not be created.
[[nodiscard]] bool CreateDirectoryPath(ConversionContext& context, std::string_view relativePath,
                                       std::string_view baseDirectory);

}  // namespace xq
