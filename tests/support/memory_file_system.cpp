// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/memory_file_system.h"

#include "common/error.h"
#include "common/text.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace tarvelo::platform {
namespace {

std::vector<std::string> namesOnDrive(const std::string& path, char letter)
{
    std::optional<MemoryPath> parsed = parseMemoryPath(path);
    if (!parsed || parsed->letter != letter)
        throw Error(ErrorNumber::PathNotFound, "not on this volume: " + path);
    return std::move(parsed->names);
}

// Reads of a file that holds no bytes: zeros, as from a sparse file.
class ZeroByteSource final : public ByteSource
{
public:
    explicit ZeroByteSource(std::uint64_t size) : m_size(size) {}

    std::uint64_t size() const override { return m_size; }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        if (offset > m_size || out.size() > m_size - offset)
            throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
        std::fill(out.begin(), out.end(), std::uint8_t{0});
    }

private:
    std::uint64_t m_size;
};

class MemoryVolume final : public Volume
{
public:
    MemoryVolume(MemoryDrive& drive, VolumeFacts facts) : m_drive(drive), m_facts(std::move(facts))
    {
    }

    VolumeFacts facts() const override { return m_facts; }
    std::string rootPath() const override { return memoryRootPath(m_drive.letter); }
    char separator() const override { return kMemorySeparator; }

    std::vector<FolderEntry> listFolder(const std::string& folderPath) const override
    {
        const MemoryNode& folder =
            findFolder(m_drive.root, namesOnDrive(folderPath, m_drive.letter), folderPath);
        if (folder.listingFailure) throw Error(ErrorNumber::PathFileAccess, *folder.listingFailure);
        std::vector<FolderEntry> entries;
        for (const auto& [name, node] : folder.children)
            entries.push_back({name, node->kind, node->size, 0, node->modified});
        return entries;
    }

    std::unique_ptr<ByteSource> openFile(const std::string& path) const override
    {
        const MemoryNode* file = findNode(m_drive.root, namesOnDrive(path, m_drive.letter));
        if (file == nullptr || file->kind == EntryKind::Folder)
            throw Error(ErrorNumber::FileNotFound, "no file " + path);
        if (!file->bytes) return std::make_unique<ZeroByteSource>(file->size);
        const auto* data = reinterpret_cast<const std::uint8_t*>(file->bytes->data());
        return std::make_unique<MemoryByteSource>(std::span(data, file->bytes->size()));
    }

private:
    MemoryDrive& m_drive;
    VolumeFacts m_facts;
};

// A report written into a temporary file beside its destination, moved over it by
// replace(), removed when dropped before that.
class MemoryPendingFile final : public PendingFile
{
public:
    MemoryPendingFile(MemoryNode& folder, std::string name, OutputFaults& faults)
        : m_folder(folder), m_name(std::move(name)), m_tempName("~" + m_name + ".tmp"),
          m_faults(faults)
    {
        auto temp = std::make_unique<MemoryNode>();
        temp->kind = EntryKind::RegularFile;
        temp->bytes.emplace();
        m_temp = temp.get();
        m_folder.children[m_tempName] = std::move(temp);
    }
    ~MemoryPendingFile() override
    {
        if (!m_replaced) m_folder.children.erase(m_tempName);
    }
    MemoryPendingFile(const MemoryPendingFile&) = delete;
    MemoryPendingFile& operator=(const MemoryPendingFile&) = delete;

    void write(std::string_view bytes) override
    {
        std::size_t fits = bytes.size();
        if (m_faults.spaceLeft) {
            fits = static_cast<std::size_t>(std::min<std::uint64_t>(fits, *m_faults.spaceLeft));
            *m_faults.spaceLeft -= fits;
        }
        m_temp->bytes->append(bytes.substr(0, fits));
        m_temp->size = m_temp->bytes->size();
        if (fits < bytes.size()) throw Error(ErrorNumber::DiskFull, "No space left on device");
    }

    void finish() override {}

    void replace() override
    {
        if (m_faults.replaceRefused)
            throw Error(ErrorNumber::PermissionDenied, *m_faults.replaceRefused);
        const MemoryNode* old = childNode(m_folder, m_name);
        if (old != nullptr && old->kind == EntryKind::Folder)
            throw Error(ErrorNumber::PathFileAccess, "a folder has the report's name");
        m_folder.children[m_name] = std::move(m_folder.children[m_tempName]);
        m_folder.children.erase(m_tempName);
        m_replaced = true;
    }

private:
    MemoryNode& m_folder;
    std::string m_name;
    std::string m_tempName;
    OutputFaults& m_faults;
    MemoryNode* m_temp = nullptr;
    bool m_replaced = false;
};

} // namespace

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

void MemoryFileSystem::addDrive(char letter, const VolumeFacts& facts)
{
    addEmptyDrive(letter);
    drive(letter).disc = facts;
}

void MemoryFileSystem::addEmptyDrive(char letter)
{
    const char upper = common::asciiUpper(letter);
    std::unique_ptr<MemoryDrive>& slot = m_drives[upper];
    if (!slot) slot = std::make_unique<MemoryDrive>();
    slot->letter = upper;
    slot->disc.reset();
}

void MemoryFileSystem::addFolder(const std::string& path)
{
    makeFolderPath(path);
}

void MemoryFileSystem::addFile(const std::string& path, const std::string& bytes)
{
    addNode(path, EntryKind::RegularFile, bytes.size()).bytes = bytes;
}

void MemoryFileSystem::addSizedFile(const std::string& path, std::uint64_t size, EntryKind kind)
{
    if (kind == EntryKind::Folder) throw std::invalid_argument("a sized file is no folder");
    addNode(path, kind, size);
}

void MemoryFileSystem::setModified(const std::string& path, ModifiedTime modified)
{
    MemoryNode* file = find(path);
    if (file == nullptr || file->kind == EntryKind::Folder)
        throw std::invalid_argument("no file " + path + " to date");
    file->modified = modified;
}

void MemoryFileSystem::failListing(const std::string& folderPath, const std::string& reason)
{
    makeFolderPath(folderPath).listingFailure = reason;
}

std::optional<std::string> MemoryFileSystem::contents(const std::string& path) const
{
    const MemoryNode* file = find(path);
    if (file == nullptr || file->kind == EntryKind::Folder) return std::nullopt;
    return file->bytes;
}

std::unique_ptr<Volume> MemoryFileSystem::openVolume(const std::string& source) const
{
    const std::optional<MemoryPath> parsed = parseMemoryPath(source);
    if (!parsed || !parsed->names.empty() || !m_drives.contains(parsed->letter))
        throw Error(ErrorNumber::PathNotFound, "there is no drive " + source);
    MemoryDrive& chosen = drive(parsed->letter);
    if (!chosen.disc)
        throw Error(ErrorNumber::DiskNotReady, "no disc in drive " + memoryRootPath(chosen.letter));
    return std::make_unique<MemoryVolume>(chosen, *chosen.disc);
}

bool MemoryFileSystem::exists(const std::string& path) const
{
    const MemoryNode* node = find(path);
    return node != nullptr && node->kind != EntryKind::Folder;
}

std::unique_ptr<PendingFile> MemoryFileSystem::create(const std::string& path)
{
    if (m_faults.createRefused) throw Error(ErrorNumber::PermissionDenied, *m_faults.createRefused);
    std::optional<MemoryFilePath> file = parseMemoryFilePath(path);
    if (!file || !m_drives.contains(file->folder.letter))
        throw Error(ErrorNumber::BadFileName, "no file can be made at " + path);
    const std::string folderPath = path.substr(0, path.rfind(kMemorySeparator) + 1);
    MemoryNode& folder =
        findFolder(drive(file->folder.letter).root, file->folder.names, folderPath);
    return std::make_unique<MemoryPendingFile>(folder, std::move(file->name), m_faults);
}

MemoryDrive& MemoryFileSystem::drive(char letter) const
{
    const auto found = m_drives.find(letter);
    if (found == m_drives.end()) throw std::invalid_argument(std::string("no drive ") + letter);
    return *found->second;
}

MemoryNode* MemoryFileSystem::find(const std::string& path) const
{
    const std::optional<MemoryPath> parsed = parseMemoryPath(path);
    if (!parsed || !m_drives.contains(parsed->letter)) return nullptr;
    return findNode(drive(parsed->letter).root, parsed->names);
}

MemoryNode& MemoryFileSystem::makeFolderPath(const std::string& path)
{
    const std::optional<MemoryPath> parsed = parseMemoryPath(path);
    if (!parsed) throw std::invalid_argument("not a drive path: " + path);
    return makeFolders(drive(parsed->letter).root, parsed->names);
}

MemoryNode& MemoryFileSystem::addNode(const std::string& path, EntryKind kind, std::uint64_t size)
{
    std::optional<MemoryFilePath> file = parseMemoryFilePath(path);
    if (!file) throw std::invalid_argument("not a file path: " + path);
    MemoryNode& folder = makeFolders(drive(file->folder.letter).root, file->folder.names);
    auto node = std::make_unique<MemoryNode>();
    node->kind = kind;
    node->size = size;
    MemoryNode& added = *node;
    folder.children[file->name] = std::move(node);
    return added;
}

} // namespace tarvelo::platform
