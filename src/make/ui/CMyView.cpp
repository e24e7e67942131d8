#include "make/ui/CMyView.h"

#include "make/OutputPaneText.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QWheelEvent>

CMyView::CMyView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    // Long tool lines scroll sideways rather than wrap: a wrapped error line would look like two.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Black on white whatever the desktop's colours, as tool output is written to be read.
    QPalette p = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::Text, Qt::black);
    }
    setPalette(p);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

void CMyView::Clear()
{
    clear();
    ++m_clears;
    m_streaming = false;
    m_streamBreakHeld = false;
}

void CMyView::Append(QStringView text, qsizetype length)
{
    appendPlain(OutputPaneText::appendPart(text, length));
}

void CMyView::AppendCapture(QByteArrayView capture, qsizetype captureLength)
{
    appendPlain(OutputPaneText::captureText(capture, captureLength));
}

void CMyView::AppendStream(QStringView text)
{
    if (text.isEmpty())
        return;
    QString piece;
    // The first piece starts a line of its own; a line break that ends a piece waits for the
    // next one, so the pane never ends in an empty line.
    if (m_streamBreakHeld || (!m_streaming && !document()->lastBlock().text().isEmpty()))
        piece += QLatin1Char('\n');
    m_streamBreakHeld = text.endsWith(QLatin1Char('\n'));
    piece += m_streamBreakHeld ? text.chopped(1) : text;
    m_streaming = true;
    appendPlain(piece);
}

void CMyView::appendPlain(const QString &text)
{
    // Always at the end: a caret the user left somewhere in the text must not split the output.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!text.isEmpty())
        cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CMyView::wheelEvent(QWheelEvent *event)
{
    // One line more per notch than the control's own scrolling.
    const int dy = event->angleDelta().y();
    if (dy != 0) {
        QScrollBar *bar = verticalScrollBar();
        bar->setValue(bar->value() + (dy > 0 ? -1 : 1));
    }
    QPlainTextEdit::wheelEvent(event);
}

void CMyView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QPlainTextEdit::mouseDoubleClickEvent(event);
        return;
    }
    // Not the default word selection: the whole line is selected and followed.
    navigateFromBlock(cursorForPosition(event->position().toPoint()).blockNumber());
    event->accept();
}

bool CMyView::navigateFromBlock(int blockNumber)
{
    const QTextBlock block = document()->findBlockByNumber(blockNumber);
    if (!block.isValid())
        return false;

    std::optional<NavigableLine::Location> location;
    // The first line holds the banner or the "Searching for" line, never a place to go to.
    if (NavigableLine::isNavigableRow(blockNumber)) {
        const QString line = block.text().left(NavigableLineLimit);
        location = NavigableLine::parse(line, [](const QString &file) {
            return QFileInfo(file).isFile();
        });
    }

    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    setTextCursor(cursor);

    if (!location || !m_navigator)
        return false;
    return m_navigator(*location);
}
