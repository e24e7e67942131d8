#pragma once

#include "base/CommandMap.h"
#include "frame/ui/BusyIndicator.h"
#include "frame/ui/DocumentWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QPlainTextEdit>

// A document window as the frame sees one: three command owners and an editor, with a path and a
// title of its own and a save that writes the editor's text.
class DocWindowStub : public QMdiSubWindow, public DocumentWindow
{
public:
    explicit DocWindowStub(const QString &title = QStringLiteral("untitled1.asm"))
        : title(title)
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

    bool save(const QString &to)
    {
        QFile f(to);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(editor->toPlainText().toUtf8());
        path = QFileInfo(to).absoluteFilePath();
        title = QFileInfo(to).fileName();
        editor->document()->setModified(false);
        ++saves;
        return true;
    }

    CommandMap view, doc, child;
    QPlainTextEdit *editor;
    QString path;
    QString title;
    BusyIndicator busy;
    int saves = 0;
};
