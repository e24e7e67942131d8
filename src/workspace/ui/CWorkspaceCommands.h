#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class CMainFrame;
class CQvasmDoc;
class QMdiSubWindow;

// The Workspace menu: Open, New, Save and Close Workspace, Add new file, Insert file(s), Remove
// file and Workspace settings, and the start-up restore of the last workspace. The frame's table
// gets Open and New Workspace (always enabled, for when no document window is open); every source
// window's view table gets all eight with the enabling rules (Open/New only while no workspace is
// open, Remove only with a member). One per main frame; instance() is the program's.
class CWorkspaceCommands : public QObject
{
    Q_OBJECT

public:
    explicit CWorkspaceCommands(CMainFrame *frame);
    ~CWorkspaceCommands() override;

    static CWorkspaceCommands *instance();

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

    QPointer<CMainFrame> m_frame;
    QList<QPointer<QMdiSubWindow>> m_installed;
};
