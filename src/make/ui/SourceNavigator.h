#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class CMainFrame;
class QObject;
class QPlainTextEdit;

// Opens a source at a line, for the output pane's double-click and the Build Window's Go To:
// the file opens through the opener (or its window comes forward), then the caret goes to the
// start of the line in the frame's active editor. A line past the end means the last line.
class SourceNavigator
{
public:
    enum Mode {
        CaretOnly,  // output pane: the caret at the line's start, nothing selected
        SelectLine, // Build Window: the whole line selected
    };
    // Opens a file by its absolute path as a document (or activates it); nullptr when that failed.
    using Opener = std::function<QObject *(const QString &path)>;

    // Without an opener nothing opens.
    SourceNavigator() = default;
    SourceNavigator(CMainFrame *frame, Opener opener);

    // False when there is no such file or the open failed.
    bool open(const QString &file, int line, Mode mode) const;
    // The caret step alone, on a given editor.
    static void placeCaret(QPlainTextEdit *editor, int line, Mode mode);

private:
    QPointer<CMainFrame> m_frame;
    Opener m_opener;
};
