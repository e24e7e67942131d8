#pragma once

#include "base/AtomicFileWriter.h"
#include "workspace/ProjectWizardOptions.h"
#include "workspace/SourceTemplates.h"

#include <QString>
#include <QStringList>

class SettingsStore;
class WorkspaceRecord;

// The widget-free steps of New Workspace's wizard. Input: location L (a folder ending in "/"),
// source name S, target name T, kind. The GUI runs, in order: save and close the documents;
// workspaceFilePath() and, when it exists, replaceQuestion(); checkPaths(); the options dialog;
// options.write(); fillRecord(); writeMainFile(); for each of copyList() a copy from
// copySource() to L + name with the confirm-overwrite copy, opening and adding the ones that
// exist (addCopiedMember(), else copyFailedMessage()); the main file opened and active; finish().
class ProjectWizard
{
public:
    // L + S with the file name's extension replaced by ".qvw" (".qvw" added to a name without
    // one); the folder part is never touched, whatever dots it has.
    static QString workspaceFilePath(const QString &location, const QString &sourceName);
    // "The workspace file: %s, already exists, replace?" (Yes / No, exclamation icon).
    static QString replaceQuestion(const QString &workspaceFilePath);

    // Every path the wizard will store must fit the record; empty when they do, else the message
    // to show before anything has changed.
    static QString checkPaths(const QString &location,
                              const QString &sourceName,
                              const QString &targetName,
                              const ProjectWizardOptions &options);

    // A fresh record: open, target L + T, main file L + S, member 0 the main file marked opened
    // with the selection at 0, and for an .EXE project linkCommand() as its post-build text.
    // checkPaths() first: an overlong path leaves the record cleared.
    static bool fillRecord(WorkspaceRecord &record,
                           const QString &location,
                           const QString &sourceName,
                           const QString &targetName,
                           ProjectKind kind = ProjectKind::Com,
                           const QString &linkerPath = QString());

    // The post-build line of an .EXE project: the linker (Make/lpath, quoted; the bare name
    // "qvlink" when none is set or the line would not fit the record) on the target object,
    // named relative to the project folder the commands run in, so every Build leaves NAME.exe
    // beside NAME.obj. Empty for a .COM project and for a target that is no .obj file.
    static QString linkCommand(ProjectKind kind,
                               const QString &linkerPath,
                               const QString &targetName);
    // A word for the shell the post-build commands run in, whatever the path holds.
    static QString shellQuoted(const QString &word);

    // Creates the main file with the skeleton; an existing file keeps its content.
    static AtomicFileWriter::CreateResult writeMainFile(const QString &path,
                                                        ProjectKind kind,
                                                        const ProjectWizardOptions &options,
                                                        QString *errorString = nullptr);

    // The files copied from the include folder, in copy order.
    static QStringList copyList(const ProjectWizardOptions &options);
    // The include folder's copy of name: the folder and the name joined by one separator; with
    // no folder set, the bare (relative) name.
    static QString copySource(const QString &includeFolder, const QString &name);
    // "Error: Couldn't create/open file: " and the destination.
    static QString copyFailedMessage(const QString &destination);
    // A copied file that opened becomes a member marked opened.
    static bool addCopiedMember(WorkspaceRecord &record, const QString &path);

    // Stores W as the workspace file, writes the record there and sets Settings/lastws. False
    // when the write failed (show WorkspaceRecord::writeErrorMessage(W) and carry on).
    static bool finish(WorkspaceRecord &record,
                       const QString &workspaceFilePath,
                       SettingsStore &settings,
                       QString *errorString = nullptr);
};
