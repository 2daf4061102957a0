#pragma once

#include "platform/drive_table.h"

namespace xq {

// The machine's drives with a few more laid over them: every drive of `overlay` appears in the
// list, and stands in for a drive of `base` with the same letter.
class OverlayDriveTable : public DriveTable {
  public:
    OverlayDriveTable(const DriveTable& base, const DriveTable& overlay)
        : base_(base), overlay_(overlay) {}

    std::vector<Drive> drives() const override;
    std::optional<Drive> drive(char letter) const override;
    std::optional<std::string> hostRoot(char letter) const override;
    void holdLetters() const override;
    void releaseLetters() const override;

  private:
    const DriveTable& base_;
    const DriveTable& overlay_;
};

}  // namespace xq
