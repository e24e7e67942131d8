#pragma once

#include "make/AssemblerOptions.h"
#include "make/MakeSettings.h"
#include "make/ToolRunner.h"

#include <QString>
#include <QStringList>

// The one rule by which the assembler settings become switches, and the arguments of Check
// Syntax, Assemble and Build. Switches come in this fixed order: /a /b /wa|/wb /d /i{path}
// (workspace only), /L{libpath} (always, when set), /j (workspace), /x|/X (forced, or workspace
// with create-listing), /o (workspace).
//
// Arguments go to the tool as separate entries, so a path with blanks stays one argument. The
// classic single-string forms are kept for display and for anything that logs a command line.
// One run of Check Syntax, Assemble or Build, in plain values.
struct AssemblerRun
{
    enum Command { CheckSyntax, Assemble, Build };

    Command command = Assemble;
    QString sourcePath; // full path: the active file, or for Build the main file
    QString targetFile; // Build only: the workspace's target file
    bool workspaceOpen = false;
    AssemblerOptions options;  // the workspace record's options
    bool forceListing = false; // left Ctrl held (Assemble and Build; Check Syntax never lists)
};

class AssemblerCommandLine
{
public:
    // The whole request for the runner: the assembler from the paths, the arguments of the
    // command, the source's folder as working directory, and the workspace's post-build
    // commands when a workspace is open.
    static ToolRequest request(const AssemblerRun &run, const ToolPaths &paths);

    // One entry per switch, without the leading blank ("/b", "/i{/usr/inc}").
    static QStringList switches(const AssemblerOptions &options,
                                bool workspaceOpen,
                                const QString &libraryPath,
                                bool forceListing);

    // `AppendAssemblerSwitches`: optionString followed by each switch with its leading blank.
    static QString appendAssemblerSwitches(const QString &optionString,
                                           const AssemblerOptions &options,
                                           bool workspaceOpen,
                                           const QString &libraryPath,
                                           bool forceListing);

    // Check Syntax: the source, "/s", then the switches.
    static QStringList checkSyntaxArguments(const QString &sourcePath, const QStringList &switches);
    // Assemble: the source, then the switches.
    static QStringList assembleArguments(const QString &sourcePath, const QStringList &switches);
    // Build: the main file, the target file (left out when empty), then the switches.
    static QStringList buildArguments(const QString &mainFile,
                                      const QString &targetFile,
                                      const QStringList &switches);
};
