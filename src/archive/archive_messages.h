#pragma once

#include <string>
#include <string_view>

namespace xq {

// Operator messages of the diskette reader and the tree copy that more than one routine composes.

// "X:\" for a drive letter, the way the messages name a drive; ":\" alone when there is no letter.
std::string driveRootText(char driveLetter);

// "Failed to create directory: " & directory & CR LF & "Ensure there is enough free space
// available on drive " & letter & ":\"
std::string directoryCreationFailure(std::string_view directory, char driveLetter);

// "Failed writing: " & file & CR LF & "Ensure there is enough free space available on drive " &
// letter & ":\"
std::string writeFailure(std::string_view file, char driveLetter);

// "Can not copy file " & source & " to " & target & CR LF & "Ensure that the floppy disk is
// readable and that " & CR LF & "there is enough free space available on drive " & letter & ":\"
std::string copyFailure(std::string_view source, std::string_view target, char driveLetter);

}  // namespace xq
