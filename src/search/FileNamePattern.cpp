#include "search/FileNamePattern.h"

namespace FileNamePattern {

QStringList splitTypes(const QString &types)
{
    QString compact = types;
    compact.remove(u' ');
    QStringList patterns;
    for (const QString &piece : compact.split(u',')) {
        if (piece.isEmpty())
            break;
        patterns.append(piece);
    }
    return patterns;
}

namespace {
char16_t fold(QChar c, bool matchCase)
{
    const char16_t u = c.unicode();
    if (!matchCase && u >= u'A' && u <= u'Z')
        return char16_t(u - u'A' + u'a');
    return u;
}
} // namespace

bool matches(QStringView name, QStringView pattern, bool matchCase)
{
    // Greedy with one resumption point: on a mismatch the latest "*" takes one more character of
    // the name and matching resumes after it. Earlier stars never need to take more, so this
    // is exact, and it needs no memory beyond four positions.
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype star = -1; // the latest "*" in the pattern
    qsizetype mark = 0;  // where the name resumes when that star takes one more character
    const qsizetype nameEnd = name.size();
    const qsizetype patEnd = pattern.size();
    while (n < nameEnd) {
        // A "*" is a star before it is a character: a "*" in the name must not use it up.
        if (p < patEnd && pattern.at(p) == u'*') {
            star = p++;
            mark = n;
            continue;
        }
        if (p < patEnd
            && (pattern.at(p) == u'?'
                || fold(pattern.at(p), matchCase) == fold(name.at(n), matchCase))) {
            ++n;
            ++p;
            continue;
        }
        if (star < 0)
            return false;
        p = star + 1;
        n = ++mark;
    }
    while (p < patEnd && pattern.at(p) == u'*')
        ++p;
    return p == patEnd;
}

bool containsPath(const QString &pattern)
{
    return pattern.contains(u'/') || pattern.contains(u'\\');
}

} // namespace FileNamePattern
