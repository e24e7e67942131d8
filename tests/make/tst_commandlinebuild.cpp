// Builds from the command line: the core that runs them (CommandLineBuild) against the stand-in
// tool (tests/e2e/tst_headlessbuild runs the program itself).
#include "../tools/support/DosBoxRun.h"
#include "FakeTool.h"

#include "base/ConsolePrompts.h"
#include "make/CommandLineBuild.h"
#include "make/ToolRunner.h"
#include "workspace/ProjectWizard.h"
#include "workspace/WorkspaceRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kErrorLine = "\t/p/a.asm (3):  error 21h Symbol not defined:  msg";

QByteArray capture(const QByteArray &lines, int errors, int diags)
{
    return "\r\n" + lines + "\r\n" + "Symbol space free:   65000\r\n"
           + "Total errors:        " + QByteArray::number(errors) + "\r\n"
           + "Total diags:         " + QByteArray::number(diags) + "\r\n";
}

// The capture as a faketool "out" command: line breaks and tabs escaped.
QByteArray outCommand(const QByteArray &bytes)
{
    QByteArray e = bytes;
    e.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t");
    return "out " + e + "\n";
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class tst_CommandLineBuild : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void exitCodeFromTheRun_data();
    void exitCodeFromTheRun();
    void unusableInputRunsNothing_data();
    void unusableInputRunsNothing();
    void buildUsesTheWorkspace();
    void exeProjectBuildLinksItsObject_data();
    void exeProjectBuildLinksItsObject();
    void wizardExeProjectBuildsAndRuns_data();
    void wizardExeProjectBuildsAndRuns();
    void buildWindowText();
    void bundledToolsFillOnlyEmptyPaths();
    void consoleQuestionsChangeNothing_data();
    void consoleQuestionsChangeNothing();

private:
    int run(AssemblerRun::Command command, const QString &file, const ToolPaths &paths);
    ToolPaths fakePaths() const;

    QTemporaryDir m_dir;
    QByteArray m_out;
    QByteArray m_err;
    std::unique_ptr<ConsolePrompts> m_prompts;
};

void tst_CommandLineBuild::init()
{
    QVERIFY(m_dir.isValid());
    m_out.clear();
    m_err.clear();
    m_prompts = std::make_unique<ConsolePrompts>([this](const QString &t) { m_err += t.toUtf8(); });
    Prompts::setInstance(m_prompts.get());
}

void tst_CommandLineBuild::cleanup()
{
    Prompts::setInstance(nullptr);
    m_prompts.reset();
    qunsetenv("FAKETOOL_SCRIPT");
}

int tst_CommandLineBuild::run(AssemblerRun::Command command,
                              const QString &file,
                              const ToolPaths &paths)
{
    CommandLineBuild build([this](const QByteArray &b) { m_out += b; },
                           [this](const QByteArray &b) { m_err += b; });
    return build.run(command, file, paths);
}

ToolPaths tst_CommandLineBuild::fakePaths() const
{
    ToolPaths paths;
    paths.assembler = FakeTool::path();
    return paths;
}

void tst_CommandLineBuild::exitCodeFromTheRun_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("assembler"); // empty: the stand-in tool
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("inOutput");
    QTest::addColumn<QByteArray>("inErrors");

    QTest::newRow("no-errors") << outCommand(capture("", 0, 0)) + "exit 0\n"
                               << QString() << 0 << QByteArray("Total Errors: 0\n") << QByteArray();
    QTest::newRow("one-error") << outCommand(
                                      capture(kErrorLine + "\r\n        mov dx, offset msg\r\n",
                                              1,
                                              0))
                                      + "exit 1\n"
                               << QString() << 1 << "Build Window\n" + kErrorLine + "\n"
                               << QByteArray();
    QTest::newRow("diagnostics-only-are-no-errors")
        << outCommand(capture("\t/p/a.asm (9):   diag 76h Could use SHORT jump\r\n", 0, 1))
               + "exit 1\n"
        << QString() << 0 << QByteArray("Total Diagnostics: 1\n") << QByteArray();
    // The tool failed without its trailer: never a success.
    QTest::newRow("non-zero-without-trailer")
        << QByteArray("out cannot open\\r\\n\nexit 3\n") << QString() << 1
        << QByteArray("Return Code: 03h\n") << QByteArray();
    QTest::newRow("exit-zero-yet-errors-counted")
        << outCommand(capture(kErrorLine + "\r\n", 1, 0)) + "exit 0\n"
        << QString() << 1 << QByteArray("Total Errors: 1\n") << QByteArray();
    QTest::newRow("tool-crashed") << QByteArray("out x\\r\\n\nabort\n") << QString() << 2
                                  << QByteArray() << QByteArray("Return code: 0100");
    QTest::newRow("tool-wrote-nothing") << QByteArray("exit 0\n") << QString() << 2 << QByteArray()
                                        << QByteArray("Return code: 0101");
    QTest::newRow("tool-missing") << QByteArray() << m_dir.filePath("no-such-tool") << 2
                                  << QByteArray() << QByteArray("Create process failed");
}

void tst_CommandLineBuild::exitCodeFromTheRun()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, assembler);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, inOutput);
    QFETCH(QByteArray, inErrors);
    const QString source = m_dir.filePath("a.asm");
    writeFile(source, ".model tiny\n");
    FakeTool::script(script);
    ToolPaths paths = fakePaths();
    if (!assembler.isEmpty())
        paths.assembler = assembler;

    QCOMPARE(run(AssemblerRun::CheckSyntax, source, paths), exitCode);
    QVERIFY2(m_out.contains(inOutput), m_out.constData());
    QVERIFY2(m_err.contains(inErrors), m_err.constData());
    if (exitCode == 2)
        QVERIFY(!m_out.contains("Build Window"));
}

void tst_CommandLineBuild::unusableInputRunsNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("file"); // in the temporary folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("inErrors");

    QTest::newRow("missing-source") << int(AssemblerRun::CheckSyntax) << "none.asm" << 2
                                    << QByteArray("none.asm: No such file or directory");
    QTest::newRow("folder-as-source")
        << int(AssemblerRun::Assemble) << "dir.asm" << 2 << QByteArray("dir.asm: Is a folder");
    // Both sides of the empty-text rule: no byte refuses, one byte runs.
    QTest::newRow("empty-source") << int(AssemblerRun::CheckSyntax) << "empty.asm" << 2
                                  << QByteArray("empty.asm is empty");
    QTest::newRow("one-byte-source")
        << int(AssemblerRun::CheckSyntax) << "one.asm" << 0 << QByteArray();
    QTest::newRow("assemble-not-asm")
        << int(AssemblerRun::Assemble) << "a.inc" << 2 << QByteArray("a.inc is not an .asm source");
    QTest::newRow("assemble-upper-case-asm")
        << int(AssemblerRun::Assemble) << "B.ASM" << 0 << QByteArray();
    QTest::newRow("check-include-file")
        << int(AssemblerRun::CheckSyntax) << "a.inc" << 0 << QByteArray();
    QTest::newRow("not-a-workspace")
        << int(AssemblerRun::Build) << "a.inc" << 2 << QByteArray("a.inc is not a workspace file");
    QTest::newRow("missing-workspace")
        << int(AssemblerRun::Build) << "none.qvw" << 2
        << QByteArray("cannot read ") + QDir(m_dir.path()).filePath("none.qvw").toUtf8();
    QTest::newRow("workspace-without-main-file")
        << int(AssemblerRun::Build) << "nomain.qvw" << 2 << QByteArray("Error getting path name 2");
    QTest::newRow("workspace-main-file-missing")
        << int(AssemblerRun::Build) << "lost.qvw" << 2
        << QByteArray("cannot read the main file gone.asm");
    QTest::newRow("workspace-target-is-folder")
        << int(AssemblerRun::Build) << "dirtarget.qvw" << 2 << QByteArray("Cannot build dir.asm");
    QTest::newRow("workspace-ok") << int(AssemblerRun::Build) << "ok.qvw" << 0 << QByteArray();
}

void tst_CommandLineBuild::unusableInputRunsNothing()
{
    QFETCH(int, command);
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, inErrors);
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath("dir.asm"));
    writeFile(dir.filePath("empty.asm"), "");
    writeFile(dir.filePath("one.asm"), "x");
    writeFile(dir.filePath("a.inc"), "x equ 1\n");
    writeFile(dir.filePath("B.ASM"), "nop\n");
    const auto workspace = [&](const QString &name, const QString &main, const QString &target) {
        WorkspaceRecord r;
        r.setOpen(true);
        r.setMainFile(main);
        r.setTargetFile(target);
        QVERIFY(r.saveTo(dir.filePath(name)));
    };
    workspace("nomain.qvw", QString(), QString());
    workspace("lost.qvw", "gone.asm", QString());
    workspace("dirtarget.qvw", dir.filePath("one.asm"), "dir.asm");
    workspace("ok.qvw", dir.filePath("one.asm"), "one.com");

    const QString record = dir.filePath("ran.txt");
    QFile::remove(record);
    FakeTool::script(outCommand(capture("", 0, 0)) + "record " + record.toUtf8() + "\n");
    QCOMPARE(run(AssemblerRun::Command(command), dir.filePath(file), fakePaths()), exitCode);
    QVERIFY2(m_err.contains(inErrors), m_err.constData());
    QCOMPARE(QFile::exists(record), exitCode != 2);
}

void tst_CommandLineBuild::buildUsesTheWorkspace()
{
    // The switches come from the workspace's options by the IDE's rule, the library folder from
    // the settings; a main file stored without a folder is the workspace's; the post-build
    // commands' text follows the tool's output.
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath("proj"));
    writeFile(dir.filePath("proj/main.asm"), "nop\n");
    WorkspaceRecord r;
    r.setOpen(true);
    r.setMainFile("main.asm");
    r.setTargetFile("prog.com");
    r.setOption(WorkspaceRecord::Option::UseJumps, true);
    r.setPostBuildCommands("echo post-build ran");
    QVERIFY(r.saveTo(dir.filePath("proj/p.qvw")));

    const QString record = dir.filePath("args.txt");
    FakeTool::script(outCommand(capture("", 0, 0)) + "record " + record.toUtf8() + "\n");
    ToolPaths paths = fakePaths();
    paths.libraryPath = "/lib dir";
    QCOMPARE(run(AssemblerRun::Build, dir.filePath("proj/p.qvw"), paths), 0);

    QFile f(record);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString proj = QFileInfo(dir.filePath("proj")).absoluteFilePath();
    QCOMPARE(QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts),
             QStringList(
                 {proj + "/main.asm", "prog.com", "/L{/lib dir}", "/j", "cwd=" + proj, "stdin=eof"}));
    QVERIFY(m_out.startsWith("-=-=-=-=-=-=-=-=-= Building: prog.com -=-=-=-=-=-=-=-=-=\n"));
    const qsizetype post = m_out.indexOf("post-build ran");
    QVERIFY2(post > 0, m_out.constData());
    QVERIFY(post < m_out.indexOf("Build Window"));
}

void tst_CommandLineBuild::exeProjectBuildLinksItsObject_data()
{
    QTest::addColumn<QString>("linkerFolder"); // where the stand-in linker is installed
    QTest::addColumn<QString>("project");

    QTest::newRow("plain-folders") << "tools"
                                   << "proj";
    QTest::newRow("blank-and-quote-in-the-linkers-folder") << "my tools/it's"
                                                           << "proj";
    QTest::newRow("dollar-and-blank-in-the-project") << "tools"
                                                     << "$HOME x";
}

void tst_CommandLineBuild::exeProjectBuildLinksItsObject()
{
    // The .EXE project the wizard makes: the build runs its link line after the assembler and
    // waits for it, as the IDE's Build does, so the program is there when the build returns.
    QFETCH(QString, linkerFolder);
    QFETCH(QString, project);
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(linkerFolder) && dir.mkpath(project));
    const QString linker = dir.filePath(linkerFolder + "/qvlink");
    writeFile(linker,
              "#!/bin/sh\n"
              "[ -f \"$1\" ] || { echo \"$1 (0):  error no object\"; exit 1; }\n"
              "printf 'MZ' > \"${1%.obj}.exe\"\n"
              "echo \"linked $1\"\n");
    QVERIFY(QFile::setPermissions(linker, QFile::permissions(linker) | QFile::ExeOwner));
    const QString l = QFileInfo(dir.filePath(project)).absoluteFilePath() + "/";
    writeFile(l + "hello.asm", ".model small\n");
    writeFile(l + "hello.obj", "object"); // what the assembler would have written
    WorkspaceRecord r;
    QVERIFY(ProjectWizard::fillRecord(r, l, "hello.asm", "hello.obj", ProjectKind::Exe, linker));
    QVERIFY(r.saveTo(l + "hello.qvw"));

    qputenv("SHELL", "/bin/sh");
    FakeTool::script(outCommand(capture("", 0, 0)));
    QCOMPARE(run(AssemblerRun::Build, l + "hello.qvw", fakePaths()), 0);
    QCOMPARE(readFile(l + "hello.exe"), QByteArray("MZ"));
    const qsizetype linked = m_out.indexOf("linked hello.obj");
    QVERIFY2(linked > 0, m_out.constData());
    QVERIFY(linked < m_out.indexOf("Build Window"));
}

void tst_CommandLineBuild::wizardExeProjectBuildsAndRuns_data()
{
    QTest::addColumn<bool>("stack");
    QTest::addColumn<bool>("linkFails"); // the program calls a name no module defines
    QTest::newRow("plain-skeleton") << false << false;
    QTest::newRow("skeleton-with-a-stack") << true << false;
    QTest::newRow("unresolved-name-fails-the-build") << true << true;
}

void tst_CommandLineBuild::wizardExeProjectBuildsAndRuns()
{
    // The whole .EXE road with the bundled tools: the wizard's skeleton with a "Hello" added, one
    // Build (assembler, then the workspace's link line), and the program run.
    QFETCH(bool, stack);
    QFETCH(bool, linkFails);
    const QString tools = qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/";
    if (!QFileInfo(tools + "qvasm").isExecutable() || !QFileInfo(tools + "qvlink").isExecutable())
        QSKIP("qvasm and qvlink are not built");
    const QString l = QDir(m_dir.path()).absoluteFilePath(QTest::currentDataTag()) + "/";
    QVERIFY(QDir().mkpath(l));
    ProjectWizardOptions options;
    options.stack = stack;
    options.stackSize = 512;
    QCOMPARE(ProjectWizard::writeMainFile(l + "hello.asm", ProjectKind::Exe, options),
             AtomicFileWriter::CreateResult::Created);
    QByteArray source = readFile(l + "hello.asm");
    QVERIFY(source.contains("; Place your code here\r\n") && source.contains(".end"));
    source.replace("; Place your code here\r\n",
                   "        mov ax, @data\r\n        mov ds, ax\r\n        mov ah, 9\r\n"
                   "        mov dx, offset msg\r\n        int 21h\r\n");
    source.replace(".end", ".data\r\nmsg     db 'Hello', 13, 10, '$'\r\n.end");
    if (linkFails)
        source.replace(".code", ".external nowhere\r\n.code")
            .replace("int 21h\r\n", "int 21h\r\n        call nowhere\r\n");
    writeFile(l + "hello.asm", source);
    WorkspaceRecord r;
    QVERIFY(ProjectWizard::fillRecord(r,
                                      l,
                                      "hello.asm",
                                      "hello.obj",
                                      ProjectKind::Exe,
                                      tools + "qvlink"));
    QVERIFY(r.saveTo(l + "hello.qvw"));

    qputenv("SHELL", "/bin/sh");
    ToolPaths paths;
    paths.assembler = tools + "qvasm";
    const int exitCode = run(AssemblerRun::Build, l + "hello.qvw", paths);
    if (linkFails) {
        QCOMPARE(exitCode, int(CommandLineBuild::Errors));
        QVERIFY2(m_out.contains("error 21h"), m_out.constData());
        QVERIFY(!QFileInfo::exists(l + "hello.exe"));
        return;
    }
    QCOMPARE(exitCode, 0);
    QVERIFY2(readFile(l + "hello.exe").startsWith("MZ"), m_out.constData());
    QByteArray printed;
    QString why;
    if (DosBoxRun::program().isEmpty())
        QSKIP("dosbox is not installed: the linked program was not run");
    QVERIFY2(DosBoxRun::run(l, "HELLO.EXE", &printed, &why), qPrintable(why));
    QCOMPARE(printed, QByteArray("Hello\r\n"));
}

void tst_CommandLineBuild::buildWindowText()
{
    const BuildOutput out = BuildOutput::parse(
        capture(kErrorLine + "\r\n        mov dx, offset msg\r\n", 1, 2));
    QCOMPARE(CommandLineBuild::buildWindowText(out, 3),
             "\nBuild Window\n" + QString::fromUtf8(kErrorLine)
                 + "\n        mov dx, offset msg\n"
                   "Total Errors: 1\nTotal Diagnostics: 2\nSymbol space Free: 65000\n"
                   "Return Code: 03h\n");
}

void tst_CommandLineBuild::bundledToolsFillOnlyEmptyPaths()
{
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath("tools"));
    QVERIFY(QFile::copy(FakeTool::path(), dir.filePath("tools/qvasm")));
    ToolPaths set;
    set.assembler = "/opt/my/qvasm";
    QCOMPARE(CommandLineBuild::withBundledTools(set, dir.path()).assembler, "/opt/my/qvasm");
    const ToolPaths filled = CommandLineBuild::withBundledTools(ToolPaths(), dir.path());
    QCOMPARE(filled.assembler, QFileInfo(dir.filePath("tools/qvasm")).absoluteFilePath());
    QCOMPARE(filled.disassembler, QString()); // not there: stays empty
}

void tst_CommandLineBuild::consoleQuestionsChangeNothing_data()
{
    // Nobody is there to answer: every question takes the answer that leaves things as they are.
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("answer");
    QTest::newRow("ok") << int(PromptButtons::Ok) << int(PromptAnswer::Ok);
    QTest::newRow("ok-cancel") << int(PromptButtons::OkCancel) << int(PromptAnswer::Cancel);
    QTest::newRow("yes-no") << int(PromptButtons::YesNo) << int(PromptAnswer::No);
    QTest::newRow("yes-no-cancel") << int(PromptButtons::YesNoCancel) << int(PromptAnswer::Cancel);
    QTest::newRow("abort-retry-ignore")
        << int(PromptButtons::AbortRetryIgnore) << int(PromptAnswer::Ignore);
    QTest::newRow("retry-cancel") << int(PromptButtons::RetryCancel) << int(PromptAnswer::Cancel);
}

void tst_CommandLineBuild::consoleQuestionsChangeNothing()
{
    QFETCH(int, buttons);
    QFETCH(int, answer);
    QString written;
    ConsolePrompts prompts([&written](const QString &t) { written += t; });
    QCOMPARE(int(prompts.message("Save changes to: a.asm\n", PromptButtons(buttons))), answer);
    QCOMPARE(written, QStringLiteral("Save changes to: a.asm\n")); // one line break, not two
    QVERIFY(prompts.saveFile(FileDialogRequest()).isEmpty());
    QVERIFY(prompts.openFiles(FileDialogRequest()).isEmpty());
}

QTEST_GUILESS_MAIN(tst_CommandLineBuild)
#include "tst_commandlinebuild.moc"
