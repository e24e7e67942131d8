#include "MappedFile.h"

#include "base/RegularFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

MappedFile::MappedFile() = default;

MappedFile::~MappedFile()
{
    close();
}

void MappedFile::close()
{
    if (m_data)
        m_file.unmap(const_cast<uchar *>(m_data));
    m_file.close();
    m_path.clear();
    m_data = nullptr;
    m_size = 0;
}

bool MappedFile::open(const QString &path)
{
    close();
    m_error.clear();
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        const QString undecodable = RegularFile::undecodableNameText(path);
        m_error = undecodable.isEmpty()
                      ? QStringLiteral("%1 does not exist.").arg(shown)
                      : QStringLiteral("Cannot open %1:\n%2").arg(shown, undecodable);
        return false;
    }
    if (info.isDir()) {
        m_error = QStringLiteral("%1 is a folder, not a file.").arg(shown);
        return false;
    }
    // Opening a FIFO would wait for a writer, and a device has no end to map.
    if (!info.isFile()) {
        m_error = QStringLiteral("%1 is not a regular file.").arg(shown);
        return false;
    }
    // Something else may be put at the path since it was looked at: the open must not wait for
    // a FIFO's writer nor take a terminal, and what it opened is checked again.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        m_error = error == ENOENT || error == ENOTDIR
                      ? QStringLiteral("%1 does not exist.").arg(shown)
                      : QStringLiteral("Cannot open %1:\n%2")
                            .arg(shown, QString::fromLocal8Bit(std::strerror(error)));
        return false;
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0) {
        m_error = QStringLiteral("Cannot open %1:\n%2")
                      .arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return false;
    }
    if (!S_ISREG(opened.st_mode)) {
        m_error = S_ISDIR(opened.st_mode) ? QStringLiteral("%1 is a folder, not a file.").arg(shown)
                                          : QStringLiteral("%1 is not a regular file.").arg(shown);
        ::close(fd);
        return false;
    }
    // A regular file's reads never wait; the flag only guarded the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        m_error = QStringLiteral("Cannot open %1:\n%2").arg(shown, m_file.errorString());
        ::close(fd);
        return false;
    }
    m_path = path;
    const qint64 size = opened.st_size;
    if (size == 0) {
        m_error = QStringLiteral("%1 is empty.").arg(shown);
        close();
        return false;
    }
    uchar *data = m_file.map(0, size);
    if (!data) {
        m_error = QStringLiteral("Cannot map %1 into memory:\n%2").arg(shown, m_file.errorString());
        close();
        return false;
    }
    m_data = data;
    m_size = size;
    return true;
}

bool MappedFile::shrank() const
{
    // size() of an open file asks the descriptor, so a rename or delete does not count.
    return m_data && const_cast<QFile &>(m_file).size() < m_size;
}

bool MappedFile::read(qint64 offset, qint64 length, QByteArray &out) const
{
    out.clear();
    const int fd = m_data ? const_cast<QFile &>(m_file).handle() : -1;
    if (fd < 0 || offset < 0 || length < 0 || length > m_size || offset > m_size - length)
        return false;
    out.resize(length);
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd,
                                  out.data() + done,
                                  size_t(length - done),
                                  off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            out.clear();
            return false;
        }
        done += n;
    }
    return true;
}
