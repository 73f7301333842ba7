#include "archive/zipcomponent.h"

#include "app/gbk.h"
#include "archive/archivereader.h"
#include "archive/entrypath.h"
#include "archive/filesystem.h"

#include <array>

namespace examclient {
namespace {

// Walks down from the target directory along the components, creating what is missing.
// A component that exists as anything but a directory ends the walk: as the last one it
// is left alone (something already exists at the path), earlier it is a failure. A
// symbolic link is never entered.
bool createEntryDirectories(const DirectoryHandle& target, const std::vector<std::string>& components)
{
    std::optional<DirectoryHandle> below;
    const DirectoryHandle* current = &target;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::string& name = components[i];
        bool last = i + 1 == components.size();
        switch (current->kindOf(name)) {
        case NodeKind::Missing:
            if (!current->createChildDirectory(name))
                return false;
            break;
        case NodeKind::Directory:
            break;
        case NodeKind::File:
        case NodeKind::SymbolicLink:
        case NodeKind::Other:
            return last;
        case NodeKind::Error:
            return false;
        }
        if (last)
            return true;
        below = current->openChild(name);
        if (!below)
            return false;
        current = &*below;
    }
    return true;
}

// An entry's name for an operator's terminal.
std::string printableName(const ArchiveEntry& entry)
{
    return entry.nameIsUtf8() ? entry.name : gbkToUtf8(entry.name);
}

// The directory that holds a file entry. Nothing is created: the entry's directory must
// exist already, as a real directory, not a link. Entries of one directory tend to come
// together, so the last one found is kept for the next entry.
class ParentDirectories final {
public:
    const DirectoryHandle* find(const Text& targetDirectory, const std::vector<std::string>& components)
    {
        std::vector<std::string> parent(components.begin(), components.end() - (components.empty() ? 0 : 1));
        if (m_handle && parent == m_components)
            return &*m_handle;
        m_handle = DirectoryHandle::open(targetDirectory);
        for (std::size_t i = 0; m_handle && i < parent.size(); ++i)
            m_handle = m_handle->openChild(parent[i]);
        m_components = std::move(parent);
        return m_handle ? &*m_handle : nullptr;
    }

private:
    std::vector<std::string> m_components;
    std::optional<DirectoryHandle> m_handle;
};

} // namespace

void ensureTrailingBackslash(Text& path)
{
    bool endsWithBackslash = false;
    for (std::size_t i = 0; i < path.size();) {
        std::size_t length = gbkCharacterLength(path, i);
        endsWithBackslash = length == 1 && path[i] == '\\';
        i += length;
    }
    if (!endsWithBackslash)
        path += '\\';
}

bool createDirectoryPath(const Text& path)
{
    Text withBackslash = path;
    ensureTrailingBackslash(withBackslash);
    for (std::size_t i = 0; i < withBackslash.size();) {
        std::size_t length = gbkCharacterLength(withBackslash, i);
        if (length == 1 && withBackslash[i] == '\\') {
            Text prefix = withBackslash.substr(0, i + 1);
            if (!pathExists(prefix) && !createDirectory(prefix))
                return false;
        }
        i += length;
    }
    return true;
}

bool looksLikeZipArchive(const Text& archivePath)
{
    auto file = FileHandle::openForReading(archivePath);
    std::array<std::uint8_t, 32> head{};
    if (!file || file->readAt(0, head.data(), head.size()) != static_cast<std::int64_t>(head.size()))
        return false;
    // APPNOTE 4.3.7: local-header signature 50 4B 03 04. Offset 24 holds the upper half of
    // the uncompressed size and the name length, so any first entry with a name passes.
    if (head[0] != 0x50 || head[1] != 0x4b || head[2] != 0x03 || head[3] != 0x04)
        return false;
    auto value = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(head[24]) | static_cast<std::uint32_t>(head[25]) << 8 |
        static_cast<std::uint32_t>(head[26]) << 16 | static_cast<std::uint32_t>(head[27]) << 24);
    return value >= 1;
}

void ZipComponent::raiseProgress(Progress& progress)
{
    if (!m_sink)
        return;
    int percent =
        progress.total == 0 ? 0 : static_cast<int>(static_cast<double>(progress.current) * 100.0 / progress.total);
    // A copy: the handler may take the window, and with it the sink, away, or even
    // destroy the component. Then the extraction stops, touching nothing of it.
    ExtractProgressSink sink = m_sink;
    std::weak_ptr<bool> alive = m_alive;
    std::optional<bool> answer = sink(percent);
    if (alive.expired())
        progress.cancelled = true;
    else if (answer && !*answer && m_sink)
        progress.cancelled = true;
}

int ZipComponent::failureEnd(Progress& progress, int result, ExtractFailure failure, std::string reason)
{
    m_lastFailure = failure;
    m_lastReason = std::move(reason);
    progress.current = progress.total;
    raiseProgress(progress);
    return result;
}

int ZipComponent::extract(const Text& archivePath, const Text& targetDirectory)
{
    m_lastFailure = ExtractFailure::None;
    m_lastReason.clear();
    if (archivePath.empty() || targetDirectory.empty()) {
        m_lastFailure = ExtractFailure::AbsentArgument;
        m_lastReason = "an argument is empty";
        return -1;
    }

    Progress progress;
    if (!pathExists(archivePath))
        return failureEnd(progress, -1, ExtractFailure::ArchiveMissing, "no file exists at the archive path");
    if (!pathExists(targetDirectory) && !createDirectoryPath(targetDirectory))
        return failureEnd(progress, 0, ExtractFailure::TargetNotCreatable, "the target directory cannot be created");
    if (!looksLikeZipArchive(archivePath))
        return failureEnd(progress, 0, ExtractFailure::NotRecognised, "the file is not recognised as a ZIP archive");
    ArchiveHandle archive = openArchive(archivePath);
    if (!archive)
        return failureEnd(progress, 0, ExtractFailure::CannotOpen, "the central directory cannot be read");
    int total = countEntries(*archive);
    if (total < 0)
        return failureEnd(progress, 0, ExtractFailure::CannotCount, "the entries cannot be counted");
    progress.total = total;

    std::optional<DirectoryHandle> target;
    ParentDirectories parents;
    for (int i = 0;; ++i) {
        ArchiveEntry entry;
        if (!getEntry(*archive, i, entry))
            break;
        EntryPath path = entryPath(entry.name, entry.nameIsUtf8() ? EntryNameEncoding::Utf8 : EntryNameEncoding::Gbk);
        if (path.problem != EntryPathProblem::None)
            return failureEnd(progress, 0, ExtractFailure::UnsafeName,
                              std::string(describe(path.problem)) + ": " + printableName(entry));
        if (!target)
            target = DirectoryHandle::open(targetDirectory);

        if (entry.isDirectory()) {
            if (!target || !createEntryDirectories(*target, path.components))
                return failureEnd(progress, 0, ExtractFailure::DirectoryNotCreatable,
                                  "the directory cannot be created: " + printableName(entry));
        } else {
            EntryWriteResult result = EntryWriteResult::CannotCreate;
            const DirectoryHandle* parent = parents.find(targetDirectory, path.components);
            if (parent && !path.components.empty() && !path.endsWithSeparator) {
                const std::string& name = path.components.back();
                // Clears read-only so that an earlier copy can be replaced.
                parent->setChildAttributes(name, AttributeNormal);
                result = extractEntry(*archive, i, *parent, name);
                // Only a read-only entry has anything to undo.
                if (result == EntryWriteResult::Written && (entry.attributes & AttributeReadOnly))
                    parent->setChildAttributes(name, AttributeNormal);
            }
            if (result != EntryWriteResult::Written)
                return failureEnd(progress, 0, ExtractFailure::FileNotWritten,
                                  std::string(describe(result)) + ": " + printableName(entry));
        }

        progress.current = i;
        raiseProgress(progress);
        if (progress.cancelled)
            return 1;
    }
    progress.current = progress.total;
    raiseProgress(progress);
    return 1;
}

} // namespace examclient
