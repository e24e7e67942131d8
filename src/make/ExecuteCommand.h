#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Execute: the built program runs in a window of its own that starts in the program's folder
// and stays open when it ends, so its output can be read. A DOS program (.com, .exe) runs in
// DOSBox when that is installed; anything else (and a DOS program without DOSBox) runs in a
// terminal emulator, followed by an interactive shell in the same folder. The IDE neither waits
// for nor watches it.
class ExecuteCommand
{
public:
    struct Launch
    {
        QString program;
        QStringList arguments;
        QString workingDirectory;
    };
    struct Plan
    {
        std::optional<Launch> launch;
        QString message; // shown instead when there is nothing to launch with
    };
    // Full path of an installed program by name, empty when there is none.
    using Finder = std::function<QString(const QString &name)>;

    // What Execute starts for this target; find defaults to a search of PATH.
    static Plan plan(const QString &target, const Finder &find = {});
    // Plans and starts it; messages through Prompts. True when something was started.
    static bool execute(const QString &target, const Finder &find = {});

    // The target's folder: up to its last separator; a target without one is used whole (the
    // start then fails and says so).
    static QString workingDirectory(const QString &target);
    static bool isDosProgram(const QString &target);

    static inline const QString NothingToRunWithMessage = QStringLiteral(
        "Could not find a terminal emulator (such as x-terminal-emulator or xterm) to run the "
        "program in.\nDOS programs (.com, .exe) also run in DOSBox when it is installed.");
    // Execute with no target file named (a workspace without one, or a record from elsewhere).
    static inline const QString NoProgramMessage = QStringLiteral(
        "There is no program to run: no target file is set.\nAssemble a file, or set the "
        "workspace's target file and build it.");
    static inline const QString CreateProcessFailedMessage = QStringLiteral(
        "Create process failed");
};
