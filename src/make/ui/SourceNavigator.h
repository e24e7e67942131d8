#pragma once

#include <QString>

class CMainFrame;
class QPlainTextEdit;

// Opens a source at a line, for the output pane's double-click and the Build Window's Go To:
// the file opens through the application (or its window comes forward), then the caret goes to
// the start of the line in its editor. A line past the end means the last line.
class SourceNavigator
{
public:
    enum Mode {
        CaretOnly,  // output pane: the caret at the line's start, nothing selected
        SelectLine, // Build Window: the whole line selected
    };

    // False when there is no such file, no application to open it or the open failed.
    static bool open(const QString &file, int line, Mode mode);
    // The caret step alone, on a given editor.
    static void placeCaret(QPlainTextEdit *editor, int line, Mode mode);
};
