#pragma once

#include "build/BuildDocuments.h"
#include "frame/BusyIndicator.h"
#include "frame/CommandMap.h"
#include "frame/DocumentWindow.h"

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

// The build commands' view of such windows; the listing steps are recorded.
class StubBuildDocuments : public BuildDocuments
{
public:
    class Source : public BuildSource
    {
    public:
        explicit Source(DocWindowStub *w)
            : m_w(w)
        {}
        QString pathName() const override { return m_w->path; }
        QString title() const override { return m_w->title; }
        bool isModified() const override { return m_w->editor->document()->isModified(); }
        bool isTextEmpty() const override { return m_w->editor->document()->isEmpty(); }
        bool saveAs(const QString &path) override { return m_w->save(path); }
        BusyIndicator *busyIndicator() override { return &m_w->busy; }

    private:
        DocWindowStub *m_w;
    };

    std::unique_ptr<BuildSource> source(QMdiSubWindow *window) override
    {
        auto *w = dynamic_cast<DocWindowStub *>(window);
        return w ? std::make_unique<Source>(w) : nullptr;
    }
    void closeBeforeReopening(const QString &path) override { *log << "close " + path; }
    QObject *open(const QString &path) override
    {
        *log << "open " + path;
        return nullptr;
    }

    QStringList *log = nullptr;
};
