// The file-system seam on POSIX hosts.
//
// Windows attributes map onto permission bits: read-only is "no write bit at all",
// anything else gives the owner write access back. Hidden, system and archive have no
// host meaning and are dropped. Of the three file times only last access and last write
// exist to be set; the creation (birth) time cannot be set on Linux.
#include "archive/filesystem.h"

#include "app/platformpaths.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace examclient {
namespace {

std::optional<HostPath> hostPath(const Text& windowsPath)
{
    if (windowsPath.empty())
        return std::nullopt;
    return toHostPath(windowsPath);
}

// Seconds and nanoseconds since 1970 for a file time; UTIME_OMIT for "not known".
timespec toTimespec(FileTime time)
{
    constexpr std::int64_t unixEpochAsFileTime = 116444736000000000;
    timespec result{};
    if (time == 0) {
        result.tv_nsec = UTIME_OMIT;
        return result;
    }
    std::int64_t sinceUnix = static_cast<std::int64_t>(time) - unixEpochAsFileTime;
    std::int64_t seconds = sinceUnix / 10000000;
    std::int64_t remainder = sinceUnix % 10000000;
    if (remainder < 0) {
        remainder += 10000000;
        --seconds;
    }
    result.tv_sec = static_cast<time_t>(seconds);
    result.tv_nsec = static_cast<long>(remainder * 100);
    return result;
}

mode_t withAttributes(mode_t mode, std::uint32_t attributes)
{
    mode &= 07777;
    if (attributes & AttributeReadOnly)
        return mode & ~static_cast<mode_t>(0222);
    return mode | S_IWUSR;
}

NodeKind kindOfMode(mode_t mode)
{
    if (S_ISLNK(mode))
        return NodeKind::SymbolicLink;
    if (S_ISDIR(mode))
        return NodeKind::Directory;
    if (S_ISREG(mode))
        return NodeKind::File;
    return NodeKind::Other;
}

// The program's list of open files, by file number.
class OpenFiles final {
public:
    int add(int descriptor)
    {
        int number = m_next++;
        m_files.emplace(number, descriptor);
        return number;
    }
    int find(int number) const
    {
        auto it = m_files.find(number);
        return it == m_files.end() ? -1 : it->second;
    }
    void remove(int number)
    {
        auto it = m_files.find(number);
        if (it == m_files.end())
            return;
        ::close(it->second);
        m_files.erase(it);
    }

private:
    std::map<int, int> m_files;
    int m_next = 1;
};

OpenFiles& openFiles()
{
    static OpenFiles files;
    return files;
}

} // namespace

bool pathExists(const Text& windowsPath)
{
    auto path = hostPath(windowsPath);
    struct stat status {};
    return path && ::lstat(path->c_str(), &status) == 0;
}

bool createDirectory(const Text& windowsPath)
{
    // A drive's root is the drive itself: it exists or not, but it is never made.
    bool driveRoot = windowsPath.size() >= 2 && windowsPath[1] == ':' &&
                     (windowsPath.size() == 2 || (windowsPath.size() == 3 && windowsPath[2] == '\\'));
    if (driveRoot)
        return false;
    auto path = hostPath(windowsPath);
    return path && ::mkdir(path->c_str(), 0777) == 0;
}

bool renameFile(const Text& fromWindowsPath, const Text& toWindowsPath)
{
    auto from = hostPath(fromWindowsPath);
    auto to = hostPath(toWindowsPath);
    return from && to && ::rename(from->c_str(), to->c_str()) == 0;
}

bool removeFile(const Text& windowsPath)
{
    auto path = hostPath(windowsPath);
    return path && ::unlink(path->c_str()) == 0;
}

int openFile(const Text& windowsPath, FileOpenMode mode, FileShare share)
{
    if (mode != FileOpenMode::Write || share != FileShare::ReadWrite)
        return 0;
    auto path = hostPath(windowsPath);
    if (!path)
        return 0;
    int descriptor = ::open(path->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return 0;
    return openFiles().add(descriptor);
}

bool seekToEnd(int fileNumber)
{
    int descriptor = openFiles().find(fileNumber);
    return descriptor >= 0 && ::lseek(descriptor, 0, SEEK_END) >= 0;
}

bool writeBytes(int fileNumber, const Bytes& bytes)
{
    int descriptor = openFiles().find(fileNumber);
    if (descriptor < 0)
        return false;
    off_t start = ::lseek(descriptor, 0, SEEK_CUR);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (start >= 0)
                ::lseek(descriptor, start, SEEK_SET);
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void closeFile(int fileNumber)
{
    openFiles().remove(fileNumber);
}

std::optional<FileHandle> FileHandle::openForReading(const Text& windowsPath)
{
    auto path = hostPath(windowsPath);
    if (!path)
        return std::nullopt;
    int descriptor = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    return FileHandle(descriptor);
}

std::optional<FileHandle> FileHandle::createNew(const Text& windowsPath)
{
    auto path = hostPath(windowsPath);
    if (!path)
        return std::nullopt;
    int descriptor = ::open(path->c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return std::nullopt;
    return FileHandle(descriptor);
}

FileHandle::FileHandle(FileHandle&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

FileHandle::~FileHandle()
{
    close();
}

std::int64_t FileHandle::readAt(std::uint64_t offset, void* buffer, std::size_t size) const
{
    for (;;) {
        ssize_t count = ::pread(m_descriptor, buffer, size, static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR)
            continue;
        return count;
    }
}

bool FileHandle::writeAll(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        ssize_t written = ::write(m_descriptor, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<std::uint64_t> FileHandle::size() const
{
    struct stat status {};
    if (::fstat(m_descriptor, &status) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
}

bool FileHandle::setTimes(FileTime access, FileTime modification)
{
    timespec times[2] = {toTimespec(access), toTimespec(modification)};
    return ::futimens(m_descriptor, times) == 0;
}

bool FileHandle::setAttributes(std::uint32_t attributes)
{
    struct stat status {};
    return ::fstat(m_descriptor, &status) == 0 &&
           ::fchmod(m_descriptor, withAttributes(status.st_mode, attributes)) == 0;
}

bool FileHandle::close()
{
    if (m_descriptor < 0)
        return true;
    int result = ::close(std::exchange(m_descriptor, -1));
    return result == 0;
}

std::optional<DirectoryHandle> DirectoryHandle::open(const Text& windowsPath)
{
    auto path = hostPath(windowsPath);
    if (!path)
        return std::nullopt;
    int descriptor = ::open(path->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    return DirectoryHandle(descriptor);
}

DirectoryHandle::DirectoryHandle(DirectoryHandle&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1))
{
}

DirectoryHandle& DirectoryHandle::operator=(DirectoryHandle&& other) noexcept
{
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

DirectoryHandle::~DirectoryHandle()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

NodeKind DirectoryHandle::kindOf(const std::string& name) const
{
    struct stat status {};
    if (::fstatat(m_descriptor, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
        return kindOfMode(status.st_mode);
    return errno == ENOENT ? NodeKind::Missing : NodeKind::Error;
}

std::optional<DirectoryHandle> DirectoryHandle::openChild(const std::string& name) const
{
    int descriptor = ::openat(m_descriptor, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    return DirectoryHandle(descriptor);
}

bool DirectoryHandle::createChildDirectory(const std::string& name) const
{
    return ::mkdirat(m_descriptor, name.c_str(), 0777) == 0;
}

bool DirectoryHandle::setChildAttributes(const std::string& name, std::uint32_t attributes) const
{
    struct stat status {};
    if (::fstatat(m_descriptor, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(status.st_mode))
        return false;
    if (withAttributes(status.st_mode, attributes) == (status.st_mode & 07777))
        return true;
    return ::fchmodat(m_descriptor, name.c_str(), withAttributes(status.st_mode, attributes), 0) == 0;
}

std::optional<FileHandle> DirectoryHandle::createChildFile(const std::string& name, std::uint32_t attributes) const
{
    // O_NONBLOCK: a FIFO planted under the name must not hang the extraction.
    int descriptor =
        ::openat(m_descriptor, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return std::nullopt;
    FileHandle file(descriptor);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    // An existing file keeps its permission bits through O_TRUNC; give it the entry's.
    mode_t wanted = withAttributes(status.st_mode, attributes);
    if (wanted != (status.st_mode & 07777) && ::fchmod(descriptor, wanted) != 0)
        return std::nullopt;
    return file;
}

} // namespace examclient
