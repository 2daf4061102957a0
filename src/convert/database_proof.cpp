#include "convert/database_proof.h"

#include <algorithm>
#include <numeric>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "convert/checksum.h"
#include "convert/content_digest.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "platform/text.h"

namespace xq {

namespace {

constexpr std::size_t kReadSize = 1 << 20;

struct Measured {
    bool read = false;        // every byte was read
    bool piecesHold = false;  // every piece has its archived checksum
    std::uint64_t length = 0;
    Digest128 digest;
};

// Reads a file once: its length, its digest, and whether its pieces (if it has any) add up to it
// and each matches its archived checksum the way the verification matches the diskettes' pieces.
Measured measure(FileService& files, const std::string& path, const FileProof& file,
                 const std::vector<ArchivedFile>& table, ReadMode mode) {
    Measured result;
    Result<std::unique_ptr<InputFile>> in = files.openRead(path, mode);
    if (!in) {
        return result;
    }
    const std::uint64_t piecesLength =
        std::accumulate(file.pieceLengths.begin(), file.pieceLengths.end(), std::uint64_t{0});
    bool piecesHold = true;
    std::size_t piece = 0;
    std::optional<StreamChecksum> checksum;
    auto startPiece = [&] {
        checksum.reset();
        if (piece < file.pieces.size()) {
            checksum.emplace(file.pieceLengths[piece]);
        }
    };
    auto finishPieces = [&] {
        // A piece is complete once all its bytes are in; an empty piece at once.
        while (checksum && checksum->missing() == 0) {
            const std::size_t index = file.pieces[piece];
            if (runningChecksum(checksum->value(), table, index) != table[index].archivedChecksum) {
                piecesHold = false;
            }
            ++piece;
            startPiece();
        }
    };
    startPiece();
    finishPieces();

    ContentDigest digest;
    std::vector<char> buffer(kReadSize);
    for (;;) {
        const Result<std::size_t> got = (*in)->read(buffer);
        if (!got) {
            return result;
        }
        std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(buffer.data()),
                                             *got);
        digest.add(bytes);
        result.length += *got;
        while (!bytes.empty() && checksum) {
            const std::size_t taken = static_cast<std::size_t>(
                std::min<std::uint64_t>(bytes.size(), checksum->missing()));
            checksum->add(bytes.first(taken));
            bytes = bytes.subspan(taken);
            finishPieces();
        }
        if (*got < buffer.size()) {
            break;
        }
    }
    result.read = true;
    result.digest = digest.value();
    result.piecesHold = piecesHold && piece == file.pieces.size() &&
                        (file.pieces.empty() || result.length == piecesLength);
    return result;
}

// The files below `root`, by their paths below it; nullopt when the tree cannot be read whole or
// holds anything but files and folders.
std::optional<std::vector<std::string>> filesBelow(FileService& files, const std::string& root) {
    const std::optional<std::vector<TreeEntry>> tree = ListTree(files, root);
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
        if (!layOutPieces()) {
            return fail(flat);
        }
        const std::optional<std::vector<std::string>> built = filesBelow(files_, flat);
        if (!built) {
            return fail(flat);
        }
        std::vector<FileProof> described;
        for (const std::string& name : *built) {
            FileProof file{.name = name};
            if (const FileProof* listed = findProof(proof_.files, name)) {
                file.pieces = listed->pieces;
                file.pieceLengths = listed->pieceLengths;
            }
            const Measured measured =
                measure(files_, flat + name.substr(1), file, proof_.table, ReadMode::Cached);
            if (!measured.read || !measured.piecesHold) {
                return fail(flat + name.substr(1));
            }
            file.length = measured.length;
            file.digest = measured.digest;
            described.push_back(std::move(file));
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
            const std::string source = disketteDirectory(temp_, entry.diskNumber) +
                                       std::string(recombinedSource(entry, c_.keyCodeIsRec));
            if (!entry.namesAFile()) {
                continue;
            }
            // Every piece the descriptor lists must be there: a database without one of its files
            // is never proven, whatever its checksums say.
            const Result<std::uint64_t> length = files_.fileLength(source);
            if (!length) {
                return false;
            }
            const bool appended = entry.continued && entry.diskNumber != 1;
            const std::string name = recombinedDestination(entry, c_.keyCodeIsRec);
            FileProof* file = findProof(proof_.files, name);
            if (file == nullptr) {
                file = &proof_.files.emplace_back(FileProof{.name = name});
            }
            if (!appended) {
                file->pieces.clear();
                file->pieceLengths.clear();
            }
            file->pieces.push_back(i);
            file->pieceLengths.push_back(*length);
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
                                            const DatabaseProof& proof, ReadMode mode) {
    const std::string folder(root);
    const std::optional<std::vector<std::string>> present = filesBelow(files, folder);
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
        const Measured measured =
            measure(files, folder + match->substr(1), file, proof.table, mode);
        if (!measured.read || !measured.piecesHold || measured.length != file.length ||
            measured.digest != file.digest) {
            return file.name;
        }
    }
    return std::nullopt;
}

}  // namespace xq
