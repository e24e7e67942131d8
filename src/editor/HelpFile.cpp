#include "editor/HelpFile.h"

#include "base/RegularFile.h"
#include "editor/SourceFileCodec.h"
#include "editor/TypingAids.h"

#include <QFile>

#include <algorithm>

namespace {

QString asciiLower(QStringView s)
{
    QString out = s.toString();
    for (QChar &c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}

bool isWordDelimiter(QChar c)
{
    return c.unicode() == 0 || TypingAids::isNameDelimiter(c);
}

} // namespace

HelpFile::HelpFile(const QString &path)
    : m_path(path)
{}

HelpFile HelpFile::fromContent(const QByteArray &content)
{
    HelpFile help(QString{});
    help.index(content);
    help.m_state = State::Loaded;
    return help;
}

bool HelpFile::ensureLoaded()
{
    if (m_state == State::NotLoaded) {
        QFile file;
        if (RegularFile::openForReading(file, m_path)) {
            index(file.readAll());
            m_state = State::Loaded;
        } else {
            m_state = State::Unavailable;
        }
    }
    return m_state == State::Loaded;
}

QString HelpFile::missingFileMessage() const
{
    return QStringLiteral("Could not find: [%1]").arg(m_path);
}

void HelpFile::index(const QByteArray &content)
{
    m_text = SourceFileCodec::decode(content).text;
    m_entries.clear();
    // The keywords are the same sequence whatever word is looked up, so the first position of
    // each can be noted once.
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = m_text.indexOf(QLatin1String("[>"), from);
        if (open < 0)
            break;
        const qsizetype close = m_text.indexOf(QLatin1String("<]"), open + 2);
        if (close < 0)
            break;
        const QStringView keyword = QStringView(m_text).mid(open + 2, close - open - 2);
        if (keyword.size() < 255) {
            const QString key = asciiLower(keyword);
            if (!m_entries.contains(key))
                m_entries.insert(key, close + 2);
        }
        from = close + 2;
    }
}

std::optional<QString> HelpFile::entry(QStringView word) const
{
    const auto it = m_entries.constFind(asciiLower(word));
    if (it == m_entries.cend())
        return std::nullopt;
    const qsizetype open = m_text.indexOf(u'{', *it);
    if (open < 0)
        return std::nullopt;
    const qsizetype close = m_text.indexOf(u'}', open + 1);
    if (close < 0)
        return std::nullopt;
    const QStringView whole = QStringView(m_text).mid(open + 1, close - open - 1);
    qsizetype cut = std::min(whole.size(), MaxEntryChars);
    for (qsizetype i = 0, lines = 1; i < cut; ++i) {
        if (whole[i] == u'\n' && ++lines > MaxEntryLines)
            cut = i;
    }
    QString text = whole.left(cut).toString();
    text.replace(u'\t', QLatin1String("  "));
    if (cut < whole.size())
        text += QStringLiteral("\n...");
    return text;
}

QString HelpFile::popupText(QStringView word) const
{
    if (std::optional<QString> text = entry(word))
        return *text;
    return QStringLiteral("Could not find \"%1\" in help file...").arg(word);
}

QString HelpFile::wordAt(QStringView line, qsizetype column)
{
    auto at = [&](qsizetype i) { return i < line.size() ? line[i] : QChar(0); };
    if (column < 0)
        return {};
    qsizetype s = column;
    qsizetype e = column;
    if (column >= 1) {
        while (s > 0 && !isWordDelimiter(at(s)))
            --s;
    }
    while (e < line.size() && !isWordDelimiter(at(e)))
        ++e;
    if (isWordDelimiter(at(s)))
        ++s;
    if (e >= line.size() || isWordDelimiter(at(e)))
        --e;
    if (e < s)
        return {};
    return line.mid(s, std::min<qsizetype>(e - s + 1, 250)).toString();
}
