#include "support/memory_file_service.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/text.h"

namespace xq::test {

struct MemoryFileService::Node {
    bool folder = true;
    std::shared_ptr<std::string> bytes = std::make_shared<std::string>();
    std::map<std::string, std::unique_ptr<Node>> children;  // by name as created
};

namespace {

using Node = MemoryFileService::Node;

std::vector<std::string> componentsOf(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path) {
        if (c == '\\') {
            if (!part.empty()) {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    // "E:" names the drive.
    if (!parts.empty() && parts.front().size() == 2 && parts.front()[1] == ':') {
        parts.front() = std::string(1, asciiUpper(parts.front()[0]));
    }
    return parts;
}

// The child of `folder` named `name`: exactly, else without regard to case.
auto findChild(Node& folder, const std::string& name) {
    auto found = folder.children.find(name);
    if (found != folder.children.end()) {
        return found;
    }
    return std::find_if(folder.children.begin(), folder.children.end(), [&](const auto& child) {
        return equalsIgnoringAsciiCase(child.first, name);
    });
}

Node* walk(Node& root, const std::vector<std::string>& parts, std::size_t count) {
    Node* node = &root;
    for (std::size_t i = 0; i < count; ++i) {
        if (!node->folder) {
            return nullptr;
        }
        const auto child = findChild(*node, parts[i]);
        if (child == node->children.end()) {
            return nullptr;
        }
        node = child->second.get();
    }
    return node;
}

Node* find(Node& root, std::string_view path) {
    const std::vector<std::string> parts = componentsOf(path);
    return walk(root, parts, parts.size());
}

class MemoryInput final : public InputFile {
  public:
    explicit MemoryInput(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
    Result<std::size_t> read(std::span<char> buffer) override {
        const Result<std::size_t> got = readAt(at_, buffer);
        at_ += *got;
        return got;
    }
    Result<std::size_t> readAt(std::uint64_t offset, std::span<char> buffer) override {
        if (offset >= bytes_->size()) {
            return std::size_t{0};
        }
        const std::size_t count = std::min<std::size_t>(buffer.size(), bytes_->size() - offset);
        std::memcpy(buffer.data(), bytes_->data() + offset, count);
        return count;
    }

  private:
    std::shared_ptr<const std::string> bytes_;
    std::uint64_t at_ = 0;
};

class MemoryOutput final : public OutputFile {
  public:
    explicit MemoryOutput(std::shared_ptr<std::string> bytes, std::uint64_t at)
        : bytes_(std::move(bytes)), at_(at) {}
    FileError write(std::span<const char> bytes) override {
        const FileError e = writeAt(at_, bytes);
        at_ += bytes.size();
        return e;
    }
    FileError writeAt(std::uint64_t offset, std::span<const char> bytes) override {
        if (bytes_->size() < offset + bytes.size()) {
            bytes_->resize(offset + bytes.size());
        }
        std::memcpy(bytes_->data() + offset, bytes.data(), bytes.size());
        return FileError::None;
    }
    FileError flush() override { return FileError::None; }
    FileError truncate(std::uint64_t length) override {
        bytes_->resize(length);
        return FileError::None;
    }
    FileError close() override { return FileError::None; }

  private:
    std::shared_ptr<std::string> bytes_;
    std::uint64_t at_;
};

void collect(const Node& folder, const std::string& prefix,
             std::map<std::string, std::string>& files) {
    for (const auto& [name, child] : folder.children) {
        if (child->folder) {
            collect(*child, prefix + name + "/", files);
        } else {
            files[prefix + name] = *child->bytes;
        }
    }
}

}  // namespace

MemoryFileService::MemoryFileService() : root_(std::make_unique<Node>()) {
    clear();
}

MemoryFileService::~MemoryFileService() = default;

void MemoryFileService::clear() {
    root_->children.clear();
    capacity_.clear();
    for (const char drive : {'A', 'C', 'E'}) {
        root_->children[std::string(1, drive)] = std::make_unique<Node>();
    }
    passOver(makeDir("C:\\Temp", DirAccess::Shared));
}

bool MemoryFileService::folderExists(std::string_view path) {
    const Node* node = find(*root_, path);
    return node != nullptr && node->folder;
}

bool MemoryFileService::fileExists(std::string_view path) {
    const Node* node = find(*root_, path);
    return node != nullptr && !node->folder;
}

Result<std::uint64_t> MemoryFileService::fileLength(std::string_view path) {
    const Node* node = find(*root_, path);
    if (node == nullptr || node->folder) {
        return FileError::FileNotFound;
    }
    return static_cast<std::uint64_t>(node->bytes->size());
}

Result<std::vector<DirEntry>> MemoryFileService::listDirectory(std::string_view path,
                                                               Listing listing) {
    const Node* node = find(*root_, path);
    if (node == nullptr || !node->folder) {
        return FileError::PathNotFound;
    }
    std::vector<DirEntry> entries;
    for (const auto& [name, child] : node->children) {
        if (listing == Listing::Visible && name.starts_with('.')) {
            continue;
        }
        entries.push_back({name, child->folder ? EntryKind::Directory : EntryKind::File});
    }
    return entries;
}

FileError MemoryFileService::makeDir(std::string_view path, DirAccess) {
    const std::vector<std::string> parts = componentsOf(path);
    Node* parent = parts.empty() ? nullptr : walk(*root_, parts, parts.size() - 1);
    if (parent == nullptr || !parent->folder) {
        return FileError::PathNotFound;
    }
    if (findChild(*parent, parts.back()) != parent->children.end()) {
        return FileError::FileAlreadyExists;
    }
    parent->children[parts.back()] = std::make_unique<Node>();
    return FileError::None;
}

FileError MemoryFileService::removeDir(std::string_view path) {
    const std::vector<std::string> parts = componentsOf(path);
    Node* parent = parts.size() < 2 ? nullptr : walk(*root_, parts, parts.size() - 1);
    if (parent == nullptr || !parent->folder) {
        return FileError::PathNotFound;
    }
    const auto child = findChild(*parent, parts.back());
    if (child == parent->children.end() || !child->second->folder) {
        return FileError::PathNotFound;
    }
    if (!child->second->children.empty()) {
        return FileError::PermissionDenied;
    }
    parent->children.erase(child);
    return FileError::None;
}

FileError MemoryFileService::deleteFile(std::string_view path) {
    const std::vector<std::string> parts = componentsOf(path);
    Node* parent = parts.size() < 2 ? nullptr : walk(*root_, parts, parts.size() - 1);
    if (parent == nullptr || !parent->folder) {
        return FileError::FileNotFound;
    }
    const auto child = findChild(*parent, parts.back());
    if (child == parent->children.end() || child->second->folder) {
        return FileError::FileNotFound;
    }
    parent->children.erase(child);
    return FileError::None;
}

FileError MemoryFileService::rename(std::string_view from, std::string_view to) {
    const std::vector<std::string> source = componentsOf(from);
    const std::vector<std::string> target = componentsOf(to);
    if (source.size() < 2 || target.size() < 2 || source.front() != target.front()) {
        return FileError::PathNotFound;
    }
    Node* sourceParent = walk(*root_, source, source.size() - 1);
    Node* targetParent = walk(*root_, target, target.size() - 1);
    if (sourceParent == nullptr || targetParent == nullptr || !targetParent->folder) {
        return FileError::PathNotFound;
    }
    const auto moving = findChild(*sourceParent, source.back());
    if (moving == sourceParent->children.end()) {
        return FileError::FileNotFound;
    }
    if (findChild(*targetParent, target.back()) != targetParent->children.end()) {
        return FileError::FileAlreadyExists;
    }
    std::unique_ptr<Node> node = std::move(moving->second);
    sourceParent->children.erase(moving);
    targetParent->children[target.back()] = std::move(node);
    return FileError::None;
}

Result<std::unique_ptr<InputFile>> MemoryFileService::openRead(std::string_view path, ReadMode) {
    const Node* node = find(*root_, path);
    if (node == nullptr || node->folder) {
        return FileError::FileNotFound;
    }
    return std::unique_ptr<InputFile>(std::make_unique<MemoryInput>(node->bytes));
}

Result<std::unique_ptr<OutputFile>> MemoryFileService::openWrite(std::string_view path,
                                                                 WriteMode mode) {
    const std::vector<std::string> parts = componentsOf(path);
    Node* parent = parts.empty() ? nullptr : walk(*root_, parts, parts.size() - 1);
    if (parent == nullptr || !parent->folder) {
        return FileError::PathNotFound;
    }
    auto child = findChild(*parent, parts.back());
    if (child == parent->children.end()) {
        if (mode == WriteMode::Update) {
            return FileError::FileNotFound;
        }
        auto file = std::make_unique<Node>();
        file->folder = false;
        child = parent->children.emplace(parts.back(), std::move(file)).first;
    }
    Node& file = *child->second;
    if (file.folder) {
        return FileError::PermissionDenied;
    }
    if (mode == WriteMode::Create) {
        file.bytes->clear();
    }
    const std::uint64_t at = mode == WriteMode::Append ? file.bytes->size() : 0;
    return std::unique_ptr<OutputFile>(std::make_unique<MemoryOutput>(file.bytes, at));
}

FileError MemoryFileService::flushFolder(std::string_view path) {
    return folderExists(path) ? FileError::None : FileError::PathNotFound;
}

Result<DriveSpace> MemoryFileService::space(std::string_view path) {
    const char drive = path.empty() ? 'C' : asciiUpper(path[0]);
    const auto found = capacity_.find(drive);
    if (found == capacity_.end()) {
        return DriveSpace{.available = std::uint64_t{1} << 30, .allocationUnit = 512};
    }
    const auto [capacity, unit] = found->second;
    std::uint64_t used = 0;
    const auto count = [&, unit = unit](const auto& self, const Node& folder) -> void {
        used += unit;
        for (const auto& [name, child] : folder.children) {
            if (child->folder) {
                self(self, *child);
            } else {
                used += (child->bytes->size() + unit - 1) / unit * unit;
            }
        }
    };
    count(count, *root_->children.at(std::string(1, drive)));
    return DriveSpace{.available = capacity > used ? capacity - used : 0, .allocationUnit = unit};
}

void MemoryFileService::setCapacity(char drive, std::uint64_t capacity, std::uint64_t unit) {
    capacity_[drive] = {capacity, unit};
}

void MemoryFileService::put(std::string_view path, std::string_view bytes) {
    const std::vector<std::string> parts = componentsOf(path);
    std::string folder = parts.front() + ":";
    for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
        folder += "\\" + parts[i];
        passOver(makeDir(folder, DirAccess::Shared));
    }
    Result<std::unique_ptr<OutputFile>> out = openWrite(path, WriteMode::Create);
    passOver((*out)->write(bytes));
}

std::map<std::string, std::string> MemoryFileService::tree(std::string_view folder) const {
    std::map<std::string, std::string> files;
    if (const Node* node = find(*root_, folder); node != nullptr && node->folder) {
        collect(*node, "", files);
    }
    return files;
}

}  // namespace xq::test
