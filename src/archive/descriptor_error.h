#pragma once

#include <string>

#include "platform/error_number.h"

namespace xq {

// Why an archive descriptor cannot be used.
enum class DescriptorError {
    None,
    Unreadable,  // missing or unreadable: the file service's error says why
    Empty,
    TooLong,   // more than kMaxDescriptorBytes
    Overflow,  // a disk number beyond the 16-bit range (a field of many digits)
    // No line begins with "FILE:": the search ran past the end of the data.
    NoFileTable,
    // The three below describe a set that can never be converted as it is, whichever copy of its
    // diskette 1 is read.
    TooManyFileLines,         // more file lines than the file table holds (kMaxArchivedFiles)
    UnsafeName,               // a file outside the diskette's root, or one a card cannot hold
    DisketteCountOutOfRange,  // NUMDISKS is not 1 to 99
};

struct [[nodiscard]] DescriptorResult {
    DescriptorError error = DescriptorError::None;
    FileError fileError = FileError::None;  // with Unreadable
    // With UnsafeName the file line refused, with DisketteCountOutOfRange the count's digits.
    std::string detail;

    bool ok() const { return error == DescriptorError::None; }
    bool operator==(const DescriptorResult&) const = default;
};

}  // namespace xq
