#include "app/StartupDecision.h"

StartupDecision StartupDecision::decide(int empty, int loadws, const QString &fileArgument)
{
    StartupDecision d;
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
