#pragma once

#include <QByteArray>
#include <QString>

// Writes of the user's files and the workspace file. write() replaces a file atomically (a
// temporary file renamed over the old one): a failed write (read-only folder or file, full disk)
// leaves the old file whole. createNew() makes a file that must not exist yet and never touches
// one that does; a failed write removes what it had started.
class AtomicFileWriter
{
public:
    enum class CreateResult { Created, AlreadyExists, Failed };

    static bool write(const QString &filePath,
                      const QByteArray &bytes,
                      QString *errorString = nullptr);
    static CreateResult createNew(const QString &filePath,
                                  const QByteArray &bytes,
                                  QString *errorString = nullptr);
};
