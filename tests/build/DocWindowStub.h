#pragma once

#include "frame/CommandMap.h"
#include "frame/DocumentWindow.h"

#include <QMdiSubWindow>
#include <QPlainTextEdit>

// A document window as the frame sees one: three command owners and an editor.
class DocWindowStub : public QMdiSubWindow, public DocumentWindow
{
public:
    explicit DocWindowStub(const QString &title = QStringLiteral("untitled1.asm"))
    {
        editor = new QPlainTextEdit;
        setWidget(editor);
        setWindowTitle(title);
        setAttribute(Qt::WA_DeleteOnClose);
    }
    CommandMap *viewCommands() override { return &view; }
    CommandMap *documentCommands() override { return &doc; }
    CommandMap *frameCommands() override { return &child; }
    QPlainTextEdit *editorView() override { return editor; }

    CommandMap view, doc, child;
    QPlainTextEdit *editor;
};
