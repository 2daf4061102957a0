#pragma once

#include <string>

#include "ui/program_identity.h"

namespace xq {

// The texts of the About box, filled from the version record when the box opens.
struct AboutTexts {
    std::string caption;      // the window's caption
    std::string title;        // lblTitle
    std::string version;      // lblVersion
    std::string description;  // lblDescription
};

AboutTexts aboutTexts(const ProgramIdentity& identity = kProgram);

// The About box is not modal and exists at most once: asking for it again while it is open brings
// the open one forward.
class AboutBoxState {
  public:
    // Whether a new box must be made (false: the open one is to be raised).
    bool open();
    void closed() { isOpen_ = false; }
    bool isOpen() const { return isOpen_; }

  private:
    bool isOpen_ = false;
};

}  // namespace xq
