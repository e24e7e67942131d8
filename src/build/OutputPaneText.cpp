#include "build/OutputPaneText.h"

#include "build/ToolOutputDecoder.h"

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
    // Append(capture, captureLength - 1) keeps captureLength - 2 bytes.
    const qsizetype keep = qMin(captureLength - 2, capture.size());
    if (keep <= 0)
        return QString();
    QByteArrayView kept = capture.first(keep);
    qsizetype skip = 0;
    while (skip < kept.size() && isLeadingSpace(kept.at(skip)))
        ++skip;
    return ToolOutputDecoder::decodeAll(kept.sliced(skip), ToolOutputDecoder::UnixLineEnds);
}
