#pragma once

#include <string_view>

namespace xq {

// Error numbers of failed file operations. They are the numbers the converter has always reported
// (53 is "File not found"), so messages and logs keep reading the same on every host.
enum class [[nodiscard]] FileError : int{
    None = 0,
    // The operator interrupted the program (Ctrl+C, a closed terminal, a logout).
    Interrupted = 18,
    BadFileName = 52,
    FileNotFound = 53,
    FileInUse = 55,  // another program holds the file or folder open
    FileAlreadyExists = 58,
    DeviceIo = 57,
    DiskFull = 61,
    InputPastEnd = 62,
    DeviceUnavailable = 68,
    PermissionDenied = 70,
    DiskNotReady = 71,
    PathFileAccess = 75,
    PathNotFound = 76,
};

// The operator-facing description of an error number ("File not found" for 53). Numbers that are
// not file errors get "Application-defined or object-defined error".
std::string_view errorDescription(int errorNumber);
inline std::string_view errorDescription(FileError error) {
    return errorDescription(static_cast<int>(error));
}

}  // namespace xq
