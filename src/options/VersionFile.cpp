#include "options/VersionFile.h"

#include <QStringDecoder>

VersionFile::Entry VersionFile::columns(QStringView line)
{
    Entry e;
    e.version = line.mid(16, 8).toString();
    e.date = line.mid(24, 9).toString();
    e.comment = line.mid(33).toString();
    e.found = true;
    return e;
}

VersionFile::Versions VersionFile::parse(QStringView text)
{
    Versions v;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start <= size) {
        qsizetype end = start;
        while (end < size && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
            ++end;
        const QStringView line = text.sliced(start, end - start);
        if (line.startsWith(IdeKey))
            v.ide = columns(line);
        else if (line.startsWith(AssemblerKey))
            v.assembler = columns(line);
        if (end >= size)
            break;
        start = end + 1;
        if (text[end] == QLatin1Char('\r') && start < size && text[start] == QLatin1Char('\n'))
            ++start;
    }
    return v;
}

QString VersionFile::decode(const QByteArray &bytes)
{
    if (const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(
            bytes);
        bom && *bom != QStringConverter::Utf8) {
        QStringDecoder decoder(*bom);
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

VersionFile::Versions VersionFile::parse(const QByteArray &bytes)
{
    return parse(QStringView(decode(bytes)));
}
