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
    // Starts a launch without waiting for it; false when it could not be started.
    using Starter = std::function<bool(const Launch &launch)>;

    // What Execute starts for this target; find defaults to a search of PATH. An object file
    // (.obj, any case) is no program: its plan runs the .exe the link step made of it, and only
    // one made since the object was (not older than it), else the plan says why not.
    static Plan plan(const QString &target, const Finder &find = {});
    // Plans and starts it (start defaults to a detached process); messages through Prompts. True
    // when something was started.
    static bool execute(const QString &target, const Finder &find = {}, const Starter &start = {});

    static bool isObjectFile(const QString &target);
    // The program linked from an object: its path with "exe" for its last three characters, the
    // name the linker gives it by default.
    static QString linkedProgram(const QString &objectFile);

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
    // An .obj target whose .exe is not there, or is older than the object.
    static QString notLinkedMessage(const QString &program, const QString &objectFile);
    static QString notRelinkedMessage(const QString &program, const QString &objectFile);
    static inline const QString CreateProcessFailedMessage = QStringLiteral(
        "Create process failed");
};
