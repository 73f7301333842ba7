#include "tools/examroom/ziparchive.h"

#include <zlib.h>

namespace examclient::examroom {
namespace {

void put16(Bytes& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(Bytes& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

Bytes deflateRaw(const Bytes& input)
{
    z_stream stream{};
    // Negative window bits: raw Deflate, as ZIP method 8 stores it.
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes output(deflateBound(&stream, static_cast<uLong>(input.size())));
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    deflate(&stream, Z_FINISH);
    output.resize(stream.total_out);
    deflateEnd(&stream);
    return output;
}

// MS-DOS time and date fields of the ZIP headers.
unsigned dosTime(const DateTime& value)
{
    return static_cast<unsigned>((value.hour << 11) | (value.minute << 5) | (value.second / 2));
}

unsigned dosDate(const DateTime& value)
{
    return static_cast<unsigned>(((value.year - 1980) << 9) | (value.month << 5) | value.day);
}

} // namespace

Bytes makeZipArchive(const std::vector<ZipEntry>& entries)
{
    // APPNOTE.TXT 4.3.7 (local file header), 4.3.12 (central directory header) and
    // 4.3.16 (end of central directory record). Flags 0: names are in the ANSI code page.
    Bytes archive;
    Bytes directory;
    for (const ZipEntry& entry : entries) {
        const bool folder = !entry.name.empty() && entry.name.back() == '/';
        const bool deflated = !folder && entry.compression == ZipCompression::Deflated;
        const Bytes data = deflated ? deflateRaw(entry.content) : entry.content;
        const auto crc = static_cast<std::uint32_t>(
            crc32(crc32(0, nullptr, 0), entry.content.data(), static_cast<uInt>(entry.content.size())));
        const auto offset = static_cast<std::uint32_t>(archive.size());
        const unsigned method = deflated ? 8 : 0;

        put32(archive, 0x04034B50);
        put16(archive, 20);
        put16(archive, 0);
        put16(archive, method);
        put16(archive, dosTime(entry.modified));
        put16(archive, dosDate(entry.modified));
        put32(archive, crc);
        put32(archive, static_cast<std::uint32_t>(data.size()));
        put32(archive, static_cast<std::uint32_t>(entry.content.size()));
        put16(archive, static_cast<unsigned>(entry.name.size()));
        put16(archive, 0);
        archive.insert(archive.end(), entry.name.begin(), entry.name.end());
        archive.insert(archive.end(), data.begin(), data.end());

        put32(directory, 0x02014B50);
        put16(directory, 20); // made by MS-DOS (FAT attributes), version 2.0
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, method);
        put16(directory, dosTime(entry.modified));
        put16(directory, dosDate(entry.modified));
        put32(directory, crc);
        put32(directory, static_cast<std::uint32_t>(data.size()));
        put32(directory, static_cast<std::uint32_t>(entry.content.size()));
        put16(directory, static_cast<unsigned>(entry.name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, folder ? 0x10 : 0x20); // FAT directory or archive attribute
        put32(directory, offset);
        directory.insert(directory.end(), entry.name.begin(), entry.name.end());
    }
    const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    archive.insert(archive.end(), directory.begin(), directory.end());
    put32(archive, 0x06054B50);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, static_cast<unsigned>(entries.size()));
    put16(archive, static_cast<unsigned>(entries.size()));
    put32(archive, static_cast<std::uint32_t>(directory.size()));
    put32(archive, directoryOffset);
    put16(archive, 0);
    return archive;
}

} // namespace examclient::examroom
