#include "make/OutputPaneText.h"

#include "make/NavigableLine.h"
#include "make/ToolOutputDecoder.h"

namespace {

template<typename Char>
bool isLeadingSpace(Char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

QString OutputPaneText::appendPart(QStringView text, qsizetype length)
{
    if (length <= 1)
        return QString();
    QStringView kept = text.first(qMin(length - 1, text.size()));
    qsizetype skip = 0;
    while (skip < kept.size() && isLeadingSpace(kept.at(skip).unicode()))
        ++skip;
    QString out = kept.sliced(skip).toString();
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString OutputPaneText::captureText(QByteArrayView capture, qsizetype captureLength)
{
    // The pane drops the tool's final line break; a capture cut short (a tool that crashed or
    // prints its last line without one) keeps its last characters.
    QByteArrayView kept = capture.first(qBound(qsizetype(0), captureLength, capture.size()));
    if (kept.endsWith('\n'))
        kept.chop(1);
    if (kept.endsWith('\r'))
        kept.chop(1);
    qsizetype skip = 0;
    while (skip < kept.size() && isLeadingSpace(kept.at(skip)))
        ++skip;
    return ToolOutputDecoder::decodeAll(kept.sliced(skip), ToolOutputDecoder::UnixLineEnds);
}

OutputPaneText::LineKind OutputPaneText::lineKind(QStringView line, int row)
{
    if (row == 0 || line.startsWith(u"-=-=") || line.startsWith(u"Searching for '"))
        return LineKind::Banner;
    if (line.contains(u"):  error "))
        return LineKind::Error;
    if (line.contains(u"):   diag "))
        return LineKind::Diagnostic;
    // The double-click reads only this much of a line; a colour says no more than it follows.
    if (NavigableLine::parse(line.left(256)))
        return LineKind::Hit;
    return LineKind::Plain;
}
