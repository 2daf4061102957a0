#include "support/faulty_file_service.h"

#include "platform/text.h"

namespace xq::test {

namespace {

class FaultyInput final : public InputFile {
  public:
    FaultyInput(std::unique_ptr<InputFile> inner, FaultyFileService& faults, std::string path)
        : inner_(std::move(inner)), faults_(faults), path_(std::move(path)) {}

    Result<std::size_t> read(std::span<char> buffer) override {
        if (FileError e = faults_.check(FileOp::Read, path_); e != FileError::None) {
            return e;
        }
        return inner_->read(buffer);
    }
    Result<std::size_t> readAt(std::uint64_t offset, std::span<char> buffer) override {
        if (FileError e = faults_.check(FileOp::Read, path_); e != FileError::None) {
            return e;
        }
        return inner_->readAt(offset, buffer);
    }

  private:
    std::unique_ptr<InputFile> inner_;
    FaultyFileService& faults_;
    std::string path_;
};

class FaultyOutput final : public OutputFile {
  public:
    FaultyOutput(std::unique_ptr<OutputFile> inner, FaultyFileService& faults, std::string path)
        : inner_(std::move(inner)), faults_(faults), path_(std::move(path)) {}

    FileError write(std::span<const char> bytes) override {
        if (FileError e = faults_.check(FileOp::Write, path_); e != FileError::None) {
            // A full medium takes part of the data before it refuses the rest.
            passOver(inner_->write(bytes.first(bytes.size() / 2)));
            return e;
        }
        return inner_->write(bytes);
    }
    FileError writeAt(std::uint64_t offset, std::span<const char> bytes) override {
        FileError e = faults_.check(FileOp::Write, path_);
        return e != FileError::None ? e : inner_->writeAt(offset, bytes);
    }
    FileError flush() override {
        FileError e = faults_.check(FileOp::Flush, path_);
        return e != FileError::None ? e : inner_->flush();
    }
    FileError truncate(std::uint64_t length) override { return inner_->truncate(length); }
    FileError close() override {
        FileError e = faults_.check(FileOp::Close, path_);
        FileError closed = inner_->close();
        return e != FileError::None ? e : closed;
    }

  private:
    std::unique_ptr<OutputFile> inner_;
    FaultyFileService& faults_;
    std::string path_;
};

}  // namespace

void FaultyFileService::inject(Fault fault) {
    faults_.push_back({std::move(fault), 0});
}

int FaultyFileService::count(FileOp op, char drive) const {
    const auto found = driveCounts_.find({asciiUpper(drive), op});
    return found != driveCounts_.end() ? found->second : 0;
}

FileError FaultyFileService::check(FileOp op, std::string_view path) {
    if (beforeCall) {
        beforeCall(op, path);
    }
    ++counts_[static_cast<int>(op)];
    ++counts_[static_cast<int>(FileOp::Any)];
    ++driveCounts_[{path.empty() ? '\0' : asciiUpper(path[0]), op}];
    for (Armed& armed : faults_) {
        const Fault& f = armed.fault;
        if (f.op != op && f.op != FileOp::Any) {
            continue;
        }
        if (f.drive != 0 && (path.empty() || asciiUpper(path[0]) != asciiUpper(f.drive))) {
            continue;
        }
        if ((!f.pathContains.empty() && path.find(f.pathContains) == std::string_view::npos) ||
            !path.ends_with(f.pathEndsWith)) {
            continue;
        }
        ++armed.seen;
        if (f.nth == 0 || armed.seen == f.nth || (f.andLater && armed.seen > f.nth)) {
            return f.error;
        }
    }
    return FileError::None;
}

Result<std::uint64_t> FaultyFileService::fileLength(std::string_view path) {
    if (FileError e = check(FileOp::FileLength, path); e != FileError::None) {
        return e;
    }
    return inner_.fileLength(path);
}

Result<std::vector<DirEntry>> FaultyFileService::listDirectory(std::string_view path,
                                                               Listing listing) {
    if (FileError e = check(FileOp::List, path); e != FileError::None) {
        return e;
    }
    return inner_.listDirectory(path, listing);
}

FileError FaultyFileService::makeDir(std::string_view path, DirAccess access) {
    FileError e = check(FileOp::MakeDir, path);
    return e != FileError::None ? e : inner_.makeDir(path, access);
}

FileError FaultyFileService::removeDir(std::string_view path) {
    FileError e = check(FileOp::RemoveDir, path);
    return e != FileError::None ? e : inner_.removeDir(path);
}

FileError FaultyFileService::deleteFile(std::string_view path) {
    FileError e = check(FileOp::Delete, path);
    return e != FileError::None ? e : inner_.deleteFile(path);
}

FileError FaultyFileService::rename(std::string_view from, std::string_view to) {
    FileError e = check(FileOp::Rename, from);
    return e != FileError::None ? e : inner_.rename(from, to);
}

Result<std::unique_ptr<InputFile>> FaultyFileService::openRead(std::string_view path,
                                                               ReadMode mode) {
    if (FileError e = check(FileOp::OpenRead, path); e != FileError::None) {
        return e;
    }
    Result<std::unique_ptr<InputFile>> in = inner_.openRead(path, mode);
    if (!in) {
        return in.error();
    }
    return std::unique_ptr<InputFile>(
        std::make_unique<FaultyInput>(std::move(*in), *this, std::string(path)));
}

Result<std::unique_ptr<OutputFile>> FaultyFileService::openWrite(std::string_view path,
                                                                 WriteMode mode) {
    if (FileError e = check(FileOp::OpenWrite, path); e != FileError::None) {
        return e;
    }
    Result<std::unique_ptr<OutputFile>> out = inner_.openWrite(path, mode);
    if (!out) {
        return out.error();
    }
    return std::unique_ptr<OutputFile>(
        std::make_unique<FaultyOutput>(std::move(*out), *this, std::string(path)));
}

FileError FaultyFileService::flushFile(std::string_view path) {
    FileError e = check(FileOp::Flush, path);
    return e != FileError::None ? e : inner_.flushFile(path);
}

Result<DriveSpace> FaultyFileService::space(std::string_view path) {
    Result<DriveSpace> space = inner_.space(path);
    const char drive = path.empty() ? '\0' : asciiUpper(path[0]);
    if (space && freeSpace_.contains(drive)) {
        space->available = freeSpace_.at(drive);
    }
    if (space && allocationUnit_.contains(drive)) {
        space->allocationUnit = allocationUnit_.at(drive);
    }
    return space;
}

void FaultyFileService::setFreeSpace(char drive, std::uint64_t bytes) {
    freeSpace_[asciiUpper(drive)] = bytes;
}

void FaultyFileService::setAllocationUnit(char drive, std::uint64_t bytes) {
    allocationUnit_[asciiUpper(drive)] = bytes;
}

FileError FaultyFileService::flushFolder(std::string_view path) {
    FileError e = check(FileOp::FlushFolder, path);
    return e != FileError::None ? e : inner_.flushFolder(path);
}

}  // namespace xq::test
