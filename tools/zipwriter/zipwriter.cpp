#include "tools/zipwriter/zipwriter.h"

#include <zlib.h>

namespace examclient::zipwriter {
namespace {

void put16(Bytes& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(Bytes& out, std::uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

void putBytes(Bytes& out, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// Raw Deflate (window bits -15), as ZIP method 8 holds it.
Bytes deflateRaw(const Bytes& data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace

Bytes toBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

ZipWriterEntry directoryEntry(std::string name)
{
    ZipWriterEntry entry;
    entry.name = std::move(name);
    entry.method = 0;
    entry.externalAttributes = (040755u << 16) | 0x10;
    return entry;
}

ZipWriterEntry fileEntry(std::string name, std::string content, std::uint16_t method)
{
    ZipWriterEntry entry;
    entry.name = std::move(name);
    entry.data = toBytes(content);
    entry.method = method;
    return entry;
}

Bytes extraBlock(std::uint16_t id, const Bytes& data)
{
    Bytes out;
    put16(out, id);
    put16(out, static_cast<std::uint32_t>(data.size()));
    putBytes(out, data.data(), data.size());
    return out;
}

Bytes timestampBlock(std::uint8_t flags, const std::vector<std::int32_t>& times)
{
    Bytes data{flags};
    for (std::int32_t time : times)
        put32(data, static_cast<std::uint32_t>(time));
    return extraBlock(0x5455, data);
}

Bytes buildZip(const std::vector<ZipWriterEntry>& entries, const std::string& comment, const Bytes& prefix)
{
    Bytes out = prefix;
    Bytes central;
    for (const ZipWriterEntry& entry : entries) {
        auto offset = static_cast<std::uint32_t>(out.size() - prefix.size());
        Bytes stored = entry.method == 8 ? deflateRaw(entry.data) : entry.data;
        std::uint32_t crc = entry.crc.value_or(
            static_cast<std::uint32_t>(crc32(0, entry.data.data(), static_cast<uInt>(entry.data.size()))));
        std::uint32_t size = entry.uncompressedSize.value_or(static_cast<std::uint32_t>(entry.data.size()));
        auto name = entry.name;

        // Local file header, APPNOTE 4.3.7.
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, entry.flags);
        put16(out, entry.localMethod.value_or(entry.method));
        put16(out, entry.dosTime);
        put16(out, entry.dosDate);
        put32(out, crc);
        put32(out, static_cast<std::uint32_t>(stored.size()));
        put32(out, size);
        put16(out, static_cast<std::uint32_t>(entry.localNameLength.value_or(name.size())));
        put16(out, static_cast<std::uint32_t>(entry.localExtra.size()));
        putBytes(out, name.data(), name.size());
        putBytes(out, entry.localExtra.data(), entry.localExtra.size());
        putBytes(out, stored.data(), stored.size());

        // Central directory header, APPNOTE 4.3.12.
        put32(central, 0x02014b50);
        put16(central, entry.versionMadeBy);
        put16(central, 20);
        put16(central, entry.flags);
        put16(central, entry.method);
        put16(central, entry.dosTime);
        put16(central, entry.dosDate);
        put32(central, crc);
        put32(central, static_cast<std::uint32_t>(stored.size()));
        put32(central, size);
        put16(central, static_cast<std::uint32_t>(name.size()));
        put16(central, static_cast<std::uint32_t>(entry.centralExtra.size()));
        put16(central, 0); // comment
        put16(central, 0); // disk
        put16(central, 0); // internal attributes
        put32(central, entry.externalAttributes);
        put32(central, offset);
        putBytes(central, name.data(), name.size());
        putBytes(central, entry.centralExtra.data(), entry.centralExtra.size());
    }
    auto centralOffset = static_cast<std::uint32_t>(out.size() - prefix.size());
    putBytes(out, central.data(), central.size());

    // End of central directory record, APPNOTE 4.3.16.
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put32(out, static_cast<std::uint32_t>(central.size()));
    put32(out, centralOffset);
    put16(out, static_cast<std::uint32_t>(comment.size()));
    putBytes(out, comment.data(), comment.size());
    return out;
}

} // namespace examclient::zipwriter
