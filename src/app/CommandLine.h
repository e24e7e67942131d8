#pragma once

#include <QString>
#include <QStringList>

// The program's own command line: an optional file, --version and --help, and the builds that
// run without a window (--build WORKSPACE, --check FILE, --assemble FILE). Qt's own options
// (-platform, -style, ...) are taken out by the application object before this sees them.
struct CommandLine
{
    enum class Action { Run, ShowVersion, ShowHelp, Error, Build, CheckSyntax, Assemble };

    Action action = Action::Run;
    QString file;             // the file to open, or the one a build action works on
    QString error;            // Action::Error: what was wrong
    QStringList ignoredFiles; // files beyond the first, which the program does not open

    // arguments without the program name.
    static CommandLine parse(const QStringList &arguments);
    static QString versionText();
    static QString usageText(const QString &programName);
    // Build, CheckSyntax and Assemble: no window, no display needed.
    bool isBuild() const;
    // True when the arguments hold --build, --check or --assemble before any "--": such a run
    // takes no window options, and a mistake in it is answered without a window.
    static bool requestsBuild(const QStringList &arguments);
};
