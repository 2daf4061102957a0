#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/drive_table.h"

namespace xq {

// The machine's drive letters as Windows reports them. A drive is ready when its volume can be
// read; its root is "X:\" itself.
class WindowsDriveTable : public DriveTable {
  public:
    WindowsDriveTable();

    // Floppy and network drives are listed with their type only, as not ready and without a
    // label: asking them takes a spin-up or a network time-out, and the list is made often.
    std::vector<Drive> drives() const override;
    // Looks at this one drive only: every other floppy or card drive is left untouched.
    std::optional<Drive> drive(char letter) const override;
    std::optional<std::string> hostRoot(char letter) const override;
};

}  // namespace xq
