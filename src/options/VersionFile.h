#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The published version file (docs/versions.txt under the home URL): one record a line in fixed
// columns, key 0-15, version 16-23, date 24-32, comment from 33 to the end of the line. Only the
// two exact keys count; the columns are taken as they are, spaces included.
class VersionFile
{
public:
    static inline const QString IdeKey = QStringLiteral("qvasmide        ");
    static inline const QString AssemblerKey = QStringLiteral("qvasm           ");

    struct Entry
    {
        QString version;
        QString date;
        QString comment;
        bool found = false;
    };
    struct Versions
    {
        Entry ide;
        Entry assembler;
    };

    // Any of CR LF, LF or a lone CR ends a line; a later line of a key wins.
    static Versions parse(QStringView text);
    // The file's bytes: UTF-8 or UTF-16 by their byte-order mark, UTF-8 when valid, else one byte a
    // character.
    static Versions parse(const QByteArray &bytes);
    static QString decode(const QByteArray &bytes);
    // The columns of one line (no line break in it).
    static Entry columns(QStringView line);
};
