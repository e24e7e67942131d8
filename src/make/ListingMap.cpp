#include "make/ListingMap.h"

#include "make/ToolOutputDecoder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString Heading = QStringLiteral("QVASM listing of ");
const QString FileSwitch = QStringLiteral("        ---- ");

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

// The hex pairs (and "+") of a bytes column; the count of bytes in it.
int countBytes(QStringView column)
{
    int count = 0;
    for (const QStringView word : column.split(u' ', Qt::SkipEmptyParts)) {
        if (word.size() == 2 && isHex(word[0]) && isHex(word[1]))
            ++count;
    }
    return count;
}

QString normalised(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

ListingMap ListingMap::parse(QByteArrayView listing)
{
    ListingMap map;
    const QString text = ToolOutputDecoder::decodeAll(listing, ToolOutputDecoder::KeepLineEnds);
    QString file;
    QHash<int, Entry> *lines = nullptr;
    Entry *last = nullptr;
    int lastOffset = -1;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QStringView row = QStringView(text).mid(start, end - start);
        start = end + 1;
        if (row.endsWith(u'\r'))
            row.chop(1);
        if (row.startsWith(u'\f'))
            row = row.mid(1);

        if (map.m_mainFile.isEmpty() && row.startsWith(Heading)) {
            // The title may follow the path after four blanks.
            QString path = row.mid(Heading.size()).toString();
            const qsizetype title = path.indexOf(QStringLiteral("    "));
            if (title > 0)
                path.truncate(title);
            map.m_mainFile = normalised(path);
            file = map.m_mainFile;
            lines = &map.m_lines[file];
            continue;
        }
        if (row == u"Symbols:")
            break;
        if (row.startsWith(FileSwitch)) {
            QString path = row.mid(FileSwitch.size()).toString();
            // The closing "---- PATH (LINE)" rows name messages, not a switch of file.
            if (path.endsWith(QLatin1Char(')')) && path.contains(QStringLiteral(" (")))
                path.truncate(path.lastIndexOf(QStringLiteral(" (")));
            file = normalised(path);
            lines = &map.m_lines[file];
            last = nullptr;
            continue;
        }
        if (!lines)
            continue;
        if (row.size() > 14 && row.left(14).trimmed().isEmpty() && last) {
            // More bytes of the line above.
            const QStringView more = row.mid(14).trimmed();
            last->bytes += QLatin1Char(' ') + more.toString();
            if (lastOffset >= 0)
                map.noteCode(lastOffset, countBytes(last->bytes));
            continue;
        }
        bool ok = false;
        const int line = row.left(6).trimmed().toInt(&ok);
        if (!ok || line <= 0 || row.size() < 8 || row.mid(6, 2) != u"  ")
            continue;
        Entry entry;
        const QStringView address = row.mid(8, 4);
        if (address.size() == 4 && std::all_of(address.begin(), address.end(), isHex))
            entry.offset = address.toString().toInt(nullptr, 16);
        entry.bytes = row.mid(14, 26).trimmed().toString();
        // An included file listed again keeps the lines of its first inclusion.
        auto it = lines->find(line);
        if (it == lines->end())
            it = lines->insert(line, entry);
        last = &*it;
        lastOffset = entry.offset;
        if (entry.offset >= 0)
            map.noteCode(entry.offset, countBytes(entry.bytes));
    }
    return map;
}

QHash<int, ListingMap::Entry> ListingMap::linesOf(const QString &file) const
{
    return m_lines.value(normalised(file));
}

QString ListingMap::gutterText(const Entry &entry)
{
    QString text;
    if (entry.offset >= 0)
        text = QStringLiteral("%1").arg(entry.offset, 4, 16, QLatin1Char('0')).toUpper();
    if (!entry.bytes.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("  ")) + entry.bytes;
    return text;
}

void ListingMap::noteCode(int offset, int bytes)
{
    if (bytes <= 0)
        return;
    m_codeStart = qMin(m_codeStart, offset);
    m_codeEnd = qMax(m_codeEnd, offset + bytes);
}

QString ListingMap::codeSizeText(qint64 size, int end)
{
    const qint64 reach = end >= 0 ? end : size;
    QString text = QStringLiteral("Code: %1 bytes").arg(size);
    if (end >= 0)
        text += QStringLiteral(", up to %1h")
                    .arg(QString::number(end, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    return text + QStringLiteral(" of the 64 KiB segment (%1% used)").arg(reach * 100 / 65536);
}
