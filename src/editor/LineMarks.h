#pragma once

#include <QList>
#include <QString>

// A mark on one source line that the editor shows beside the line and under its text: what a
// tool found there. The editor anchors it to the line's text, so it moves with edits above it;
// whoever fills the marks (the build commands) needs to know nothing more of the editor.
struct LineMark
{
    enum class Kind {
        Error,
        Diagnostic,
    };

    int line = 0; // 1-based
    Kind kind = Kind::Error;
    QString toolTip;
    int id = 0; // the filler's own number, handed back with the line the mark has moved to

    bool operator==(const LineMark &) const = default;
};

// The width of the editor's gutter: a column for marks, then the line numbers right-aligned
// in as many digits as the last line number has.
namespace LineGutterMetrics {

// Decimal digits of the highest line number (a text always has one line).
int digits(int lineCount);

// In pixels, for a font whose digits are digitWidth wide.
int width(int lineCount, int digitWidth, bool numbersShown);

// The mark column and the blanks around the numbers, in digit widths.
constexpr int MarkColumnDigits = 2;
constexpr int PaddingDigits = 1;

} // namespace LineGutterMetrics
