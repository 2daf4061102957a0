#include "archive/missing_bytes.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/text.h"

namespace xq {

namespace {

// The record is text: a heading with the archive ID, then a line for each missing range,
// "range <begin> <end> <path>", each file not read at all, "file <path>", each folder not listed,
// "folder <path>", each file the copy holds, "kept <digest> <path>", and "stopped" when the reading
// stopped early. Paths come last, as they may hold blanks.
constexpr std::string_view kHeading = "XQ3100 missing bytes of archive ";
// Far more than any diskette's record can take: anything longer is not one.
constexpr std::size_t kMaxRecordSize = 4 * 1024 * 1024;

std::optional<std::uint64_t> numberAt(std::string_view& line) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (error != std::errc() || end == line.data() + line.size() || *end != ' ') {
        return std::nullopt;
    }
    line.remove_prefix(static_cast<std::size_t>(end - line.data()) + 1);
    return value;
}

bool takePrefix(std::string_view& line, std::string_view prefix) {
    if (!line.starts_with(prefix)) {
        return false;
    }
    line.remove_prefix(prefix.size());
    return true;
}

// Takes one line after the heading into the record; false when it is not one of the record's.
bool readLine(std::string_view line, MissingBytes& missing) {
    if (line == "stopped") {
        missing.stopped = true;
        return true;
    }
    if (takePrefix(line, "folder ")) {
        missing.folders.emplace_back(line);
        return line.starts_with('\\');
    }
    if (takePrefix(line, "kept ")) {
        const std::optional<Digest128> digest = parseDigestText(line.substr(0, 32));
        line.remove_prefix(std::min<std::size_t>(line.size(), 33));
        missing.kept.push_back({std::string(line), digest.value_or(Digest128{})});
        return digest.has_value() && line.starts_with('\\');
    }
    if (takePrefix(line, "file ")) {
        missing.files.push_back({std::string(line), {}});
        return line.starts_with('\\');
    }
    if (!takePrefix(line, "range ")) {
        return false;
    }
    const std::optional<std::uint64_t> begin = numberAt(line);
    const std::optional<std::uint64_t> end = begin ? numberAt(line) : std::nullopt;
    if (!end || *end <= *begin || !line.starts_with('\\')) {
        return false;
    }
    if (missing.files.empty() || missing.files.back().path != line) {
        missing.files.push_back({std::string(line), {}});
    }
    std::vector<ByteRange>& ranges = missing.files.back().ranges;
    if (!ranges.empty() && ranges.back().end > *begin) {
        return false;
    }
    ranges.push_back({*begin, *end});
    return true;
}

}  // namespace

const MissingBytes::File* MissingBytes::find(std::string_view path) const {
    for (const File& file : files) {
        if (file.path == path) {
            return &file;
        }
    }
    return nullptr;
}

const Digest128* MissingBytes::keptDigest(std::string_view path) const {
    for (const Kept& file : kept) {
        if (file.path == path) {
            return &file.digest;
        }
    }
    return nullptr;
}

std::uint64_t MissingBytes::byteCount() const {
    std::uint64_t count = 0;
    for (const File& file : files) {
        for (const ByteRange& range : file.ranges) {
            count += range.size();
        }
    }
    return count;
}

FileError writeMissingBytes(FileService& files, std::string_view path,
                            const MissingBytes& missing) {
    std::string text = std::string(kHeading) + missing.archiveId + "\n";
    for (const MissingBytes::File& file : missing.files) {
        if (file.ranges.empty()) {
            text += "file " + file.path + "\n";
        }
        for (const ByteRange& range : file.ranges) {
            text += "range " + std::to_string(range.begin) + " " + std::to_string(range.end) + " " +
                    file.path + "\n";
        }
    }
    for (const std::string& folder : missing.folders) {
        text += "folder " + folder + "\n";
    }
    for (const MissingBytes::Kept& file : missing.kept) {
        text += "kept " + digestText(file.digest) + " " + file.path + "\n";
    }
    if (missing.stopped) {
        text += "stopped\n";
    }
    Result<std::unique_ptr<OutputFile>> out = files.openWrite(path, WriteMode::Create);
    if (!out) {
        return out.error();
    }
    for (FileError e : {(*out)->write(text), (*out)->flush(), (*out)->close()}) {
        if (e != FileError::None) {
            return e;
        }
    }
    return FileError::None;
}

std::optional<MissingBytes> readMissingBytes(FileService& files, std::string_view path) {
    const std::optional<std::string> text = readSmallFile(files, path, kMaxRecordSize);
    if (!text || !text->starts_with(kHeading)) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::string_view>> lines = completeLines(*text);
    if (!lines) {
        return std::nullopt;  // cut off while it was written
    }
    MissingBytes missing;
    missing.archiveId = lines->front().substr(kHeading.size());
    for (std::size_t i = 1; i < lines->size(); ++i) {
        if (!readLine((*lines)[i], missing)) {
            return std::nullopt;
        }
    }
    return missing;
}

}  // namespace xq
