#include "base/RegularFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void setError(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
}

QString kindText(mode_t mode)
{
    if (S_ISDIR(mode))
        return QCoreApplication::translate("RegularFile", "Is a folder");
    if (S_ISFIFO(mode))
        return QCoreApplication::translate("RegularFile", "Is a named pipe, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QCoreApplication::translate("RegularFile", "Is a device, not a file");
    if (S_ISSOCK(mode))
        return QCoreApplication::translate("RegularFile", "Is a socket, not a file");
    return QCoreApplication::translate("RegularFile", "Not a regular file");
}

} // namespace

bool RegularFile::openForReading(QFile &file, const QString &path, QString *errorString)
{
    if (path.isEmpty()) {
        setError(errorString, systemErrorText(ENOENT));
        return false;
    }
    // A socket can't even be opened; say what it is rather than "No such device or address".
    const QString notRegular = notRegularText(path);
    if (!notRegular.isEmpty()) {
        setError(errorString, notRegular);
        return false;
    }
    // O_NONBLOCK: a pipe put in the file's place since the check still can't block open(); the
    // descriptor itself is checked before anything is read from it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        const QString undecodable = error == ENOENT ? undecodableNameText(path) : QString();
        setError(errorString, undecodable.isEmpty() ? systemErrorText(error) : undecodable);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        setError(errorString, ::fstat(fd, &st) == 0 ? kindText(st.st_mode) : systemErrorText(error));
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        setError(errorString, file.errorString());
        ::close(fd);
        return false;
    }
    return true;
}

bool RegularFile::isWritableTarget(const QString &path, QString *errorString)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return true; // absent (or unreachable: the write itself will say why)
    if (S_ISREG(st.st_mode))
        return true;
    setError(errorString, kindText(st.st_mode));
    return false;
}

QString RegularFile::notRegularText(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return kindText(st.st_mode);
    return QString();
}

QString RegularFile::undecodableNameText(const QString &path)
{
    if (!path.contains(QChar::ReplacementCharacter))
        return QString();
    const QFileInfo info(path);
    const QString wanted = info.fileName();
    DIR *dir = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (!dir)
        return QString();
    bool found = false;
    // Only an entry whose bytes are not UTF-8 and that Qt shows under the very name asked for:
    // a name that really holds U+FFFD is a file like any other.
    while (const dirent *entry = ::readdir(dir)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString shown = utf8.decode(QByteArrayView(entry->d_name));
        if (utf8.hasError() && shown == wanted) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    if (!found)
        return QString();
    return QCoreApplication::translate("RegularFile",
                                       "Its name is not valid UTF-8, so it can't be opened here; "
                                       "rename it (convmv converts such names)");
}

QString RegularFile::systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
