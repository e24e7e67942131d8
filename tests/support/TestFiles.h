#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whole-file reads and writes for tests that compare bytes on disk.
inline QByteArray readFileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// count lines of CR LF source, "<prefix><n>" each: big documents for editor and workspace tests.
inline QByteArray numberedLines(int count, const QByteArray &prefix = "line ")
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += prefix + QByteArray::number(i) + "\r\n";
    return text;
}
