#include "platform/linux_drive_table.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/drive_table_snapshot.h"
#include "platform/text.h"

namespace xq {

namespace fs = std::filesystem;

namespace {

// Media of at most 2.88 MB, counted in the 512-byte sectors of sys/block/X/size, are diskettes.
constexpr std::uint64_t kMaxFloppySectors = 5760;

// Only two letters are kept for floppy drives, as on the machines the converter comes from.
constexpr std::size_t kFloppyLetters = 2;

struct Disk {
    std::string name;  // whole-disk name under sys/block ("sdb"); a card slot's host when empty
    // Where the disk's drive comes in letter order: its name, or for a built-in card slot the
    // name of the slot's host, which stays the same whether a card is in it or not.
    std::string place;
    bool removable = false;
    std::uint64_t sectors = 0;  // 0: no medium
    std::string model;
};

struct BlockDevices {
    std::vector<Disk> disks;                    // in device-name order
    std::map<std::string, std::string> diskOf;  // disk or partition name -> its whole disk
};

struct Mount {
    std::string source;
    std::string point;
    std::string type;
    std::optional<std::string> device;  // the block device behind it ("sdb1"), if any
    std::string disk;                   // that device's whole disk ("sdb"); empty without one
    // Mounted from a device node that is gone: a stick or card pulled without unmounting.
    bool deviceGone = false;
};

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::uint64_t parseCount(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc{} && end == text.data() + text.size() ? value : 0;
}

// Device names compare with their numbers taken as numbers, so sdb2 comes before sdb10.
bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            std::size_t iEnd = i;
            std::size_t jEnd = j;
            while (iEnd < a.size() && isAsciiDigit(a[iEnd])) {
                ++iEnd;
            }
            while (jEnd < b.size() && isAsciiDigit(b[jEnd])) {
                ++jEnd;
            }
            std::string_view x = a.substr(i, iEnd - i);
            std::string_view y = b.substr(j, jEnd - j);
            while (x.size() > 1 && x.front() == '0') {
                x.remove_prefix(1);
            }
            while (y.size() > 1 && y.front() == '0') {
                y.remove_prefix(1);
            }
            if (x.size() != y.size()) {
                return x.size() < y.size();
            }
            if (x != y) {
                return x < y;
            }
            i = iEnd;
            j = jEnd;
        } else {
            if (a[i] != b[j]) {
                return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            }
            ++i;
            ++j;
        }
    }
    return i == a.size() && j < b.size();
}

bool isOneOf(std::string_view text, std::initializer_list<std::string_view> choices) {
    return std::find(choices.begin(), choices.end(), text) != choices.end();
}

// "sr0" for prefix "sr": the prefix followed by a device number and nothing else.
bool isNumbered(std::string_view name, std::string_view prefix) {
    return name.size() > prefix.size() && name.starts_with(prefix) &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       isAsciiDigit);
}

bool isInternalFloppy(std::string_view name) {
    return isNumbered(name, "fd");
}

bool isOptical(std::string_view name) {
    return isNumbered(name, "sr") || isNumbered(name, "scd");
}

// Block devices made of memory or files, which no operator would take for a drive of their own.
bool isVirtual(std::string_view name) {
    return isNumbered(name, "loop") || isNumbered(name, "ram") || isNumbered(name, "zram");
}

bool looksLikeFloppyModel(std::string_view model) {
    std::string lower(model);
    for (char& c : lower) {
        c = asciiLower(c);
    }
    for (std::string_view word : {"floppy", "fdd", "fdu", "uf000"}) {
        if (lower.find(word) != std::string::npos) {
            return true;
        }
    }
    return false;
}

bool isFloppy(const Disk& disk) {
    if (isInternalFloppy(disk.name)) {
        return true;
    }
    if (!disk.removable || isOptical(disk.name) || isVirtual(disk.name)) {
        return false;
    }
    if (disk.sectors > 0) {
        return disk.sectors <= kMaxFloppySectors;
    }
    // Without a diskette a USB floppy drive reports no capacity at all, just like an empty card
    // reader; only its model name tells the two apart.
    return looksLikeFloppyModel(disk.model);
}

int driveTypeOf(const Disk* disk, std::string_view fileSystem) {
    if (disk != nullptr && isOptical(disk->name)) {
        return drive_type::CdRom;
    }
    if (disk != nullptr && disk->removable) {
        return drive_type::Removable;
    }
    if (isOneOf(fileSystem, {"iso9660", "udf"})) {
        return drive_type::CdRom;
    }
    if (isOneOf(fileSystem,
                {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p"})) {
        return drive_type::Network;
    }
    if (isOneOf(fileSystem, {"tmpfs", "ramfs"})) {
        return drive_type::RamDisk;
    }
    return drive_type::Fixed;
}

// The folders where desktops and operators mount the volumes meant to be picked.
bool isInUserMountFolder(std::string_view mountPoint) {
    for (std::string_view folder : {"/media/", "/run/media/", "/mnt/"}) {
        if (mountPoint.size() > folder.size() && mountPoint.starts_with(folder)) {
            return true;
        }
    }
    return false;
}

// Built-in SD card readers. The card in such a slot is a block device (mmcblkN) only while it is
// in, so the slot is found through the mmc host that drives it. Hosts of soldered-on eMMC storage
// or of SDIO devices (their card's type is not "SD") are no slots.
struct CardSlots {
    std::map<std::string, std::string> hostOf;  // block device of a card in a slot -> its host
    std::vector<std::string> empty;             // hosts of slots without a card
};

CardSlots readCardSlots(const fs::path& root) {
    CardSlots slots;
    std::error_code ec;
    for (fs::directory_iterator host(root / "sys/class/mmc_host", ec), end; !ec && host != end;
         host.increment(ec)) {
        const std::string hostName = host->path().filename().string();
        bool hasCard = false;
        std::error_code inner;
        for (fs::directory_iterator card(host->path(), inner), cardEnd; !inner && card != cardEnd;
             card.increment(inner)) {
            if (!card->path().filename().string().starts_with(hostName + ":")) {
                continue;  // the host's own attributes
            }
            hasCard = true;
            if (trimmed(readText(card->path() / "type")) != "SD") {
                continue;
            }
            std::error_code blockError;
            for (fs::directory_iterator block(card->path() / "block", blockError), blockEnd;
                 !blockError && block != blockEnd; block.increment(blockError)) {
                slots.hostOf[block->path().filename().string()] = hostName;
            }
        }
        if (!hasCard) {
            slots.empty.push_back(hostName);
        }
    }
    return slots;
}

BlockDevices readBlockDevices(const fs::path& root) {
    const CardSlots slots = readCardSlots(root);
    BlockDevices blocks;
    std::error_code ec;
    for (fs::directory_iterator it(root / "sys/block", ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::path& folder = it->path();
        Disk disk;
        disk.name = folder.filename().string();
        disk.place = disk.name;
        disk.removable = trimmed(readText(folder / "removable")) == "1";
        // A card in a built-in slot reports itself fixed; the slot is a removable drive all the
        // same, just like a USB card reader.
        if (const auto slot = slots.hostOf.find(disk.name); slot != slots.hostOf.end()) {
            disk.removable = true;
            disk.place = slot->second;
        }
        disk.sectors = parseCount(trimmed(readText(folder / "size")));
        if (disk.removable && disk.sectors == 0) {  // the only case where the model matters
            disk.model = std::string(trimmed(readText(folder / "device" / "model")));
        }
        blocks.diskOf[disk.name] = disk.name;
        // Partitions are the disk's subfolders named after it ("sdb1", "mmcblk0p1").
        std::error_code inner;
        for (fs::directory_iterator part(folder, inner), partEnd; !inner && part != partEnd;
             part.increment(inner)) {
            std::string name = part->path().filename().string();
            std::error_code typeError;
            if (name.size() > disk.name.size() && name.starts_with(disk.name) &&
                part->is_directory(typeError)) {
                blocks.diskOf[std::move(name)] = disk.name;
            }
        }
        blocks.disks.push_back(std::move(disk));
    }
    for (const std::string& host : slots.empty) {
        blocks.disks.push_back(Disk{.name = host, .place = host, .removable = true});
    }
    std::sort(blocks.disks.begin(), blocks.disks.end(),
              [](const Disk& a, const Disk& b) { return naturalLess(a.place, b.place); });
    return blocks;
}

// The mount table writes blanks, tabs, line ends and backslashes in its fields as \040, \011,
// \012 and \134.
std::string decodeMountField(std::string_view field) {
    std::string decoded;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i + 1),
                        field.begin() + static_cast<std::ptrdiff_t>(i + 4),
                        [](char c) { return c >= '0' && c <= '7'; })) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            decoded += static_cast<char>(value);
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t stop = std::min(line.find_first_of(" \t", start), line.size());
        fields.push_back(line.substr(start, stop - start));
        pos = stop;
    }
    return fields;
}

// The block device that a mount's source names, as it is called under sys/block.
std::optional<std::string> blockDeviceOf(const std::string& source, const fs::path& root,
                                         const BlockDevices& blocks) {
    constexpr std::string_view kDev = "/dev/";
    if (!source.starts_with(kDev)) {
        return std::nullopt;
    }
    std::string name = source.substr(kDev.size());
    if (blocks.diskOf.contains(name)) {
        return name;
    }
    // /dev/mapper/... and /dev/disk/by-uuid/... are links to the device node itself.
    std::error_code ec;
    const fs::path target = fs::read_symlink(root / source.substr(1), ec);
    if (!ec) {
        name = target.filename().string();
        if (blocks.diskOf.contains(name)) {
            return name;
        }
    }
    return std::nullopt;
}

// The mounts that can be seen: where a mount point was mounted over, only its last mount counts,
// as the kernel shows it.
std::vector<Mount> readMounts(const fs::path& root, const BlockDevices& blocks) {
    const std::string table = readText(root / "proc/self/mounts");
    std::vector<Mount> all;
    std::string_view rest = table;
    while (!rest.empty()) {
        const std::size_t cut = std::min(rest.find('\n'), rest.size());
        const std::vector<std::string_view> fields = splitFields(rest.substr(0, cut));
        rest.remove_prefix(std::min(cut + 1, rest.size()));
        if (fields.size() < 3) {
            continue;
        }
        Mount mount{decodeMountField(fields[0]), decodeMountField(fields[1]),
                    decodeMountField(fields[2])};
        if (!mount.point.starts_with('/')) {
            continue;
        }
        all.push_back(std::move(mount));
    }
    std::map<std::string, std::size_t> lastAt;
    for (std::size_t i = 0; i < all.size(); ++i) {
        lastAt[all[i].point] = i;
    }
    std::vector<Mount> visible;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (lastAt[all[i].point] != i) {
            continue;
        }
        Mount& mount = all[i];
        mount.device = blockDeviceOf(mount.source, root, blocks);
        if (mount.device) {
            mount.disk = blocks.diskOf.at(*mount.device);
        } else if (mount.source.starts_with("/dev/")) {
            std::error_code ec;
            mount.deviceGone = !fs::exists(root / mount.source.substr(1), ec);
        }
        visible.push_back(std::move(mount));
    }
    return visible;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = asciiLower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// udev writes the bytes of a label that cannot stand in a file name (blanks, "/") as \xNN.
std::string decodeUdevName(std::string_view name) {
    std::string decoded;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            hexDigit(name[i + 2]) >= 0 && hexDigit(name[i + 3]) >= 0) {
            decoded += static_cast<char>(hexDigit(name[i + 2]) * 16 + hexDigit(name[i + 3]));
            i += 3;
        } else {
            decoded += name[i];
        }
    }
    return decoded;
}

// Volume labels by block device name, from the links in dev/disk/by-label.
std::map<std::string, std::string> readLabels(const fs::path& root) {
    std::map<std::string, std::string> labels;
    std::error_code ec;
    for (fs::directory_iterator it(root / "dev/disk/by-label", ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(it->path(), linkError);
        if (!linkError) {
            labels[target.filename().string()] = decodeUdevName(it->path().filename().string());
        }
    }
    return labels;
}

}  // namespace

LinuxDriveTable::LinuxDriveTable(LinuxDriveSources sources) : sources_(std::move(sources)) {}

std::uint64_t LinuxDriveTable::freeBytesOf(const std::string& mountPoint) const {
    if (sources_.freeBytes) {
        return sources_.freeBytes(mountPoint).value_or(0);
    }
    struct statvfs volume {};
    if (::statvfs(mountPoint.c_str(), &volume) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(volume.f_bavail) *
           static_cast<std::uint64_t>(volume.f_frsize);
}

std::vector<Drive> LinuxDriveTable::collect(Detail detail) const {
    const fs::path root(sources_.systemRoot);
    const BlockDevices blocks = readBlockDevices(root);
    const std::vector<Mount> mounts = readMounts(root, blocks);
    const std::map<std::string, std::string> labels =
        detail == Detail::Full ? readLabels(root) : std::map<std::string, std::string>{};

    auto labelOf = [&](const std::optional<std::string>& device) {
        if (!device) {
            return std::string();
        }
        auto it = labels.find(*device);
        return it == labels.end() ? std::string() : it->second;
    };
    auto mounted = [&](const Mount& mount, int type) {
        Drive drive;
        drive.type = type;
        drive.ready = true;
        drive.hostRoot = mount.point;
        if (detail == Detail::Full) {
            drive.volumeName = labelOf(mount.device);
            drive.freeBytes = freeBytesOf(mount.point);
        }
        return drive;
    };
    auto empty = [](int type) {
        Drive drive;
        drive.type = type;
        return drive;
    };

    std::optional<std::string> rootDevice;
    for (const Mount& mount : mounts) {
        if (mount.point == "/") {
            rootDevice = mount.device;
        }
    }
    // What a drive of this disk can stand for: its mounts apart from the root file system and
    // other views of the root device (bind mounts). The whole device comes before its partitions,
    // partitions in name order, each with its mounts in table order.
    auto mountsOf = [&](const Disk& disk) {
        std::vector<const Mount*> found;
        for (const Mount& mount : mounts) {
            if (mount.disk == disk.name && mount.point != "/" && mount.device != rootDevice) {
                found.push_back(&mount);
            }
        }
        std::stable_sort(found.begin(), found.end(), [](const Mount* a, const Mount* b) {
            return naturalLess(*a->device, *b->device);
        });
        return found;
    };
    // The disk the system runs from is never offered as a removable drive, even a card or stick.
    const std::string systemDisk = rootDevice ? blocks.diskOf.at(*rootDevice) : std::string();
    // A medium pulled without unmounting leaves its mounts behind on a device of size 0.
    auto driveOf = [&](const Disk& disk, const std::vector<const Mount*>& found, int type) {
        return found.empty() || (disk.removable && disk.sectors == 0)
                   ? empty(type)
                   : mounted(*found.front(), type);
    };

    std::vector<Drive> all;

    // A: and B:, internal floppy drives before USB ones.
    std::vector<const Disk*> floppies;
    for (const Disk& disk : blocks.disks) {
        if (isFloppy(disk)) {
            floppies.push_back(&disk);
        }
    }
    std::stable_partition(floppies.begin(), floppies.end(),
                          [](const Disk* disk) { return isInternalFloppy(disk->name); });
    for (std::size_t i = 0; i < floppies.size() && i < kFloppyLetters; ++i) {
        Drive floppy = driveOf(*floppies[i], mountsOf(*floppies[i]), drive_type::Removable);
        floppy.letter = static_cast<char>('A' + i);
        all.push_back(std::move(floppy));
    }

    Drive system;
    system.letter = 'C';
    system.type = drive_type::Fixed;
    system.ready = true;
    system.hostRoot = "/";
    system.holdsSystem = true;
    if (detail == Detail::Full) {
        system.volumeName = labelOf(rootDevice);
        system.freeBytes = freeBytesOf("/");
    }
    all.push_back(std::move(system));

    // D: onwards: block devices in name order, then the other file systems by mount point.
    std::vector<Drive> volumes;
    for (const Disk& disk : blocks.disks) {
        if (isFloppy(disk)) {
            continue;
        }
        const std::vector<const Mount*> found = mountsOf(disk);
        if (disk.removable && disk.name != systemDisk && !isVirtual(disk.name)) {
            // One drive for the whole device, so a card reader keeps its letter whether a card
            // is in it or not.
            volumes.push_back(driveOf(disk, found, driveTypeOf(&disk, {})));
            continue;
        }
        // A fixed disk offers each of its partitions mounted in a user mount folder, at the first
        // such mount (later ones are bind mounts of the same file system).
        std::vector<std::string> listed;
        for (const Mount* mount : found) {
            if (isInUserMountFolder(mount->point) &&
                std::find(listed.begin(), listed.end(), *mount->device) == listed.end()) {
                listed.push_back(*mount->device);
                volumes.push_back(mounted(*mount, driveTypeOf(&disk, mount->type)));
            }
        }
    }
    std::vector<const Mount*> others;
    for (const Mount& mount : mounts) {
        if (!mount.device && !mount.deviceGone && isInUserMountFolder(mount.point)) {
            others.push_back(&mount);
        }
    }
    std::sort(others.begin(), others.end(),
              [](const Mount* a, const Mount* b) { return a->point < b->point; });
    for (const Mount* mount : others) {
        volumes.push_back(mounted(*mount, driveTypeOf(nullptr, mount->type)));
    }

    char letter = 'D';
    for (Drive& drive : volumes) {
        if (letter > 'Z') {
            break;
        }
        drive.letter = letter++;
        all.push_back(std::move(drive));
    }
    return all;
}

std::vector<Drive> LinuxDriveTable::drives() const {
    return collect(Detail::Full);
}

std::vector<Drive> LinuxDriveTable::roots() const {
    return collect(Detail::RootsOnly);
}

std::optional<std::string> LinuxDriveTable::hostRoot(char letter) const {
    letter = asciiUpper(letter);
    if (letter == 'C') {
        // Always there, and asked for by nearly every file operation (the temporary folder lies
        // on it): answered without reading anything.
        return std::string("/");
    }
    for (Drive& drive : roots()) {
        if (drive.letter == letter) {
            return drive.ready ? std::optional<std::string>(std::move(drive.hostRoot))
                               : std::nullopt;
        }
    }
    return std::nullopt;
}

std::unique_ptr<DriveTable> makeHostDriveTable() {
    // The letters are worked out from the devices there are: one plugged in during an action would
    // move the letters of the devices after it.
    return std::make_unique<DriveTableSnapshot>(std::make_unique<LinuxDriveTable>());
}

}  // namespace xq
