#include "archive/reception.h"

#include "archive/littleendian.h"
#include "archive/zipcomponent.h"

#include <algorithm>
#include <string>

namespace examclient {
namespace {

const Text receiveDirectory = "D:\\e1";

// APPNOTE 4.3.16: the end-of-central-directory record is 22 bytes and a comment of up
// to 65,535 bytes, so a complete archive ends within the last 65,557 bytes.
constexpr std::uint32_t endRecordSignature = 0x06054b50;
constexpr std::uint32_t centralHeaderSignature = 0x02014b50;
constexpr std::size_t endRecordSize = 22;

unsigned assemblyCounter = 0;

} // namespace

Text receiveFilePath()
{
    return receiveDirectory + "\\1.zip";
}

void appendToReceiveFile(const Bytes& arrival)
{
    if (!pathExists(receiveDirectory))
        createDirectoryPath(receiveDirectory);
    int file = openFile(receiveFilePath(), FileOpenMode::Write, FileShare::ReadWrite);
    seekToEnd(file);
    writeBytes(file, arrival);
    closeFile(file);
}

bool isSafeExamineeNumber(const Text& examineeNumber)
{
    // Byte for byte, trail bytes included: stricter than needed, never looser.
    return !examineeNumber.empty() && examineeNumber != "." && examineeNumber.find_first_of("\\/:") == Text::npos &&
           examineeNumber.find("..") == Text::npos;
}

ArchiveReception::ArchiveReception(ZipComponent& component) : m_component(component) {}

ArchiveReception::~ArchiveReception()
{
    discard();
}

void ArchiveReception::receive(const Bytes& arrival, const Text& examineeNumber)
{
    appendToReceiveFile(arrival);
    if (m_broken || arrival.empty())
        return;
    append(arrival);
    if (!m_broken && isComplete())
        publish(examineeNumber);
}

void ArchiveReception::append(const Bytes& arrival)
{
    if (!m_assembly) {
        // A name of our own next to the examinee's archive, so that publishing is a
        // rename within one directory. Never an existing file: a stale one is skipped.
        for (int attempt = 0; attempt < 100 && !m_assembly; ++attempt) {
            m_assemblyPath = "D:\\~examclient-" + std::to_string(++assemblyCounter) + ".part";
            m_assembly = FileHandle::createNew(m_assemblyPath);
        }
        if (!m_assembly) {
            m_broken = true;
            return;
        }
    }
    if (!m_assembly->writeAll(arrival.data(), arrival.size())) {
        discard();
        m_broken = true;
        return;
    }
    m_assembled += arrival.size();

    noteEndRecords(arrival);
}

// Every end record is found once, when its last byte arrives, and noted under the
// position where it and its comment would end: the archive can only be complete when an
// arrival ends right there. Scanning each byte once keeps an arrival's cost to its own
// size, however many small arrivals the archive comes in.
void ArchiveReception::noteEndRecords(const Bytes& arrival)
{
    // Notes the records that begin at [0, limit) of `bytes`, which begins at `start`.
    auto scan = [this](const std::uint8_t* bytes, std::size_t size, std::size_t limit, std::uint64_t start) {
        for (std::size_t i = 0; i < limit && i + endRecordSize <= size; ++i) {
            if (bytes[i] != 0x50 || read32(bytes + i) != endRecordSignature)
                continue;
            std::uint64_t end = start + i + endRecordSize + read16(bytes + i + 20);
            if (end >= m_assembled)
                std::copy_n(bytes + i, endRecordSize, m_endRecords[end].begin());
        }
    };
    std::uint64_t arrivalStart = m_assembled - arrival.size();

    // A record's 22 bytes may straddle arrivals: the last 21 bytes before this arrival
    // were kept for the records that begin in them.
    Bytes joint = m_carry;
    joint.insert(joint.end(), arrival.begin(),
                 arrival.begin() + static_cast<std::ptrdiff_t>(std::min(arrival.size(), endRecordSize - 1)));
    scan(joint.data(), joint.size(), m_carry.size(), arrivalStart - m_carry.size());
    scan(arrival.data(), arrival.size(), arrival.size(), arrivalStart);

    if (arrival.size() >= endRecordSize - 1) {
        m_carry.assign(arrival.end() - static_cast<std::ptrdiff_t>(endRecordSize - 1), arrival.end());
    } else {
        m_carry.insert(m_carry.end(), arrival.begin(), arrival.end());
        if (m_carry.size() > endRecordSize - 1)
            m_carry.erase(m_carry.begin(), m_carry.end() - static_cast<std::ptrdiff_t>(endRecordSize - 1));
    }
    m_endRecords.erase(m_endRecords.begin(), m_endRecords.lower_bound(m_assembled));
}

// Complete: an end record ends exactly at the last byte received, on one disk, and its
// central directory lies in the assembled bytes right before it, starting with a central
// header where the record says. Its offset counts from the first byte of this assembly,
// so an archive stored whole inside another one (an inner end record that happens to
// end an arrival) does not pass for the outer archive.
bool ArchiveReception::isComplete() const
{
    auto found = m_endRecords.find(m_assembled);
    if (found == m_endRecords.end())
        return false;
    const std::uint8_t* record = found->second.data();
    std::uint64_t recordPosition = m_assembled - endRecordSize - read16(record + 20);
    std::uint64_t directorySize = read32(record + 12);
    std::uint64_t directoryOffset = read32(record + 16);
    if (read16(record + 4) != 0 || read16(record + 6) != 0 || directoryOffset + directorySize != recordPosition)
        return false;
    if (read16(record + 10) == 0)
        return directorySize == 0;
    std::uint8_t signature[4];
    return m_assembly->readAt(directoryOffset, signature, sizeof signature) == 4 &&
           read32(signature) == centralHeaderSignature;
}

void ArchiveReception::publish(const Text& examineeNumber)
{
    Text assemblyPath = m_assemblyPath;
    bool closed = m_assembly->close();
    m_assembly.reset();
    m_assembled = 0;
    m_carry.clear();
    m_endRecords.clear();

    Text archivePath = "D:\\" + examineeNumber + ".zip";
    if (!closed || !isSafeExamineeNumber(examineeNumber) || !renameFile(assemblyPath, archivePath)) {
        removeFile(assemblyPath);
        return;
    }
    m_component.extract(archivePath, "D:\\" + examineeNumber);
}

void ArchiveReception::discard()
{
    if (!m_assembly)
        return;
    m_assembly.reset();
    removeFile(m_assemblyPath);
    m_assembled = 0;
    m_carry.clear();
    m_endRecords.clear();
}

} // namespace examclient
