#include "convert/database_proof.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "convert/checksum.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "platform/content_digest.h"
#include "platform/text.h"

namespace xq {

namespace {

constexpr std::size_t kReadSize = 1 << 20;

// What reading a file once, cut into the runs of a FileProof, found.
struct Measured {
    bool read = false;      // every byte of it could be read
    bool runsHold = false;  // exactly as long as its runs, each piece of its archived checksum
    std::vector<Digest128> digests;  // of each run, while they hold

    bool provenBy(const FileProof& file) const {
        return read && runsHold &&
               std::equal(digests.begin(), digests.end(), file.runs.begin(), file.runs.end(),
                          [](const Digest128& digest, const ProvenRun& run) {
                              return digest == run.digest;
                          });
    }
};

// Reads a file once, cut into the runs of `file`: the digest of each run, and each piece's
// checksum proven against the archived one the way the verification proves the diskettes' pieces.
Measured measure(FileService& files, const std::string& path, const FileProof& file,
                 const std::vector<ArchivedFile>& table, ReadMode mode) {
    Measured measured;
    Result<std::unique_ptr<InputFile>> in = files.openRead(path, mode);
    if (!in) {
        return measured;
    }
    // Not zeroed first: only the bytes a read has filled are ever looked at. A small file takes a
    // buffer of its own size (and one byte more, to see its end).
    std::uint64_t length = 0;
    for (const ProvenRun& run : file.runs) {
        length += run.length;
    }
    const auto readSize = static_cast<std::size_t>(std::min<std::uint64_t>(kReadSize, length + 1));
    const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(readSize);
    std::span<const unsigned char> unread;  // read from the file, not yet taken by a run
    bool atEnd = false;
    // The file's next bytes, at most `most`: none at its end, nullopt when a read fails.
    auto next = [&](std::uint64_t most) -> std::optional<std::span<const unsigned char>> {
        if (unread.empty() && !atEnd) {
            const Result<std::size_t> got = (*in)->read(std::span<char>(buffer.get(), readSize));
            if (!got) {
                return std::nullopt;
            }
            atEnd = *got < readSize;
            unread = {reinterpret_cast<const unsigned char*>(buffer.get()), *got};
        }
        const std::span<const unsigned char> taken =
            unread.first(static_cast<std::size_t>(std::min<std::uint64_t>(unread.size(), most)));
        unread = unread.subspan(taken.size());
        return taken;
    };

    measured.runsHold = true;
    for (const ProvenRun& run : file.runs) {
        ContentDigest digest;
        StreamChecksum checksum(run.length);
        while (digest.length() < run.length) {
            const std::optional<std::span<const unsigned char>> bytes =
                next(run.length - digest.length());
            if (!bytes) {
                return measured;
            }
            if (bytes->empty()) {  // shorter than its runs
                measured.runsHold = false;
                measured.read = true;
                return measured;
            }
            digest.add(*bytes);
            if (run.piece) {
                checksum.add(*bytes);
            }
        }
        if (run.piece && runningChecksum(checksum.value(), table, *run.piece) !=
                             table[*run.piece].archivedChecksum) {
            measured.runsHold = false;
        }
        measured.digests.push_back(digest.value());
    }
    const std::optional<std::span<const unsigned char>> beyond = next(1);
    measured.read = beyond.has_value();
    if (beyond && !beyond->empty()) {
        measured.runsHold = false;  // longer than its runs
    }
    return measured;
}

std::uint64_t lengthOf(const FileProof& file) {
    return std::accumulate(
        file.runs.begin(), file.runs.end(), std::uint64_t{0},
        [](std::uint64_t sum, const ProvenRun& run) { return sum + run.length; });
}

// The files below `root`, by their paths below it; nullopt when the tree cannot be read whole or
// holds anything but files and folders.
std::optional<std::vector<std::string>> filesBelow(FileService& files, const std::string& root,
                                                   Listing listing = Listing::Visible) {
    const std::optional<std::vector<TreeEntry>> tree = ListTree(files, root, listing);
    if (!tree) {
        return std::nullopt;
    }
    std::vector<std::string> found;
    for (const TreeEntry& entry : *tree) {
        if (entry.kind == EntryKind::File) {
            found.push_back(entry.path);
        }
    }
    return found;
}

// A file of `length` bytes as one run of its digest; nullopt when it cannot be read as long as
// that.
std::optional<FileProof> describeFile(FileService& files, const std::string& path,
                                      const std::string& name, std::uint64_t length) {
    FileProof file{.name = name, .runs = {ProvenRun{.length = length}}};
    const Measured measured = measure(files, path, file, {}, ReadMode::Cached);
    if (!measured.read || !measured.runsHold) {
        return std::nullopt;
    }
    file.runs.front().digest = measured.digests.front();
    return file;
}

template <typename Proofs>
auto findProof(Proofs& proofs, std::string_view name) -> decltype(&proofs.front()) {
    const auto match = std::find_if(proofs.begin(), proofs.end(), [name](const FileProof& proof) {
        return equalsIgnoringAsciiCase(proof.name, name);
    });
    return match == proofs.end() ? nullptr : &*match;
}

class Description {
  public:
    explicit Description(ConversionContext& context)
        : c_(context), files_(context.files), temp_(TemporaryFolder(files_)) {}

    std::optional<DatabaseProof> run() {
        const std::string flat = flatDirectory(temp_) + "\\";
        proof_.table.assign(c_.archive.table().begin(), c_.archive.table().end());
        for (const std::size_t i : c_.absentPieces) {
            proof_.absentFiles.push_back(proof_.table[i].fileName);
        }
        if (!layOutPieces()) {
            return fail(flat);
        }
        const std::optional<std::vector<std::string>> built = filesBelow(files_, flat);
        if (!built) {
            return fail(flat);
        }
        std::vector<FileProof> described;
        for (const std::string& name : *built) {
            const std::string path = flat + name.substr(1);
            const Result<std::uint64_t> length = files_.fileLength(path);
            if (!length) {
                return fail(path);
            }
            FileProof file{.name = name};
            if (const FileProof* listed = findProof(proof_.files, name)) {
                // Its pieces were read as they were verified; the proof before each card reads
                // the file itself.
                file.runs = listed->runs;
                if (*length != lengthOf(file)) {
                    return fail(path);
                }
                described.push_back(std::move(file));
            } else if (std::optional<FileProof> whole = describeFile(files_, path, name, *length)) {
                described.push_back(std::move(*whole));
            } else {
                return fail(path);
            }
        }
        // Every file the descriptor lists must be there.
        for (const FileProof& listed : proof_.files) {
            if (findProof(described, listed.name) == nullptr) {
                return fail(flat + listed.name.substr(1));
            }
        }
        proof_.files = std::move(described);
        return std::move(proof_);
    }

  private:
    // Where each piece ends up, exactly as recombination puts it: a piece that continues a file on
    // a later diskette is appended to it, any other replaces what was there.
    bool layOutPieces() {
        const std::vector<ArchivedFile>& table = proof_.table;
        for (std::size_t i = 0; i < table.size(); ++i) {
            const ArchivedFile& entry = table[i];
            // A piece that no diskette holds and that passed as the checksum of nothing is not
            // in the database: recombination finds no source for it.
            if (!entry.namesAFile() ||
                std::ranges::find(c_.absentPieces, i) != c_.absentPieces.end()) {
                continue;
            }
            // Every piece the descriptor lists must have been read by the verification from where
            // recombination takes it: a database without one of its files is never proven,
            // whatever its checksums say.
            const std::string source = disketteDirectory(temp_, entry.diskNumber) +
                                       std::string(recombinedSource(entry, c_.keyCodeIsRec));
            if (i >= c_.verifiedPieces.size() || !c_.verifiedPieces[i] ||
                c_.verifiedPieces[i]->path != source) {
                return false;
            }
            const VerifiedPiece& read = *c_.verifiedPieces[i];
            const bool appended = entry.continued && entry.diskNumber != 1;
            const std::string name = recombinedDestination(entry, c_.keyCodeIsRec);
            FileProof* file = findProof(proof_.files, name);
            if (file == nullptr) {
                file = &proof_.files.emplace_back(FileProof{.name = name});
            }
            if (!appended) {
                file->runs.clear();
            }
            file->runs.push_back({.piece = i, .length = read.length, .digest = read.digest});
        }
        return true;
    }

    std::nullopt_t fail(const std::string& path) {
        c_.op.reportError("Failed verifying: " + path + std::string(CRLF) +
                          "The database could not be built as the diskettes hold it. Please read "
                          "the diskettes again.");
        return std::nullopt;
    }

    ConversionContext& c_;
    FileService& files_;
    std::string temp_;
    DatabaseProof proof_;
};

}  // namespace

std::optional<DatabaseProof> DescribeDatabase(ConversionContext& context) {
    return Description(context).run();
}

std::optional<std::string> FindUnprovenFile(FileService& files, std::string_view root,
                                            const DatabaseProof& proof, ReadMode mode,
                                            const std::function<void()>& proven, Listing listing) {
    const std::string folder(root);
    const std::optional<std::vector<std::string>> present = filesBelow(files, folder, listing);
    if (!present) {
        return std::string("\\");
    }
    for (const std::string& name : *present) {
        if (findProof(proof.files, name) == nullptr) {
            return name;  // nothing may be there that the reading did not produce
        }
    }
    for (const FileProof& file : proof.files) {
        const auto match = std::find_if(present->begin(), present->end(), [&](const auto& name) {
            return equalsIgnoringAsciiCase(name, file.name);
        });
        if (match == present->end()) {
            return file.name;
        }
        if (!measure(files, folder + match->substr(1), file, proof.table, mode).provenBy(file)) {
            return file.name;
        }
        if (proven) {
            proven();
        }
    }
    return std::nullopt;
}

std::optional<std::vector<FileProof>> DescribeTreeShape(FileService& files, std::string_view root) {
    const std::string folder(root);
    const std::optional<std::vector<std::string>> present =
        filesBelow(files, folder, Listing::WithHidden);
    if (!present) {
        return std::nullopt;
    }
    std::vector<FileProof> described;
    for (const std::string& name : *present) {
        const Result<std::uint64_t> length = files.fileLength(folder + name.substr(1));
        if (!length) {
            return std::nullopt;
        }
        described.push_back({.name = name, .runs = {ProvenRun{.length = *length}}});
    }
    return described;
}

bool HasShape(FileService& files, std::string_view root, const std::vector<FileProof>& shape) {
    const std::string folder(root);
    const std::optional<std::vector<FileProof>> found = DescribeTreeShape(files, folder);
    if (!found || found->size() != shape.size()) {
        return false;
    }
    return std::all_of(found->begin(), found->end(), [&](const FileProof& file) {
        const FileProof* expected = findProof(shape, file.name);
        return expected != nullptr && lengthOf(*expected) == lengthOf(file);
    });
}

std::vector<ListedFileCheck> CheckListedFiles(
    FileService& files, std::string_view root, const std::vector<ArchivedFile>& table,
    const std::function<void(ListedFileCheck&)>& checked) {
    std::vector<ListedFileCheck> checks;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ArchivedFile& entry = table[i];
        if (!entry.namesAFile()) {
            continue;
        }
        ListedFileCheck& check = checks.emplace_back(ListedFileCheck{.name = entry.fileName});
        std::string path = std::string(root) + entry.fileName.substr(1);
        if (!files.fileExists(path) && entry.fileName == "\\keycode.rec") {
            path = std::string(root) + "keycode.kcd";
        }
        const Result<std::uint64_t> length = files.fileLength(path);
        if (!length) {
            check.state = ListedFileState::Missing;
        } else if (*length > kMaxSetBytes) {
            // No conversion wrote it: reading it would only keep the operator waiting.
            check.state = ListedFileState::TooLarge;
        } else {
            const FileProof file{.name = entry.fileName,
                                 .runs = {ProvenRun{.piece = i, .length = *length}}};
            const Measured measured = measure(files, path, file, table, ReadMode::FromMedium);
            check.state = !measured.read      ? ListedFileState::Unreadable
                          : measured.runsHold ? ListedFileState::Holds
                                              : ListedFileState::Differs;
        }
        if (checked) {
            checked(check);
        }
    }
    return checks;
}

}  // namespace xq
