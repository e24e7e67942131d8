#include "frame/LineColumnText.h"

QString lineColumnText(int selectionStart, int caretPosition, int caretLineStart, int caretLine)
{
    const int from = selectionStart >= caretLineStart ? selectionStart : caretPosition;
    return QStringLiteral("Line %1, Col %2").arg(caretLine + 1).arg(from - caretLineStart + 1);
}
