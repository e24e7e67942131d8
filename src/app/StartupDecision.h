#pragma once

#include <QString>

// What start-up does about documents, from Settings/empty, Settings/loadws and the file named
// on the command line.
struct StartupDecision
{
    enum class ShellCommand {
        Nothing,     // no document at all
        NewDocument, // one new untitled document
        OpenFile,    // the file named on the command line
    };

    ShellCommand command = ShellCommand::Nothing;
    QString file;
    // empty as it counts for the rest of start-up (off whenever the workspace is reloaded).
    bool emptyOn = false;
    bool restoreWorkspace = false;
    // A workspace file named on the command line (a .qvw in any letter case): it opens as a
    // workspace in place of the last one, whatever empty and loadws say, and no document opens.
    QString workspaceFile;
    // A source file named together with loadws on: it opens once the last workspace is back.
    QString fileAfterRestore;

    // loadws on: the last workspace comes back, then a named file opens, and empty counts as
    // off; loadws off: a named file opens, else empty on makes a new document and empty off
    // opens nothing. A workspace file on the command line opens in place of the last workspace:
    // restoreWorkspace is set and workspaceFile names it.
    static StartupDecision decide(int empty, int loadws, const QString &fileArgument);
};
