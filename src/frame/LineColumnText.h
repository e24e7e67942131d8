#pragma once

#include <QString>

// The status line's "Line %d, Col %d" for the caret: the line holding the caret (counted from 1)
// and the column of the selection's start on it (counted from 1, a tab counting as one). When a
// selection starts on an earlier line than the caret's, the caret's own column is shown instead
// of a column before the line's start.
QString lineColumnText(int selectionStart, int caretPosition, int caretLineStart, int caretLine);
