// The archive reader layer under the ZIP component: it turns the entries of a ZIP
// archive into ArchiveEntry records and writes one entry's data to a file. minizip walks
// the central directory and inflates; the local headers are read and checked here,
// because minizip trusts them further than we do.
#pragma once

#include "app/text.h"
#include "archive/filesystem.h"

#include <cstdint>
#include <memory>
#include <string>

namespace examclient {

struct ArchiveEntry {
    std::int32_t index = 0;
    // Exactly as stored in the central record, any length: GBK, or UTF-8 when
    // nameIsUtf8(); separators as stored.
    std::string name;
    std::uint32_t attributes = AttributeNormal;
    FileTime accessTime = 0;
    FileTime creationTime = 0;
    FileTime modificationTime = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    // General-purpose bit flags of the central record (APPNOTE 4.4.4).
    std::uint16_t flags = 0;

    bool isDirectory() const { return (attributes & AttributeDirectory) != 0; }
    bool isEncrypted() const { return (flags & 0x0001) != 0; }
    bool nameIsUtf8() const { return (flags & 0x0800) != 0; }
};

class Archive;

struct ArchiveCloser {
    void operator()(Archive* archive) const;
};
using ArchiveHandle = std::unique_ptr<Archive, ArchiveCloser>;

// Nothing when the file cannot be opened or its central directory cannot be read.
// ZIP64 archives are not taken.
ArchiveHandle openArchive(const Text& archivePath);

// The number of leading entries that getEntry accepts; -1 when counting fails.
int countEntries(Archive& archive);

// Fills `entry` for entry `index`; false when the index is out of range, the entry is
// not readable (its local header missing or disagreeing with the central record, or a
// method other than stored or Deflate) or its local extra field cannot be read.
bool getEntry(Archive& archive, int index, ArchiveEntry& entry);

enum class EntryWriteResult {
    Written = 0,
    NoSuchEntry,
    Encrypted,
    CannotCreate,
    ReadError, // the data cannot be read or inflated
    WriteError,
    ShortData, // the data ends before the declared size
    CrcMismatch,
};

// Writes entry `index` to the file `name` in `parent`, created anew with the entry's
// attributes, in blocks of at most 16 KiB. The data is checked against the declared
// size and CRC-32; a failed entry leaves what was written, without the entry's times.
// Encrypted entries are refused before anything is created.
EntryWriteResult extractEntry(Archive& archive, int index, const DirectoryHandle& parent, const std::string& name);

void closeArchive(ArchiveHandle& archive);

// Human-readable words for an entry result, for the operator command.
const char* describe(EntryWriteResult result);

// Exposed for tests: DOS date/time and Unix seconds as file times.
FileTime fileTimeFromDos(std::uint16_t dosDate, std::uint16_t dosTime);
FileTime fileTimeFromUnix(std::int64_t secondsSince1970);
// Windows attribute bits for the external attributes of a central record.
std::uint32_t attributesFromExternal(std::uint32_t externalAttributes);

} // namespace examclient
