#include "platform/overlay_drive_table.h"

#include <algorithm>

namespace xq {

std::vector<Drive> OverlayDriveTable::drives() const {
    std::vector<Drive> all = overlay_.drives();
    for (Drive& drive : base_.drives()) {
        if (!overlay_.drive(drive.letter)) {
            all.push_back(std::move(drive));
        }
    }
    std::sort(all.begin(), all.end(),
              [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    return all;
}

std::optional<Drive> OverlayDriveTable::drive(char letter) const {
    if (std::optional<Drive> laid = overlay_.drive(letter)) {
        return laid;
    }
    return base_.drive(letter);
}

std::optional<std::string> OverlayDriveTable::hostRoot(char letter) const {
    if (overlay_.drive(letter)) {
        return overlay_.hostRoot(letter);
    }
    return base_.hostRoot(letter);
}

void OverlayDriveTable::holdLetters() const {
    base_.holdLetters();
    overlay_.holdLetters();
}

void OverlayDriveTable::releaseLetters() const {
    overlay_.releaseLetters();
    base_.releaseLetters();
}

}  // namespace xq
