#include "archive/file_line.h"

#include <cstdint>

#include "archive/archived_name.h"
#include "archive/decimal_field.h"

namespace xq {

namespace {

constexpr std::int16_t kDiskNumberAt = 6;

}  // namespace

DescriptorError parseFileLine(const LineBuffer& line, ArchivedFile& entry) {
    const double disk = ReadDecimalField(line, kDiskNumberAt);
    // A number of many digits does not fit the 16-bit disk number: the line is unusable.
    if (!(disk <= INT16_MAX)) {
        return DescriptorError::Overflow;
    }
    entry.diskNumber = static_cast<std::int16_t>(disk);
    // The fields behind the disk number move with its width; the flags are one digit each.
    const std::int16_t width = entry.diskNumber >= 10 ? 2 : 1;
    entry.continued = ReadDecimalField(line, static_cast<std::int16_t>(7 + width)) != 0;
    entry.secondFlag = ReadDecimalField(line, static_cast<std::int16_t>(9 + width)) != 0;
    entry.archivedChecksum = ReadDecimalField(line, static_cast<std::int16_t>(11 + width));

    // The checksum starts at 11 + width; what follows its first digit is passed up to the blank.
    std::size_t pos = static_cast<std::size_t>(12 + width);
    pos += wordAt(line, pos).size();
    if (pos < line.size() && line[pos] == ' ') {
        ++pos;
    }
    const std::string_view name = wordAt(line, pos);
    pos += name.size();
    std::string_view second;
    if (pos < line.size() && line[pos] == ' ') {
        second = wordAt(line, pos + 1);  // behind the one blank that follows the name
    }
    // Names are later joined to the working directories and the card's folders; a name that
    // leaves the diskette's root makes the whole descriptor unusable.
    if (!name.empty() && !isSafeArchivedName(name)) {
        return DescriptorError::UnsafeName;
    }
    entry.fileName = name;
    entry.secondString = second;
    return DescriptorError::None;
}

}  // namespace xq
