#include "editor/MemberCollector.h"

#include "base/RegularFile.h"
#include "editor/SourceFileCodec.h"
#include "editor/TypingAids.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool isWhite(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimLeft(QStringView s)
{
    qsizetype n = 0;
    while (n < s.size() && isWhite(s[n]))
        ++n;
    return s.mid(n);
}

qsizetype firstWhite(QStringView s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (isWhite(s[i]))
            return i;
    }
    return -1;
}

bool startsWithNoCase(QStringView s, QStringView prefix)
{
    return s.startsWith(prefix, Qt::CaseInsensitive);
}

// The line starts with name and the rest, after white space, starts with word.
bool namedLine(QStringView line, QStringView name, QStringView word)
{
    return startsWithNoCase(line, name) && startsWithNoCase(trimLeft(line.mid(name.size())), word);
}

template<typename Visit>
void forEachLine(QStringView text, Visit visit)
{
    qsizetype from = 0;
    while (from <= text.size()) {
        qsizetype end = text.indexOf(u'\n', from);
        if (end < 0)
            end = text.size();
        if (!visit(text.mid(from, end - from)))
            return;
        from = end + 1;
    }
}

} // namespace

QString MemberCollector::nameEndingAt(QStringView line, qsizetype end)
{
    if (end < 0 || end >= line.size())
        return {};
    qsizetype start = end + 1;
    while (start > 0 && end + 1 - start < 1023 && !TypingAids::isNameDelimiter(line[start - 1]))
        --start;
    return line.mid(start, end + 1 - start).toString();
}

MemberCollector::Query MemberCollector::queryFor(QStringView lineToCaret)
{
    const qsizetype t = lineToCaret.size() - 1;
    if (t < 1)
        return {};
    const QStringView before = lineToCaret.left(t);
    if (before.contains(u';') || before.count(u'\'') % 2 || before.count(u'"') % 2)
        return {};

    Query q;
    if (lineToCaret[t] == u'.') {
        q.name = nameEndingAt(lineToCaret, t - 1);
        q.kind = Kind::Variable;
    } else if (t > 1 && lineToCaret[t - 1] == u'-' && lineToCaret[t] == u'>') {
        q.name = nameEndingAt(lineToCaret, t - 2);
        q.kind = Kind::Structure;
    }
    if (q.name.isEmpty())
        return {};
    return q;
}

QStringList MemberCollector::structureMembers(QStringView structure, QStringView text, Source source)
{
    QStringList members;
    if (structure.isEmpty())
        return members;
    bool inside = false;
    forEachLine(text, [&](QStringView line) {
        if (!inside) {
            inside = namedLine(line, structure, u"struct");
            return true;
        }
        if (namedLine(line, structure, u"ends"))
            return false;
        const QStringView trimmed = trimLeft(line);
        const qsizetype white = firstWhite(trimmed);
        if (white < 0)
            return source == Source::File;
        const QStringView type = trimLeft(trimmed.mid(white));
        for (QStringView t : {u"byte", u"word", u"dword", u"fword", u"qword", u"dup"}) {
            if (startsWithNoCase(type, t)) {
                members << trimmed.left(white).toString();
                return true;
            }
        }
        return false;
    });
    return members;
}

QStringList MemberCollector::variableMembers(QStringView variable,
                                             QStringView declaringText,
                                             QStringView structureText,
                                             Source structureSource)
{
    if (variable.isEmpty())
        return {};
    QString type;
    bool declared = false;
    forEachLine(declaringText, [&](QStringView line) {
        if (!namedLine(line, variable, u"st"))
            return true;
        declared = true;
        const QStringView rest = trimLeft(line.mid(variable.size()));
        const qsizetype white = firstWhite(rest);
        if (white >= 0) {
            const QStringView tail = trimLeft(rest.mid(white));
            qsizetype end = 0;
            while (end < tail.size() && !TypingAids::isNameDelimiter(tail[end]))
                ++end;
            type = tail.left(end).toString();
        }
        return false; // only the first declaration counts
    });
    if (!declared || type.isEmpty())
        return {};
    return structureMembers(type, structureText, structureSource);
}

QStringList MemberCollector::includeNames(QStringView text)
{
    QStringList names;
    forEachLine(text, [&](QStringView line) {
        if (line.size() < 8 || !startsWithNoCase(line, u"include") || !isWhite(line[7]))
            return true;
        QStringView rest = line.mid(8);
        while (!rest.isEmpty() && rest.front() == u' ')
            rest = rest.mid(1);
        if (rest.startsWith(u'\''))
            rest = rest.mid(1);
        // The name ends at a quote, blank, tab, ';' or the line end.
        qsizetype end = 0;
        while (end < rest.size() && !QStringView(u"' \t;\r\n").contains(rest[end]))
            ++end;
        if (end > 0)
            names << rest.left(end).toString();
        return true;
    });
    return names;
}

QString MemberCollector::resolveInclude(const QString &name, const QString &documentPath)
{
    QString path = name;
    path.replace(u'\\', u'/');
    if (QDir::isRelativePath(path) && !documentPath.isEmpty())
        path = QFileInfo(documentPath).absolutePath() + u'/' + path;
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList MemberCollector::collect(const Query &query,
                                     const QString &documentText,
                                     const QString &documentPath,
                                     const OpenDocumentText &openDocumentText)
{
    if (query.kind == Kind::None || query.name.isEmpty())
        return {};

    auto lookup = [&](QStringView structureText, Source source) {
        return query.kind == Kind::Variable
                   ? variableMembers(query.name, documentText, structureText, source)
                   : structureMembers(query.name, structureText, source);
    };

    QStringList members = lookup(documentText, Source::Document);
    if (!members.isEmpty())
        return members;

    for (const QString &name : includeNames(documentText)) {
        const QString fullPath = resolveInclude(name, documentPath);
        if (openDocumentText) {
            if (const std::optional<QString> text = openDocumentText(fullPath)) {
                members = lookup(*text, Source::Document);
                if (!members.isEmpty())
                    return members;
                continue;
            }
        }
        QFile file;
        if (!RegularFile::openForReading(file, fullPath))
            continue;
        members = lookup(SourceFileCodec::decode(file.readAll()).text, Source::File);
        if (!members.isEmpty())
            return members;
    }
    return {};
}
