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

    // loadws on: nothing is opened (the last workspace comes back instead) and empty counts as
    // off; loadws off and empty off: nothing is opened; loadws off and empty on: the command line
    // stands, a new document without a file argument.
    static StartupDecision decide(int empty, int loadws, const QString &fileArgument);
};
