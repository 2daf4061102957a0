#pragma once

#include "convert/conversion_context.h"

namespace xq {

// Removes the working directories: the flat directory and the copy of every diskette.
void RemoveTemporaryDirectories(ConversionContext& context);

// Removes working directories that a run which did not end (killed, crashed, the machine turned
// off) left in the temporary folder, and logs each. Only for a copy that holds the lock of the
// temporary folder: any working directory found then is nobody's.
void RemoveLeftoverDirectories(FileService& files, Operator& op);

}  // namespace xq
