#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_state.h"
#include "convert/conversion_context.h"
#include "platform/content_digest.h"

namespace xq {

// What the database built from the diskettes is, file by file. It is kept from the reading to
// every card written from it: the flat directory is proven against it before each card, and the
// card, read back from its medium, after writing. So nothing that happens to the working
// directories after the verification (another program, a cleaner of the temporary folder, a
// failure while the database was built) can reach a card as a database that was converted.
//
// A file the descriptor lists is proven piece by piece against the archived checksums, as the
// verification proves the diskettes' pieces; every file is also proven against digests of its
// bytes, which a word sum alone (blind to bytes in the wrong places) is not. The pieces' digests
// are taken as the verification reads them, so the diskettes' bytes themselves are what every
// copy of the database is proven against.

// A run of a file's bytes: one of its pieces, or all of a file the descriptor does not list.
struct ProvenRun {
    std::optional<std::size_t> piece;  // its entry in the file table, for a piece
    std::uint64_t length = 0;
    Digest128 digest;
};

struct FileProof {
    std::string name;             // below the database's root, with a leading "\": "\db\main.dat"
    std::vector<ProvenRun> runs;  // the file's bytes, start to end
};

struct DatabaseProof {
    std::vector<ArchivedFile> table;  // the descriptor's file table the database was read with
    std::vector<FileProof> files;
    // Files the descriptor lists that no diskette held and that passed as the checksum of nothing:
    // the database is built without them, as the operator chose ("\gone.dat").
    std::vector<std::string> absentFiles;
};

// Describes the database just built in the flat directory: the files the descriptor lists by the
// pieces the last verification read (`context.verifiedPieces`), any other file by reading it.
// Nullopt after reporting a database that is not what the diskettes hold.
[[nodiscard]] std::optional<DatabaseProof> DescribeDatabase(ConversionContext& context);

// The first file under the folder `root` (with its trailing "\") that is not as the proof says:
// missing, of other bytes, or not in the proof at all. Its path below `root`, with a leading "\";
// nullopt when every file is proven. `proven` is told of every file proven. With
// Listing::WithHidden, hidden files count as any other.
[[nodiscard]] std::optional<std::string> FindUnprovenFile(FileService& files, std::string_view root,
                                                          const DatabaseProof& proof, ReadMode mode,
                                                          const std::function<void()>& proven = {},
                                                          Listing listing = Listing::Visible);

// Every file under the folder `root` (with its trailing "\"), hidden ones too, by its name and
// length (one run each, without a digest): the shape of a database that is not one the program
// built (the card's old one), so that a folder can later be shown to hold it whole after renames
// and removals, which change no file's bytes. Nullopt when the tree cannot be listed whole or holds
// anything else.
[[nodiscard]] std::optional<std::vector<FileProof>> DescribeTreeShape(FileService& files,
                                                                      std::string_view root);

// Whether the folder `root` holds exactly the files of `shape`, by name and length.
[[nodiscard]] bool HasShape(FileService& files, std::string_view root,
                            const std::vector<FileProof>& shape);

// What one file a descriptor lists is, read from its medium.
enum class ListedFileState {
    Holds,       // there, every byte read, of its archived checksum
    Missing,     // not there
    Differs,     // there, of another checksum
    Unreadable,  // there, but not every byte could be read
    TooLarge,    // there, larger than any set of diskettes can hold: not read at all
    // Not there, as recorded when the card was written: no diskette held it, and it passed as the
    // checksum of nothing.
    RecordedAbsent,
};
struct ListedFileCheck {
    std::string name;  // as the descriptor lists it, with its leading "\"
    ListedFileState state = ListedFileState::Missing;
};

// Proves each file the one-disk descriptor `table` lists under the folder `root` (with its trailing
// "\") against its archived checksum, read from the medium: a database whose digests were never
// taken here (a card written long ago, or by someone else) proven by what its own descriptor says.
// A key-code file listed as "keycode.rec" may be there as "keycode.kcd", as the converter writes it
// from diskettes that hold that one. `checked` hears of each file as soon as it is checked, and may
// amend what it says.
[[nodiscard]] std::vector<ListedFileCheck> CheckListedFiles(
    FileService& files, std::string_view root, const std::vector<ArchivedFile>& table,
    const std::function<void(ListedFileCheck&)>& checked = {});

}  // namespace xq
