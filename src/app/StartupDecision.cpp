#include "app/StartupDecision.h"

#include "workspace/WorkspaceRules.h"

StartupDecision StartupDecision::decide(int empty, int loadws, const QString &fileArgument)
{
    StartupDecision d;
    // Whoever names a workspace (the file manager, a shell) wants that one open, not a text view
    // of its bytes and not the last one.
    if (WorkspaceRules::isWorkspaceFileName(fileArgument)) {
        d.workspaceFile = fileArgument;
        d.restoreWorkspace = true;
        return d;
    }
    // A named source file opens whatever empty and loadws say: the same command given to a
    // running copy opens it, and the file manager's "Open with" must not come up empty-handed.
    if (loadws != 0) {
        d.restoreWorkspace = true;
        d.fileAfterRestore = fileArgument;
        return d;
    }
    d.emptyOn = empty != 0;
    if (!fileArgument.isEmpty()) {
        d.command = ShellCommand::OpenFile;
        d.file = fileArgument;
    } else if (d.emptyOn) {
        d.command = ShellCommand::NewDocument;
    }
    return d;
}
