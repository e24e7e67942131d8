#include "make/ui/SourceNavigator.h"

#include "app/ui/CQvasmApp.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "make/NavigableLine.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextBlock>

bool SourceNavigator::open(const QString &file, int line, Mode mode)
{
    CQvasmApp *app = CQvasmApp::instance();
    if (file.isEmpty() || line <= 0 || !app || !QFileInfo(file).isFile())
        return false;
    if (!app->OpenDocumentFile(QFileInfo(file).absoluteFilePath()))
        return false;
    CMainFrame *frame = app->mainFrame();
    DocumentWindow *window = frame ? frame->activeDocumentWindow() : nullptr;
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
