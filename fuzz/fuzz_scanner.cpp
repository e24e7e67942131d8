// The colouring scan: colouring a text line by line, carrying the state through its int form as
// the editor does block by block, must give every character the format the whole-text scan
// gives it. The input is UTF-16; '\n' ends a line like '\r'.

#include "FuzzSupport.h"
#include "editor/KeywordIndex.h"
#include "editor/SyntaxScanner.h"

#include <QList>
#include <QStringList>

namespace {

// One entry per character: the format's number, or -1 for black. Spans must be in order,
// apart and inside the text.
QList<int> formats(const QList<SyntaxSpan> &spans, qsizetype size)
{
    QList<int> out(size, -1);
    int end = 0;
    for (const SyntaxSpan &s : spans) {
        if (s.length <= 0 || s.start < end || s.start + s.length > size)
            fuzz::fail("a span out of order or outside its text");
        for (int k = s.start; k < s.start + s.length; ++k)
            out[k] = int(s.format);
        end = s.start + s.length;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const KeywordIndex keywords = [] {
        KeywordIndex k = KeywordIndex::withBuiltIns();
        k.addKeywords(u"two words,'q,Upper,tab\tin,-x", KeywordIndex::Directives);
        return k;
    }();
    const SyntaxScanner scanner(keywords);

    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | data[i + 1] << 8));
    text.replace(u'\n', u'\r');

    const QList<int> whole = formats(scanner.scanRange(text), text.size());

    const QStringList lines = text.split(u'\r');
    int state = -1;
    qsizetype at = 0;
    for (qsizetype l = 0; l < lines.size(); ++l) {
        QList<SyntaxSpan> spans;
        state = scanner
                    .scanLine(lines[l],
                              SyntaxLineState::fromUserState(state),
                              l + 1 < lines.size(),
                              spans)
                    .toUserState();
        if (state < 0)
            fuzz::fail("a negative user state");
        const QList<int> line = formats(spans, lines[l].size());
        for (qsizetype k = 0; k < line.size(); ++k) {
            if (line[k] != whole[at + k])
                fuzz::fail("line-by-line colouring differs from the whole-text scan");
        }
        at += lines[l].size() + 1;
    }
    return 0;
}
