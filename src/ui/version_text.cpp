#include "ui/version_text.h"

namespace xq {

std::string versionText(std::string_view program, const ProgramIdentity& identity) {
    std::string text(program);
    text += " (";
    text += identity.title;
    text += ") ";
    text += identity.version;
    text += '\n';
    text += identity.copyright;
    text += '\n';
    return text;
}

}  // namespace xq
