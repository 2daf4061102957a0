#include "platform/drive_table_snapshot.h"

#include <algorithm>

#include "platform/text.h"

namespace xq {

namespace {

Drive notReady(const Drive& drive) {
    Drive gone;
    gone.letter = drive.letter;
    gone.type = drive.type;
    return gone;
}

// The live drive with this root, if one is ready.
const Drive* readyAt(const std::vector<Drive>& live, const std::string& root) {
    const auto found = std::find_if(live.begin(), live.end(), [&root](const Drive& d) {
        return d.ready && d.hostRoot == root;
    });
    return found == live.end() ? nullptr : &*found;
}

}  // namespace

DriveTableSnapshot::DriveTableSnapshot(const DriveTable& live) : live_(live) {}

DriveTableSnapshot::DriveTableSnapshot(std::unique_ptr<DriveTable> live)
    : owned_(std::move(live)), live_(*owned_) {}

void DriveTableSnapshot::holdLetters() const {
    if (holds_++ == 0) {
        snapshot_ = live_.roots();
    }
}

void DriveTableSnapshot::releaseLetters() const {
    if (holds_ > 0 && --holds_ == 0) {
        snapshot_.clear();
    }
}

const Drive* DriveTableSnapshot::held(char letter) const {
    const char wanted = asciiUpper(letter);
    const auto found = std::find_if(snapshot_.begin(), snapshot_.end(),
                                    [wanted](const Drive& d) { return d.letter == wanted; });
    return found == snapshot_.end() ? nullptr : &*found;
}

std::vector<Drive> DriveTableSnapshot::drives() const {
    if (holds_ == 0) {
        return live_.drives();
    }
    const std::vector<Drive> live = live_.drives();
    std::vector<Drive> all;
    for (const Drive& drive : snapshot_) {
        const Drive* now = drive.ready ? readyAt(live, drive.hostRoot) : nullptr;
        all.push_back(now != nullptr ? *now : notReady(drive));
        all.back().letter = drive.letter;
    }
    return all;
}

std::optional<std::string> DriveTableSnapshot::hostRoot(char letter) const {
    if (holds_ == 0) {
        return live_.hostRoot(letter);
    }
    const Drive* drive = held(letter);
    if (drive == nullptr || !drive->ready) {
        return std::nullopt;
    }
    // Nearly always nothing has moved; only when something has is the whole live table read.
    if (live_.hostRoot(letter) == drive->hostRoot ||
        readyAt(live_.roots(), drive->hostRoot) != nullptr) {
        return drive->hostRoot;
    }
    return std::nullopt;  // its volume is gone
}

}  // namespace xq
