// examclient-extract ARCHIVE DIRECTORY: runs the exam window's ZIP component on one
// archive, for operators checking a question archive before an exam.
#include "app/gbk.h"
#include "archive/zipcomponent.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

const char usage[] = "Usage: examclient-extract ARCHIVE DIRECTORY\n"
                     "\n"
                     "Extracts ARCHIVE into DIRECTORY with the exam client's own ZIP component, printing\n"
                     "each progress event and the result: 1 (done), 0 (failed, with the reason) or -1\n"
                     "(no archive, or an empty argument).\n"
                     "\n"
                     "A path that begins with \"/\" or \"./\" is a host path. Any other path is a Windows\n"
                     "path such as D:\\123.zip: drive X is the directory named by $EXAMCLIENT_DRIVE_X\n"
                     "(default ~/examclient/X), and \"\\\" separates.\n"
                     "\n"
                     "Exit status: 0 for the result 1, 1 for 0, 2 for -1 or a usage error.\n";

// The component takes Windows paths in GBK. A host path becomes a drive-less rooted
// or relative Windows path, which maps back onto the very same host path.
std::optional<examclient::Text> componentPath(const std::string& argument)
{
    std::string windows = argument;
    bool hostPath = argument.starts_with("/") || argument.starts_with("./");
    if (hostPath) {
        for (char& c : windows) {
            if (c == '/')
                c = '\\';
        }
    }
    examclient::Text gbk;
    if (!examclient::utf8ToGbkExact(windows, gbk))
        return std::nullopt;
    return gbk;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc != 3) {
        std::fputs(usage, stderr);
        return 2;
    }
    auto archive = componentPath(argv[1]);
    auto directory = componentPath(argv[2]);
    if (!archive || !directory) {
        std::fprintf(stderr, "examclient-extract: %s has no GBK form\n", archive ? argv[2] : argv[1]);
        return 2;
    }

    examclient::ZipComponent component;
    component.setProgressSink([](int percent) -> std::optional<bool> {
        std::printf("progress %d\n", percent);
        return std::nullopt;
    });
    int result = component.extract(*archive, *directory);
    if (result == 0)
        std::printf("result 0: %s\n", component.lastFailureReason().c_str());
    else
        std::printf("result %d\n", result);
    return result == 1 ? 0 : result == 0 ? 1 : 2;
}
