#include "convert/card_room.h"

#include <algorithm>
#include <map>
#include <vector>

#include "archive/tree_operations.h"

namespace xq {

namespace {

std::uint64_t roundUp(std::uint64_t bytes, std::uint64_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

// The room a folder's tree takes on a drive that allocates in `unit`s: every file a whole number
// of them, every folder at least one for its entries (on FAT 32 bytes each, and one more for every
// 13 characters of a long name).
std::optional<std::uint64_t> roomFor(FileService& files, const std::string& folder,
                                     std::uint64_t unit) {
    const std::optional<std::vector<TreeEntry>> tree = ListTree(files, folder, Listing::WithHidden);
    if (!tree) {
        return std::nullopt;
    }
    constexpr std::uint64_t kEntry = 32;
    constexpr std::uint64_t kDotEntries = 2 * kEntry;
    std::map<std::string, std::uint64_t> entriesOf{{"", kDotEntries}};
    std::uint64_t total = 0;
    for (const TreeEntry& entry : *tree) {
        const bool isFolder = entry.kind == EntryKind::Directory;
        // Folders by their path without the trailing "\", the key their entries are counted under.
        const std::string path =
            isFolder ? entry.path.substr(0, entry.path.size() - 1) : entry.path;
        const std::size_t cut = path.rfind('\\');
        const std::size_t nameLength = path.size() - cut - 1;
        entriesOf[path.substr(0, cut)] += kEntry * (1 + (nameLength + 12) / 13);
        if (isFolder) {
            entriesOf[path] += kDotEntries;
        } else if (const Result<std::uint64_t> length =
                       files.fileLength(folder + entry.path.substr(1))) {
            total += roundUp(*length, unit);
        }
    }
    for (const auto& [path, bytes] : entriesOf) {
        total += std::max(unit, roundUp(bytes, unit));
    }
    return total;
}

}  // namespace

CardRoomCheck CheckCardRoom(FileService& files, const std::string& flat,
                            const std::string& flashDrive, const std::string& backup,
                            const std::optional<std::string>& single, std::uint64_t journalBytes) {
    CardRoomCheck check;
    const Result<DriveSpace> space = files.space(flashDrive + "\\");
    if (!space || space->allocationUnit == 0) {
        return check;  // cannot tell: the writing itself finds out, and nothing is lost
    }
    const std::uint64_t unit = space->allocationUnit;
    const std::optional<std::uint64_t> needed = roomFor(files, flat, unit);
    if (!needed) {
        return check;
    }
    // The journal and the word written before it takes the journal's name; a new backup folder.
    check.needed = *needed + 2 * std::max(unit, roundUp(journalBytes, unit)) +
                   (files.folderExists(backup) ? 0 : unit);
    check.free = space->available;
    check.withoutOld =
        check.free + (single ? roomFor(files, *single, unit).value_or(0) : std::uint64_t{0});
    check.room = check.needed <= check.free                   ? CardRoom::Beside
                 : single && check.needed <= check.withoutOld ? CardRoom::InPlace
                                                              : CardRoom::DoesNotFit;
    return check;
}

}  // namespace xq
