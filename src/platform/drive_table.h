#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drive.h"

namespace xq {

// The machine's drives. Every call reads the current state: media come and go while the program
// runs, so nothing is cached between calls.
class DriveTable {
  public:
    virtual ~DriveTable() = default;

    // All drives, in letter order.
    virtual std::vector<Drive> drives() const = 0;

    // The drives as drives() gives them, but only their letters, types, readiness and roots: back
    // ends leave out measuring free space and reading labels where they can.
    virtual std::vector<Drive> roots() const { return drives(); }

    // The drive with this letter (either case), if there is one.
    virtual std::optional<Drive> drive(char letter) const;

    // Host folder for the root of a ready drive; nullopt when the drive is missing or not ready.
    // Path resolution calls this for every operation, so back ends answer it without measuring free
    // space or reading labels where they can.
    virtual std::optional<std::string> hostRoot(char letter) const;

    // From holdLetters() to the matching releaseLetters(), every letter keeps standing for the
    // volume it stood for at the hold, so that one operator action works with one set of letters
    // from its start to its end. Holds nest; the outermost one counts. Tables whose letters do not
    // move while the program runs need not do anything. The machine is not changed by a hold, only
    // what the table reports, hence const.
    virtual void holdLetters() const {}
    virtual void releaseLetters() const {}
};

// Holds the letters of a drive table for as long as it lives.
class [[nodiscard]] DriveLetterHold {
  public:
    explicit DriveLetterHold(const DriveTable& drives) : drives_(drives) { drives_.holdLetters(); }
    DriveLetterHold(const DriveLetterHold&) = delete;
    DriveLetterHold& operator=(const DriveLetterHold&) = delete;
    ~DriveLetterHold() { drives_.releaseLetters(); }

  private:
    const DriveTable& drives_;
};

// The drive part of a drive-list text or a path: "a:" for "a: [DISK]" or "a:\x.dat"; empty when the
// text does not begin with a letter and a colon.
std::string GetDriveName(std::string_view text);

// The upper-case drive letter of a drive-list text or a path, or '\0' when it names no drive.
char driveLetterOf(std::string_view text);

// The drive table of the machine the program runs on, its letters held while an action runs.
std::unique_ptr<DriveTable> makeHostDriveTable();

}  // namespace xq
