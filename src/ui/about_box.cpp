#include "ui/about_box.h"

#include "platform/text.h"

namespace xq {

AboutTexts aboutTexts(const ProgramIdentity& identity) {
    AboutTexts texts;
    texts.caption = "About " + std::string(identity.title);
    texts.version = "Version " + std::to_string(identity.major) + "." +
                    std::to_string(identity.minor) + " ( " + std::string(identity.comments) + " )";
    texts.title = identity.title;
    texts.description = "This tool converts the Vantora/Orvessa system database from floppy ";
    texts.description += "diskettes form into Compact Flash based form.";
    texts.description += CRLF;
    texts.description +=
        "To be used when upgrading from a Vantora/Orvessa system which uses diskettes, to a system "
        "that uses a compact flash as its mass storage.";
    texts.description += CRLF;
    return texts;
}

bool AboutBoxState::open() {
    if (isOpen_) {
        return false;
    }
    isOpen_ = true;
    return true;
}

}  // namespace xq
