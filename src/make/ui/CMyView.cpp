#include "make/ui/CMyView.h"

#include "make/OutputPaneText.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextLayout>
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
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CMyView::colourLater);
}

namespace {

// Layout formats on the lines in view, never the text's own formats: the pane can hold
// megabytes, and only what shows is ever coloured.
QTextCharFormat formatFor(OutputPaneText::LineKind kind)
{
    QTextCharFormat format;
    switch (kind) {
    case OutputPaneText::LineKind::Banner:
        format.setForeground(QColor(0x00, 0x70, 0x20));
        format.setFontWeight(QFont::Bold);
        break;
    case OutputPaneText::LineKind::Error:
        format.setForeground(QColor(0xc0, 0x00, 0x00));
        break;
    case OutputPaneText::LineKind::Diagnostic:
        format.setForeground(QColor(0xa0, 0x60, 0x00));
        break;
    case OutputPaneText::LineKind::Hit:
        format.setForeground(QColor(0x00, 0x30, 0xb0));
        break;
    case OutputPaneText::LineKind::Plain:
        break;
    }
    return format;
}

constexpr int Uncoloured = -1; // a block's user state until its kind is known

} // namespace

void CMyView::colourLater()
{
    if (m_colourQueued)
        return;
    m_colourQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_colourQueued = false;
            colourVisibleLines();
        },
        Qt::QueuedConnection);
}

void CMyView::colourVisibleLines()
{
    QTextBlock block = firstVisibleBlock();
    const int bottom = viewport()->height();
    const QPointF offset = contentOffset();
    while (block.isValid() && blockBoundingGeometry(block).translated(offset).top() <= bottom) {
        if (block.userState() == Uncoloured) {
            const auto kind = OutputPaneText::lineKind(block.text(), block.blockNumber());
            block.setUserState(int(kind));
            QTextLayout *layout = block.layout();
            if (kind != OutputPaneText::LineKind::Plain && layout) {
                layout->setFormats({{0, block.length(), formatFor(kind)}});
                document()->markContentsDirty(block.position(), qMin(1, block.length()));
            }
        }
        block = block.next();
    }
}

void CMyView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    colourLater();
}

int CMyView::showFirstError()
{
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        const auto kind = OutputPaneText::lineKind(block.text(), block.blockNumber());
        if (kind == OutputPaneText::LineKind::Error
            || kind == OutputPaneText::LineKind::Diagnostic) {
            verticalScrollBar()->setValue(qMax(0, block.blockNumber() - 1));
            m_holdScroll = true;
            colourLater();
            return block.blockNumber();
        }
    }
    return -1;
}

void CMyView::Clear()
{
    clear();
    ++m_clears;
    m_streaming = false;
    m_streamBreakHeld = false;
    m_holdScroll = false;
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
    const int kept = verticalScrollBar()->value();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!text.isEmpty())
        cursor.insertText(text);
    setTextCursor(cursor);
    if (m_holdScroll)
        verticalScrollBar()->setValue(kept);
    else
        ensureCursorVisible();
    colourLater();
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
