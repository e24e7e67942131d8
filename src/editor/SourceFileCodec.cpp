#include "editor/SourceFileCodec.h"

#include "base/AtomicFileWriter.h"
#include "base/RegularFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>

#include <array>
#include <cstring>
#include <optional>

namespace {

// Windows-1252 80h-9Fh; the five bytes it leaves undefined read as Latin-1 (the C1 control of
// the same value), which keeps every byte reversible.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte for a character, or -1 when Windows-1252 has none.
int byteFor1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < int(kHigh1252.size()); ++i) {
        if (kHigh1252[i] == c)
            return 0x80 + i;
    }
    return -1;
}

QString decode1252(const char *data, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? kHigh1252[b - 0x80] : char16_t(b);
    }
    return text;
}

QByteArray encode1252(const QString &text, bool crlf)
{
    const char16_t *in = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype breaks = crlf ? text.count(QLatin1Char('\n')) : 0;
    QByteArray bytes(text.size() + breaks, Qt::Uninitialized);
    char *out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (crlf && in[i] == u'\n')
            *out++ = '\r';
        const int b = byteFor1252(in[i]);
        *out++ = char(b < 0 ? '?' : b);
    }
    return bytes;
}

// One pass over the text: every CR LF, LF and lone CR becomes "\n". The style is the break most
// lines have (the first one's on a tie), so a stray break never decides how new lines end; the
// lines whose break differs are noted. (QString::replace would move the tail of the text for
// every match, seconds of copying on a 10 MiB file.)
LineEnding splitLines(QString &text, LineBreaks &others)
{
    const qsizetype n = text.size();
    if (!text.contains(QLatin1Char('\r')))
        return text.contains(QLatin1Char('\n')) ? LineEnding::Lf : LineEnding::CrLf;
    char16_t *d = reinterpret_cast<char16_t *>(text.data());
    std::vector<LineEnding> endings;
    std::array<qsizetype, 3> counts{};
    qsizetype w = 0;
    for (qsizetype r = 0; r < n; ++r) {
        LineEnding ending;
        if (d[r] == u'\r') {
            const bool crlf = r + 1 < n && d[r + 1] == u'\n';
            ending = crlf ? LineEnding::CrLf : LineEnding::Cr;
            r += crlf ? 1 : 0;
        } else if (d[r] == u'\n') {
            ending = LineEnding::Lf;
        } else {
            d[w++] = d[r];
            continue;
        }
        d[w++] = u'\n';
        endings.push_back(ending);
        ++counts[size_t(ending)];
    }
    text.truncate(w);
    LineEnding style = endings.front();
    for (const LineEnding e : {LineEnding::CrLf, LineEnding::Lf, LineEnding::Cr}) {
        if (counts[size_t(e)] > counts[size_t(style)])
            style = e;
    }
    for (qsizetype line = 0; line < qsizetype(endings.size()); ++line) {
        if (endings[size_t(line)] != style)
            others.push_back({line, endings[size_t(line)]});
    }
    return style;
}

const char *breakBytes(LineEnding ending)
{
    switch (ending) {
    case LineEnding::CrLf:
        return "\r\n";
    case LineEnding::Cr:
        return "\r";
    case LineEnding::Lf:
        break;
    }
    return "\n";
}

// bytes hold "\n" for every break (no other character encodes to 0Ah in either encoding).
QByteArray applyLineBreaks(const QByteArray &bytes, LineEnding style, const LineBreaks &others)
{
    if (others.empty() && style == LineEnding::Lf)
        return bytes;
    if (others.empty() && style == LineEnding::Cr) {
        QByteArray out = bytes;
        out.replace('\n', '\r');
        return out;
    }
    QByteArray out;
    out.reserve(bytes.size() + bytes.count('\n'));
    const char *r = bytes.constData();
    const char *end = r + bytes.size();
    auto next = others.begin();
    for (qsizetype line = 0; r < end; ++line) {
        const char *lf = static_cast<const char *>(std::memchr(r, '\n', size_t(end - r)));
        const char *stop = lf ? lf : end;
        out.append(r, stop - r);
        if (!lf)
            break;
        while (next != others.end() && next->line < line)
            ++next;
        out.append(breakBytes(next != others.end() && next->line == line ? next->ending : style));
        r = lf + 1;
    }
    return out;
}

class LineBreakData : public QTextBlockUserData
{
public:
    explicit LineBreakData(LineEnding e)
        : ending(e)
    {}
    LineEnding ending;
};

QByteArray insertCrBeforeLf(const QByteArray &bytes)
{
    const qsizetype breaks = bytes.count('\n');
    if (breaks == 0)
        return bytes;
    QByteArray out(bytes.size() + breaks, Qt::Uninitialized);
    char *w = out.data();
    const char *r = bytes.constData();
    const char *end = r + bytes.size();
    while (r < end) {
        const char *lf = static_cast<const char *>(std::memchr(r, '\n', size_t(end - r)));
        const char *stop = lf ? lf : end;
        std::memcpy(w, r, size_t(stop - r));
        w += stop - r;
        if (!lf)
            break;
        *w++ = '\r';
        *w++ = '\n';
        r = lf + 1;
    }
    return out;
}

constexpr char kBom[] = "\xEF\xBB\xBF";

} // namespace

bool SourceFileCodec::isValidUtf8(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    const auto *end = p + size;
    while (p < end) {
        // Runs of ASCII are the common case; take eight bytes at a time while they last.
        while (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t cp;
        char32_t min;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1F;
            min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0F;
            min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07;
            min = 0x10000;
        } else {
            return false; // continuation byte, overlong lead (C0, C1) or beyond U+10FFFF
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

SourceFileCodec::Decoded SourceFileCodec::decode(const QByteArray &bytes)
{
    Decoded d;
    if (isValidUtf8(bytes.constData(), bytes.size())) {
        d.format.encoding = TextEncoding::Utf8;
        d.format.utf8Bom = bytes.startsWith(kBom);
        const qsizetype skip = d.format.utf8Bom ? 3 : 0;
        // QString::fromUtf8() would drop a second byte-order mark too; it is the text's own
        // character (U+FEFF) and must come back on saving.
        QStringDecoder toText(QStringDecoder::Utf8,
                              QStringDecoder::Flag::Stateless
                                  | QStringDecoder::Flag::ConvertInitialBom);
        d.text = toText(QByteArrayView(bytes).sliced(skip));
    } else {
        d.format.encoding = TextEncoding::Windows1252;
        d.text = decode1252(bytes.constData(), bytes.size());
    }
    d.format.lineEnding = splitLines(d.text, d.otherBreaks);
    return d;
}

QByteArray SourceFileCodec::encode(const QString &text,
                                   const SourceFileFormat &format,
                                   const LineBreaks &otherBreaks)
{
    // The common cases in one pass; the others put each line's break in afterwards.
    const bool crlf = format.lineEnding == LineEnding::CrLf && otherBreaks.empty();
    if (format.encoding == TextEncoding::Windows1252) {
        const QByteArray bytes = encode1252(text, crlf);
        return crlf ? bytes : applyLineBreaks(bytes, format.lineEnding, otherBreaks);
    }
    QByteArray bytes = text.toUtf8();
    bytes = crlf ? insertCrBeforeLf(bytes) : applyLineBreaks(bytes, format.lineEnding, otherBreaks);
    if (format.utf8Bom)
        bytes.prepend(kBom);
    return bytes;
}

bool SourceFileCodec::canEncode(const QString &text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8) {
        // A lone surrogate has no UTF-8 form.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
            else if (c.isSurrogate())
                return false;
        }
        return true;
    }
    const char16_t *in = reinterpret_cast<const char16_t *>(text.constData());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (byteFor1252(in[i]) < 0)
            return false;
    }
    return true;
}

QString SourceFileCodec::charactersNotIn(const QString &text, TextEncoding encoding, int limit)
{
    QString missing;
    if (encoding != TextEncoding::Windows1252 || canEncode(text, encoding))
        return missing;
    const char16_t *in = reinterpret_cast<const char16_t *>(text.constData());
    int found = 0;
    for (qsizetype i = 0; i < text.size() && found < limit; ++i) {
        if (byteFor1252(in[i]) >= 0)
            continue;
        // A character beyond the BMP is two units and one character.
        const qsizetype len = QChar::isHighSurrogate(in[i]) && i + 1 < text.size()
                                      && QChar::isLowSurrogate(in[i + 1])
                                  ? 2
                                  : 1;
        const QStringView c(in + i, len);
        if (!QStringView(missing).contains(c)) {
            missing += (missing.isEmpty() ? QString() : QStringLiteral(" ")) + c.toString();
            ++found;
        }
        i += len - 1;
    }
    return missing;
}

SourceFileFormat SourceFileCodec::formatForSaving(const QString &text,
                                                  const SourceFileFormat &format)
{
    if (format.encoding == TextEncoding::Utf8 || canEncode(text, format.encoding))
        return format;
    SourceFileFormat utf8 = format;
    utf8.encoding = TextEncoding::Utf8;
    utf8.utf8Bom = false;
    return utf8;
}

SourceFileCodec::ReadResult SourceFileCodec::readFile(const QString &filePath)
{
    ReadResult r;
    QFile file;
    if (!RegularFile::openForReading(file, filePath, &r.errorString))
        return r;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        r.errorString = file.errorString();
        return r;
    }
    Decoded d = decode(bytes);
    r.ok = true;
    r.text = std::move(d.text);
    r.format = d.format;
    r.otherBreaks = std::move(d.otherBreaks);
    return r;
}

bool SourceFileCodec::writeFile(const QString &filePath,
                                const QString &text,
                                const SourceFileFormat &format,
                                QString *errorString,
                                SourceFileFormat *usedFormat,
                                const LineBreaks &otherBreaks)
{
    const SourceFileFormat used = formatForSaving(text, format);
    if (!AtomicFileWriter::write(filePath, encode(text, used, otherBreaks), errorString))
        return false;
    if (usedFormat)
        *usedFormat = used;
    return true;
}

QString SourceFileCodec::documentText(const QTextDocument &document)
{
    QString text = document.toRawText();
    char16_t *d = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (d[i] == QChar::ParagraphSeparator || d[i] == QChar::LineSeparator)
            d[i] = u'\n';
    }
    return text;
}

void SourceFileCodec::attachLineBreaks(QTextDocument &document, const LineBreaks &breaks)
{
    for (const LineBreak &b : breaks) {
        QTextBlock block = document.findBlockByNumber(int(b.line));
        if (block.isValid())
            block.setUserData(new LineBreakData(b.ending));
    }
}

LineBreaks SourceFileCodec::attachedLineBreaks(const QTextDocument &document)
{
    LineBreaks breaks;
    qsizetype line = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next(), ++line) {
        if (const auto *data = dynamic_cast<const LineBreakData *>(block.userData()))
            breaks.push_back({line, data->ending});
    }
    return breaks;
}

bool SourceFileCodec::needsFinalLineBreak(const QString &text)
{
    const qsizetype lastBreak = text.lastIndexOf(QLatin1Char('\n'));
    const QStringView lastLine = QStringView(text).mid(lastBreak + 1);
    return !lastLine.trimmed().isEmpty();
}
