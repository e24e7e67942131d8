#pragma once

#include <QFile>
#include <QString>

// The file on show, open and mapped into memory. Everything that can be wrong with a path is
// found before anything is mapped, on what was opened rather than on the name (which may be
// given to a FIFO in between), and said in one sentence for a message box. The window reads
// what it shows with read(), which a file shortened meanwhile cannot make fatal.
class MappedFile
{
public:
    MappedFile();
    ~MappedFile();

    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    // Maps `path`; on failure the file stays closed and errorString() says why.
    bool open(const QString &path);
    void close();

    bool isOpen() const { return m_data != nullptr; }
    const uchar *data() const { return m_data; }
    qint64 size() const { return m_size; }
    QString path() const { return m_path; }
    // True when the file on disk is now shorter than the mapping: the pages past its new end
    // must not be touched.
    bool shrank() const;
    // The bytes [offset, offset + length) as the file holds them now, read with pread rather
    // than from the mapping, whose pages past a shortened file's end kill the program when
    // touched. False, and out empty, when the file no longer holds them all.
    bool read(qint64 offset, qint64 length, QByteArray &out) const;
    QString errorString() const { return m_error; }

private:
    QFile m_file; // opened on a descriptor, so it has no name of its own
    QString m_path;
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
    QString m_error;
};
