#include "archive/archivereader.h"
#include "archive/littleendian.h"

#include <unzip.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace examclient {
namespace {

// Blocks of data read and written per step; minizip reads compressed data in blocks of
// the same size (UNZ_BUFSIZE).
constexpr std::size_t blockSize = 16384;

// APPNOTE 4.3.7, 4.3.12, 4.3.16.
constexpr std::uint32_t localHeaderSignature = 0x04034b50;
constexpr std::uint32_t centralHeaderSignature = 0x02014b50;
constexpr std::uint32_t endOfCentralDirectorySignature = 0x06054b50;
constexpr std::uint32_t zip64LocatorSignature = 0x07064b50;
constexpr std::size_t localHeaderSize = 30;
constexpr std::size_t centralHeaderSize = 46;
constexpr std::size_t endOfCentralDirectorySize = 22;
constexpr std::size_t zip64LocatorSize = 20;
// The end record is looked for where minizip looks: in the last 0xFFFF bytes.
constexpr std::size_t endRecordSearchLength = 0xffff;

// Days from 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

unsigned daysInMonth(unsigned year, unsigned month)
{
    static constexpr std::array<unsigned, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// minizip reads the headers a few bytes at a time. Two cached blocks, one of which tends
// to stay in the central directory while the other follows the local headers, turn
// those into a read per block. Reads of a whole block or more go straight to the file.
class CachedReader final {
public:
    explicit CachedReader(const FileHandle& file) : m_file(file) {}

    std::int64_t read(std::uint64_t offset, void* buffer, std::size_t size)
    {
        if (size >= blockSize)
            return m_file.readAt(offset, buffer, size);
        ++m_clock;
        for (Block& block : m_blocks) {
            if (block.valid && offset >= block.start && offset + size <= block.start + block.length) {
                block.lastUse = m_clock;
                std::copy_n(block.data.begin() + static_cast<std::ptrdiff_t>(offset - block.start), size,
                            static_cast<std::uint8_t*>(buffer));
                return static_cast<std::int64_t>(size);
            }
        }
        Block& block = m_blocks[0].lastUse <= m_blocks[1].lastUse ? m_blocks[0] : m_blocks[1];
        std::int64_t count = m_file.readAt(offset, block.data.data(), block.data.size());
        block.valid = count >= 0;
        if (count < 0)
            return -1;
        block.start = offset;
        block.length = static_cast<std::size_t>(count);
        block.lastUse = m_clock;
        std::size_t copied = std::min(size, block.length);
        std::copy_n(block.data.begin(), copied, static_cast<std::uint8_t*>(buffer));
        return static_cast<std::int64_t>(copied);
    }

private:
    struct Block {
        std::array<std::uint8_t, blockSize> data;
        std::uint64_t start = 0;
        std::size_t length = 0;
        std::uint64_t lastUse = 0;
        bool valid = false;
    };
    const FileHandle& m_file;
    std::array<Block, 2> m_blocks;
    std::uint64_t m_clock = 0;
};

} // namespace

FileTime fileTimeFromUnix(std::int64_t secondsSince1970)
{
    constexpr std::int64_t unixEpochAsFileTime = 116444736000000000;
    return static_cast<FileTime>(unixEpochAsFileTime + secondsSince1970 * 10000000);
}

FileTime fileTimeFromDos(std::uint16_t dosDate, std::uint16_t dosTime)
{
    // MS-DOS date: bits 9-15 years since 1980, 5-8 month, 0-4 day; time: bits 11-15
    // hour, 5-10 minute, 0-4 seconds / 2. Read as UTC. A date or time that is no real
    // instant gives "not known", so the file keeps the time it was written.
    unsigned year = 1980 + (dosDate >> 9);
    unsigned month = (dosDate >> 5) & 0x0f;
    unsigned day = dosDate & 0x1f;
    unsigned hour = dosTime >> 11;
    unsigned minute = (dosTime >> 5) & 0x3f;
    unsigned second = (dosTime & 0x1f) * 2;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
        return 0;
    std::int64_t seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return fileTimeFromUnix(seconds);
}

std::uint32_t attributesFromExternal(std::uint32_t external)
{
    std::uint32_t attributes = AttributeNormal;
    // The upper 16 bits hold a Unix mode when the archive was written on Unix: bit 30 is
    // S_IFDIR (040000 << 16), bit 23 the owner-write bit (0200 << 16).
    if ((external & (1u << 30)) || (external & 0x10))
        attributes |= AttributeDirectory;
    if (external & 0x20)
        attributes |= AttributeArchive;
    if (external & 0x02)
        attributes |= AttributeHidden;
    if (!(external & (1u << 23)) || (external & 0x01))
        attributes |= AttributeReadOnly;
    if (external & 0x04)
        attributes |= AttributeSystem;
    return attributes;
}

class Archive final {
public:
    explicit Archive(FileHandle file, std::uint64_t size) : m_file(std::move(file)), m_size(size) {}
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    ~Archive()
    {
        if (m_zip)
            unzClose(m_zip);
    }

    bool open();
    int count();
    bool entry(int index, ArchiveEntry& entry);
    EntryWriteResult extract(int index, const DirectoryHandle& parent, const std::string& name);

private:
    // minizip reads through these, so that a read is one pread and a seek costs no
    // system call at all.
    static voidpf openHook(voidpf opaque, const void*, int) { return opaque; }
    static uLong readHook(voidpf, voidpf stream, void* buffer, uLong size);
    static uLong writeHook(voidpf, voidpf, const void*, uLong) { return 0; }
    static ZPOS64_T tellHook(voidpf, voidpf stream) { return static_cast<Archive*>(stream)->m_position; }
    static long seekHook(voidpf, voidpf stream, ZPOS64_T offset, int origin);
    static int closeHook(voidpf, voidpf) { return 0; }
    static int errorHook(voidpf, voidpf stream) { return static_cast<Archive*>(stream)->m_error ? 1 : 0; }

    bool readExactly(std::uint64_t offset, void* buffer, std::size_t size);
    std::optional<std::uint64_t> bytesBeforeArchive();
    bool moveTo(int index);
    bool fill(int index, ArchiveEntry& entry);

    FileHandle m_file;
    CachedReader m_reader{m_file};
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
    bool m_error = false;
    unzFile m_zip = nullptr;
    // Bytes in front of the archive proper (a self-extractor stub): offsets in the
    // central directory count from its end. minizip computes the same.
    std::uint64_t m_bytesBefore = 0;
    std::uint64_t m_entryCount = 0;
    int m_current = 0;
    bool m_positioned = false;
    std::optional<ArchiveEntry> m_cached;
    std::vector<char> m_name = std::vector<char>(0x10000);
    std::vector<std::uint8_t> m_extra;
};

uLong Archive::readHook(voidpf, voidpf stream, void* buffer, uLong size)
{
    auto* self = static_cast<Archive*>(stream);
    std::int64_t count = self->m_reader.read(self->m_position, buffer, size);
    if (count < 0) {
        self->m_error = true;
        return 0;
    }
    self->m_position += static_cast<std::uint64_t>(count);
    return static_cast<uLong>(count);
}

long Archive::seekHook(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* self = static_cast<Archive*>(stream);
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        self->m_position = offset;
        return 0;
    case ZLIB_FILEFUNC_SEEK_CUR:
        self->m_position += offset;
        return 0;
    case ZLIB_FILEFUNC_SEEK_END:
        self->m_position = self->m_size + offset;
        return 0;
    default:
        return -1;
    }
}

bool Archive::readExactly(std::uint64_t offset, void* buffer, std::size_t size)
{
    if (offset > m_size || size > m_size - offset)
        return false;
    return m_reader.read(offset, buffer, size) == static_cast<std::int64_t>(size);
}

std::optional<std::uint64_t> Archive::bytesBeforeArchive()
{
    std::size_t searched = static_cast<std::size_t>(std::min<std::uint64_t>(m_size, endRecordSearchLength));
    std::vector<std::uint8_t> tail(searched);
    std::uint64_t tailStart = m_size - searched;
    if (searched < 4 || !readExactly(tailStart, tail.data(), searched))
        return std::nullopt;
    // The last signature wins, as in minizip; one at the very start of the file is none.
    for (std::size_t i = searched - 4 + 1; i-- > 0;) {
        if (read32(&tail[i]) != endOfCentralDirectorySignature)
            continue;
        std::uint64_t position = tailStart + i;
        if (position == 0)
            return std::nullopt;
        std::array<std::uint8_t, endOfCentralDirectorySize> record{};
        if (!readExactly(position, record.data(), record.size()))
            return std::nullopt;
        std::array<std::uint8_t, 4> locator{};
        if (position >= zip64LocatorSize && readExactly(position - zip64LocatorSize, locator.data(), 4) &&
            read32(locator.data()) == zip64LocatorSignature)
            return std::nullopt;
        std::uint64_t size = read32(&record[12]);
        std::uint64_t offset = read32(&record[16]);
        if (offset + size > position)
            return std::nullopt;
        return position - (offset + size);
    }
    return std::nullopt;
}

bool Archive::open()
{
    auto bytesBefore = bytesBeforeArchive();
    if (!bytesBefore)
        return false;
    m_bytesBefore = *bytesBefore;

    zlib_filefunc64_def functions{};
    functions.zopen64_file = openHook;
    functions.zread_file = readHook;
    functions.zwrite_file = writeHook;
    functions.ztell64_file = tellHook;
    functions.zseek64_file = seekHook;
    functions.zclose_file = closeHook;
    functions.zerror_file = errorHook;
    functions.opaque = this;
    // The name is not used by the hooks; minizip only hands it to openHook.
    m_zip = unzOpen2_64("archive", &functions);
    if (!m_zip)
        return false;
    unz_global_info64 info{};
    if (unzGetGlobalInfo64(m_zip, &info) != UNZ_OK)
        return false;
    m_entryCount = info.number_entry;
    m_current = 0;
    m_positioned = true;
    return true;
}

int Archive::count()
{
    unz_global_info64 info{};
    if (unzGetGlobalInfo64(m_zip, &info) != UNZ_OK)
        return -1;
    int count = 0;
    ArchiveEntry entry;
    while (static_cast<std::uint64_t>(count) < m_entryCount && fill(count, entry))
        ++count;
    return count;
}

bool Archive::moveTo(int index)
{
    if (!m_positioned || index < m_current) {
        m_cached.reset();
        m_positioned = unzGoToFirstFile(m_zip) == UNZ_OK;
        m_current = 0;
        if (!m_positioned)
            return false;
    }
    while (m_current < index) {
        m_cached.reset();
        if (unzGoToNextFile(m_zip) != UNZ_OK) {
            m_positioned = false;
            return false;
        }
        ++m_current;
    }
    return true;
}

bool Archive::entry(int index, ArchiveEntry& entry)
{
    if (m_cached && m_cached->index == index && m_current == index && m_positioned) {
        entry = *m_cached;
        return true;
    }
    return fill(index, entry);
}

bool Archive::fill(int index, ArchiveEntry& entry)
{
    m_cached.reset();
    if (index < 0 || static_cast<std::uint64_t>(index) >= m_entryCount || !moveTo(index))
        return false;

    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(m_zip, &info, m_name.data(), m_name.size(), nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    if (info.size_filename >= m_name.size())
        return false;

    // The central record itself, for the local header's offset (APPNOTE 4.3.12: offset
    // 42), which minizip keeps to itself.
    std::array<std::uint8_t, centralHeaderSize> central{};
    std::uint64_t centralPosition = unzGetOffset64(m_zip) + m_bytesBefore;
    if (!readExactly(centralPosition, central.data(), central.size()) ||
        read32(&central[0]) != centralHeaderSignature || read16(&central[28]) != info.size_filename)
        return false;
    std::uint64_t localPosition = static_cast<std::uint64_t>(read32(&central[42])) + m_bytesBefore;

    // The local header must agree with the central record (APPNOTE 4.3.7): signature,
    // method, name length and, without a data descriptor (flag bit 3), CRC-32 and sizes.
    std::array<std::uint8_t, localHeaderSize> local{};
    if (!readExactly(localPosition, local.data(), local.size()) || read32(&local[0]) != localHeaderSignature)
        return false;
    std::uint16_t method = read16(&local[8]);
    if (method != info.compression_method || (method != 0 && method != Z_DEFLATED))
        return false;
    if (read16(&local[26]) != info.size_filename)
        return false;
    if (!(info.flag & 0x0008) && (read32(&local[14]) != info.crc || read32(&local[18]) != info.compressed_size ||
                                  read32(&local[22]) != info.uncompressed_size))
        return false;
    std::size_t extraLength = read16(&local[28]);
    m_extra.resize(extraLength);
    if (extraLength > 0 &&
        !readExactly(localPosition + localHeaderSize + info.size_filename, m_extra.data(), extraLength))
        return false;

    entry.index = index;
    entry.name.assign(m_name.data(), info.size_filename);
    entry.attributes = attributesFromExternal(static_cast<std::uint32_t>(info.external_fa));
    entry.flags = static_cast<std::uint16_t>(info.flag);
    entry.compressedSize = static_cast<std::uint32_t>(info.compressed_size);
    entry.uncompressedSize = static_cast<std::uint32_t>(info.uncompressed_size);
    FileTime dosTime = fileTimeFromDos(static_cast<std::uint16_t>(info.dosDate >> 16),
                                       static_cast<std::uint16_t>(info.dosDate & 0xffff));
    entry.accessTime = entry.creationTime = entry.modificationTime = dosTime;

    // The first extended-timestamp block ("UT", 0x5455; Info-ZIP extra field) of the
    // local extra field: a flags byte, then the modification, access and creation times
    // its bits 0-2 announce, each signed 32-bit seconds since 1970 UTC. A time that the
    // block ends before is not taken.
    if (extraLength > 4) {
        for (std::size_t position = 0; position + 4 < extraLength;) {
            std::size_t dataSize = read16(&m_extra[position + 2]);
            if (read16(&m_extra[position]) != 0x5455) {
                position += 4 + dataSize;
                continue;
            }
            std::size_t dataEnd = std::min(extraLength, position + 4 + dataSize);
            std::size_t at = position + 4;
            if (at < dataEnd) {
                std::uint8_t timeFlags = m_extra[at++];
                FileTime* targets[3] = {&entry.modificationTime, &entry.accessTime, &entry.creationTime};
                for (int bit = 0; bit < 3; ++bit) {
                    if (!(timeFlags & (1 << bit)))
                        continue;
                    if (at + 4 > dataEnd)
                        break;
                    auto seconds = static_cast<std::int32_t>(read32(&m_extra[at]));
                    *targets[bit] = fileTimeFromUnix(seconds);
                    at += 4;
                }
            }
            break;
        }
    }
    m_cached = entry;
    return true;
}

EntryWriteResult Archive::extract(int index, const DirectoryHandle& parent, const std::string& name)
{
    ArchiveEntry entry;
    if (!this->entry(index, entry))
        return EntryWriteResult::NoSuchEntry;
    // Without a password there is nothing to decrypt with; writing the cipher text
    // would pass it off as the file.
    if (entry.isEncrypted())
        return EntryWriteResult::Encrypted;

    auto file = parent.createChildFile(name, entry.attributes);
    if (!file)
        return EntryWriteResult::CannotCreate;
    if (unzOpenCurrentFile(m_zip) != UNZ_OK)
        return EntryWriteResult::ReadError;

    EntryWriteResult result = EntryWriteResult::Written;
    std::array<std::uint8_t, blockSize> block;
    std::uint64_t total = 0;
    for (;;) {
        int count = unzReadCurrentFile(m_zip, block.data(), static_cast<unsigned>(block.size()));
        if (count < 0) {
            result = EntryWriteResult::ReadError;
            break;
        }
        if (count == 0)
            break;
        if (!file->writeAll(block.data(), static_cast<std::size_t>(count))) {
            result = EntryWriteResult::WriteError;
            break;
        }
        total += static_cast<std::uint64_t>(count);
    }
    // minizip compares the CRC-32 when the entry was read to its declared size.
    int closeResult = unzCloseCurrentFile(m_zip);
    if (result == EntryWriteResult::Written) {
        if (total != entry.uncompressedSize)
            result = EntryWriteResult::ShortData;
        else if (closeResult == UNZ_CRCERROR)
            result = EntryWriteResult::CrcMismatch;
        else if (closeResult != UNZ_OK)
            result = EntryWriteResult::ReadError;
    }
    // The creation time has no place on this host; see filesystem.h.
    if (result == EntryWriteResult::Written && !file->setTimes(entry.accessTime, entry.modificationTime))
        result = EntryWriteResult::WriteError;
    if (!file->close() && result == EntryWriteResult::Written)
        result = EntryWriteResult::WriteError;
    return result;
}

void ArchiveCloser::operator()(Archive* archive) const
{
    delete archive;
}

ArchiveHandle openArchive(const Text& archivePath)
{
    auto file = FileHandle::openForReading(archivePath);
    if (!file)
        return nullptr;
    auto size = file->size();
    if (!size)
        return nullptr;
    ArchiveHandle archive(new Archive(std::move(*file), *size));
    if (!archive->open())
        return nullptr;
    return archive;
}

int countEntries(Archive& archive)
{
    return archive.count();
}

bool getEntry(Archive& archive, int index, ArchiveEntry& entry)
{
    return archive.entry(index, entry);
}

EntryWriteResult extractEntry(Archive& archive, int index, const DirectoryHandle& parent, const std::string& name)
{
    return archive.extract(index, parent, name);
}

void closeArchive(ArchiveHandle& archive)
{
    archive.reset();
}

const char* describe(EntryWriteResult result)
{
    switch (result) {
    case EntryWriteResult::Written:
        return "written";
    case EntryWriteResult::NoSuchEntry:
        return "the entry cannot be read";
    case EntryWriteResult::Encrypted:
        return "the entry is encrypted";
    case EntryWriteResult::CannotCreate:
        return "the file cannot be created";
    case EntryWriteResult::ReadError:
        return "the data cannot be read or inflated";
    case EntryWriteResult::WriteError:
        return "the file cannot be written";
    case EntryWriteResult::ShortData:
        return "the data ends before its declared size";
    case EntryWriteResult::CrcMismatch:
        return "the data does not match its CRC-32";
    }
    return "unknown";
}

} // namespace examclient
