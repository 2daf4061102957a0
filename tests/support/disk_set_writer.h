#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/reference_checksum.h"

namespace xq::test {

// Builds diskette sets for tests from a description, so that every test makes its sets the same
// way. Each diskette is a folder holding what the floppy drive shows:
//   diskNNNN.dat   "XQ3100 DISKETTE #" & archive ID & CR LF & "DISKETTE " & N & CR LF
//   archive.dat    (diskette 1 only) first byte, "XQ3100 ARCHIVE #" & ID, "NUMDISKS: " & count,
//                  the extra header lines, then one "FILE: d c s checksum /name second" line per
//                  piece; LF line ends unless the set says otherwise
//   the archived files (pieces of them), and any extra entries

// One archived file of the set.
struct SetFile {
    std::string name;  // as the descriptor lists it: "/db/main.dat"
    std::string content;
    // The diskette that takes the file's first piece; 0: the diskette the previous file ended on
    // (1 for the first file). A file larger than the room left there is split: its further pieces
    // go to the following diskettes and are marked continued.
    int disk = 0;
    // Its name on the diskettes when that differs from `name`: "/keycode.kcd" for "/keycode.rec".
    std::string storedAs;
    bool secondFlag = true;          // given to the file's last piece, which the flat image lists
    std::string secondString = "x";  // empty: the file line ends behind the name
};

// An entry on a diskette that the descriptor does not list. It takes no room.
struct ExtraEntry {
    int disk = 1;
    std::string path;  // relative, "/"-separated: "notes.txt", "sub/deeper/x.dat"
    std::string content;
    bool folder = false;  // an empty folder rather than a file
};

struct DiskSet {
    double archiveId = 4711;
    // The ID's digits as both files write them, when `archiveId` would not give them (more than
    // 15 digits).
    std::string archiveIdText;
    // Bytes of archived files that one diskette takes (descriptor and diskette file aside).
    std::size_t capacity = 1'457'664;
    std::vector<SetFile> files;
    std::vector<ExtraEntry> extras;
    std::vector<std::string> extraHeaderLines;  // between "NUMDISKS:" and the first file line
    char firstByte = '#';
    std::optional<int> numDisks;  // the count the descriptor gives, if not the one written
    int minimumDiskettes = 1;     // diskettes written even when the files need fewer
    std::map<int, std::string> disketteFileText;  // whole diskNNNN.dat of diskette N, if not usual
    bool withDescriptor = true;
    std::optional<std::string> descriptorText;  // archive.dat as given instead of the one formed
    std::string descriptorLineEnd = "\n";       // "\r\n" as DOS writes text
    std::string descriptorEnd;                  // behind the last line: empty lines, a Ctrl+Z
};

// One file line of the descriptor, as written.
struct WrittenPiece {
    int disk = 1;
    bool continued = false;
    bool secondFlag = true;      // given to the file's last piece, which the flat image lists
    std::uint64_t checksum = 0;  // the archived (running) checksum
    std::string name;            // as listed, with "/"
    std::string secondString;
    std::string bytes;  // this piece's bytes
};

struct WrittenSet {
    std::vector<std::filesystem::path> diskettes;   // the folder of diskette N at index N - 1
    std::map<std::string, std::string> wholeFiles;  // listed name -> the whole file's bytes
    std::vector<WrittenPiece> pieces;               // the descriptor's file lines, in order
    std::string descriptor;                         // archive.dat as written ("" when none)
    int numDisks = 0;                               // the count the descriptor gives

    const std::filesystem::path& diskette(int n) const { return diskettes.at(n - 1); }
    int disketteCount() const { return static_cast<int>(diskettes.size()); }
};

// The usual text of diskette N's diskette file.
std::string disketteFileText(double archiveId, int n);
std::string disketteFileText(std::string_view archiveIdText, int n);
// "FILE: d c s checksum /name second"
std::string descriptorFileLine(const WrittenPiece& piece);

// Writes the set into folders root/diskette1, root/diskette2, ...
WrittenSet writeDiskSet(const std::filesystem::path& root, const DiskSet& set);

}  // namespace xq::test
