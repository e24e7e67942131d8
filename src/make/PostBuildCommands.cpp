#include "make/PostBuildCommands.h"

namespace {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

} // namespace

QStringList PostBuildCommands::split(const QString &text)
{
    QStringList commands;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    for (;;) {
        // Leading white space also eats the line break and any blank lines, including ones at
        // the very start, which must not hide the commands after them.
        while (pos < size && text.at(pos).isSpace())
            ++pos;
        if (pos >= size)
            break;
        qsizetype end = pos;
        while (end < size && !isLineBreak(text.at(end)))
            ++end;
        commands << text.mid(pos, end - pos);
        pos = end;
    }
    return commands;
}

QString PostBuildCommands::shell()
{
    const QString shell = qEnvironmentVariable("SHELL");
    return shell.isEmpty() ? QStringLiteral("/bin/sh") : shell;
}

QStringList PostBuildCommands::shellArguments(const QString &command)
{
    return {QStringLiteral("-c"), command};
}
