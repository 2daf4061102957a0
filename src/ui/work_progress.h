#pragma once

#include <cstdint>

namespace xq {

// The work of a conversion, phase by phase, for a front end that shows more than the window's
// progress bar: what is being done, and how far it is.
enum class WorkPhase {
    Reading,    // the diskettes, one item each
    Verifying,  // every piece against its archived checksum
    Joining,    // the database built from the diskettes' copies
    Writing,    // the database onto the card
    Proving,    // the card read back and proven
};

struct WorkProgress {
    WorkPhase phase = WorkPhase::Reading;
    int item = 1;   // Reading: the diskette being read, from 1
    int items = 1;  // Reading: the diskettes of the set; 0 while the set's size is not known yet
    std::uint64_t done = 0;   // of the current item, in the phase's own units
    std::uint64_t total = 0;  // 0 while not known
    bool ended = false;       // the phase (or its item) has ended ...
    bool completed = false;   // ... having done all of its work
};

class ProgressObserver {
  public:
    virtual ~ProgressObserver() = default;
    virtual void progressed(const WorkProgress& progress) = 0;
};

}  // namespace xq
