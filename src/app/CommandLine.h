#pragma once

#include <QString>
#include <QStringList>

// The program's own command line: an optional file, --version and --help. Qt's own options
// (-platform, -style, ...) are taken out by the application object before this sees them.
struct CommandLine
{
    enum class Action { Run, ShowVersion, ShowHelp, Error };

    Action action = Action::Run;
    QString file;
    QString error;            // Action::Error: what was wrong
    QStringList ignoredFiles; // files beyond the first, which the program does not open

    // arguments without the program name.
    static CommandLine parse(const QStringList &arguments);
    static QString versionText();
    static QString usageText(const QString &programName);
};
