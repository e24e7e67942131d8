#pragma once

#include <QString>

// What identifies a file's contents on disk without reading it: which file it is (device and
// inode, the same under every name and link) and its size and modification time. Two stamps of
// one path that differ mean another program wrote the file in between.
struct FileStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    static FileStamp of(const QString &path); // follows symbolic links

    // The same file, under whatever name: a symbolic or hard link to it.
    bool isSameFile(const FileStamp &other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};
