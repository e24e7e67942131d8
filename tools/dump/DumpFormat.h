#pragma once

#include <QString>

#include <optional>

// How the dump lays out one row: the offset, two blanks, 16 hex bytes (an extra blank after the
// eighth), two blanks and the 16 characters. Columns are character cells of a fixed-pitch font;
// painting, hit-testing and copying all go through here so they agree.
class DumpFormat
{
public:
    static constexpr int BytesPerRow = 16;

    // Offset digits for a file of `size` bytes: eight up to 4 GB, more beyond.
    static int offsetDigits(qint64 size);

    explicit DumpFormat(int offsetDigits = 8);

    int offsetDigits() const { return m_digits; }
    int hexColumn(int byteInRow) const;
    int charColumn(int byteInRow) const;
    int rowLength() const { return charColumn(BytesPerRow); }

    // The byte (0..15) under a column, and whether that column is in the character area;
    // nothing for the offset column and the gaps before the first byte.
    struct Hit
    {
        int byteInRow;
        bool inCharacters;
    };
    std::optional<Hit> byteAtColumn(int column) const;

    // One row for `count` (1..16) bytes at `offset`; a short last row is padded with blanks.
    QString row(qint64 offset, const uchar *bytes, int count) const;
    // Same, into `out` (resized to rowLength()), so a repaint allocates nothing per row.
    void row(qint64 offset, const uchar *bytes, int count, QString &out) const;

    // Bytes as upper-case hex pairs, blanks between, a line break after every 16.
    static QString hexText(const uchar *bytes, qint64 count);

    // A user's offset: hex, with or without "0x" or a trailing "h"; blanks around are ignored.
    static std::optional<qint64> parseOffset(const QString &text);

private:
    int m_digits;
};
