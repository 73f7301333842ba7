#include "tools/examroom/ziparchive.h"

#include "tools/zipwriter/zipwriter.h"

namespace examclient::examroom {
namespace {

// MS-DOS time and date fields of the ZIP headers.
std::uint16_t dosTime(const DateTime& value)
{
    return static_cast<std::uint16_t>((value.hour << 11) | (value.minute << 5) | (value.second / 2));
}

std::uint16_t dosDate(const DateTime& value)
{
    return static_cast<std::uint16_t>(((value.year - 1980) << 9) | (value.month << 5) | value.day);
}

} // namespace

Bytes makeZipArchive(const std::vector<ZipEntry>& entries)
{
    // Written as on MS-DOS: FAT attributes, names in the ANSI code page (flags 0).
    std::vector<zipwriter::ZipWriterEntry> written;
    written.reserve(entries.size());
    for (const ZipEntry& entry : entries) {
        const bool folder = !entry.name.empty() && entry.name.back() == '/';
        zipwriter::ZipWriterEntry out;
        out.name = entry.name;
        out.data = entry.content;
        out.method = !folder && entry.compression == ZipCompression::Deflated ? 8 : 0;
        out.versionMadeBy = 20;
        out.externalAttributes = folder ? 0x10 : 0x20; // FAT directory or archive attribute
        out.dosDate = dosDate(entry.modified);
        out.dosTime = dosTime(entry.modified);
        written.push_back(std::move(out));
    }
    return zipwriter::buildZip(written);
}

} // namespace examclient::examroom
