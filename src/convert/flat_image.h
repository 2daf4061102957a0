#pragma once

#include "convert/conversion_context.h"

namespace xq {

// Writes "archive.dat" into the flat directory: diskette 1's descriptor as a one-disk descriptor
// (its header, "NUMDISKS: 1", and one file line for every piece the flat image lists). Returns true
// when it was written whole; a failure has been reported.
[[nodiscard]] bool BuildFlatImage(ConversionContext& context);

}  // namespace xq
