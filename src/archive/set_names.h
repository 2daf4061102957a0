#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xq {

// Names and working directories of a diskette set.

// A set has diskettes 1 to 99: their file names have room for two digits of the number only.
inline constexpr int kMaxDisketteNumber = 99;
// The most a set can hold: 99 diskettes of the largest format, 2.88 MB.
inline constexpr std::uint64_t kMaxSetBytes = kMaxDisketteNumber * 2'949'120ULL;

// The archive descriptor, in the root of diskette 1.
inline constexpr std::string_view kDescriptorName = "archive.dat";

// The diskette file in the root of diskette `n`: "disk0001.dat" to "disk0099.dat". The prefix
// supplies the zeros, the number is written without any of its own; numbers above 99 have no
// diskette file name (the reader refuses them before it looks for one).
std::string disketteFileName(int n);

// Names of the working directories in the temporary folder.
inline constexpr std::string_view kDisketteDirectoryPrefix = "XQ3100_disk";  // and the number
inline constexpr std::string_view kFlatDirectoryName = "XQ3100_flat";

// Whether `name` is "XQ3100_disk" and a diskette number, without regard to ASCII case.
bool isDisketteDirectoryName(std::string_view name);

// Whether `name` is one of the working directories' names: "XQ3100_flat" or a diskette's copy.
bool isWorkingDirectoryName(std::string_view name);

// The copy of diskette `n` under the temporary folder `temporaryFolder` (without a trailing "\"):
// "C:\Temp\XQ3100_disk3".
std::string disketteDirectory(std::string_view temporaryFolder, int n);

// The record of what the copy of diskette `n` lacks, beside it: "C:\Temp\XQ3100_disk3.missing".
// No set can name it, as every name of a set lies inside a diskette's copy.
std::string missingBytesFile(std::string_view temporaryFolder, int n);
inline constexpr std::string_view kMissingBytesExtension = ".missing";

// The flat database directory under the temporary folder: "C:\Temp\XQ3100_flat".
std::string flatDirectory(std::string_view temporaryFolder);

}  // namespace xq
