#include "convert/absent_record.h"

#include "archive/set_names.h"
#include "platform/text.h"

namespace xq {

namespace {

// Text: the mark, "descriptor" and the descriptor's digest, then "absent" and a name per line.
constexpr std::string_view kMark = "XQ3100 Database Media Converter absent files\n";
constexpr std::size_t kLongestRecord = 64 * 1024;

std::string descriptorOf(const std::string& backup) {
    return backup + "single\\" + std::string(kDescriptorName);
}

}  // namespace

std::string absentRecordText(const AbsentRecord& record) {
    std::string text = std::string(kMark) + "descriptor " + digestText(record.descriptor) + "\n";
    for (const std::string& file : record.files) {
        text += "absent " + file + "\n";
    }
    return text;
}

std::optional<AbsentRecord> parseAbsentRecord(std::string_view text) {
    if (!text.starts_with(kMark)) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::string_view>> lines =
        completeLines(text.substr(kMark.size()));
    if (!lines || lines->empty()) {
        return std::nullopt;
    }
    const std::string_view first = lines->front();
    const std::optional<Digest128> digest =
        first.starts_with("descriptor ") ? parseDigestText(first.substr(11)) : std::nullopt;
    if (!digest) {
        return std::nullopt;
    }
    AbsentRecord record{.descriptor = *digest};
    for (std::size_t i = 1; i < lines->size(); ++i) {
        if (!(*lines)[i].starts_with("absent \\")) {
            return std::nullopt;
        }
        record.files.emplace_back((*lines)[i].substr(7));
    }
    return record;
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
    const std::optional<Digest128> descriptor =
        fileDigest(files, descriptorOf(backup), ReadMode::FromMedium);
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
    if (!record ||
        fileDigest(files, descriptorOf(backup), ReadMode::FromMedium) != record->descriptor) {
        return {};
    }
    return record->files;
}

}  // namespace xq
