#include "convert/absent_record.h"

#include <charconv>
#include <cstdio>

#include "archive/set_names.h"

namespace xq {

namespace {

// Text: the mark, "descriptor" and the descriptor's digest, then "absent" and a name per line.
constexpr std::string_view kMark = "XQ3100 Database Media Converter absent files\n";
constexpr std::size_t kLongestRecord = 64 * 1024;

std::string hexDigest(const Digest128& digest) {
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(digest.high),
                  static_cast<unsigned long long>(digest.low));
    return text;
}

std::optional<Digest128> parseDigest(std::string_view text) {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    if (text.size() != 32 ||
        std::from_chars(text.data(), text.data() + 16, high, 16).ptr != text.data() + 16 ||
        std::from_chars(text.data() + 16, text.data() + 32, low, 16).ptr != text.data() + 32) {
        return std::nullopt;
    }
    return Digest128{low, high};
}

std::optional<Digest128> digestOf(FileService& files, const std::string& path) {
    Result<std::unique_ptr<InputFile>> in = files.openRead(path, ReadMode::FromMedium);
    if (!in) {
        return std::nullopt;
    }
    ContentDigest digest;
    std::string block(64 * 1024, '\0');
    for (;;) {
        const Result<std::size_t> got = (*in)->read(block);
        if (!got) {
            return std::nullopt;
        }
        digest.add({reinterpret_cast<const unsigned char*>(block.data()), *got});
        if (*got < block.size()) {
            return digest.value();
        }
    }
}

std::string descriptorOf(const std::string& backup) {
    return backup + "single\\" + std::string(kDescriptorName);
}

}  // namespace

std::string absentRecordText(const AbsentRecord& record) {
    std::string text = std::string(kMark) + "descriptor " + hexDigest(record.descriptor) + "\n";
    for (const std::string& file : record.files) {
        text += "absent " + file + "\n";
    }
    return text;
}

std::optional<AbsentRecord> parseAbsentRecord(std::string_view text) {
    if (!text.starts_with(kMark)) {
        return std::nullopt;
    }
    text.remove_prefix(kMark.size());
    AbsentRecord record;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (std::exchange(first, false)) {
            const std::optional<Digest128> digest =
                line.starts_with("descriptor ") ? parseDigest(line.substr(11)) : std::nullopt;
            if (!digest) {
                return std::nullopt;
            }
            record.descriptor = *digest;
        } else if (line.starts_with("absent \\")) {
            record.files.emplace_back(line.substr(7));
        } else {
            return std::nullopt;
        }
    }
    return first ? std::nullopt : std::optional(std::move(record));
}

std::optional<AbsentRecord> readAbsentRecord(FileService& files, const std::string& backup,
                                             bool* present) {
    const std::string path = backup + std::string(kAbsentRecordName);
    if (present != nullptr) {
        *present = files.fileExists(path) || files.folderExists(path);
    }
    const std::optional<std::string> text = readSmallFile(files, path, kLongestRecord);
    return text ? parseAbsentRecord(*text) : std::nullopt;
}

FileError writeAbsentRecord(FileService& files, const std::string& backup,
                            const std::vector<std::string>& absent) {
    const std::string path = backup + std::string(kAbsentRecordName);
    if (absent.empty()) {
        return files.fileExists(path) ? files.deleteFile(path) : FileError::None;
    }
    const std::optional<Digest128> descriptor = digestOf(files, descriptorOf(backup));
    if (!descriptor) {
        return FileError::DeviceIo;
    }
    Result<std::unique_ptr<OutputFile>> out = files.openWrite(path, WriteMode::Create);
    if (!out) {
        return out.error();
    }
    const std::string text = absentRecordText({*descriptor, absent});
    for (FileError e : {(*out)->write(text), (*out)->flush(), (*out)->close()}) {
        if (e != FileError::None) {
            return e;
        }
    }
    return files.flushFolder(backup);
}

std::vector<std::string> recordedAbsentFiles(FileService& files, const std::string& backup) {
    const std::optional<AbsentRecord> record = readAbsentRecord(files, backup);
    if (!record || digestOf(files, descriptorOf(backup)) != record->descriptor) {
        return {};
    }
    return record->files;
}

}  // namespace xq
