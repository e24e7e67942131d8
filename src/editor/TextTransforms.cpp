#include "editor/TextTransforms.h"

#include "base/SettingsStore.h"

#include <algorithm>

namespace {

template<typename Map>
QString mapCase(QStringView text, Map map)
{
    QString out = text.toString();
    char16_t *p = reinterpret_cast<char16_t *>(out.data());
    const qsizetype n = out.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (QChar::isHighSurrogate(p[i]) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t mapped = map(QChar::surrogateToUcs4(p[i], p[i + 1]));
            if (QChar::requiresSurrogates(mapped)) {
                p[i] = QChar::highSurrogate(mapped);
                p[i + 1] = QChar::lowSurrogate(mapped);
            }
            ++i;
        } else {
            const char32_t mapped = map(char32_t(p[i]));
            if (!QChar::requiresSurrogates(mapped))
                p[i] = char16_t(mapped);
        }
    }
    return out;
}

} // namespace

int TextTransforms::tabWidth(int tabstops)
{
    return std::clamp(tabstops, 0, 16);
}

QString TextTransforms::toUpper(QStringView text)
{
    return mapCase(text, [](char32_t c) { return QChar::toUpper(c); });
}

QString TextTransforms::toLower(QStringView text)
{
    return mapCase(text, [](char32_t c) { return QChar::toLower(c); });
}

QString TextTransforms::untabify(QStringView text, int tabstops)
{
    QString out = text.toString();
    const int n = tabWidth(tabstops);
    if (n > 0)
        out.replace(u'\t', QString(n, u' '));
    return out;
}

QString TextTransforms::tabify(QStringView text, int tabstops)
{
    QString out = text.toString();
    const int n = tabWidth(tabstops);
    if (n > 0)
        out.replace(QString(n, u' '), QStringLiteral("\t"));
    return out;
}

int TextTransforms::trailingBlanks(QStringView line)
{
    qsizetype end = line.size();
    while (end > 0 && line[end - 1] == u' ')
        --end;
    return end == 0 ? 0 : int(line.size() - end);
}

QString TextTransforms::cleanTrailingBlanks(QStringView text, int *changedLines)
{
    QString out;
    out.reserve(text.size());
    int changed = 0;
    qsizetype from = 0;
    for (;;) {
        qsizetype end = text.indexOf(u'\n', from);
        const bool last = end < 0;
        if (last)
            end = text.size();
        const QStringView line = text.mid(from, end - from);
        const int cut = trailingBlanks(line);
        changed += cut > 0;
        out += line.left(line.size() - cut);
        if (last)
            break;
        out += u'\n';
        from = end + 1;
    }
    if (changedLines)
        *changedLines = changed;
    return out;
}

QString TextTransforms::hexDumpLine(QByteArrayView chunk)
{
    const qsizetype n = std::min<qsizetype>(chunk.size(), 16);
    QString line = QStringLiteral("  db  ");
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(chunk[i]);
        // Five characters a field, and a value never starts with a letter.
        line += b < 0xA0 ? QStringLiteral("  ") : QStringLiteral(" 0");
        line += QString::number(b, 16).rightJustified(2, u'0').toUpper() + u'h';
        line += i + 1 < n ? u',' : u' ';
    }
    line += QString(int(16 - n) * 6, u' ');
    line += QStringLiteral(" ;  ");
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(chunk[i]);
        line += (b >= 0x20 && b <= 0x7E) ? QChar(char16_t(b)) : QChar(0x00B7);
    }
    return line;
}

QString TextTransforms::hexDump(QByteArrayView bytes)
{
    QString out;
    out.reserve((bytes.size() / 16 + 1) * 123);
    for (qsizetype at = 0; at < bytes.size(); at += 16) {
        out += hexDumpLine(bytes.sliced(at, std::min<qsizetype>(16, bytes.size() - at)));
        out += u'\n';
    }
    return out;
}

QString TextTransforms::commentBlockTemplate()
{
    return QStringLiteral("\ncomment %  ---- The following is a comment block\n\n"
                          "  Place your comment here\n\n"
                          "        %  ---- This is the end of the comment block\n");
}

QString TextTransforms::commentCloserCandidates()
{
    return QStringLiteral("~`_!@#$%^&{}=*/<>-+");
}

TextTransforms::CommentBlock TextTransforms::commentBlock(QStringView selection)
{
    CommentBlock block;
    const QString candidates = commentCloserCandidates();
    for (QChar c : candidates) {
        if (!selection.contains(c)) {
            block.ok = true;
            block.closer = c;
            block.opening = QStringLiteral("comment %1 \n").arg(c);
            block.closing = QStringLiteral("\n%1\n").arg(c);
            return block;
        }
    }
    block.message = QStringLiteral("Tried all of the following characters:\n      %1\n"
                                   "The desired block contained at least one of each.\n"
                                   "Please insert the comment block manually.")
                        .arg(candidates);
    return block;
}

QString TextTransforms::signature(const SettingsStore &store)
{
    return store.readString(QStringLiteral("Settings"),
                            QStringLiteral("sig"),
                            QStringLiteral("Your sig goes here"));
}

void TextTransforms::storeSignature(SettingsStore &store, const QString &text)
{
    store.writeString(QStringLiteral("Settings"), QStringLiteral("sig"), text);
}
