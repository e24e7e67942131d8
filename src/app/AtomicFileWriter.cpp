#include "app/AtomicFileWriter.h"

#include <QFile>
#include <QSaveFile>

namespace {
void setError(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
}
} // namespace

bool AtomicFileWriter::write(const QString &filePath, const QByteArray &bytes, QString *errorString)
{
    QSaveFile file(filePath);
    // Unbuffered: a buffered write that the disk cuts short is flushed by commit() without an
    // error, which would rename a truncated file over the good one; unbuffered, write() itself
    // reports the short count.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(errorString, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        setError(errorString, file.errorString());
        file.cancelWriting();
        return false;
    }
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
    if (file.write(bytes) != bytes.size()) {
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
