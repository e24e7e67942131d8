#include "editor/LineMarks.h"

#include <QtGlobal>

namespace LineGutterMetrics {

int digits(int lineCount)
{
    int count = 1;
    for (int n = qMax(1, lineCount); n >= 10; n /= 10)
        ++count;
    return count;
}

int width(int lineCount, int digitWidth, bool numbersShown)
{
    const int columns = MarkColumnDigits + (numbersShown ? digits(lineCount) + PaddingDigits : 0);
    return columns * qMax(1, digitWidth);
}

} // namespace LineGutterMetrics
