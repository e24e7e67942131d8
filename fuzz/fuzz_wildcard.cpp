// The file-name wildcard match against a plain dynamic-programming match of the same rules,
// and the File Types splitting on any text.

#include "FuzzSupport.h"
#include "search/FileNamePattern.h"

#include <vector>

namespace {

char16_t folded(QChar c, bool matchCase)
{
    const char16_t u = c.unicode();
    return (!matchCase && u >= u'A' && u <= u'Z') ? char16_t(u - u'A' + u'a') : u;
}

// match[i][j]: the first i characters of the name match the first j of the pattern.
bool referenceMatch(QStringView name, QStringView pattern, bool matchCase)
{
    const qsizetype n = name.size();
    const qsizetype m = pattern.size();
    std::vector<char> row(size_t(m + 1), 0), next(size_t(m + 1), 0);
    row[0] = 1;
    for (qsizetype j = 1; j <= m; ++j)
        row[size_t(j)] = row[size_t(j - 1)] && pattern[j - 1] == u'*';
    for (qsizetype i = 1; i <= n; ++i) {
        next[0] = 0;
        for (qsizetype j = 1; j <= m; ++j) {
            const QChar pc = pattern[j - 1];
            if (pc == u'*')
                next[size_t(j)] = next[size_t(j - 1)] || row[size_t(j)];
            else
                next[size_t(j)] = row[size_t(j - 1)]
                                  && (pc == u'?'
                                      || folded(pc, matchCase) == folded(name[i - 1], matchCase));
        }
        row.swap(next);
    }
    return row[size_t(m)];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > 512)
        return 0;
    const bool matchCase = data[0] & 1;
    // The name and the pattern are split at the second byte's position.
    const size_t cut = 2 + size_t(data[1]) % (size - 1);
    const QString name = QString::fromUtf8(fuzz::bytes(data + 2, std::min(cut, size) - 2));
    const QString pattern = cut < size ? QString::fromUtf8(fuzz::bytes(data + cut, size - cut))
                                       : QString();
    if (FileNamePattern::matches(name, pattern, matchCase)
        != referenceMatch(name, pattern, matchCase))
        fuzz::fail("wildcard match differs from the reference match");
    for (const QString &piece : FileNamePattern::splitTypes(pattern)) {
        if (piece.isEmpty() || piece.contains(u' ') || piece.contains(u','))
            fuzz::fail("a File Types piece is empty or holds a blank or a comma");
    }
    return 0;
}
