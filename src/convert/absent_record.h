#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/content_digest.h"
#include "platform/file_service.h"

namespace xq {

// Beside backup\single, the record of the files its descriptor lists that the database was
// written without: no diskette held them, and each passed as the checksum of nothing (0) when the
// operator went on past it. A check of the card months later accepts exactly these absences, and
// only for the descriptor the record was made for.
inline constexpr std::string_view kAbsentRecordName = "XQ3100.ABS";

struct AbsentRecord {
    Digest128 descriptor;            // of backup\single\archive.dat, as it was written
    std::vector<std::string> files;  // as the descriptor lists them ("\gone.dat")

    bool operator==(const AbsentRecord&) const = default;
};

std::string absentRecordText(const AbsentRecord& record);
// Nullopt when the text is not such a record.
std::optional<AbsentRecord> parseAbsentRecord(std::string_view text);

// The record in the backup folder `backup` (with its trailing "\"): nullopt when there is none, or
// when it is not one of the program's. `present` says whether an entry of that name is there.
std::optional<AbsentRecord> readAbsentRecord(FileService& files, const std::string& backup,
                                             bool* present = nullptr);

// Records the absences of the database now in backup\single (or removes the record when there are
// none), flushed to the card.
[[nodiscard]] FileError writeAbsentRecord(FileService& files, const std::string& backup,
                                          const std::vector<std::string>& absent);

// The files recorded absent for the database in backup\single: none unless the record was made for
// its descriptor.
std::vector<std::string> recordedAbsentFiles(FileService& files, const std::string& backup);

}  // namespace xq
