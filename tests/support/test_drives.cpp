#include "support/test_drives.h"

#include <stdexcept>

namespace xq::test {

namespace {

Drive folderDrive(char letter, int type, const std::filesystem::path& root, std::string volume) {
    Drive d;
    d.letter = letter;
    d.type = type;
    d.ready = true;
    d.volumeName = std::move(volume);
    d.freeBytes = 1457152;
    d.hostRoot = root.string();
    return d;
}

}  // namespace

TestDrives::TestDrives() : host(letters, "C:\\Temp"), files(host) {
    std::filesystem::create_directories(temp_ / "c" / "Temp");
    std::filesystem::create_directories(temp_ / "a");
    std::filesystem::create_directories(temp_ / "e");
    Drive floppy = folderDrive('A', drive_type::Removable, temp_ / "a", "");
    floppy.ready = false;
    table.add(floppy);
    Drive system = folderDrive('C', drive_type::Fixed, temp_ / "c", "SYSTEM");
    system.freeBytes = 123456789;
    system.holdsSystem = true;
    table.add(system);
    table.add(folderDrive('E', drive_type::Removable, temp_ / "e", "CARD"));
}

std::filesystem::path TestDrives::hostPath(std::string_view windowsPath) const {
    Result<std::filesystem::path> resolved = host.resolve(windowsPath);
    if (!resolved) {
        throw std::runtime_error("cannot resolve " + std::string(windowsPath));
    }
    return *resolved;
}

std::filesystem::path TestDrives::newMedium(std::string_view name) const {
    std::filesystem::path folder = temp_ / "media" / name;
    std::filesystem::create_directories(folder);
    return folder;
}

void TestDrives::insert(char letter, const std::filesystem::path& folder, std::string volumeName) {
    table.changeMedium(letter, folder.string(), std::move(volumeName));
}

}  // namespace xq::test
