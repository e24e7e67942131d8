#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class CMainFrame;
class CQvasmDoc;
class CQvasmDocTemplate;
class CWorkspaceTree;
class QMdiSubWindow;

// The recent-workspace list, which the application keeps: a workspace opened or made is added, one
// that could not be opened is taken out.
struct RecentWorkspaces
{
    std::function<void(const QString &)> add;
    std::function<void(const QString &)> remove;
};

// The Workspace menu: Open, New, Save and Close Workspace, Add new file, Insert file(s), Remove
// file and Workspace settings, and the start-up restore of the last workspace. The frame's table
// gets Open and New Workspace (always enabled, for when no document window is open); every source
// window's view table gets all eight with the enabling rules (Open/New only while no workspace is
// open, Remove only with a member). One per main frame, made by the installer with the frame's
// documents, tree and the recent-workspace list.
class CWorkspaceCommands : public QObject
{
    Q_OBJECT

public:
    CWorkspaceCommands(CMainFrame *frame,
                       CQvasmDocTemplate *documents,
                       CWorkspaceTree *tree,
                       RecentWorkspaces recent = {});
    ~CWorkspaceCommands() override;

    // Closes an open workspace first; an empty path asks with the open dialog. The members marked
    // open come back at their selection and scroll position, the rest are listed in the tree.
    void OpenWorkspace(const QString &path = QString());
    // Saves, asks "Close all Windows in Workspace?", and takes the members out of the tree.
    void CloseWorkspace();
    // The window states into the record and the record into its file; false after a failed
    // write (reported).
    bool SaveWorkspace();
    void NewWorkspace();
    void AddNewFile();
    void InsertFiles();
    void RemoveFile();
    void WorkspaceSettings();
    // Start-up with Settings/loadws: the workspace named by Settings/lastws comes back.
    void RestoreLastWorkspace();
    // The frame is closing: an open workspace is saved.
    void saveOnClose();

private:
    struct Reopened
    {
        int count = 0;
        QPointer<QMdiSubWindow> remembered; // the window that was active at the last save
        QStringList failed;                 // reported already
    };
    // Opens the members marked open (kept out of the recent files), lists every member in the
    // tree, clears the mark of those that failed and reports them in one message.
    Reopened reopenMembers();
    // No member came back: the main file at its start; false (workspace closed) when it fails.
    // A main file among the members reported already is not reported again.
    bool openMainFileInstead(const QStringList &reported);
    void registerFrameCommands();
    void installOn(QMdiSubWindow *window);
    void commandsChanged();
    void repaintActiveWindow();
    // Where the file dialogs start: the main file's folder, else the current folder.
    QString dialogFolder() const;

    CQvasmDoc *openDocument(const QString &path, QString *failure = nullptr);
    void addTreeFile(const QString &path, CQvasmDoc *document);
    void removeTreeFile(const QString &path);

    QPointer<CMainFrame> m_frame;
    QPointer<CQvasmDocTemplate> m_documents;
    QPointer<CWorkspaceTree> m_tree;
    RecentWorkspaces m_recent;
    QList<QPointer<QMdiSubWindow>> m_installed;
};
