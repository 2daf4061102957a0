#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/drive_table.h"

namespace xq {

// A drive table whose letters hold still while held (see DriveTable::holdLetters). Outside a hold
// it reports the live table as it is. The hold takes a snapshot of the live table's letters: until
// it ends, each letter stands for the root it stood for then, even when a device plugged in or
// taken out meanwhile moves the live letters. A held drive is ready only while its volume is still
// there (a ready drive of the live table, under whatever letter, has that root), and its free space
// and volume name are the live ones; a drive that was not ready at the hold stays so until it ends.
class DriveTableSnapshot : public DriveTable {
  public:
    explicit DriveTableSnapshot(const DriveTable& live);
    explicit DriveTableSnapshot(std::unique_ptr<DriveTable> live);

    std::vector<Drive> drives() const override;
    std::optional<std::string> hostRoot(char letter) const override;
    void holdLetters() const override;
    void releaseLetters() const override;

  private:
    const Drive* held(char letter) const;

    std::unique_ptr<DriveTable> owned_;
    const DriveTable& live_;
    // The hold changes what the table reports, not the table's own state: see holdLetters.
    mutable int holds_ = 0;
    mutable std::vector<Drive> snapshot_;
};

}  // namespace xq
