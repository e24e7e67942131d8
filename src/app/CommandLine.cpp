#include "app/CommandLine.h"

#include "base/AppInfo.h"

#include <optional>

namespace {

std::optional<CommandLine::Action> buildAction(const QString &arg)
{
    if (arg == QLatin1String("--build"))
        return CommandLine::Action::Build;
    if (arg == QLatin1String("--check"))
        return CommandLine::Action::CheckSyntax;
    if (arg == QLatin1String("--assemble"))
        return CommandLine::Action::Assemble;
    return std::nullopt;
}

} // namespace

bool CommandLine::isBuild() const
{
    return action == Action::Build || action == Action::CheckSyntax || action == Action::Assemble;
}

bool CommandLine::requestsBuild(const QStringList &arguments)
{
    for (const QString &arg : arguments) {
        if (arg == QLatin1String("--"))
            return false;
        if (buildAction(arg))
            return true;
    }
    return false;
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    std::optional<Action> build;
    QString buildOption;
    const auto fail = [&line](const QString &error) {
        line = CommandLine();
        line.action = Action::Error;
        line.error = error;
        return line;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            if (const std::optional<Action> a = buildAction(arg)) {
                // One build per run, and its file is the next argument, whatever it looks like.
                if (build)
                    return fail(QStringLiteral("one of --build, --check, --assemble at a time"));
                if (!line.file.isEmpty())
                    return fail(
                        QStringLiteral("%1 takes one file; unexpected %2").arg(arg, line.file));
                if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                    return fail(QStringLiteral("%1 needs a file").arg(arg));
                build = a;
                buildOption = arg;
                line.file = arguments.at(++i);
            } else if (arg == QLatin1String("--")) {
                optionsEnded = true;
            } else if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
                line.action = Action::ShowVersion;
                return line;
            } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
                line.action = Action::ShowHelp;
                return line;
            } else {
                line.action = Action::Error;
                line.error = QStringLiteral("unknown option: %1").arg(arg);
                return line;
            }
            continue;
        }
        if (build)
            return fail(QStringLiteral("%1 takes one file; unexpected %2").arg(buildOption, arg));
        if (line.file.isEmpty())
            line.file = arg;
        else
            line.ignoredFiles.append(arg);
    }
    if (build) {
        if (!line.ignoredFiles.isEmpty() || line.file.isEmpty())
            return fail(QStringLiteral("%1 takes one file").arg(buildOption));
        line.action = *build;
    }
    return line;
}

QString CommandLine::versionText()
{
    return QStringLiteral("%1 %2\n").arg(QLatin1String(AppInfo::ApplicationName),
                                         QLatin1String(AppInfo::Version));
}

QString CommandLine::usageText(const QString &programName)
{
    return QStringLiteral("Usage: %1 [options] [file]\n"
                          "\n"
                          "QVASMIDE, the IDE for the QVASM assembler.\n"
                          "\n"
                          "  file           a source file to open (after the last workspace when\n"
                          "                 the options say to reload it); a .qvw file opens as\n"
                          "                 the workspace\n"
                          "  --build WORKSPACE.qvw\n"
                          "                 build the workspace's main file into its target\n"
                          "  --check FILE   check the syntax of FILE (nothing is written)\n"
                          "  --assemble FILE.asm\n"
                          "                 assemble FILE.asm into FILE.com\n"
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n"
                          "  --             end of options: what follows is a file name\n"
                          "\n"
                          "A second copy started while one runs brings the first to the front,\n"
                          "hands it the file, and ends.\n"
                          "\n"
                          "--build, --check and --assemble open no window and need no display:\n"
                          "they run the assembler set in the Make settings (else the one beside\n"
                          "the program) as the IDE does, print its output and then the Build\n"
                          "Window's list and totals. Exit code: 0 no errors, 1 errors, 2 the\n"
                          "tool could not run or the input is unusable.\n")
        .arg(programName);
}
