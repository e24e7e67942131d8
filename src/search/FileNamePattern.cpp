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
    // Backtracks to the latest "*" only: the name position it resumes from (the mark) moves on
    // by one each time, so the match ends after at most name-length retries of that star.
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype star = -1;
    qsizetype mark = -1;
    const qsizetype nameEnd = name.size();
    const qsizetype patEnd = pattern.size();
    for (;;) {
        if (n == nameEnd) {
            if (p == patEnd)
                return true;
            if (pattern.at(p) == u'*') {
                ++p;
                continue;
            }
            if (mark < 0 || star < 0 || mark >= nameEnd)
                return false;
            n = mark++;
            p = star;
            continue;
        }
        const char16_t pc = p < patEnd ? fold(pattern.at(p), matchCase) : 0;
        const char16_t nc = fold(name.at(n), matchCase);
        // A "*" is a star before it is a character: a "*" in the name must not use it up.
        if (p < patEnd && pc == u'*') {
            star = ++p;
            mark = n;
            if (p == patEnd)
                return true;
            continue;
        }
        if (p < patEnd && (pc == nc || pc == u'?')) {
            ++n;
            ++p;
            continue;
        }
        if (star < 0)
            return false;
        if (p != star) {
            p = star;
            const char16_t sc = fold(pattern.at(p), matchCase);
            if (sc == nc || sc == u'?')
                ++p;
        }
        ++n;
    }
}

bool containsPath(const QString &pattern)
{
    return pattern.contains(u'/') || pattern.contains(u'\\');
}

} // namespace FileNamePattern
