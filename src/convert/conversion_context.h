#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_state.h"
#include "platform/content_digest.h"
#include "platform/file_service.h"
#include "ui/operator.h"

namespace xq {

// A piece of the database as the verification read it from a diskette's copy: the database built
// from the pieces is described by them, without reading them once more.
struct VerifiedPiece {
    std::string path;  // the copy it was read from
    std::uint64_t length = 0;
    Digest128 digest;
};

// A piece that did not match its archived checksum.
struct ChecksumFailure {
    std::int16_t diskNumber = 0;
    // What its copy holds; nullopt when the copy has no such file.
    std::optional<Digest128> digest;
    // The file as the descriptor lists it, when the copy does not hold it ("\gone.dat").
    std::string missingFile;

    bool operator==(const ChecksumFailure&) const = default;
};

// What verification, recombination, the flat image and the card writer work with: the wizard's
// state for the whole run, handed over by reference or as it stands at the call.
struct ConversionContext {
    FileService& files;
    Operator& op;
    const ArchiveState& archive;
    // Diskette 1 holds "keycode.rec" rather than "keycode.kcd". False at start; only verification
    // sets it, and only ever to true.
    bool& keyCodeIsRec;
    std::int16_t diskNumber = 0;  // diskettes read (after the reading pass: the set's size)
    std::string flashDrive;       // "E:"
    // The highest diskette number whose working directory this run may have created, so that
    // clean-up also removes a copy left by a diskette whose descriptor was refused.
    std::int16_t disketteDirectories = 0;
    // What the last verification read, by index in the file table; nullopt for an entry it did
    // not read whole.
    std::vector<std::optional<VerifiedPiece>> verifiedPieces;
    // The pieces the last verification found not matching their archived checksums, in the order
    // of the file table.
    std::vector<ChecksumFailure> checksumFailures;
    // The entries of the file table that no diskette holds and that passed all the same (their
    // archived checksum is 0, the checksum of nothing), by index: the operator went on past them,
    // and the database is built and written without them.
    std::vector<std::size_t> absentPieces;
};

}  // namespace xq
