// Feeds arbitrary bytes to the archive descriptor parse. Besides the sanitizers' own checks it
// holds the parse to its promises: a descriptor is taken whole or not at all, no file line of it
// is left out, and what it takes names only files under the diskette's root that the card can
// hold under their names.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "archive/archive_descriptor.h"
#include "archive/archived_name.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// How many lines begin with "FILE:" from the third line on, where the file lines are looked for
// (the first line begins at offset 1).
std::size_t fileMarkedLines(std::string_view data) {
    std::size_t count = 0;
    std::size_t line = 0;
    for (std::size_t pos = 1; pos < data.size(); ++line) {
        const std::size_t end = std::min(data.find('\n', pos), data.size());
        if (line >= 2 && data.substr(pos, end - pos).starts_with("FILE:")) {
            ++count;
        }
        pos = end + 1;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    xq::ArchiveState state;
    state.archiveId = -1;  // a value no parse can produce, to see whether it was replaced
    state.fileCount = 1;
    state.files[0].fileName = "\\before";
    const xq::ArchiveState before = state;

    const std::span<const char> bytes(reinterpret_cast<const char*>(data), size);
    if (!xq::ParseArchiveDescriptor(bytes, state).ok()) {
        require(state == before);
        return 0;
    }
    require(size >= 1 && size <= xq::kMaxDescriptorBytes);
    require(state.archiveId >= 0);
    require(state.disketteCount >= 1 && state.disketteCount <= 99);
    require(state.fileCount >= 1 &&
            static_cast<std::size_t>(state.fileCount) <= xq::kMaxArchivedFiles);
    // Every line from the first file line on is an entry: none is dropped, the 101st included.
    require(fileMarkedLines(std::string_view(bytes.data(), bytes.size())) <=
            static_cast<std::size_t>(state.fileCount));
    for (const xq::ArchivedFile& file : state.table()) {
        // A line without a name names no file; every name there is must be safe.
        require(file.fileName.empty() || xq::isSafeArchivedName(file.fileName));
        require(file.fileName.size() < 100 && file.secondString.size() < 100);
        require(file.diskNumber >= 0);
    }
    return 0;
}
