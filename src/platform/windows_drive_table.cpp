#include "platform/windows_drive_table.h"

#include <string_view>

#include "platform/text.h"
#include "platform/win32_text.h"
#include "platform/windows_headers.h"

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

// A floppy drive spins up, or waits for a diskette, and a network drive whose server is gone
// stalls for the network's time-out, before either says what its volume holds.
bool slowToAsk(char letter, UINT type) {
    if (type == DRIVE_REMOTE) {
        return true;
    }
    if (type != DRIVE_REMOVABLE) {
        return false;
    }
    const wchar_t name[] = {static_cast<wchar_t>(letter), L':', L'\0'};
    wchar_t device[MAX_PATH] = {};
    return ::QueryDosDeviceW(name, device, MAX_PATH) != 0 &&
           std::wstring_view(device).starts_with(L"\\Device\\Floppy");
}

enum class Probe { Always, UnlessSlow };

Drive describe(char letter, Probe probe) {
    const std::wstring root = rootOf(letter);
    const UINT type = ::GetDriveTypeW(root.c_str());
    Drive drive;
    drive.letter = letter;
    drive.type = driveTypeCode(type);
    if (probe == Probe::UnlessSlow && slowToAsk(letter, type)) {
        return drive;  // listed as not ready, without a label, until it is asked for itself
    }
    wchar_t volumeName[MAX_PATH + 1] = {};
    if (::GetVolumeInformationW(root.c_str(), volumeName, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                nullptr, 0)) {
        drive.ready = true;
        drive.volumeName = native::utf8FromUtf16(volumeName);
        drive.hostRoot = std::string{letter, ':', '\\'};
        wchar_t windows[MAX_PATH] = {};
        const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
        drive.holdsSystem = length >= 2 && length < MAX_PATH && windows[1] == L':' &&
                            asciiUpper(static_cast<char>(windows[0])) == letter;
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
            all.push_back(describe(letter, Probe::UnlessSlow));
        }
    }
    return all;
}

std::optional<Drive> WindowsDriveTable::drive(char letter) const {
    letter = asciiUpper(letter);
    if (!isDriveLetter(letter) || !exists(letter, ::GetLogicalDrives())) {
        return std::nullopt;
    }
    return describe(letter, Probe::Always);
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
