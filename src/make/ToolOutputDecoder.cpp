#include "make/ToolOutputDecoder.h"

#include <QByteArray>

namespace {

// Windows-1252 at 0x80..0x9F; the five undefined bytes keep their Latin-1 value.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the UTF-8 sequence a lead byte starts, 0 when it can't start one.
constexpr int sequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The second byte's range is narrower after some lead bytes (no overlong forms, no surrogates,
// nothing past U+10FFFF).
constexpr bool secondByteFits(unsigned char lead, unsigned char second)
{
    switch (lead) {
    case 0xE0:
        return second >= 0xA0 && second <= 0xBF;
    case 0xED:
        return second >= 0x80 && second <= 0x9F;
    case 0xF0:
        return second >= 0x90 && second <= 0xBF;
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;
    default:
        return isContinuation(second);
    }
}

} // namespace

ToolOutputDecoder::ToolOutputDecoder(LineEnds lineEnds)
    : m_lineEnds(lineEnds)
{}

char16_t ToolOutputDecoder::fromWindows1252(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return Cp1252High[byte - 0x80];
    return byte;
}

QString ToolOutputDecoder::decode(QByteArrayView bytes)
{
    QString out;
    if (m_heldCount == 0) {
        const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
        const qsizetype used = decodeInto(data, bytes.size(), false, out);
        m_heldCount = int(bytes.size() - used);
        for (int i = 0; i < m_heldCount; ++i)
            m_held[i] = data[used + i];
        return out;
    }
    // Rare: the last read ended inside a character. Join the held bytes to this piece.
    QByteArray joined(reinterpret_cast<const char *>(m_held), m_heldCount);
    joined.append(bytes.data(), bytes.size());
    m_heldCount = 0;
    return decode(joined);
}

QString ToolOutputDecoder::finish()
{
    QString out;
    if (m_heldCount > 0)
        decodeInto(m_held, m_heldCount, true, out);
    reset();
    return out;
}

void ToolOutputDecoder::reset()
{
    m_heldCount = 0;
    m_afterCr = false;
}

QString ToolOutputDecoder::decodeAll(QByteArrayView bytes, LineEnds lineEnds)
{
    ToolOutputDecoder decoder(lineEnds);
    QString text = decoder.decode(bytes);
    text += decoder.finish();
    return text;
}

qsizetype ToolOutputDecoder::decodeInto(const unsigned char *bytes,
                                        qsizetype size,
                                        bool atEnd,
                                        QString &out)
{
    // Every byte gives at most one UTF-16 unit (four bytes give two), so size units suffice.
    const qsizetype start = out.size();
    out.resize(start + size);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data()) + start;
    char16_t *const begin = dst;
    const bool unixEnds = m_lineEnds == UnixLineEnds;

    qsizetype i = 0;
    while (i < size) {
        const unsigned char b = bytes[i];
        if (b < 0x80) {
            if (unixEnds && b == '\r') {
                *dst++ = u'\n';
                m_afterCr = true;
            } else if (unixEnds && b == '\n' && m_afterCr) {
                m_afterCr = false; // the LF of a CR LF pair
            } else {
                *dst++ = b == 0 ? char16_t(0xFFFD) : char16_t(b);
                m_afterCr = false;
            }
            ++i;
            continue;
        }
        m_afterCr = false;
        const int length = sequenceLength(b);
        bool valid = length > 0;
        int available = 1;
        if (valid) {
            for (int k = 1; k < length && i + k < size; ++k) {
                const unsigned char c = bytes[i + k];
                if (k == 1 ? !secondByteFits(b, c) : !isContinuation(c)) {
                    valid = false;
                    break;
                }
                ++available;
            }
        }
        if (valid && available < length) {
            if (!atEnd)
                break; // the rest of this character comes with the next read
            valid = false;
        }
        if (!valid) {
            *dst++ = fromWindows1252(b);
            ++i;
            continue;
        }
        char32_t cp = b & (0xFF >> (length + 1));
        for (int k = 1; k < length; ++k)
            cp = (cp << 6) | (bytes[i + k] & 0x3F);
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            *dst++ = char16_t(0xD800 + (cp >> 10));
            *dst++ = char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            *dst++ = char16_t(cp);
        }
        i += length;
    }
    out.resize(start + (dst - begin));
    return i;
}
