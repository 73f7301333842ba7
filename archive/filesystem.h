// The file-system seam of the question archive: Windows paths (GBK, "\" separators) in,
// host files out. A Windows path becomes a host path at one place, toHostPath of
// app/platformpaths.h; everything below the extraction's target directory is reached by
// walking one directory handle at a time, so no symbolic link is ever followed there and
// no host limit on the length of a whole path applies.
#pragma once

#include "app/text.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace examclient {

// Windows file-attribute bits.
enum FileAttributeBits : std::uint32_t {
    AttributeReadOnly = 0x1,
    AttributeHidden = 0x2,
    AttributeSystem = 0x4,
    AttributeDirectory = 0x10,
    AttributeArchive = 0x20,
    AttributeNormal = 0x80,
};

// A file time: 100-nanosecond intervals since 1601-01-01 00:00 UTC. 0 stands for "not
// known": such a time is left as the file system set it.
using FileTime = std::uint64_t;

// True when anything (file, directory, symbolic link) exists at the path.
bool pathExists(const Text& windowsPath);

// Creates one directory; false when it cannot be created (also when it exists).
bool createDirectory(const Text& windowsPath);

// Renames within one directory, replacing the target in one step.
bool renameFile(const Text& fromWindowsPath, const Text& toWindowsPath);

// Removes a file; false when there was none or it cannot be removed.
bool removeFile(const Text& windowsPath);

// The receive file's operations. A file number names one open file in the program's
// list of open files; 0 means none.
enum class FileOpenMode { Write = 5 };  // create when missing, keep existing content
enum class FileShare { ReadWrite = 1 }; // others may read and write meanwhile

int openFile(const Text& windowsPath, FileOpenMode mode, FileShare share);
// Moves the write position to the end of the file; false for an unknown number.
bool seekToEnd(int fileNumber);
// Writes at the write position. A write that fails part-way moves the position back
// to where it began; the bytes written stay.
bool writeBytes(int fileNumber, const Bytes& bytes);
void closeFile(int fileNumber);

// One open host file. Move-only; closed when destroyed.
class FileHandle final {
public:
    // For reading only. Windows lets the opener deny others write access; the host
    // has no such share modes, so nothing is denied here.
    static std::optional<FileHandle> openForReading(const Text& windowsPath);
    // A new file for reading and writing; fails when anything exists at the path.
    static std::optional<FileHandle> createNew(const Text& windowsPath);

    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    // Reads up to `size` bytes at `offset`; the count read (0 at the end), -1 on error.
    std::int64_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    // Writes everything at the current position.
    bool writeAll(const void* data, std::size_t size);
    std::optional<std::uint64_t> size() const;
    // Sets the last-access and last-write times; 0 leaves a time as it is. The host
    // keeps no settable creation time, so the creation time has nowhere to go.
    bool setTimes(FileTime access, FileTime modification);
    // Read-only clears every write permission bit; anything else gives the owner write.
    bool setAttributes(std::uint32_t attributes);
    bool close();

private:
    friend class DirectoryHandle;
    explicit FileHandle(int descriptor) : m_descriptor(descriptor) {}
    int m_descriptor = -1;
};

// What lies under one name of a directory, without following a symbolic link.
enum class NodeKind { Missing, Directory, File, SymbolicLink, Other, Error };

// One open directory. Names are single host components (UTF-8, no "/"); a component
// that is a symbolic link is never followed.
class DirectoryHandle final {
public:
    // Opens the directory at a Windows path. The path itself is trusted and resolved as
    // the host resolves it (the drive root may well be a link).
    static std::optional<DirectoryHandle> open(const Text& windowsPath);

    DirectoryHandle(DirectoryHandle&& other) noexcept;
    DirectoryHandle& operator=(DirectoryHandle&& other) noexcept;
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;
    ~DirectoryHandle();

    NodeKind kindOf(const std::string& name) const;
    // The child directory; nothing when it is missing, not a directory or a link.
    std::optional<DirectoryHandle> openChild(const std::string& name) const;
    bool createChildDirectory(const std::string& name) const;
    // Sets the attributes of a child file or directory; a link is left alone (false).
    bool setChildAttributes(const std::string& name, std::uint32_t attributes) const;
    // Creates the child file anew (an existing file is emptied) for writing only,
    // carrying the attributes; fails on a link, a directory or a name too long.
    std::optional<FileHandle> createChildFile(const std::string& name, std::uint32_t attributes) const;

private:
    explicit DirectoryHandle(int descriptor) : m_descriptor(descriptor) {}
    int m_descriptor = -1;
};

} // namespace examclient
