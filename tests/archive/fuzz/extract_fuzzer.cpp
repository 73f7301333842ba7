// Feeds arbitrary bytes to the ZIP component as an archive on a scratch drive D and
// extracts it into a directory there, which is emptied after every run.
#include "archive/zipcomponent.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

void empty(const fs::path& directory);

fs::path scratchDrive()
{
    // Kept for the whole run (never destroyed), so the exit handler can still use it.
    static const fs::path* drive = new fs::path([] {
        std::error_code error;
        fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "examclient-fuzz-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        fs::path root = made ? fs::path(made) : base;
        setenv("EXAMCLIENT_DRIVE_D", root.c_str(), 1);
        std::atexit([] { empty(scratchDrive()); });
        return root;
    }());
    return *drive;
}

void empty(const fs::path& directory)
{
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(directory, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (!it->is_symlink(error))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::remove_all(directory, error);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fs::path drive = scratchDrive();
    {
        std::ofstream out(drive / "fuzz.zip", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    examclient::ZipComponent component;
    int events = 0;
    component.setProgressSink([&events](int percent) -> std::optional<bool> {
        if (percent < 0 || percent > 100)
            std::abort();
        // Cancels now and then, so that path is walked too.
        return ++events != 3;
    });
    int result = component.extract("D:\\fuzz.zip", "D:\\out");
    if (result < -1 || result > 1)
        std::abort();
    // Nothing may land beside the target directory.
    std::error_code error;
    for (const auto& item : fs::directory_iterator(drive, error)) {
        std::string name = item.path().filename().string();
        if (name != "fuzz.zip" && name != "out")
            std::abort();
    }
    empty(drive / "out");
    return 0;
}
