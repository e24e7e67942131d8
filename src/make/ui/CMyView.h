#pragma once

#include "make/NavigableLine.h"

#include <QByteArrayView>
#include <QPlainTextEdit>

#include <functional>

// The output pane (control 107 on the View bar): read-only text on white, a fixed-pitch font,
// where Assemble and Build show the assembler's output and Find in Files its matches. Writers
// clear it and append; a double-click on a file(line) line below the first opens that line.
class CMyView : public QPlainTextEdit
{
    Q_OBJECT

public:
    // Opens the file at the 1-based line; false when it could not be opened.
    using Navigator = std::function<bool(const NavigableLine::Location &)>;

    explicit CMyView(QWidget *parent = nullptr);

    void Clear();
    // The append rule: the first length - 1 characters of text without their leading white
    // space, added at the end (never to the undo history). Fixed texts end in "\r\n ".
    void Append(QStringView text, qsizetype length);
    // Assemble and Build: the capture appended with its length minus one, which drops the tool's
    // final CR LF.
    void AppendCapture(QByteArrayView capture, qsizetype captureLength);
    // Text that goes on arriving after a writer's output (the post-build commands'), as it
    // comes: whole, on lines of its own below what is there, without a last empty line.
    void AppendStream(QStringView text);
    // After a run: the first error or diagnostic line comes into view (the line above it at the
    // top), and text appended later leaves the scroll there until the pane is cleared. Nothing
    // moves when the output holds no error line. Its block number, or -1.
    int showFirstError();
    // Counts the Clear() calls, so a late writer can tell the pane now shows something else.
    quint64 clearCount() const { return m_clears; }

    // Where a double-click on a navigable line goes; without one nothing opens.
    void setNavigator(Navigator navigator) { m_navigator = std::move(navigator); }
    // What a double-click at this block does: selects the block, and follows it when it is
    // navigable and names an existing file. True when a file was opened.
    bool navigateFromBlock(int blockNumber);

    // Lines of a file(line) form are read from this many characters only.
    static constexpr int NavigableLineLimit = 256;

    // The colours of the lines in view (the others get theirs as they come into view).
    void colourVisibleLines();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void appendPlain(const QString &text);
    void colourLater();

    Navigator m_navigator;
    quint64 m_clears = 0;
    bool m_streaming = false;
    bool m_streamBreakHeld = false; // a streamed piece ended in a line break not yet shown
    bool m_holdScroll = false;      // showing the first error: appends do not scroll
    bool m_colourQueued = false;
};
