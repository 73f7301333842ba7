// Writes the sample question archive that examroom-sim sends when no archive is named:
// a few GBK text files, one of them in a folder, some stored and some deflated.
#include "tools/examroom/ziparchive.h"

#include <cstdio>
#include <fstream>

namespace {

examclient::Bytes bytesOf(std::string_view text)
{
    return examclient::Bytes(text.begin(), text.end());
}

} // namespace

int main(int argc, char** argv)
{
    using namespace examclient::examroom;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.zip\n", argv[0]);
        return 2;
    }
    // The literals are GBK in the binary (the project compiles with a GB18030 execution
    // character set), so names and contents are the bytes the client expects.
    const std::vector<ZipEntry> entries = {
        {"考试说明.txt", bytesOf("本场考试共两道题，题目在“题目”文件夹中。\r\n请将答案写在答题纸上。\r\n"),
         ZipCompression::Stored},
        {"题目/", {}, ZipCompression::Stored},
        {"题目/第1题.txt", bytesOf("第1题（50分）\r\n请简述计算机网络中TCP协议与UDP协议的区别。\r\n"),
         ZipCompression::Deflated},
        {"题目/第2题.txt", bytesOf("第2题（50分）\r\n请编写一个程序，计算1到100的整数之和，并输出结果。\r\n"),
         ZipCompression::Deflated},
    };
    const examclient::Bytes archive = makeZipArchive(entries);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
    if (!file) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
