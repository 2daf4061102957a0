#include "platform/file_service.h"

#include <vector>

namespace xq {

namespace {

// Large enough to stream at the medium's speed, small enough to keep memory flat for any file size.
constexpr std::size_t kTransferBlock = 256 * 1024;

// Streams every byte of `source` into `target`; the stage and error of the first failure.
TransferResult pump(InputFile& source, OutputFile& target) {
    // Not zeroed first: only what a read has filled is written.
    const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kTransferBlock);
    const std::span<char> block(buffer.get(), kTransferBlock);
    for (;;) {
        Result<std::size_t> got = source.read(block);
        if (!got) {
            return {got.error(), TransferStage::Read};
        }
        if (*got == 0) {
            return {};
        }
        if (FileError e = target.write(block.first(*got)); e != FileError::None) {
            return {e, TransferStage::Write};
        }
        if (*got < block.size()) {
            return {};
        }
    }
}

}  // namespace

TransferResult FileService::copyFile(std::string_view source, std::string_view target,
                                     bool overwrite) {
    if (!overwrite && fileExists(target)) {
        return {FileError::FileAlreadyExists, TransferStage::OpenTarget};
    }
    Result<std::unique_ptr<InputFile>> in = openRead(source);
    if (!in) {
        return {in.error(), TransferStage::OpenSource};
    }
    Result<std::unique_ptr<OutputFile>> out = openWrite(target, WriteMode::Create);
    if (!out) {
        return {out.error(), TransferStage::OpenTarget};
    }
    TransferResult result = pump(**in, **out);
    if (FileError closed = (*out)->close(); result.ok() && closed != FileError::None) {
        result = {closed, TransferStage::Write};
    }
    out->reset();
    if (!result.ok()) {
        passOver(deleteFile(target));  // the copy failed already; a leftover part goes if it can
    }
    return result;
}

TransferResult FileService::appendFile(std::string_view source, std::string_view target) {
    Result<std::unique_ptr<InputFile>> in = openRead(source);
    if (!in) {
        return {in.error(), TransferStage::OpenSource};
    }
    const bool existed = fileExists(target);
    std::uint64_t originalLength = 0;
    if (existed) {
        Result<std::uint64_t> length = fileLength(target);
        if (!length) {
            return {length.error(), TransferStage::OpenTarget};
        }
        originalLength = *length;
    }
    Result<std::unique_ptr<OutputFile>> out = openWrite(target, WriteMode::Append);
    if (!out) {
        return {out.error(), TransferStage::OpenTarget};
    }
    TransferResult result = pump(**in, **out);
    if (!result.ok() && existed) {
        // The append failed already; callers treat the target as lost when it did (the
        // working copies are then built again from the diskettes).
        passOver((*out)->truncate(originalLength));
    }
    if (FileError closed = (*out)->close(); result.ok() && closed != FileError::None) {
        result = {closed, TransferStage::Write};
    }
    out->reset();
    if (!result.ok() && !existed) {
        passOver(deleteFile(target));  // the append failed already; the new target goes if it can
    }
    return result;
}

std::optional<std::string> readSmallFile(FileService& files, std::string_view path,
                                         std::size_t most) {
    const Result<std::uint64_t> length = files.fileLength(path);
    Result<std::unique_ptr<InputFile>> in =
        length && *length <= most ? files.openRead(path)
                                  : Result<std::unique_ptr<InputFile>>(FileError::FileNotFound);
    if (!in) {
        return std::nullopt;
    }
    // One byte more than its length: a file that grew meanwhile is not taken for what it was.
    std::string text(static_cast<std::size_t>(*length) + 1, '\0');
    const Result<std::size_t> got = (*in)->read(text);
    if (!got || *got > most) {
        return std::nullopt;
    }
    text.resize(*got);
    return text;
}

std::optional<Digest128> fileDigest(FileService& files, std::string_view path, ReadMode mode) {
    Result<std::unique_ptr<InputFile>> in = files.openRead(path, mode);
    if (!in) {
        return std::nullopt;
    }
    ContentDigest digest;
    std::string block(64 * 1024, '\0');
    for (;;) {
        const Result<std::size_t> got = (*in)->read(block);
        if (!got) {
            return std::nullopt;
        }
        digest.add({reinterpret_cast<const unsigned char*>(block.data()), *got});
        if (*got < block.size()) {
            return digest.value();
        }
    }
}

}  // namespace xq
