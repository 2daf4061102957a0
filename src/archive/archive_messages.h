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

}  // namespace xq
