// Writes the fuzzer's seed corpus: small crafted archives, one per file, into the
// directory named on the command line.
#include "tools/zipwriter/zipwriter.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace examclient;
using namespace examclient::zipwriter;

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);

    ZipWriterEntry stamped = fileEntry("t.txt", "timed");
    stamped.localExtra = extraBlock(0x7075, Bytes(20, 'x'));
    Bytes ut = timestampBlock(7, {1000000000, 1100000000, 1200000000});
    stamped.localExtra.insert(stamped.localExtra.end(), ut.begin(), ut.end());
    ZipWriterEntry utf8 = fileEntry("\xe4\xb8\xad.txt", "utf8");
    utf8.flags = 0x0800;
    ZipWriterEntry badCrc = fileEntry("crc.txt", "data");
    badCrc.crc = 1;
    ZipWriterEntry shortData = fileEntry("short.txt", "short", 0);
    shortData.uncompressedSize = 50;
    ZipWriterEntry odd = fileEntry("odd.txt", "odd", 0);
    odd.method = 12;
    ZipWriterEntry windows = fileEntry("ro.txt", "read-only");
    windows.externalAttributes = 0x21;

    const std::vector<std::vector<ZipWriterEntry>> archives = {
        {directoryEntry("a/"), fileEntry("a/b.txt", "hello hello hello")},
        {fileEntry("one.txt", std::string(3000, 'x'), 8), fileEntry("two.txt", "stored", 0)},
        {stamped, utf8, windows},
        {fileEntry("x", "x"), badCrc},
        {shortData},
        {fileEntry("first", "1"), odd, fileEntry("third", "3")},
        {fileEntry("../up.txt", "no")},
        {directoryEntry("d/"), directoryEntry("d/e/"), fileEntry("d/e/f.txt", "deep")},
    };
    int number = 0;
    for (const auto& entries : archives) {
        Bytes bytes = buildZip(entries, number % 2 ? "comment" : "");
        std::ofstream out(directory / ("seed-" + std::to_string(number++) + ".zip"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return 0;
}
