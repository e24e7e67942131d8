#include "search/GoToLine.h"

#include <climits>

namespace GoToLine {

int lineNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    // The C library's white space: space, \t, \n, \v, \f, \r.
    while (i < n && (text.at(i) == u' ' || (text.at(i) >= u'\t' && text.at(i) <= u'\r')))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < n && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > INT_MAX)
            value = INT_MAX; // keeps accumulating from the cap without overflowing
    }
    if (negative)
        return 0;
    return int(value);
}

int targetBlock(int lineNumber, int blockCount)
{
    if (lineNumber <= 0 || blockCount <= 0)
        return -1;
    return std::min(lineNumber, blockCount) - 1;
}

} // namespace GoToLine
