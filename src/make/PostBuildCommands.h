#pragma once

#include <QString>
#include <QStringList>

// The workspace's post-build text as commands, and the shell that runs each one. One command per
// line; blank lines and leading white space are skipped. Each command runs in a shell of its
// own ("$SHELL -c command", /bin/sh when SHELL is not set), so a "cd" in one has no effect on
// the next.
class PostBuildCommands
{
public:
    static QStringList split(const QString &text);
    static QString shell();
    static QStringList shellArguments(const QString &command);
};
