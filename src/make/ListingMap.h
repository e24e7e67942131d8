#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

// What the assembler's listing says about each source line: the offset it starts at and the
// bytes it made, per file (an included file's lines are its own), for the editor's listing
// gutter; and how much code the run made.
//
// The listing's rows: the line number in six columns, two blanks, the offset as four hex digits
// (or blanks for a line that makes nothing at an address), two blanks, the bytes as hex pairs
// (a "+" when more were made than listed), then the source text; rows of further bytes under a
// line begin with fourteen blanks. A row "        ---- PATH" switches to another file; the first
// line "QVASM listing of PATH" names the main file; "Symbols:" ends the rows.
class ListingMap
{
public:
    struct Entry
    {
        int offset = -1; // -1: none
        QString bytes;   // "B4 09 BA 0C 01 +"
    };

    static ListingMap parse(QByteArrayView listing);

    QString mainFile() const { return m_mainFile; }
    QStringList files() const { return m_lines.keys(); }
    // The entries of a file's lines by 1-based line; empty for a file the listing does not show.
    QHash<int, Entry> linesOf(const QString &file) const;
    // One line as the gutter shows it: "0100  B4 09" (offset and bytes, each when there).
    static QString gutterText(const Entry &entry);
    // The code: from the lowest offset that got bytes to the end of the highest (0 when none
    // did), and where it ends in its segment (-1: nowhere).
    int codeSize() const { return m_codeEnd > m_codeStart ? m_codeEnd - m_codeStart : 0; }
    int codeEnd() const { return m_codeEnd > m_codeStart ? m_codeEnd : -1; }
    // The status line's text after an Assemble: the size, and how much of the segment's 64 KiB
    // the code reaches (end -1: the size is all that is known).
    static QString codeSizeText(qint64 size, int end);

private:
    QString m_mainFile;
    QHash<QString, QHash<int, Entry>> m_lines;
    int m_codeStart = 0x10000;
    int m_codeEnd = 0;
    void noteCode(int offset, int bytes);
};
