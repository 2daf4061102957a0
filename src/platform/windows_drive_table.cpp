#include "platform/windows_drive_table.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/text.h"
#include "platform/win32_text.h"

namespace xq {

namespace {

int driveTypeCode(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE:
            return drive_type::Removable;
        case DRIVE_FIXED:
            return drive_type::Fixed;
        case DRIVE_REMOTE:
            return drive_type::Network;
        case DRIVE_CDROM:
            return drive_type::CdRom;
        case DRIVE_RAMDISK:
            return drive_type::RamDisk;
        default:
            return drive_type::Unknown;  // DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR
    }
}

bool isDriveLetter(char letter) {
    return letter >= 'A' && letter <= 'Z';
}

bool exists(char letter, DWORD logicalDrives) {
    return (logicalDrives & (DWORD{1} << (letter - 'A'))) != 0;
}

std::wstring rootOf(char letter) {
    return {static_cast<wchar_t>(letter), L':', L'\\'};
}

Drive describe(char letter) {
    const std::wstring root = rootOf(letter);
    Drive drive;
    drive.letter = letter;
    drive.type = driveTypeCode(::GetDriveTypeW(root.c_str()));
    wchar_t volumeName[MAX_PATH + 1] = {};
    if (::GetVolumeInformationW(root.c_str(), volumeName, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                nullptr, 0)) {
        drive.ready = true;
        drive.volumeName = native::utf8FromUtf16(volumeName);
        drive.hostRoot = std::string{letter, ':', '\\'};
        ULARGE_INTEGER available{};  // what this user may still write, quotas considered
        if (::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) {
            drive.freeBytes = available.QuadPart;
        }
    }
    return drive;
}

}  // namespace

WindowsDriveTable::WindowsDriveTable() {
    // Without this, looking at an empty floppy or card drive brings up the system's "insert a
    // disk" box instead of failing with ERROR_NOT_READY. The mode is the process's, set once and
    // kept for the whole run, with whatever flags were set before.
    static const bool quiet = [] {
        const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
        ::SetErrorMode(previous | SEM_FAILCRITICALERRORS);
        return true;
    }();
    (void)quiet;
}

std::vector<Drive> WindowsDriveTable::drives() const {
    const DWORD logicalDrives = ::GetLogicalDrives();
    std::vector<Drive> all;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (exists(letter, logicalDrives)) {
            all.push_back(describe(letter));
        }
    }
    return all;
}

std::optional<Drive> WindowsDriveTable::drive(char letter) const {
    letter = asciiUpper(letter);
    if (!isDriveLetter(letter) || !exists(letter, ::GetLogicalDrives())) {
        return std::nullopt;
    }
    return describe(letter);
}

std::optional<std::string> WindowsDriveTable::hostRoot(char letter) const {
    letter = asciiUpper(letter);
    if (!isDriveLetter(letter) || !exists(letter, ::GetLogicalDrives())) {
        return std::nullopt;
    }
    // Readiness alone, without the label or free space: this is asked for every file operation.
    const std::wstring root = rootOf(letter);
    if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
        return std::nullopt;
    }
    return std::string{letter, ':', '\\'};
}

std::unique_ptr<DriveTable> makeHostDriveTable() {
    return std::make_unique<WindowsDriveTable>();
}

}  // namespace xq
