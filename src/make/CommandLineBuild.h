#pragma once

#include "make/AssemblerCommandLine.h"
#include "make/BuildOutput.h"
#include "make/MakeSettings.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Check Syntax, Assemble and Build run from a shell or a CI job, without a window: the same
// command line, switch rule, runner and output parser as the IDE's commands. What the tool writes
// goes out as it is (its banner first, as in the output pane, then the post-build commands'
// text), followed by what the Build Window would list and its totals.
//
// Exit codes: 0 no errors (diagnostics alone are no errors), 1 errors, 2 the tool could not run
// or the input is unusable (a missing or empty file, not a workspace, no main file, a target that
// is not a regular file). Nothing is asked: messages the runner would show go through Prompts,
// which a run without a window answers with ConsolePrompts.
class CommandLineBuild
{
public:
    enum ExitCode { Success = 0, Errors = 1, NotRun = 2 };
    using Writer = std::function<void(const QByteArray &)>;

    CommandLineBuild(Writer out, Writer err);

    // file: the source for Check Syntax and Assemble, the workspace (.qvw) for Build.
    int run(AssemblerRun::Command command, const QString &file, const ToolPaths &paths);

    // What the Build Window shows, as lines: its list, then the four totals.
    static QString buildWindowText(const BuildOutput &output, quint32 exitCode);
    // The exit code for a runner result and the Build Window's reading of its capture. A tool that
    // ended with a non-zero code yet counted neither errors nor diagnostics said something went
    // wrong without the usual trailer: that is an error, never a success.
    static int exitCodeFor(int runnerResult, const BuildOutput &output);
    // The tools beside the program (programFolder/tools) for any tool path the settings leave
    // empty; nothing is written to the settings.
    static ToolPaths withBundledTools(ToolPaths paths, const QString &programFolder);

private:
    int refuse(const QString &text);
    int runTool(const AssemblerRun &run, const ToolPaths &paths, const QString &banner);

    Writer m_out;
    Writer m_err;
};
