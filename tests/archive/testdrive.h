// Drive D of a test: a fresh temporary directory named by EXAMCLIENT_DRIVE_D, removed
// afterwards. Tests never touch the real drive.
#pragma once

#include "app/text.h"

#include <filesystem>
#include <string>

namespace examclient::testing {

class TestDrive final {
public:
    TestDrive();
    ~TestDrive();
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    // The host path of a path below the drive's root ("a/b.txt").
    std::filesystem::path host(const std::string& relative = {}) const;
    void write(const std::string& relative, const Bytes& bytes) const;
    Bytes read(const std::string& relative) const;
    bool exists(const std::string& relative) const;

private:
    std::filesystem::path m_root;
};

Bytes readHostFile(const std::filesystem::path& path);

} // namespace examclient::testing
