#pragma once

#include <QString>

// Go To (Ctrl+G): the typed text to a line, and the line to the block the caret goes to.
namespace GoToLine {

// Read as C's decimal conversion reads it: leading white space and a sign, digits up to the
// first other character ("12abc" is 12), no digits is 0. A negative number is 0 (nothing to
// go to); one too large for an int is the largest int, which any document clamps to its end.
int lineNumber(const QString &text);

// The block (from 0) for a line number (from 1): -1 for 0 (do nothing), the last block for a
// number past the end.
int targetBlock(int lineNumber, int blockCount);

} // namespace GoToLine
