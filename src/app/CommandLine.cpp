#include "app/CommandLine.h"

#include "base/AppInfo.h"

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (const QString &arg : arguments) {
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            if (arg == QLatin1String("--")) {
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
        if (line.file.isEmpty())
            line.file = arg;
        else
            line.ignoredFiles.append(arg);
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
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n"
                          "  --             end of options: what follows is a file name\n"
                          "\n"
                          "A second copy started while one runs brings the first to the front,\n"
                          "hands it the file, and ends.\n")
        .arg(programName);
}
