#include "qvasm/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace qvasm::FileAccess {

namespace {

std::string systemError(int error)
{
    return std::strerror(error);
}

// Closes a descriptor and, unless released, removes the temporary it was made for: every way
// out of replaceAtomically, exceptions included, cleans up.
class Temporary
{
public:
    Temporary(int fd, std::string path)
        : m_fd(fd)
        , m_path(std::move(path))
    {}
    ~Temporary()
    {
        closeFile();
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    Temporary(const Temporary &) = delete;
    Temporary &operator=(const Temporary &) = delete;

    int fd() const { return m_fd; }
    bool closeFile()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void release() { m_path.clear(); }

private:
    int m_fd;
    std::string m_path;
};

mode_t defaultMode()
{
    // The mode a new file gets from open(): 0666 less the umask, which is read by setting it.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// Gives the file at fd the owner and group of `old`, as far as this user may: false only on a
// failure other than not being allowed to.
bool keepOwner(int fd, const struct stat &old)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return false;
    if (now.st_uid == old.st_uid && now.st_gid == old.st_gid)
        return true;
    if (::fchown(fd, old.st_uid, old.st_gid) == 0)
        return true;
    // EINVAL: an id with no mapping in this user namespace, which no one here may give.
    if (errno != EPERM && errno != EINVAL)
        return false;
    if (::fchown(fd, uid_t(-1), old.st_gid) == 0 || errno == EPERM || errno == EINVAL)
        return true;
    return false;
}

} // namespace

ReadResult readRegular(const std::string &path, size_t maxBytes, std::string &text, std::string &why)
{
    text.clear();
    why.clear();
    // Non-blocking only for the open itself: a pipe without a writer would otherwise hang here.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        // A socket can't be opened at all (ENXIO): say what it is rather than why not.
        struct stat info;
        if (error != ENOENT && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            why = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
            return ReadResult::NotRegular;
        }
        why = systemError(error);
        return error == ENOENT || error == ENOTDIR ? ReadResult::NotFound : ReadResult::Unreadable;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        why = systemError(errno);
        ::close(fd);
        return ReadResult::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
        ::close(fd);
        return ReadResult::NotRegular;
    }
    if (uint64_t(info.st_size) > maxBytes) {
        ::close(fd);
        return ReadResult::TooLarge;
    }
    // One byte more than allowed tells a file that grew since fstat from one that fits.
    text.resize(size_t(info.st_size) + 1);
    size_t got = 0;
    for (;;) {
        if (got == text.size()) {
            if (text.size() > maxBytes)
                break;
            text.resize(std::min(maxBytes + 1, text.size() * 2));
        }
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = systemError(errno);
            ::close(fd);
            text.clear();
            return ReadResult::Unreadable;
        }
        if (n == 0)
            break;
        got += size_t(n);
    }
    ::close(fd);
    if (got > maxBytes) {
        text.clear();
        return ReadResult::TooLarge;
    }
    text.resize(got);
    return ReadResult::Ok;
}

std::string refusalToReplace(const std::string &path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        // Missing (or a link to nothing): the rename makes a new file and touches nothing else.
        const int error = errno;
        return error == ENOENT ? std::string() : systemError(error);
    }
    if (S_ISREG(info.st_mode))
        return {};
    return S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
}

bool replaceAtomically(const std::string &path, std::string_view bytes, std::string &why)
{
    why = refusalToReplace(path);
    if (!why.empty())
        return false;
    struct stat old;
    const bool existed = ::stat(path.c_str(), &old) == 0;

    std::string name = path + ".qvasm-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        why = systemError(errno);
        return false;
    }
    Temporary temp(fd, name);
    // A replaced file stays its owner's: as root the new one would otherwise be root's. Only
    // root may give a file away, so others keep the group at most; the mode is kept either way.
    // Before the mode: a change of owner clears the set-user and set-group bits.
    if (existed && !keepOwner(fd, old)) {
        why = systemError(errno);
        return false;
    }
    // mkostemp makes the file private; the result gets the mode the old target had, or the one
    // a new file gets.
    if (::fchmod(fd, existed ? (old.st_mode & 07777) : defaultMode()) != 0) {
        why = systemError(errno);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            why = systemError(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += size_t(n);
    }
    if (::fsync(fd) != 0 || !temp.closeFile()) {
        why = systemError(errno);
        return false;
    }
    // Checked again just before the rename, which replaces whatever name is there then.
    why = refusalToReplace(path);
    if (!why.empty())
        return false;
    if (::rename(name.c_str(), path.c_str()) != 0) {
        why = systemError(errno);
        return false;
    }
    temp.release();
    return true;
}

std::string replaceExtension(const std::string &path, const std::string &ext)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "." + ext;
    return path.substr(0, dot + 1) + ext;
}

std::string absolutePath(const std::string &path)
{
    // Most paths are absolute and clean already (a folder plus a plain name): no need to ask
    // the file-system library, which is slow on long paths.
    if (!path.empty() && path[0] == '/' && path.find("/.") == std::string::npos
        && path.find("//") == std::string::npos && path.back() != '/')
        return path;
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

} // namespace qvasm::FileAccess
