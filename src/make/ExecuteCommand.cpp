#include "make/ExecuteCommand.h"

#include "base/Prompts.h"

#include <QFileInfo>
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

bool ExecuteCommand::isObjectFile(const QString &target)
{
    return target.endsWith(QLatin1String(".obj"), Qt::CaseInsensitive);
}

QString ExecuteCommand::linkedProgram(const QString &objectFile)
{
    return objectFile.chopped(qMin<qsizetype>(3, objectFile.size())) + QStringLiteral("exe");
}

QString ExecuteCommand::notLinkedMessage(const QString &program, const QString &objectFile)
{
    return QStringLiteral("There is no program to run: %1 does not exist.\nThe link step makes "
                          "it from %2: the workspace's post-build command (Make Settings, Post "
                          "Build) runs it after each Build.")
        .arg(program, objectFile);
}

QString ExecuteCommand::notRelinkedMessage(const QString &program, const QString &objectFile)
{
    return QStringLiteral("%1 is older than %2: the link step has not made it from the last "
                          "build.\nThe workspace's post-build command (Make Settings, Post Build) "
                          "links it after each Build; its output is in the output pane.")
        .arg(program, objectFile);
}

ExecuteCommand::Plan ExecuteCommand::plan(const QString &target, const Finder &find)
{
    const Finder &lookUp = find ? find : Finder(findInPath);
    Plan plan;
    if (target.isEmpty()) {
        plan.message = NoProgramMessage;
        return plan;
    }
    QString program = target;
    if (isObjectFile(target)) {
        program = linkedProgram(target);
        const QFileInfo linked(program);
        const QFileInfo object(target);
        if (!linked.isFile()) {
            plan.message = notLinkedMessage(program, target);
            return plan;
        }
        // The link runs after the build, so a program older than its object is an earlier one.
        if (object.exists() && linked.lastModified() < object.lastModified()) {
            plan.message = notRelinkedMessage(program, target);
            return plan;
        }
    }
    const QString folder = workingDirectory(program);

    if (isDosProgram(program)) {
        const QString dosbox = lookUp(QStringLiteral("dosbox"));
        if (!dosbox.isEmpty()) {
            // DOSBox mounts the program's folder and stays open after the program ends.
            plan.launch = Launch{dosbox, {program}, folder};
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
                  << (isDosProgram(program) ? DosStayOpenScript : StayOpenScript)
                  << QStringLiteral("sh") << program;
        plan.launch = Launch{terminal, arguments, folder};
        return plan;
    }
    plan.message = NothingToRunWithMessage;
    return plan;
}

bool ExecuteCommand::execute(const QString &target, const Finder &find, const Starter &start)
{
    const Plan p = plan(target, find);
    if (!p.launch) {
        showMessage(p.message);
        return false;
    }
    const bool started = start ? start(*p.launch)
                               : QProcess::startDetached(p.launch->program,
                                                         p.launch->arguments,
                                                         p.launch->workingDirectory);
    if (!started) {
        showMessage(CreateProcessFailedMessage);
        return false;
    }
    return true;
}
