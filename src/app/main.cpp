#include "app/CommandLine.h"
#include "app/ui/CQvasmApp.h"
#include "app/ui/Subsystems.h"

#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {
void print(FILE *out, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), out);
}
} // namespace

int main(int argc, char *argv[])
{
    // --version and --help answer without a display, before Qt looks for one.
    QStringList early;
    for (int i = 1; i < argc; ++i)
        early << QString::fromLocal8Bit(argv[i]);
    const QString program = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    const CommandLine line = CommandLine::parse(early);
    if (line.action == CommandLine::Action::ShowVersion) {
        print(stdout, CommandLine::versionText());
        return 0;
    }
    if (line.action == CommandLine::Action::ShowHelp) {
        print(stdout, CommandLine::usageText(program));
        return 0;
    }

    CQvasmApp app(argc, argv);
    // Qt has taken its own options (-platform, -style, ...) out; what is left is ours.
    const CommandLine ours = CommandLine::parse(app.arguments().mid(1));
    if (ours.action == CommandLine::Action::ShowVersion) {
        print(stdout, CommandLine::versionText());
        return 0;
    }
    if (ours.action == CommandLine::Action::ShowHelp) {
        print(stdout, CommandLine::usageText(program));
        return 0;
    }
    if (ours.action == CommandLine::Action::Error) {
        print(stderr, program + QLatin1String(": ") + ours.error + QLatin1Char('\n'));
        print(stderr, CommandLine::usageText(program));
        return 2;
    }
    for (const QString &ignored : ours.ignoredFiles)
        print(stderr, program + QLatin1String(": opens one file; ignoring ") + ignored + '\n');

    app.setCommandLineFile(ours.file);
    installSubsystems(app);
    if (!app.InitInstance())
        return app.ExitInstance(0);
    return app.ExitInstance(app.exec());
}
