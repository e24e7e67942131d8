#include "make/ui/SourceNavigator.h"

#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "make/NavigableLine.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextBlock>

SourceNavigator::SourceNavigator(CMainFrame *frame, Opener opener)
    : m_frame(frame)
    , m_opener(std::move(opener))
{}

bool SourceNavigator::open(const QString &file, int line, Mode mode) const
{
    if (file.isEmpty() || line <= 0 || !m_opener || !QFileInfo(file).isFile())
        return false;
    if (!m_opener(QFileInfo(file).absoluteFilePath()))
        return false;
    DocumentWindow *window = m_frame ? m_frame->activeDocumentWindow() : nullptr;
    QPlainTextEdit *editor = window ? window->editorView() : nullptr;
    if (!editor)
        return false;
    editor->setFocus();
    placeCaret(editor, line, mode);
    return true;
}

void SourceNavigator::placeCaret(QPlainTextEdit *editor, int line, Mode mode)
{
    QTextDocument *document = editor->document();
    const int target = NavigableLine::clampLine(line, document->blockCount());
    const QTextBlock block = document->findBlockByNumber(target - 1);
    QTextCursor cursor(block);
    if (mode == SelectLine)
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
    editor->ensureCursorVisible();
}
