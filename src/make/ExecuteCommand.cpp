#include "make/ExecuteCommand.h"

#include "base/Prompts.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

struct Terminal
{
    const char *name;
    const char *executeOption; // what precedes the command's own argument vector; "" for none
};

// Each takes the command as separate arguments after its option, so paths need no quoting.
constexpr Terminal Terminals[] = {
    {"x-terminal-emulator", "-e"},
    {"gnome-terminal", "--"},
    {"konsole", "-e"},
    {"xfce4-terminal", "-x"},
    {"mate-terminal", "-x"},
    {"terminator", "-x"},
    {"alacritty", "-e"},
    {"kitty", ""},
    {"xterm", "-e"},
};

// Runs the program, then stays in an interactive shell in its folder, as "/k" would.
const QString StayOpenScript = QStringLiteral("\"$1\"; exec \"${SHELL:-/bin/sh}\"");
// A DOS program without DOSBox can't normally run here; the window then says why instead of
// leaving only the shell's "Permission denied".
const QString DosStayOpenScript = QStringLiteral(
    "\"$1\" || echo \"$1 is a DOS program: it runs from the IDE once DOSBox is installed "
    "(package dosbox).\"; exec \"${SHELL:-/bin/sh}\"");

QString findInPath(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

} // namespace

QString ExecuteCommand::workingDirectory(const QString &target)
{
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return target;
    return slash == 0 ? QStringLiteral("/") : target.left(slash);
}

bool ExecuteCommand::isDosProgram(const QString &target)
{
    return target.endsWith(QLatin1String(".com"), Qt::CaseInsensitive)
           || target.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
}

ExecuteCommand::Plan ExecuteCommand::plan(const QString &target, const Finder &find)
{
    const Finder &lookUp = find ? find : Finder(findInPath);
    Plan plan;
    if (target.isEmpty()) {
        plan.message = NoProgramMessage;
        return plan;
    }
    const QString folder = workingDirectory(target);

    if (isDosProgram(target)) {
        const QString dosbox = lookUp(QStringLiteral("dosbox"));
        if (!dosbox.isEmpty()) {
            // DOSBox mounts the program's folder and stays open after the program ends.
            plan.launch = Launch{dosbox, {target}, folder};
            return plan;
        }
    }
    for (const Terminal &t : Terminals) {
        const QString terminal = lookUp(QString::fromLatin1(t.name));
        if (terminal.isEmpty())
            continue;
        QStringList arguments;
        if (*t.executeOption)
            arguments << QString::fromLatin1(t.executeOption);
        arguments << QStringLiteral("/bin/sh") << QStringLiteral("-c")
                  << (isDosProgram(target) ? DosStayOpenScript : StayOpenScript)
                  << QStringLiteral("sh") << target;
        plan.launch = Launch{terminal, arguments, folder};
        return plan;
    }
    plan.message = NothingToRunWithMessage;
    return plan;
}

bool ExecuteCommand::execute(const QString &target, const Finder &find)
{
    const Plan p = plan(target, find);
    if (!p.launch) {
        showMessage(p.message);
        return false;
    }
    if (!QProcess::startDetached(p.launch->program,
                                 p.launch->arguments,
                                 p.launch->workingDirectory)) {
        showMessage(CreateProcessFailedMessage);
        return false;
    }
    return true;
}
