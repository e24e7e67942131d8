#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// The file(line) form that the assembler and Find in Files write and the output pane's
// double-click follows: a file name, optional blanks, "(", a decimal line number (blanks allowed
// anywhere inside), ")" and any text. The file name is the text before the "(" without its
// surrounding white space; it may be relative to the IDE's current directory. A line is
// navigable when its "(" is not the first character, the name is not empty and the number is
// above 0. The pane's first line (banner, "Searching for") is never navigated.
class NavigableLine
{
public:
    struct Location
    {
        QString file;
        int line = 0; // 1-based, may lie beyond the file's end (see clampLine)
    };

    // The number stops growing once it passes this.
    static constexpr int NumberLimit = 999999;

    // Reads the first "(" as the form says. With fileExists, a path that holds parentheses of its
    // own is found too: each "(" in turn is tried until one names an existing file.
    static std::optional<Location> parse(
        QStringView line, const std::function<bool(const QString &)> &fileExists = {});

    // The pane row may be followed: every row but the first.
    static bool isNavigableRow(int row) { return row > 0; }
    // The 1-based line to put the caret on in a document of lineCount lines.
    static int clampLine(int line, int lineCount);
};
