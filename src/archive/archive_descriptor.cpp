#include "archive/archive_descriptor.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "archive/decimal_field.h"
#include "archive/file_line.h"
#include "archive/line_buffer.h"
#include "archive/set_names.h"
#include "platform/text.h"

namespace xq {

namespace {

constexpr std::int16_t kArchiveIdAt = 16;      // offset 17 of the data, as the line starts at 1
constexpr std::int16_t kDisketteCountAt = 10;  // behind the label "NUMDISKS: ", not checked
constexpr std::string_view kFileLineMark = "FILE:";
// DOS-era programs end a text file with this byte (Ctrl+Z); it is no part of the text.
constexpr char kDosEndOfFile = '\x1A';

// Where the first line that begins with "FILE:" starts, searching from `pos` on.
std::optional<std::size_t> findFileTable(std::span<const char> data, std::size_t pos) {
    LineBuffer line;
    while (pos < data.size()) {
        const std::size_t start = pos;
        pos = copyLine(data, pos, line);
        if (lineStartsWith(line, kFileLineMark)) {
            return start;
        }
    }
    return std::nullopt;
}

// Whether nothing but empty lines follow from `pos` on: a descriptor may end with them.
bool onlyEmptyLinesFrom(std::span<const char> data, std::size_t pos) {
    LineBuffer scratch;
    while (pos < data.size()) {
        if (!isEmptyLine(data, pos)) {
            return false;
        }
        pos = copyLine(data, pos, scratch);
    }
    return true;
}

// The archive ID from its column: the number there, or the text where it is not one.
std::string archiveIdOf(const LineBuffer& line) {
    const std::string_view digits = decimalFieldDigits(line, kArchiveIdAt);
    if (!digits.empty()) {
        return withoutLeadingZeros(digits);
    }
    const auto begin = line.begin() + kArchiveIdAt;
    const std::string text = trimmedBlanks(std::string(begin, std::find(begin, line.end(), '\0')));
    return text.empty() ? "0" : text;
}

}  // namespace

DescriptorResult ParseArchiveDescriptor(std::span<const char> bytes, ArchiveState& state) {
    if (bytes.empty()) {
        return {DescriptorError::Empty};
    }
    if (bytes.size() > kMaxDescriptorBytes) {
        return {DescriptorError::TooLong};
    }
    while (!bytes.empty() && bytes.back() == kDosEndOfFile) {
        bytes = bytes.first(bytes.size() - 1);
    }
    ArchiveState parsed;
    LineBuffer line;
    std::size_t pos = copyLine(bytes, 1, line);
    parsed.archiveId = ReadDecimalField(line, kArchiveIdAt);
    parsed.archiveIdText = archiveIdOf(line);

    pos = copyLine(bytes, pos, line);
    const double count = ReadDecimalField(line, kDisketteCountAt);
    // Also catches a count of hundreds of digits, which reads as infinity.
    if (!(count >= 1 && count <= kMaxDisketteNumber)) {
        return {DescriptorError::DisketteCountOutOfRange, FileError::None,
                withoutLeadingZeros(decimalFieldDigits(line, kDisketteCountAt))};
    }
    parsed.disketteCount = static_cast<std::int16_t>(count);

    const std::optional<std::size_t> fileTable = findFileTable(bytes, pos);
    if (!fileTable) {
        return {DescriptorError::NoFileTable};
    }
    // Every line from the first "FILE:" line on is a file line, whatever it begins with, up to
    // the empty lines a descriptor may end with. A file line that does not fit the table is never
    // dropped: without it a file would reach the card incomplete.
    pos = *fileTable;
    std::size_t taken = 0;
    while (!onlyEmptyLinesFrom(bytes, pos)) {
        if (taken == kMaxArchivedFiles) {
            return {DescriptorError::TooManyFileLines};
        }
        pos = copyLine(bytes, pos, line, Separators::ToBackslash);
        if (const DescriptorError e = parseFileLine(line, parsed.files[taken]);
            e != DescriptorError::None) {
            const auto end = std::find(line.begin(), line.end(), '\0');
            return {e, FileError::None, std::string(line.begin(), end)};
        }
        ++taken;
    }
    parsed.fileCount = static_cast<std::int16_t>(taken);
    state = std::move(parsed);
    return {};
}

DescriptorResult ParseArchiveDescriptor(FileService& files, std::string_view path,
                                        ArchiveState& state) {
    Result<std::uint64_t> length = files.fileLength(path);
    if (!length) {
        return {DescriptorError::Unreadable, length.error()};
    }
    if (*length < 1) {
        return {DescriptorError::Empty};
    }
    if (*length > kMaxDescriptorBytes) {
        return {DescriptorError::TooLong};
    }
    Result<std::unique_ptr<InputFile>> in = files.openRead(path);
    if (!in) {
        return {DescriptorError::Unreadable, in.error()};
    }
    // One byte more than a descriptor may hold: a file that grew since its length was taken is
    // still refused as too long.
    std::vector<char> data(kMaxDescriptorBytes + 1);
    std::size_t filled = 0;
    while (filled < data.size()) {
        Result<std::size_t> got = (*in)->read(std::span<char>(data).subspan(filled));
        if (!got) {
            return {DescriptorError::Unreadable, got.error()};
        }
        if (*got == 0) {
            break;
        }
        filled += *got;
    }
    return ParseArchiveDescriptor(std::span<const char>(data.data(), filled), state);
}

}  // namespace xq
