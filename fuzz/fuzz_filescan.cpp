// The find-in-files line scan: a file read in chunks of 1 to 64 bytes, and the same bytes
// searched in memory, against a plain line-by-line search.

#include "FuzzSupport.h"
#include "search/FileTextScanner.h"

#include <QFile>

#include <vector>

namespace {

using Hits = std::vector<FileTextScanner::Hit>;

char folded(char c, bool matchCase)
{
    return (!matchCase && c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Lines end at LF, CR LF and a lone CR; occurrences do not overlap; the hit's text is the
// line's first maxHitText bytes without leading blanks.
Hits reference(const QByteArray &file,
               const QByteArray &text,
               bool matchCase,
               bool wholeWord,
               qsizetype maxHitText)
{
    Hits hits;
    const qsizetype n = text.size();
    if (n == 0 || text.contains('\n') || text.contains('\r'))
        return hits;
    qint64 line = 1;
    qsizetype start = 0;
    while (start <= file.size()) {
        qsizetype end = start;
        while (end < file.size() && file[end] != '\n' && file[end] != '\r')
            ++end;
        const QByteArray content = file.mid(start, end - start);
        for (qsizetype at = 0; at + n <= content.size();) {
            bool equal = true;
            for (qsizetype k = 0; k < n && equal; ++k)
                equal = folded(content[at + k], matchCase) == folded(text[k], matchCase);
            const bool bounded = !wholeWord
                                 || ((at == 0
                                      || !FileTextScanner::isWordByte(uchar(content[at - 1])))
                                     && (at + n == content.size()
                                         || !FileTextScanner::isWordByte(uchar(content[at + n]))));
            if (equal && bounded) {
                QByteArray shown = content.left(maxHitText);
                qsizetype blank = 0;
                while (blank < shown.size()
                       && (shown[blank] == ' ' || shown[blank] == '\t' || shown[blank] == '\v'
                           || shown[blank] == '\f'))
                    ++blank;
                hits.push_back({line, shown.mid(blank)});
                at += n;
            } else {
                ++at;
            }
        }
        if (end >= file.size())
            break;
        start = end + (file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n' ? 2 : 1);
        ++line;
    }
    return hits;
}

void compare(const Hits &got, const Hits &want, const char *what)
{
    if (got.size() != want.size())
        fuzz::fail(what);
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i].line != want[i].line || got[i].text != want[i].text)
            fuzz::fail(what);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3 || size > 4096)
        return 0;
    const bool matchCase = data[0] & 1;
    const bool wholeWord = data[0] & 2;
    FileTextScanner::Limits limits;
    limits.chunk = 1 + (data[0] >> 2);    // 1 to 64
    limits.maxHitText = 1 + data[1] % 48; // cut lines often
    const size_t textSize = 1 + data[2] % 8;
    if (size < 3 + textSize)
        return 0;
    const QByteArray text = fuzz::bytes(data + 3, textSize);
    const QByteArray file = fuzz::bytes(data + 3 + textSize, size - 3 - textSize);

    const bool binary = file.contains('\0');
    const Hits want = binary ? Hits()
                             : reference(file, text, matchCase, wholeWord, limits.maxHitText);

    FileTextScanner scanner(text, matchCase, wholeWord, limits);
    Hits inMemory;
    const auto memoryResult = scanner.scanBytes(file.constData(), file.size(), inMemory);
    if ((memoryResult == FileTextScanner::Result::Binary) != binary)
        fuzz::fail("bytes in memory: binary not told right");
    compare(inMemory, want, "bytes in memory: hits differ from the line-by-line search");

    static const QString path = fuzz::scratchFile("fuzz_filescan");
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(file) != file.size())
        return 0;
    out.close();
    Hits fromFile;
    const auto fileResult = scanner.scanFile(QFile::encodeName(path).constData(), fromFile);
    if ((fileResult == FileTextScanner::Result::Binary) != binary)
        fuzz::fail("file in chunks: binary not told right");
    compare(fromFile, want, "file in chunks: hits differ from the line-by-line search");
    return 0;
}
