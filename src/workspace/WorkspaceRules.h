#pragma once

#include "base/AtomicFileWriter.h"
#include "base/Prompts.h"
#include "editor/DocumentNaming.h"
#include "workspace/WorkspaceRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class SettingsStore;

// The decisions of the workspace commands that need no window, and their messages. The GUI
// commands call these and do the showing, opening and closing.
class WorkspaceRules
{
public:
    // Enabling. Open / New Workspace: no workspace open. Save, Close, Add new file, Insert,
    // Workspace settings: one is open. Remove: one is open and has a member.
    static bool canOpenOrCreateWorkspace(const WorkspaceRecord &record);
    static bool canUseWorkspace(const WorkspaceRecord &record);
    static bool canRemoveFile(const WorkspaceRecord &record);

    // Open Workspace.
    static FileDialogRequest openWorkspaceRequest(const QString &folder);
    static QString couldNotOpenMessage(const QString &path); // "Could not open workspace file: "
    static QString invalidWorkspaceMessage();                // "Invalid WorkSpace File"
    // The question when the file was opened somewhere other than where it was saved; nothing
    // when the paths are byte-for-byte equal.
    static std::optional<QString> movedFileQuestion(const QString &openedPath,
                                                    const QString &storedPath);
    // Yes to that question: later saves go to the opened path. A path that does not fit is
    // refused (the stored path stays) and the result says so.
    static WorkspaceRecord::Change adoptOpenedPath(WorkspaceRecord &record, const QString &path);
    static QString noMembersOpenedMessage(); // then the main file is opened
    static QString mainFileFailedMessage();  // then the workspace closes: markClosed()
    // The members that could not be reopened, in one message rather than one box each: each
    // path with its reason, at most MaxListedFailures of them and a count of the rest (a box
    // taller than the screen would hide its own OK button).
    struct OpenFailure
    {
        QString path;
        QString reason;
    };
    static QString membersNotOpenedMessage(const QList<OpenFailure> &failures);
    static constexpr int MaxListedFailures = 20;

    // Close Workspace: "Close all Windows in Workspace?". documentPaths is the open documents in
    // the order collected (each at the head); the result is the order to close them in: for
    // each member from the last, the first not yet closed document with its exact path.
    static QString closeAllWindowsQuestion();
    static QList<int> documentsToClose(const QStringList &memberPaths,
                                       const QStringList &documentPaths);

    // Add new file: location + name, ".asm" or ".inc" added when the name has no ".".
    static QString newMemberPath(const QString &location, const QString &name, FileKind kind);
    // Creates the new member with the new-file header; an existing file keeps its content.
    static AtomicFileWriter::CreateResult createMemberFile(const QString &path,
                                                           QString *errorString = nullptr);
    // Adds a member (a duplicate path is allowed and makes a second entry). Refused when the
    // workspace is full or the path too long: show WorkspaceRecord::refusalMessage().
    static WorkspaceRecord::Change addMember(WorkspaceRecord &record, const QString &path);
    // Insert file(s).
    static FileDialogRequest insertFilesRequest(const QString &folder);

    // Remove file.
    static QString closeWindowQuestion(); // "Close Window?"

    // Double-click on a tree item: a path on disk opens (or activates) its document; anything
    // else, such as an untitled document's title, is found among the windows by caption.
    static bool treeItemOpensFromDisk(const QString &path);

    // Closing a document keeps its tree item while it is a member of the open workspace (the
    // path, or the title of an untitled document, compared ignoring case).
    static bool keepsTreeItemOnClose(const WorkspaceRecord &record, const QString &pathOrTitle);

    // A dropped file opens as a workspace when its extension is ".qvw" in any letter case.
    static bool isWorkspaceFileName(const QString &path);

    // Settings/lastws.
    static QString lastWorkspace(const SettingsStore &settings);
    static void setLastWorkspace(SettingsStore &settings, const QString &path);

    // Start-up restore of the last workspace, up to the members (their opening is the GUI's).
    enum class RestoreStart { NothingToRestore, NotOpenable, NotAWorkspace, Opened };
    // NotOpenable also switches Settings/loadws off so the next start does not try again;
    // message gets the text to show for the two failures.
    static RestoreStart startRestore(WorkspaceRecord &record,
                                     SettingsStore &settings,
                                     QString *message);
    // No member and no main file opened: the workspace closes and lastws is forgotten.
    static void restoreFailedWithoutFiles(WorkspaceRecord &record, SettingsStore &settings);
};
