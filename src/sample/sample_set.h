#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_service.h"

namespace xq {

// Diskette sets made by the program itself: the bundled sample a newcomer converts, and the
// largest set the format allows, for measuring. Each diskette is a folder holding what a diskette
// of the set holds: its diskette file, (on diskette 1) "archive.dat", and the archived files, large
// ones split across diskettes.

struct SampleFile {
    std::string name;        // as the descriptor lists it: "/db/records.dat"
    std::uint64_t size = 0;  // bytes, made up deterministically from the name
    std::string storedAs;    // its name on the diskettes when that differs ("/keycode.kcd")
    std::string secondString = "-";
};

struct SampleSetLayout {
    double archiveId = 20070717;
    std::uint64_t capacity = 1'457'664;  // bytes of archived files a diskette takes
    int minimumDiskettes = 1;
    std::vector<SampleFile> files;
};

// Three diskettes: a key-code file, a configuration file and a record file split over all three.
SampleSetLayout bundledSampleSet();

// `diskettes` full 1.44 MB diskettes (1 to 99), one descriptor entry for each and one more.
SampleSetLayout fullSampleSet(int diskettes);

// 99 full 1.44 MB diskettes and 100 descriptor entries: the largest set the format allows.
SampleSetLayout largestSampleSet();

// Writes the set below `folder` (Windows-form, existing) as folder\diskette1, folder\diskette2,
// ... Returns the number of diskettes written, or 0 on failure (`error` says which file failed).
int writeSampleSet(FileService& files, const std::string& folder, const SampleSetLayout& layout,
                   std::string& error);

}  // namespace xq
