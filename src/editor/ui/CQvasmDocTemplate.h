#pragma once

#include <QFileSystemWatcher>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

class CChildFrame;
class CMainFrame;
class CQvasmDoc;
class CQvasmView;
class QPrinter;
class QWidget;

// The source-document template: it pairs CQvasmDoc with CQvasmView in a CChildFrame, opens files
// (activating a document that is open already), makes new untitled documents, and runs the
// commands that act on every document (Save All, Close All, Formatting, Font), which it puts on
// each view's table. Its documents live in the main frame's document area. What it needs from
// above (the kind dialog, the start-up text, the open workspace, the printer) is handed to it;
// what happens to its documents it announces.
class CQvasmDocTemplate : public QObject
{
    Q_OBJECT

public:
    explicit CQvasmDocTemplate(QObject *parent = nullptr);
    ~CQvasmDocTemplate() override;

    // Where file dialogs start: the active document's folder, else the open workspace's, else
    // the working folder.
    QString dialogFolder() const;

    // Where the windows go; without one they stand alone. The frame's File > Open starts in
    // dialogFolder().
    void setMainFrame(CMainFrame *frame);
    CMainFrame *mainFrame() const;

    // What the application asks of the documents ----------------------------------------------
    QObject *OpenDocumentFile(const QString &path);
    QObject *newDocument();
    // Asks about every modified document in turn; false when the user cancelled.
    bool SaveAllModified();
    // Closes every document without asking.
    void closeAllDocuments();

    // Given from above ---------------------------------------------------------------------------
    // The "Create New ..." dialog: the row chosen, or nothing when cancelled. Without it New
    // without a kind makes nothing.
    void setKindQuestion(std::function<std::optional<int>(QWidget *parent)> ask);
    // What the document made while the program starts holds.
    void setStartupText(const QString &text) { m_startupText = text; }
    // The open workspace's file, or empty: where file dialogs start without an active document.
    void setWorkspaceFile(std::function<QString()> workspaceFile);
    // The printer every view prints on (Print Setup's).
    void setPrinter(std::function<QPrinter *()> printer) { m_printer = std::move(printer); }

    // Opens path as a document, or activates its window when it is open already. Relative paths
    // are taken from the current folder. nullptr when it could not be read (the user was told;
    // given failure, the reason goes there instead).
    CQvasmDoc *openDocument(const QString &path, QString *failure = nullptr);
    // File > New: the kind from the requested kind, left Shift (source) or left Ctrl (include),
    // or the "Create New ..." dialog; nullptr when the dialog was cancelled. The document made
    // while the program starts holds the empty template.
    CQvasmDoc *createNewDocument();

    // A new untitled document holding text (a recovered one whose file is gone).
    CQvasmDoc *createDocumentWithText(const QString &title, const QString &text);

    // Open documents, oldest first.
    QList<CQvasmDoc *> documents() const;
    // The open document whose path (or, untitled, title) is name, byte for byte; nullptr if none.
    CQvasmDoc *findDocument(const QString &name) const;
    // The open document of the file at path under any of its names (symbolic or hard links).
    CQvasmDoc *findSameFile(const QString &path) const;
    CQvasmDoc *activeDocument() const;
    CQvasmView *activeView() const;
    bool anyModified() const;
    // Brings the document's window to the front of the document area.
    void activate(CQvasmDoc *document);

    // Commands ---------------------------------------------------------------------------------
    // Save All: every modified document under its own path; an untitled one asks for a name
    // (cancelling skips it). False when any was not saved.
    bool SaveAll();
    // Close All: each document through the Close command's question; Cancel keeps only that one.
    void CloseAll();
    // Formatting: flips Settings/useformatting and refreshes every view against its own document.
    void OnFormatting();
    // Font: the font dialog; the choice is stored and given to every view.
    void OnFont();
    // Files dropped on the main frame, in order: a .qvw (any letter case) goes to the workspace
    // opener, anything else opens as a document.
    void openDroppedFiles(const QStringList &files);
    // Opens a dropped workspace file; without one, dropped .qvw files are left alone.
    void setWorkspaceFileOpener(std::function<void(const QString &)> opener);

    // When a document's file changed on disk the question waits while this says no (a tool is
    // running) and while a modal dialog is up.
    void setDiskQuestionGate(std::function<bool()> canAsk);

    // The number the next untitled document gets; one count for all of the program's documents.
    int untitledCounter() const { return m_untitledCounter; }
    void setUntitledCounter(int value) { m_untitledCounter = value; } // tests

    // Seams for tests: the keyboard modifiers New looks at (left Shift, left Ctrl).
    void setModifierQuery(std::function<Qt::KeyboardModifiers()> query);

signals:
    // A document got its window: opened, created or recovered. Its own signals follow from here
    // (the tree listens to its names).
    void documentAdded(CQvasmDoc *document);
    // A file was opened, or a document saved under a new name: the recent-file list takes it.
    void recentFileUsed(const QString &path);

private:
    CChildFrame *createFrame(CQvasmDoc *document);
    void registerViewCommands(CQvasmView &view);
    void watchNewShortcut();
    // Keeps an eye on the document's file: a save replaces the file, which ends the old watch.
    void watchFile(CQvasmDoc *document);
    void onFileChanged(const QString &path);
    void askAboutDiskChanges();
    bool eventFilter(QObject *watched, QEvent *event) override;

    QPointer<CMainFrame> m_frame;
    QList<QPointer<CQvasmDoc>> m_documents;
    std::function<void(const QString &)> m_workspaceOpener;
    std::function<Qt::KeyboardModifiers()> m_modifiers;
    QPointer<QObject> m_watchedNewAction;
    bool m_newFromShortcut = false;
    QFileSystemWatcher m_diskWatcher; // one for all documents: each watcher costs an inotify instance
    QList<QPointer<CQvasmDoc>> m_changedOnDisk;
    QTimer m_diskQuestionTimer;
    std::function<bool()> m_diskQuestionGate;
    std::function<std::optional<int>(QWidget *)> m_askKind;
    std::function<QString()> m_workspaceFile;
    QString m_startupText;
    int m_untitledCounter = 0;
    std::function<QPrinter *()> m_printer;
};
