#include "InputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvdisasm {

namespace {

std::string quoted(const std::string &path)
{
    return '"' + path + '"';
}

std::string hex32(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

} // namespace

InputFile::InputFile(int fd, std::string path, uint64_t remaining)
    : m_fd(fd)
    , m_path(std::move(path))
    , m_remaining(remaining)
{}

InputFile::InputFile(InputFile &&other) noexcept
    : m_fd(other.m_fd)
    , m_path(std::move(other.m_path))
    , m_remaining(other.m_remaining)
{
    other.m_fd = -1;
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<InputFile> InputFile::open(const std::string &path, uint32_t skip, std::string &error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int openError = errno;
        // A socket can't be opened at all (ENXIO): say what it is rather than why not.
        struct stat info;
        if (openError != ENOENT && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)
            && !S_ISDIR(info.st_mode)) {
            error = quoted(path) + " is not a regular file";
            return std::nullopt;
        }
        error = "cannot open " + quoted(path) + ": " + std::strerror(openError);
        return std::nullopt;
    }
    InputFile file(fd, path, 0);
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        error = "cannot read " + quoted(path) + ": " + std::strerror(errno);
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        error = quoted(path) + " is a folder, not a file";
        return std::nullopt;
    }
    // A pipe or a device could block or never end; only plain files are disassembled.
    if (!S_ISREG(info.st_mode)) {
        error = quoted(path) + " is not a regular file";
        return std::nullopt;
    }
    const uint64_t size = uint64_t(info.st_size);
    if (size == 0) {
        error = quoted(path) + " is empty";
        return std::nullopt;
    }
    if (size <= skip) {
        error = quoted(path) + " has " + std::to_string(size)
                + " bytes, nothing is left after skipping " + hex32(skip);
        return std::nullopt;
    }
    if (::lseek(fd, off_t(skip), SEEK_SET) < 0) {
        error = "cannot read " + quoted(path) + ": " + std::strerror(errno);
        return std::nullopt;
    }
    // Plain files never block; the flag only kept a FIFO from hanging the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.m_remaining = size - skip;
    return file;
}

long long InputFile::read(uint8_t *buffer, size_t capacity, std::string &error)
{
    if (m_remaining == 0)
        return 0;
    if (capacity > m_remaining)
        capacity = size_t(m_remaining);
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, capacity);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read " + quoted(m_path) + ": " + std::strerror(errno);
            return -1;
        }
        // A file that shrank while we read ends where it now ends.
        m_remaining = n == 0 ? 0 : m_remaining - uint64_t(n);
        return n;
    }
}

} // namespace qvdisasm
