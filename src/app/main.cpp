#include "app/CommandLine.h"
#include "app/ui/CQvasmApp.h"
#include "app/ui/Subsystems.h"
#include "base/AppInfo.h"
#include "base/ConsolePrompts.h"
#include "base/ProgramValues.h"
#include "base/SettingsStore.h"
#include "make/CommandLineBuild.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {
void print(FILE *out, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), out);
}

void write(FILE *out, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
}

// --build, --check, --assemble: the IDE's build road on a console application, so no display is
// needed and nothing of the window (settings notice, single instance) is involved.
int runBuild(int argc, char *argv[], const CommandLine &line)
{
    QCoreApplication app(argc, argv);
    app.setOrganizationName(QLatin1String(AppInfo::OrganizationName));
    app.setApplicationName(QLatin1String(AppInfo::ApplicationName));
    ProgramValues::instance().programFolder = QCoreApplication::applicationDirPath();
    ConsolePrompts prompts([](const QString &text) { print(stderr, text); });
    Prompts::setInstance(&prompts);
    if (const QString refused = SettingsStore::instance().refusalMessage(); !refused.isEmpty())
        print(stderr, refused + QLatin1Char('\n'));
    CommandLineBuild build([](const QByteArray &bytes) { write(stdout, bytes); },
                           [](const QByteArray &bytes) { write(stderr, bytes); });
    const AssemblerRun::Command command = line.action == CommandLine::Action::Build
                                              ? AssemblerRun::Build
                                          : line.action == CommandLine::Action::Assemble
                                              ? AssemblerRun::Assemble
                                              : AssemblerRun::CheckSyntax;
    const int code
        = build.run(command,
                    line.file,
                    CommandLineBuild::withBundledTools(MakeSettings::loadPaths(),
                                                       ProgramValues::instance().programFolder));
    Prompts::setInstance(nullptr);
    return code;
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
    // A build request never starts the window, malformed or not: scripts run where none can show.
    if (line.isBuild())
        return runBuild(argc, argv, line);
    if (CommandLine::requestsBuild(early)) {
        print(stderr, program + QLatin1String(": ") + line.error + QLatin1Char('\n'));
        return 2;
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
