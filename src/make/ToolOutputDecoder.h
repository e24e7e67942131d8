#pragma once

#include <QByteArrayView>
#include <QString>

// Turns the bytes a console tool writes into text, piece by piece as they arrive. A character
// split between two reads is held back until its remaining bytes come, so streaming output never
// shows a broken character. Valid UTF-8 is decoded as UTF-8; any byte that is not part of valid
// UTF-8 is read as Windows-1252 (Latin-1 for its five undefined bytes), which is what older
// 8-bit tools and file names in the system code page produce. A NUL byte becomes U+FFFD, so the
// text can go into any text widget whole.
//
// With UnixLineEnds, CR LF and a lone CR each become one '\n' (also when the CR ends one read and
// the LF starts the next).
class ToolOutputDecoder
{
public:
    enum LineEnds { KeepLineEnds, UnixLineEnds };

    explicit ToolOutputDecoder(LineEnds lineEnds = UnixLineEnds);

    // The text of the next piece of output; an incomplete character at its end is kept back.
    QString decode(QByteArrayView bytes);
    // The bytes still held back (an incomplete character at the very end), one by one; the
    // decoder is then ready for a new stream.
    QString finish();
    void reset();

    // One whole output at once.
    static QString decodeAll(QByteArrayView bytes, LineEnds lineEnds = UnixLineEnds);
    // A single byte outside valid UTF-8.
    static char16_t fromWindows1252(unsigned char byte);

private:
    qsizetype decodeInto(const unsigned char *bytes, qsizetype size, bool atEnd, QString &out);

    LineEnds m_lineEnds;
    bool m_afterCr = false;
    int m_heldCount = 0;
    unsigned char m_held[4] = {};
};
