#include "tests/archive/testdrive.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace examclient::testing {

TestDrive::TestDrive()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "examclient-drive-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    m_root = made ? std::filesystem::path(made) : std::filesystem::path();
    setenv("EXAMCLIENT_DRIVE_D", m_root.c_str(), 1);
}

TestDrive::~TestDrive()
{
    std::error_code error;
    // Read-only directories would stop the removal.
    for (auto it = std::filesystem::recursive_directory_iterator(m_root, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_symlink())
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(m_root, error);
    unsetenv("EXAMCLIENT_DRIVE_D");
}

std::filesystem::path TestDrive::host(const std::string& relative) const
{
    return relative.empty() ? m_root : m_root / relative;
}

void TestDrive::write(const std::string& relative, const Bytes& bytes) const
{
    std::filesystem::create_directories(host(relative).parent_path());
    std::ofstream out(host(relative), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes TestDrive::read(const std::string& relative) const
{
    return readHostFile(host(relative));
}

bool TestDrive::exists(const std::string& relative) const
{
    std::error_code error;
    return std::filesystem::symlink_status(host(relative), error).type() != std::filesystem::file_type::not_found;
}

Bytes readHostFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace examclient::testing
