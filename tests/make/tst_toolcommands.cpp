#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "make/DisassemblerOptions.h"
#include "make/DumpTool.h"
#include "make/ExecuteCommand.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// What the Make and Tools commands run: Execute's choice of terminal or DOSBox, Disassemble File's
// options and output, and where Dump is found.
class tst_ToolCommands : public QObject
{
    Q_OBJECT

private slots:
    void choosesWhatRunsTheProgram_data();
    void choosesWhatRunsTheProgram();
    void objectTargetRunsItsLinkedProgram_data();
    void objectTargetRunsItsLinkedProgram();
    void terminalRunsTheProgramInItsFolder();
    void saysSoWhenNothingCanRunIt();
    void fieldNumbersConvert_data();
    void fieldNumbersConvert();
    void optionStringInItsOrder_data();
    void optionStringInItsOrder();
    void bannerIsCutUnlessItComesFirst_data();
    void bannerIsCutUnlessItComesFirst();
    void dumpIsFoundInTheToolsFolder_data();
    void dumpIsFoundInTheToolsFolder();
};

namespace {

// A system where exactly these programs are installed, under /usr/bin.
ExecuteCommand::Finder installed(const QStringList &names)
{
    return [names](const QString &name) {
        return names.contains(name) ? "/usr/bin/" + name : QString();
    };
}

// Writes the file (or, with folder, makes a folder of that name) modified at the given time.
void makeAt(const QString &path, const QDateTime &modified, bool folder = false)
{
    if (folder) {
        QVERIFY(QDir().mkpath(path));
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("MZ");
    QVERIFY(file.flush()); // else the close writes it, after the time was set
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

} // namespace

void tst_ToolCommands::choosesWhatRunsTheProgram_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("folder"); // a bare name fails to start: saysSoWhenNothingCanRunIt
    const QString stay = "\"$1\"; exec \"${SHELL:-/bin/sh}\"";
    const QString dosStay = "\"$1\" || echo \"$1 is a DOS program: it runs from the IDE once "
                            "DOSBox is installed (package dosbox).\"; exec \"${SHELL:-/bin/sh}\"";
    QTest::newRow("com-in-dosbox") << "/src/prog.com" << QStringList{"xterm", "dosbox"}
                                   << "/usr/bin/dosbox" << QStringList{"/src/prog.com"} << "/src";
    QTest::newRow("upper-case-exe-in-dosbox")
        << "/src/PROG.EXE" << QStringList{"dosbox"} << "/usr/bin/dosbox"
        << QStringList{"/src/PROG.EXE"} << "/src";
    QTest::newRow("com-without-dosbox-in-terminal")
        << "/src/prog.com" << QStringList{"xterm"} << "/usr/bin/xterm"
        << QStringList{"-e", "/bin/sh", "-c", dosStay, "sh", "/src/prog.com"} << "/src";
    QTest::newRow("linux-program-skips-dosbox")
        << "/my src/prog" << QStringList{"dosbox", "x-terminal-emulator", "xterm"}
        << "/usr/bin/x-terminal-emulator"
        << QStringList{"-e", "/bin/sh", "-c", stay, "sh", "/my src/prog"} << "/my src";
    QTest::newRow("gnome-terminal-takes-double-dash-program-in-root")
        << "/prog" << QStringList{"gnome-terminal"} << "/usr/bin/gnome-terminal"
        << QStringList{"--", "/bin/sh", "-c", stay, "sh", "/prog"} << "/";
}

void tst_ToolCommands::choosesWhatRunsTheProgram()
{
    QFETCH(QString, target);
    QFETCH(QStringList, installed);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, folder);
    const ExecuteCommand::Plan plan = ExecuteCommand::plan(target, ::installed(installed));
    QVERIFY(plan.launch);
    QCOMPARE(plan.launch->program, program);
    QCOMPARE(plan.launch->arguments, arguments);
    QCOMPARE(plan.launch->workingDirectory, folder);
}

void tst_ToolCommands::objectTargetRunsItsLinkedProgram_data()
{
    QTest::addColumn<QString>("object");  // the target, in a folder of the test's own
    QTest::addColumn<int>("objectAge");   // seconds before now; -1: no object file
    QTest::addColumn<QString>("program"); // what sits beside it
    QTest::addColumn<int>("programAge");  // -1: nothing there; -2: a folder of that name
    QTest::addColumn<QString>("outcome"); // "run", "not linked" or "not relinked"

    QTest::newRow("linked-after-the-build-runs") << "prog.obj" << 60 << "prog.exe" << 0 << "run";
    QTest::newRow("linked-the-same-second-runs") << "prog.obj" << 30 << "prog.exe" << 30 << "run";
    QTest::newRow("a-second-older-is-an-earlier-link")
        << "prog.obj" << 30 << "prog.exe" << 31 << "not relinked";
    QTest::newRow("no-exe-says-the-link-step-makes-it")
        << "prog.obj" << 0 << "prog.exe" << -1 << "not linked";
    QTest::newRow("a-folder-named-like-it-is-no-program")
        << "prog.obj" << 0 << "prog.exe" << -2 << "not linked";
    QTest::newRow("upper-case-object-runs-the-linkers-name")
        << "PROG.OBJ" << 60 << "PROG.exe" << 0 << "run";
    QTest::newRow("object-deleted-since-the-link-runs")
        << "prog.obj" << -1 << "prog.exe" << 0 << "run";
}

void tst_ToolCommands::objectTargetRunsItsLinkedProgram()
{
    QFETCH(QString, object);
    QFETCH(int, objectAge);
    QFETCH(QString, program);
    QFETCH(int, programAge);
    QFETCH(QString, outcome);
    QTemporaryDir dir;
    const QString target = dir.filePath(object);
    const QString exe = dir.filePath(program);
    const QDateTime now = QDateTime::currentDateTime();
    if (objectAge >= 0)
        makeAt(target, now.addSecs(-objectAge));
    if (programAge != -1)
        makeAt(exe, now.addSecs(-programAge), programAge == -2);

    const ExecuteCommand::Plan plan = ExecuteCommand::plan(target, installed({"dosbox", "xterm"}));
    if (outcome == "run") {
        QVERIFY(plan.launch);
        QCOMPARE(plan.launch->program, QString("/usr/bin/dosbox"));
        QCOMPARE(plan.launch->arguments, QStringList{exe});
        QCOMPARE(plan.launch->workingDirectory, dir.path());
        return;
    }
    QVERIFY(!plan.launch);
    const QString message = outcome == "not linked"
                                ? ExecuteCommand::notLinkedMessage(exe, target)
                                : ExecuteCommand::notRelinkedMessage(exe, target);
    QCOMPARE(plan.message, message);
    QVERIFY(message.contains(exe) && message.contains("link step"));

    // Said through the prompts, and nothing starts.
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    bool started = false;
    QVERIFY(
        !ExecuteCommand::execute(target,
                                 installed({"dosbox"}),
                                 [&](const ExecuteCommand::Launch &) { return started = true; }));
    QCOMPARE(prompts.messagesAsked(), QStringList{message});
    QVERIFY(!started);
}

void tst_ToolCommands::terminalRunsTheProgramInItsFolder()
{
    // A stand-in terminal that runs its command; the stand-in program records where it ran.
    QTemporaryDir dir;
    const QString folder = dir.filePath("my prog");
    QVERIFY(QDir().mkpath(folder));
    const QString terminal = dir.filePath("xterm");
    const auto writeScript = [](const QString &path, const QByteArray &text) {
        QVERIFY(writeFileBytes(path, text));
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    };
    // Its stdin is closed, so the shell that keeps the window open ends at once.
    writeScript(terminal, "#!/bin/sh\n[ \"$1\" = -e ] && shift\nexec \"$@\" </dev/null\n");
    writeScript(folder + "/prog", "#!/bin/sh\npwd > ran.txt\n");

    ScriptedPrompts prompts;
    QVERIFY(ExecuteCommand::execute(folder + "/prog", [&](const QString &name) {
        return name == "xterm" ? terminal : QString();
    }));
    QTRY_COMPARE(readFileBytes(folder + "/ran.txt").trimmed(),
                 QDir(folder).canonicalPath().toUtf8());
    QVERIFY(prompts.allAnswered());
}

void tst_ToolCommands::saysSoWhenNothingCanRunIt()
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

void tst_ToolCommands::fieldNumbersConvert_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("value");
    QTest::newRow("7C00-is-decimal-7") << "7C00" << 7u;
    QTest::newRow("0x7C00") << "0x7C00" << 31744u;
    QTest::newRow("0X7C00-is-decimal-0") << "0X7C00" << 0u;
    QTest::newRow("lower-case-hex-digits") << "0x7c00" << 31744u;
    QTest::newRow("bare-prefix") << "0x" << 0u;
    QTest::newRow("past-32-bits-stops") << "0x123456789" << 0xFFFFFFFFu;
}

void tst_ToolCommands::fieldNumbersConvert()
{
    QFETCH(QString, text);
    QFETCH(quint32, value);
    QCOMPARE(DisassemblerOptions::parseNumber(text), value);
}

void tst_ToolCommands::optionStringInItsOrder_data()
{
    QTest::addColumn<DisassemblerOptions>("options");
    QTest::addColumn<QString>("switches");
    QTest::addColumn<int>("kind");
    QTest::newRow("defaults") << DisassemblerOptions() << " /o0x00000100 /e0x00000000 /n /N /b"
                              << 0;
    DisassemblerOptions both;
    both.showBinary = both.showOffset = both.bits32 = true;
    both.skip = 0x200;
    QTest::newRow("both-columns-32-bit") << both << " /o0x00000100 /e0x00000200 /B" << 2;
    DisassemblerOptions binary;
    binary.showBinary = true;
    QTest::newRow("bytes-column-only") << binary << " /o0x00000100 /e0x00000000 /N /b" << 2;
}

void tst_ToolCommands::optionStringInItsOrder()
{
    QFETCH(DisassemblerOptions, options);
    QFETCH(QString, switches);
    QFETCH(int, kind);
    QCOMPARE(options.optionString(), switches);
    QCOMPARE(options.requestedKind(), kind);
    const QStringList args = options.arguments("/bin dir/boot.bin");
    QCOMPARE(args.first(), QString("/bin dir/boot.bin"));
    QCOMPARE(' ' + args.mid(1).join(' '), switches);
}

void tst_ToolCommands::bannerIsCutUnlessItComesFirst_data()
{
    const QByteArray banner = "QVDISASM   The Quillvane Disassembler   Version  01.00\r\n";
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("ends-with-banner")
        << "org 100h\r\nnop\r\n" + banner << QByteArray("org 100h\r\nnop\r\n");
    QTest::newRow("begins-with-banner") << banner + "nop\r\n" << banner + "nop\r\n";
    QTest::newRow("near-banner-kept")
        << QByteArray("nop\r\nQVDISASM  The Quillvane Disassembler   Version  1")
        << QByteArray("nop\r\nQVDISASM  The Quillvane Disassembler   Version  1");
}

void tst_ToolCommands::bannerIsCutUnlessItComesFirst()
{
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, kept);
    QCOMPARE(DisassemblerOptions::cutBanner(output), kept);
}

void tst_ToolCommands::dumpIsFoundInTheToolsFolder_data()
{
    QTest::addColumn<QString>("toolsDir");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder-without-final-separator") << "/opt/q/tools"
                                                    << "/opt/q/tools/dump";
    QTest::newRow("default-is-the-program-folder") << "./"
                                                   << "/prog/dump";
}

void tst_ToolCommands::dumpIsFoundInTheToolsFolder()
{
    QFETCH(QString, toolsDir);
    QFETCH(QString, path);
    QCOMPARE(DumpTool::path(toolsDir, "/prog"), path);
}

QTEST_GUILESS_MAIN(tst_ToolCommands)
#include "tst_toolcommands.moc"
