#pragma once

#include <QList>
#include <QTextLayout>

#include <functional>

class QFont;
class QPrinter;
class QTextBlock;
class QTextDocument;

// Prints a source text the way the editor shows it: its font, its colours, lines wrapped at the
// page width, margins of 720 twips (half an inch) on every side, no headers or page numbers.
class DocumentPrinter
{
public:
    static constexpr int MarginTwips = 720;

    // The colours of a block for the printout; none means black text.
    using FormatSource = std::function<QList<QTextLayout::FormatRange>(const QTextBlock &)>;

    // Returns the number of pages printed (0 when the printer could not be started).
    static int print(const QTextDocument &text,
                     const QFont &font,
                     QPrinter *printer,
                     const FormatSource &colours = {});
};
