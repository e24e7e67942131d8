#include "ScriptedPrompts.h"
#include "build/ExecuteCommand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_Execute : public QObject
{
    Q_OBJECT

private slots:
    void choosesWhatRunsTheProgram_data();
    void choosesWhatRunsTheProgram();
    void workingDirectoryIsTheTargetsFolder_data();
    void workingDirectoryIsTheTargetsFolder();
    void terminalRunsTheProgramInItsFolder();
    void saysSoWhenNothingCanRunIt();
};

namespace {

// A system where exactly these programs are installed, under /usr/bin.
ExecuteCommand::Finder installed(const QStringList &names)
{
    return [names](const QString &name) {
        return names.contains(name) ? "/usr/bin/" + name : QString();
    };
}

} // namespace

void tst_Execute::choosesWhatRunsTheProgram_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    const QString stay = "\"$1\"; exec \"${SHELL:-/bin/sh}\"";
    const QString dosStay = "\"$1\" || echo \"$1 is a DOS program: it runs from the IDE once "
                            "DOSBox is installed (package dosbox).\"; exec \"${SHELL:-/bin/sh}\"";
    QTest::newRow("com-in-dosbox") << "/src/prog.com" << QStringList{"xterm", "dosbox"}
                                   << "/usr/bin/dosbox" << QStringList{"/src/prog.com"};
    QTest::newRow("upper-case-exe-in-dosbox") << "/src/PROG.EXE" << QStringList{"dosbox"}
                                              << "/usr/bin/dosbox" << QStringList{"/src/PROG.EXE"};
    QTest::newRow("com-without-dosbox-in-terminal")
        << "/src/prog.com" << QStringList{"xterm"} << "/usr/bin/xterm"
        << QStringList{"-e", "/bin/sh", "-c", dosStay, "sh", "/src/prog.com"};
    QTest::newRow("linux-program-skips-dosbox")
        << "/my src/prog" << QStringList{"dosbox", "x-terminal-emulator", "xterm"}
        << "/usr/bin/x-terminal-emulator"
        << QStringList{"-e", "/bin/sh", "-c", stay, "sh", "/my src/prog"};
    QTest::newRow("gnome-terminal-takes-double-dash")
        << "/src/prog" << QStringList{"gnome-terminal"} << "/usr/bin/gnome-terminal"
        << QStringList{"--", "/bin/sh", "-c", stay, "sh", "/src/prog"};
    QTest::newRow("nothing-installed")
        << "/src/prog.com" << QStringList{} << QString() << QStringList{};
}

void tst_Execute::choosesWhatRunsTheProgram()
{
    QFETCH(QString, target);
    QFETCH(QStringList, installed);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const ExecuteCommand::Plan plan = ExecuteCommand::plan(target, ::installed(installed));
    if (program.isEmpty()) {
        QVERIFY(!plan.launch);
        QCOMPARE(plan.message, ExecuteCommand::NothingToRunWithMessage);
        return;
    }
    QVERIFY(plan.launch);
    QCOMPARE(plan.launch->program, program);
    QCOMPARE(plan.launch->arguments, arguments);
}

void tst_Execute::workingDirectoryIsTheTargetsFolder_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("folder");
    QTest::newRow("full-path") << "/src/prog.com"
                               << "/src";
    QTest::newRow("blank-in-path") << "/my src/prog"
                                   << "/my src";
    QTest::newRow("root") << "/prog"
                          << "/";
    QTest::newRow("bare-name-used-whole") << "prog.com"
                                          << "prog.com";
}

void tst_Execute::workingDirectoryIsTheTargetsFolder()
{
    QFETCH(QString, target);
    QFETCH(QString, folder);
    QCOMPARE(ExecuteCommand::workingDirectory(target), folder);
    const auto plan = ExecuteCommand::plan(target, installed({"xterm"}));
    QCOMPARE(plan.launch->workingDirectory, folder);
}

void tst_Execute::terminalRunsTheProgramInItsFolder()
{
    // A stand-in terminal that runs its command; the stand-in program records where it ran.
    QTemporaryDir dir;
    const QString folder = dir.filePath("my prog");
    QVERIFY(QDir().mkpath(folder));
    const QString terminal = dir.filePath("xterm");
    const auto writeScript = [](const QString &path, const QByteArray &text) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    };
    // Its stdin is closed, so the shell that keeps the window open ends at once.
    writeScript(terminal, "#!/bin/sh\n[ \"$1\" = -e ] && shift\nexec \"$@\" </dev/null\n");
    writeScript(folder + "/prog", "#!/bin/sh\npwd > ran.txt\n");

    ScriptedPrompts prompts;
    QVERIFY(ExecuteCommand::execute(folder + "/prog", [&](const QString &name) {
        return name == "xterm" ? terminal : QString();
    }));
    const auto ranIn = [&] {
        QFile ran(folder + "/ran.txt");
        return ran.open(QIODevice::ReadOnly) ? ran.readAll().trimmed() : QByteArray();
    };
    QTRY_COMPARE(ranIn(), QDir(folder).canonicalPath().toUtf8());
    QVERIFY(prompts.allAnswered());
}

void tst_Execute::saysSoWhenNothingCanRunIt()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(!ExecuteCommand::execute("/src/prog.com", installed({})));
    QCOMPARE(prompts.messagesAsked(), QStringList{ExecuteCommand::NothingToRunWithMessage});

    // A target without a folder makes the start fail, and that is said too.
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(!ExecuteCommand::execute("no-such-prog", installed({"xterm"})));
    QCOMPARE(prompts.messagesAsked().value(1), QString("Create process failed"));
}

QTEST_GUILESS_MAIN(tst_Execute)
#include "tst_execute.moc"
