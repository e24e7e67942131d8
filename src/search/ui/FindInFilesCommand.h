#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class CMainFrame;
class FindInFilesRun;
class QMdiSubWindow;

// Detailed Find (Edit > Detailed Find and the Find bar's first button): the "Find in File(s)"
// dialog over the frame's find state, then the search into the output pane. The command sits on
// every document window's view table, so it is enabled exactly while a document window is
// active. The choices go back into the find state when the dialog ends by Find or Close.
class FindInFilesCommand : public QObject
{
    Q_OBJECT

public:
    // Opens a file as a document (the advanced form's Open); false when it could not.
    using Opener = std::function<bool(const QString &path)>;
    // The file of the document in this window; empty for an untitled one.
    using DocumentPath = std::function<QString(QMdiSubWindow *window)>;

    FindInFilesCommand(CMainFrame *frame, Opener opener, DocumentPath documentPath);
    ~FindInFilesCommand() override;

    // The command on this window's view table; done once per window.
    void installOn(QMdiSubWindow *window);
    void detailedFind(QMdiSubWindow *window);

    // The search started last (nullptr before the first); a new one replaces it.
    FindInFilesRun *lastRun() const;

private:
    QPointer<CMainFrame> m_frame;
    Opener m_opener;
    DocumentPath m_documentPath;
    QList<QPointer<QMdiSubWindow>> m_installed;
    QPointer<FindInFilesRun> m_run;
};
