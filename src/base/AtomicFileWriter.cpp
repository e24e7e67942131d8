#include "base/AtomicFileWriter.h"

#include "base/RegularFile.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {
void setError(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
}
// A full disk first shows as a short count with no error set ("Unknown error"); writing on
// until a write fails outright lets the system say why ("No space left on device").
bool writeAll(QFileDevice &file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The replacement is a new file: without this a save would hand another user's file to whoever
// saves it (as root) and turn a read-only or private file into the default 0644.
void keepOwnerAndMode(const QString &filePath, int replacement)
{
    struct stat st;
    if (replacement < 0 || ::stat(QFile::encodeName(filePath).constData(), &st) != 0)
        return;
    // Owner first: changing it may clear the set-id bits the mode then puts back.
    if (::fchown(replacement, st.st_uid, st.st_gid) != 0)
        (void) ::fchown(replacement, static_cast<uid_t>(-1), st.st_gid);
    ::fchmod(replacement, st.st_mode & 07777);
}

} // namespace

bool AtomicFileWriter::write(const QString &filePath, const QByteArray &bytes, QString *errorString)
{
    if (!RegularFile::isWritableTarget(filePath, errorString))
        return false;
    QSaveFile file(filePath);
    // Unbuffered: a buffered write that the disk cuts short is flushed by commit() without an
    // error, which would rename a truncated file over the good one; unbuffered, write() itself
    // reports the short count.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(errorString, file.errorString());
        return false;
    }
    if (!writeAll(file, bytes)) {
        setError(errorString, file.errorString());
        file.cancelWriting();
        return false;
    }
    keepOwnerAndMode(filePath, file.handle());
    if (!file.commit()) {
        setError(errorString, file.errorString());
        return false;
    }
    return true;
}

AtomicFileWriter::CreateResult AtomicFileWriter::createNew(const QString &filePath,
                                                           const QByteArray &bytes,
                                                           QString *errorString)
{
    QFile file(filePath);
    if (file.exists())
        return CreateResult::AlreadyExists;
    // NewOnly fails instead of truncating a file that appeared since the check.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        const bool raced = file.exists();
        setError(errorString, file.errorString());
        return raced ? CreateResult::AlreadyExists : CreateResult::Failed;
    }
    if (!writeAll(file, bytes)) {
        setError(errorString, file.errorString());
        file.close();
        file.remove();
        return CreateResult::Failed;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        setError(errorString, file.errorString());
        file.remove();
        return CreateResult::Failed;
    }
    return CreateResult::Created;
}
