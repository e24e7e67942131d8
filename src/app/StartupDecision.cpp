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
    if (loadws != 0) {
        d.restoreWorkspace = true;
        return d;
    }
    if (empty == 0)
        return d;
    d.emptyOn = true;
    if (fileArgument.isEmpty()) {
        d.command = ShellCommand::NewDocument;
    } else {
        d.command = ShellCommand::OpenFile;
        d.file = fileArgument;
    }
    return d;
}
