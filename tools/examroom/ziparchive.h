// Writes small ZIP archives (stored or Deflate entries, GBK names, no ZIP64): the sample
// question archive and the archives of the end-to-end tests.
#pragma once

#include "app/text.h"

#include <vector>

namespace examclient::examroom {

enum class ZipCompression { Stored, Deflated };

struct ZipEntry {
    Text name;     // GBK, "/" between folders; a name ending in "/" is a folder
    Bytes content; // empty for a folder
    ZipCompression compression = ZipCompression::Deflated;
    DateTime modified{2026, 6, 1, 8, 0, 0};
};

// The whole archive: local headers and data, central directory, end record.
Bytes makeZipArchive(const std::vector<ZipEntry>& entries);

} // namespace examclient::examroom
