#pragma once

#include <string>
#include <string_view>

#include "ui/program_identity.h"

namespace xq {

// What --version prints, in the GNU form: "program (title) version", then the copyright notice.
std::string versionText(std::string_view program, const ProgramIdentity& identity = kProgram);

}  // namespace xq
