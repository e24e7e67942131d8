#include "make/NavigableLine.h"

namespace {

// The number after the "(" at open: blanks are skipped, the digits accumulate, and anything else
// (the ")" included) ends it.
int readNumber(QStringView line, qsizetype open)
{
    int number = 0;
    for (qsizetype i = open + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char(' '))
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        number = number * 10 + (c.unicode() - '0');
        if (number > NavigableLine::NumberLimit)
            break;
    }
    return number;
}

} // namespace

std::optional<NavigableLine::Location> NavigableLine::parse(
    QStringView line, const std::function<bool(const QString &)> &fileExists)
{
    qsizetype open = line.indexOf(QLatin1Char('('));
    if (open < 1)
        return std::nullopt;
    while (open >= 1) {
        Location location{line.first(open).trimmed().toString(), readNumber(line, open)};
        if (!location.file.isEmpty() && location.line > 0) {
            if (!fileExists || fileExists(location.file))
                return location;
        }
        if (!fileExists)
            break; // without a way to check, only the first "(" counts
        open = line.indexOf(QLatin1Char('('), open + 1);
    }
    return std::nullopt;
}

int NavigableLine::clampLine(int line, int lineCount)
{
    return qBound(1, line, qMax(1, lineCount));
}
