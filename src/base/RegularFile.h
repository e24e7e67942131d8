#pragma once

#include <QString>

class QFile;

// Every file the program reads or replaces is a regular file. A named pipe would block open()
// until some writer comes, and a device (/dev/zero) never ends; replacing a device, pipe or
// socket with a regular file is damage, not a save.
namespace RegularFile {

// Opens path read-only when it is a regular file (a folder, pipe, device or socket is refused
// before anything could block); on failure errorString says why.
bool openForReading(QFile &file, const QString &path, QString *errorString = nullptr);

// True when path may be written as a regular file: it does not exist yet or it is one (a
// symbolic link counts as what it points to).
bool isWritableTarget(const QString &path, QString *errorString = nullptr);

// The reason given for a path that exists and is not a regular file.
QString notRegularText(const QString &path);

// When path names nothing because its file's real name is not valid UTF-8 (Qt shows such bytes
// as U+FFFD, and that name can't reach the file again), the reason in words; else empty.
QString undecodableNameText(const QString &path);

// errno as text, in the words of the C library ("No space left on device").
QString systemErrorText(int error);

} // namespace RegularFile
