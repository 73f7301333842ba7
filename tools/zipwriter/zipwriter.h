// A small ZIP writer: the sample question archive, the simulator's archives and the
// crafted archives of the tests, faults included: every field that a test may want
// wrong can be set by hand. Deflate (method 8) comes from zlib. No ZIP64.
#pragma once

#include "app/text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace examclient::zipwriter {

struct ZipWriterEntry {
    std::string name; // raw bytes, as stored
    Bytes data;       // uncompressed
    // 0 stores, 8 deflates; any other value stores the data under that method number.
    std::uint16_t method = 8;
    std::uint16_t flags = 0;
    // Host system in the upper byte (0 MS-DOS, 3 Unix), ZIP version 2.0 below.
    std::uint16_t versionMadeBy = (3 << 8) | 20;
    // Unix 0100644 in the upper half, as Info-ZIP on Unix writes it.
    std::uint32_t externalAttributes = 0100644u << 16;
    std::uint16_t dosDate = (36 << 9) | (5 << 5) | 1; // 2016-05-01
    std::uint16_t dosTime = 8 << 11;                  // 08:00:00
    Bytes localExtra;
    Bytes centralExtra;
    // Overrides for broken archives.
    std::optional<std::uint32_t> crc;
    std::optional<std::uint32_t> uncompressedSize;
    std::optional<std::uint16_t> localMethod;
    std::optional<std::size_t> localNameLength;
};

ZipWriterEntry directoryEntry(std::string name);
ZipWriterEntry fileEntry(std::string name, std::string content, std::uint16_t method = 8);

// The whole archive; `prefix` goes before it (as a self-extractor stub would).
Bytes buildZip(const std::vector<ZipWriterEntry>& entries, const std::string& comment = {}, const Bytes& prefix = {});

// An extended-timestamp ("UT") extra block with the given flags and times.
Bytes timestampBlock(std::uint8_t flags, const std::vector<std::int32_t>& times);
// Any extra block: ID, 16-bit size, data.
Bytes extraBlock(std::uint16_t id, const Bytes& data);

Bytes toBytes(const std::string& text);

} // namespace examclient::zipwriter
