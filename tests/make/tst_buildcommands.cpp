#include "base/CommandIds.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "make/BuildOutput.h"
#include "make/ExecuteCommand.h"
#include "make/MakeSettings.h"
#include "make/PostBuildRun.h"
#include "make/ui/BuildCommands.h"
#include "make/ui/CBuildWindowDlg.h"
#include "make/ui/CMyView.h"
#include "workspace/ProjectWizard.h"
#include "workspace/WorkspaceRecord.h"

#include "FakeTool.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "StubBuildDocuments.h"
#include "TestFiles.h"
#include "TestSettings.h"

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// Check Syntax, Assemble, Build and Execute on a source window, against the tests' stand-in
// assembler: what runs, what the pane shows, which messages come, when the Build Window opens and
// what the can-execute flag becomes.
class tst_BuildCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commandsFollowTheActiveSource();
    void untitledDocumentIsNamedFirst_data();
    void untitledDocumentIsNamedFirst();
    void assembleResults_data();
    void assembleResults();
    void checkSyntaxShowsItsOwnRunInThePane_data();
    void checkSyntaxShowsItsOwnRunInThePane();
    void targetTheRecordCannotHoldLeavesExecuteOff_data();
    void targetTheRecordCannotHoldLeavesExecuteOff();
    void smallModelAssembleTargetsItsObject_data();
    void smallModelAssembleTargetsItsObject();
    void executeWithoutATargetSaysSo();
    void buildWithDiagnosticsRunsTheWorkspaceTarget();
    void exeProjectRunsWhatItsLinkStepMade_data();
    void exeProjectRunsWhatItsLinkStepMade();
    void buildLeavesATargetThatIsNoFileAlone_data();
    void buildLeavesATargetThatIsNoFileAlone();
    void ctrlBuildRunsTheWorkspaceAndReopensItsListing();
    void buildWindowOnlyOnRequestWithBuildwin();
    void assembleSaysTheCodeSize_data();
    void assembleSaysTheCodeSize();
    void buildSaysTheSizeOfAProgramOnly_data();
    void buildSaysTheSizeOfAProgramOnly();
    void postBuildOutputJoinsThePaneAsItComes();
    void laterRunsAndClosingLeaveEarlierPostBuildAlone_data();
    void laterRunsAndClosingLeaveEarlierPostBuildAlone();

private:
    DocWindowStub *addSource(const QString &title, const QString &text, const QString &path = {});
    QStringList arguments() const;
    QString paneText() const;

    std::optional<TestSettings> m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    BuildCommands *m_commands = nullptr;
    CommandMap m_app;
    QStringList m_log;
    bool m_ctrl = false;
    QStringList m_executed;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_BuildCommands::init()
{
    m_settings.emplace();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("SHELL", "/bin/sh"); // the post-build commands are written for it
    WorkspaceRecord::instance().clear();
    m_log.clear();
    m_executed.clear();
    m_ctrl = false;
    MakeSettings::savePaths({FakeTool::path(), QString(), QString(), QString(), QString()});
    FakeTool::script("record " + m_dir->filePath("args").toUtf8());

    m_frame = std::make_unique<CMainFrame>();
    m_frame->setOutputPane(new CMyView);
    m_app = CommandMap();
    m_app.on(ID_FILE_SAVE_ALL, [this] { m_log << "save all"; });
    m_frame->setApplicationCommands(&m_app);
    auto documents = std::make_unique<StubBuildDocuments>();
    documents->log = &m_log;
    m_commands = new BuildCommands(m_frame.get(),
                                   std::move(documents),
                                   SourceNavigator(m_frame.get(), [this](const QString &path) {
                                       m_log << "go to " + path;
                                       return nullptr;
                                   }));
    m_commands->setModifierQuery([this] { return m_ctrl ? Qt::ControlModifier : Qt::NoModifier; });
    m_commands->setExecutor([this](const QString &target) {
        m_executed << target;
        return true;
    });
    m_frame->show();
}

void tst_BuildCommands::cleanup()
{
    m_frame.reset();
    WorkspaceRecord::instance().clear();
    m_settings.reset();
}

DocWindowStub *tst_BuildCommands::addSource(const QString &title,
                                            const QString &text,
                                            const QString &path)
{
    auto *w = new DocWindowStub(title);
    w->editor->setPlainText(text);
    w->path = path;
    m_frame->mdiArea()->addSubWindow(w);
    w->show();
    m_frame->mdiArea()->setActiveSubWindow(w);
    m_frame->router().refresh();
    return w;
}

QStringList tst_BuildCommands::arguments() const
{
    // The tool's arguments, before its folder and stdin lines.
    const QString text = QString::fromUtf8(readFileBytes(m_dir->filePath("args")));
    return text.left(text.indexOf("cwd=")).split('\n', Qt::SkipEmptyParts);
}

QString tst_BuildCommands::paneText() const
{
    return qobject_cast<CMyView *>(m_frame->outputPane())->toPlainText();
}

void tst_BuildCommands::commandsFollowTheActiveSource()
{
    const QList<int> all{ID_MAKE_CHECK_SYNTAX,
                         ID_MAKE_ASSEMBLE,
                         ID_MAKE_BUILD,
                         ID_MAKE_EXECUTE,
                         ID_OUTPUT_BUILD,
                         ID_OUTPUT_DEBUG};
    WorkspaceRecord::instance().setOpen(true);
    for (int id : all)
        QVERIFY(!m_frame->router().isEnabled(id)); // no source window yet
    addSource("x.asm", "nop");
    WorkspaceRecord::instance().setTargetFile("/src/my prog.com");
    for (int id : all)
        QCOMPARE(m_frame->router().isEnabled(id), all.indexOf(id) < 3);
    QVERIFY(!m_frame->router().dispatch(ID_MAKE_EXECUTE));
    // Execute follows the flag, Build output the last capture.
    WorkspaceRecord::instance().setCanExecute(true);
    m_commands->state().storeCapture("\r\nx\r\n");
    QVERIFY(m_frame->router().isEnabled(ID_OUTPUT_BUILD));
    QVERIFY(!m_frame->router().isEnabled(ID_OUTPUT_DEBUG));
    QVERIFY(m_frame->router().dispatch(ID_MAKE_EXECUTE));
    QCOMPARE(m_executed, QStringList{"/src/my prog.com"});
    // While a tool of this frame runs, none of them starts another.
    QVERIFY(m_commands->state().beginRun());
    m_frame->router().refresh();
    for (int id : all)
        QVERIFY(!m_frame->router().isEnabled(id));
    m_commands->state().endRun();
    m_frame->router().refresh();
    QVERIFY(m_frame->router().isEnabled(ID_MAKE_ASSEMBLE));
}

void tst_BuildCommands::untitledDocumentIsNamedFirst_data()
{
    QTest::addColumn<bool>("confirm"); // naming itself is the end-to-end test's

    QTest::newRow("question cancelled") << false;
    QTest::newRow("dialog cancelled") << true;
}

void tst_BuildCommands::untitledDocumentIsNamedFirst()
{
    QFETCH(bool, confirm);
    ScriptedPrompts prompts;
    prompts.answerMessage(confirm ? PromptAnswer::Ok : PromptAnswer::Cancel);
    if (confirm)
        prompts.answerSaveFile(QString());
    DocWindowStub *w = addSource("untitled1.asm", "nop");
    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));

    QCOMPARE(prompts.asked().at(0).text, QStringLiteral("File does not have a Filename, create?"));
    QCOMPARE(prompts.asked().at(0).buttons, PromptButtons::OkCancel);
    if (confirm) {
        const FileDialogRequest &request = prompts.asked().at(1).file;
        QCOMPARE(request.directory, QStringLiteral("asmfile1"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("asm"));
    }
    // Nothing saved, nothing run.
    QCOMPARE(arguments(), QStringList());
    QCOMPARE(w->saves, 0);
    QVERIFY(!m_log.contains("save all"));
    QVERIFY(prompts.allAnswered());
}

void tst_BuildCommands::assembleResults_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("workspace");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("buildWindow");
    QTest::addColumn<bool>("canExecute");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<bool>("newTarget"); // the target is this run's program, else the older one

    const QByteArray errors
        = "out \\r\\n\\t%1 (2):  error 22h Syntax error\\r\\n\\r\\nFree: 9\\r\\n"
          "Total errors: 1\\r\\nTotal diags: 0\\r\\n\nexit 1";
    const QByteArray diags
        = "out \\r\\n\\t%1 (2):   diag 76h Could use SHORT\\r\\n\\r\\nFree: 9\\r\\n"
          "Total errors: 0\\r\\nTotal diags: 1\\r\\n\nexit 1";
    QTest::newRow("no errors, no workspace")
        << QByteArray("out \\r\\nok\\r\\n") << false << QStringList() << false << true
        << "-=-=-=-=-=-=-=-=-= Assembling: %1 -=-=-=-=-=-=-=-=-=\nok" << true;
    QTest::newRow("no errors, workspace open") << QByteArray("out \\r\\nok\\r\\n") << true
                                               << QStringList() << false << false << "" << false;
    QTest::newRow("errors") << errors << false << QStringList() << true << false << "" << false;
    // The usual case (a jump that could be short): Execute must run this program.
    QTest::newRow("diagnostics only")
        << diags << false << QStringList() << true << true << "" << true;
    // The workspace's target is not what this run made.
    QTest::newRow("diagnostics only, workspace open")
        << diags << true << QStringList() << true << false << "" << false;
    QTest::newRow("silent tool")
        << QByteArray("exit 0") << false
        << QStringList{"Redirection failed:\nYou must use the Windows Console version of QVASM "
                       "(RARAVI.EXE)\ninstead of the DJGPP version.",
                       "Return code: 0101"}
        << false << false << "-=-=-=-=-=-=-=-=-= Assembling: %1 -=-=-=-=-=-=-=-=-=\n"
        << false;
}

void tst_BuildCommands::assembleResults()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, workspace);
    QFETCH(QStringList, messages);
    QFETCH(bool, buildWindow);
    QFETCH(bool, canExecute);
    QFETCH(QString, pane);
    QFETCH(bool, newTarget);
    ScriptedPrompts prompts;
    for (int i = 0; i < messages.size(); ++i)
        prompts.answerMessage(PromptAnswer::Ok);
    const QString source = m_dir->filePath("Prog.asm");
    const QString older = m_dir->filePath("older/Prog.com");
    FakeTool::script(QByteArray(script).replace("%1", source.toUtf8()));
    WorkspaceRecord::instance().setOpen(workspace);
    WorkspaceRecord::instance().setCanExecute(!canExecute);
    WorkspaceRecord::instance().setTargetFile(older);
    // A capture from an earlier run must never show under this run's banner.
    m_commands->state().storeCapture("\r\nearlier\r\n");
    addSource("Prog.asm", "nop", source);
    bool shown = false;
    ModalDriver<CBuildWindowDlg> driver([&](CBuildWindowDlg *dlg) {
        shown = true;
        QCOMPARE(dlg->findChild<QLineEdit *>("ctl_1041")->text(), QStringLiteral("01h"));
        dlg->findChild<QPushButton *>("ctl_2")->click();
    });

    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));
    QCOMPARE(prompts.messagesAsked(), messages);
    QCOMPARE(shown, buildWindow);
    QCOMPARE(WorkspaceRecord::instance().canExecute(), canExecute);
    if (!pane.isEmpty())
        QCOMPARE(paneText(), pane.arg(source));
    QVERIFY(paneText().startsWith("-=-=-=-=-=-=-=-=-= Assembling: " + source));
    if (m_commands->lastResult() == 0)
        QCOMPARE(m_commands->state().captureLength(), 0u);
    const QString target = newTarget ? m_dir->filePath("Prog.com") : older;
    QCOMPARE(WorkspaceRecord::instance().targetFile(), target);
    QCOMPARE(m_commands->state().keptSelection(), buildWindow ? -1 : 0);
    QVERIFY(!m_log.contains("open " + m_dir->filePath("Prog.lst")));
    // Execute starts what the flag promises, or nothing at all.
    QCOMPARE(m_frame->router().isEnabled(ID_MAKE_EXECUTE), canExecute);
    m_frame->router().dispatch(ID_MAKE_EXECUTE);
    QCOMPARE(m_executed, canExecute ? QStringList{target} : QStringList());
}

void tst_BuildCommands::targetTheRecordCannotHoldLeavesExecuteOff_data()
{
    QTest::addColumn<int>("pathBytes");
    QTest::addColumn<bool>("canExecute");

    QTest::newRow("259 bytes: held") << 259 << true;
    QTest::newRow("260 bytes: refused") << 260 << false;
}

void tst_BuildCommands::targetTheRecordCannotHoldLeavesExecuteOff()
{
    QFETCH(int, pathBytes);
    QFETCH(bool, canExecute);
    ScriptedPrompts prompts;
    const QString folder = m_dir->path() + '/';
    const int nameBytes = pathBytes - int(folder.toUtf8().size());
    QVERIFY(nameBytes > 4 && nameBytes <= 255);
    const QString source = folder + QString(nameBytes - 4, 'p') + ".asm";
    const QString older = m_dir->filePath("older.com");
    FakeTool::script("out \\r\\nok\\r\\n");
    WorkspaceRecord::instance().setTargetFile(older);
    addSource("p.asm", "nop", source);

    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));
    QCOMPARE(m_commands->lastResult(), 0);
    QCOMPARE(WorkspaceRecord::instance().canExecute(), canExecute);
    QCOMPARE(WorkspaceRecord::instance().targetFile(),
             canExecute ? source.chopped(3) + "com" : older);
    m_frame->router().dispatch(ID_MAKE_EXECUTE);
    QCOMPARE(m_executed, canExecute ? QStringList{source.chopped(3) + "com"} : QStringList());
}

void tst_BuildCommands::smallModelAssembleTargetsItsObject_data()
{
    QTest::addColumn<QString>("written");   // what the stand-in assembler writes
    QTest::addColumn<bool>("olderProgram"); // a Prog.com from an earlier run lies beside it
    QTest::addColumn<QString>("target");

    QTest::newRow("object") << "Prog.obj" << false << "Prog.obj";
    QTest::newRow("object-beside-an-older-program") << "Prog.obj" << true << "Prog.obj";
    QTest::newRow("program") << "Prog.com" << false << "Prog.com";
    QTest::newRow("program-over-an-older-one") << "Prog.com" << true << "Prog.com";
}

void tst_BuildCommands::smallModelAssembleTargetsItsObject()
{
    // Without a workspace F10 runs what F8 made: never a .com left from before the source became
    // a small-model one.
    QFETCH(QString, written);
    QFETCH(bool, olderProgram);
    QFETCH(QString, target);
    ScriptedPrompts prompts;
    if (olderProgram)
        QVERIFY(writeFileBytes(m_dir->filePath("Prog.com"), "old"));
    FakeTool::script("record " + m_dir->filePath(written).toUtf8() + "\nout \\r\\nok\\r\\n");
    addSource("Prog.asm", ".model small", m_dir->filePath("Prog.asm"));

    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));
    QCOMPARE(m_commands->lastResult(), 0);
    QCOMPARE(WorkspaceRecord::instance().targetFile(), m_dir->filePath(target));
    QVERIFY(m_frame->router().dispatch(ID_MAKE_EXECUTE));
    QCOMPARE(m_executed, QStringList{m_dir->filePath(target)});
}

void tst_BuildCommands::executeWithoutATargetSaysSo()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    WorkspaceRecord::instance().setOpen(true);
    WorkspaceRecord::instance().setCanExecute(true);
    addSource("x.asm", "nop");

    QVERIFY(m_frame->router().dispatch(ID_MAKE_EXECUTE));
    QCOMPARE(prompts.messagesAsked(), QStringList{ExecuteCommand::NoProgramMessage});
    QVERIFY(m_executed.isEmpty());
}

void tst_BuildCommands::buildWithDiagnosticsRunsTheWorkspaceTarget()
{
    ScriptedPrompts prompts;
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setOpen(true);
    const QString main = m_dir->filePath("main.asm");
    const QString target = m_dir->filePath("out/game.com");
    record.setMainFile(main);
    record.setTargetFile(target);
    FakeTool::script("out \\r\\n\\t" + main.toUtf8()
                     + " (1):   diag 76h x\\r\\n\\r\\nF: 1\\r\\nE: 0\\r\\nD: 1\\r\\n\nexit 1");
    addSource("main.asm", "nop", main);
    ModalDriver<CBuildWindowDlg> driver(
        [](CBuildWindowDlg *dlg) { dlg->findChild<QPushButton *>("ctl_2")->click(); });

    QVERIFY(m_frame->router().dispatch(ID_MAKE_BUILD));
    QVERIFY(record.canExecute());
    QCOMPARE(record.targetFile(), target);
    QVERIFY(m_frame->router().dispatch(ID_MAKE_EXECUTE));
    QCOMPARE(m_executed, QStringList{target});
    QVERIFY(prompts.allAnswered());
}

void tst_BuildCommands::exeProjectRunsWhatItsLinkStepMade_data()
{
    QTest::addColumn<bool>("linked"); // the stand-in linker writes the program, else fails
    QTest::addColumn<bool>("atOnce"); // F10 comes while the link step still runs

    QTest::newRow("link-step-made-the-exe") << true << false;
    QTest::newRow("link-step-failed") << false << false;
    QTest::newRow("f10-while-the-link-step-runs") << true << true;
}

void tst_BuildCommands::exeProjectRunsWhatItsLinkStepMade()
{
    // F9 on the workspace the wizard makes for an .EXE project, then F10.
    QFETCH(bool, linked);
    QFETCH(bool, atOnce);
    ScriptedPrompts prompts;
    const QString l = m_dir->path() + "/";
    const QString linker = l + "qvlink";
    const QByteArray pause = atOnce ? "sleep 0.5\n" : "";
    QVERIFY(writeFileBytes(linker,
                           linked ? "#!/bin/sh\n" + pause
                                        + "printf MZ > \"${1%.obj}.exe\"\necho \"linked $1\"\n"
                                  : "#!/bin/sh\necho \"$1 (0):  error 1 bad record\"\nexit 1\n"));
    QVERIFY(QFile::setPermissions(linker, QFile::permissions(linker) | QFile::ExeOwner));
    QVERIFY(writeFileBytes(l + "hello.obj", "object")); // the assembler's part
    WorkspaceRecord &record = WorkspaceRecord::instance();
    QVERIFY(
        ProjectWizard::fillRecord(record, l, "hello.asm", "hello.obj", ProjectKind::Exe, linker));
    FakeTool::script("out \\r\\nassembled\\r\\n");
    addSource("hello.asm", ".model small", l + "hello.asm");

    QVERIFY(m_frame->router().dispatch(ID_MAKE_BUILD));
    QVERIFY(record.canExecute());
    if (!atOnce) {
        QTRY_VERIFY_WITH_TIMEOUT(m_commands->findChildren<PostBuildRun *>().isEmpty(), 30000);
        QVERIFY(paneText().contains(linked ? "linked hello.obj" : "error 1 bad record"));
    }

    QStringList launched;
    m_commands->setExecutor([&launched](const QString &target) {
        const auto dosbox = [](const QString &name) {
            return name == "dosbox" ? QString("/usr/bin/dosbox") : QString();
        };
        return ExecuteCommand::execute(target, dosbox, [&](const ExecuteCommand::Launch &launch) {
            launched << launch.arguments;
            return true;
        });
    });
    if (!linked)
        prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(m_frame->router().dispatch(ID_MAKE_EXECUTE));
    if (linked) {
        QCOMPARE(launched, QStringList{l + "hello.exe"});
    } else {
        QVERIFY(launched.isEmpty());
        QCOMPARE(prompts.messagesAsked(),
                 QStringList{ExecuteCommand::notLinkedMessage(l + "hello.exe", l + "hello.obj")});
    }
    QVERIFY(prompts.allAnswered());
}

void tst_BuildCommands::buildLeavesATargetThatIsNoFileAlone_data()
{
    // What sits at out.com before Build; the workspace's target names it absolutely or
    // relative to the main file's folder.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<bool>("refused");
    QTest::newRow("fifo") << "fifo" << false << true;
    QTest::newRow("fifo-named-relative") << "fifo" << true << true;
    QTest::newRow("socket") << "socket" << false << true;
    QTest::newRow("link-to-fifo") << "link-to-fifo" << false << true;
    // The other side: a file, or nothing yet, is the tool's to write.
    QTest::newRow("regular-file") << "file" << false << false;
    QTest::newRow("link-to-regular-file") << "link-to-file" << false << false;
    QTest::newRow("missing") << "none" << false << false;
}

void tst_BuildCommands::buildLeavesATargetThatIsNoFileAlone()
{
    QFETCH(QString, kind);
    QFETCH(bool, relative);
    QFETCH(bool, refused);
    const QString node = m_dir->filePath("out.com");
    const QString real = kind.startsWith("link-to-") ? node + ".real" : node;
    const QByteArray realName = QFile::encodeName(real);
    if (kind.endsWith("fifo")) {
        QVERIFY(::mkfifo(realName.constData(), 0644) == 0);
    } else if (kind == "socket") {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(fd >= 0 && size_t(realName.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, realName.constData(), size_t(realName.size()));
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        ::close(fd);
    } else if (kind.endsWith("file")) {
        QVERIFY(writeFileBytes(real, "old"));
    }
    if (real != node)
        QVERIFY(QFile::link(real, node));
    struct stat before
    {};
    ::lstat(QFile::encodeName(node).constData(), &before);

    ScriptedPrompts prompts;
    if (refused)
        prompts.answerMessage(PromptAnswer::Ok);
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setOpen(true);
    const QString main = m_dir->filePath("main.asm");
    record.setMainFile(main);
    record.setTargetFile(relative ? QStringLiteral("out.com") : node);
    FakeTool::script("record " + m_dir->filePath("args").toUtf8()
                     + "\nout \\r\\n\\r\\nF: 1\\r\\nE: 0\\r\\nD: 0\\r\\n\nexit 0");
    addSource("main.asm", "nop", main);

    QVERIFY(m_frame->router().dispatch(ID_MAKE_BUILD));
    QVERIFY(prompts.allAnswered());
    if (refused) {
        QCOMPARE(prompts.messagesAsked().size(), 1);
        QVERIFY2(prompts.messagesAsked().first().startsWith("Cannot build "),
                 qPrintable(prompts.messagesAsked().first()));
        QVERIFY(!QFileInfo::exists(m_dir->filePath("args"))); // the tool never ran
    } else {
        QVERIFY(prompts.messagesAsked().isEmpty());
        QVERIFY(!arguments().isEmpty());
    }
    struct stat after
    {};
    ::lstat(QFile::encodeName(node).constData(), &after);
    QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
}

void tst_BuildCommands::checkSyntaxShowsItsOwnRunInThePane_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("output");

    // The run before this one never stays on screen as if it were this one's.
    QTest::newRow("no errors") << QByteArray("out \\r\\nok\\r\\n") << "No Errors Found"
                               << "\nok";
    QTest::newRow("tool missing") << QByteArray() << "Create process failed"
                                  << "\n";
}

void tst_BuildCommands::checkSyntaxShowsItsOwnRunInThePane()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, message);
    QFETCH(QString, output);
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    if (script.isEmpty()) {
        MakeSettings::savePaths({m_dir->filePath("no-such-tool"), {}, {}, {}, {}});
        prompts.answerMessage(PromptAnswer::Ok);
    }
    FakeTool::script("record " + m_dir->filePath("args").toUtf8() + "\n" + script);
    WorkspaceRecord::instance().setCanExecute(true);
    qobject_cast<CMyView *>(m_frame->outputPane())->setPlainText("kept");
    const QString path = m_dir->filePath("a.inc");
    addSource("a.inc", "x", path);

    QSignalSpy captured(m_commands, &BuildCommands::outputCaptured);
    QVERIFY(m_frame->router().dispatch(ID_MAKE_CHECK_SYNTAX));
    QCOMPARE(prompts.messagesAsked().constFirst(), message);
    // Only a run whose tool ended replaces the errors marked in the editors.
    QCOMPARE(captured.count(), script.isEmpty() ? 0 : 1);
    if (script.isEmpty())
        QCOMPARE(prompts.messagesAsked().at(1), QStringLiteral("Return code: 0200"));
    else
        QCOMPARE(arguments(), (QStringList{path, "/s"}));
    QCOMPARE(paneText(), "-=-=-=-=-=-=-=-=-= Checking: " + path + " -=-=-=-=-=-=-=-=-=" + output);
    QVERIFY(!WorkspaceRecord::instance().canExecute());
    QVERIFY(!m_log.contains("save all"));
}

void tst_BuildCommands::ctrlBuildRunsTheWorkspaceAndReopensItsListing()
{
    ScriptedPrompts prompts;
    FakeTool::script("record " + m_dir->filePath("args").toUtf8() + "\nout \\r\\nbuilt\\r\\n");
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setOpen(true);
    const QString main = m_dir->filePath("my project/main.asm");
    const QString target = m_dir->filePath("my project/main.com");
    record.setMainFile(main);
    record.setTargetFile(target);
    record.setOption(WorkspaceRecord::Option::OpenListing, true);
    QVERIFY(QDir().mkpath(m_dir->filePath("my project")));
    addSource("other.inc", "x");
    m_ctrl = true; // Ctrl with Assemble is the end-to-end test's

    QVERIFY(m_frame->router().dispatch(ID_MAKE_BUILD));
    QCOMPARE(m_log.constFirst(), QStringLiteral("save all"));
    QCOMPARE(arguments(), (QStringList{main, target, "/x"}));
    QVERIFY(prompts.allAnswered());
    QVERIFY(
        paneText().startsWith("-=-=-=-=-=-=-=-=-= Building: " + target + " -=-=-=-=-=-=-=-=-=\n"));
    QVERIFY(record.canExecute());
    const QString listing = m_dir->filePath("my project/main.lst");
    QVERIFY(m_log.contains("open " + listing));
    QVERIFY(m_log.indexOf("close " + listing) < m_log.indexOf("open " + listing));
}

void tst_BuildCommands::buildWindowOnlyOnRequestWithBuildwin()
{
    ScriptedPrompts prompts;
    m_settings->store().writeInt("Settings", "buildwin", 1);
    const QString source = m_dir->filePath("p.asm");
    FakeTool::script("out \\r\\n\\t" + source.toUtf8()
                     + " (1):   diag 76h x\\r\\n\\r\\nF: 1\\r\\nE: 0\\r\\nD: 1\\r\\n\nexit 1");
    addSource("p.asm", "nop", source);
    bool shown = false;
    ModalDriver<CBuildWindowDlg> driver([&](CBuildWindowDlg *dlg) {
        shown = true;
        dlg->findChild<QPushButton *>("ctl_1")->click(); // Go To
    });
    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));
    QVERIFY(!shown);
    QVERIFY(!WorkspaceRecord::instance().canExecute()); // not shown: diagnostics don't count
    QCOMPARE(m_commands->state().keptSelection(), -1);

    // View > Output > Build shows it anyway, and Go To keeps its row and opens its file.
    QVERIFY(writeFileBytes(source, "nop\r\n"));
    QVERIFY(m_frame->router().isEnabled(ID_OUTPUT_BUILD));
    QVERIFY(m_frame->router().dispatch(ID_OUTPUT_BUILD));
    QVERIFY(shown);
    QCOMPARE(m_commands->state().keptSelection(), 0);
    QVERIFY(m_log.contains("go to " + source));
    QVERIFY(prompts.allAnswered());
}

namespace {

// A post-build command that waits for the file `gate` (a minute at most, so a failed test
// leaves nothing behind), takes it away, then writes `text` (printf format).
QString afterGate(const QString &gate, const QString &text)
{
    const QString quoted = "'" + gate + "'";
    return "i=0; while [ ! -e " + quoted + " ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i+1)); "
           + "done; rm -f " + quoted + "; printf '" + text + "'";
}

} // namespace

void tst_BuildCommands::postBuildOutputJoinsThePaneAsItComes()
{
    ScriptedPrompts prompts;
    const QString source = m_dir->filePath("p.asm");
    const QString gate = m_dir->filePath("go");
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setOpen(true);
    // Written in bursts after the run is over, a character split between two of them.
    record.setPostBuildCommands("printf 'copied\\n'\r\n" + afterGate(gate, "tw")
                                + "; sleep 0.2; printf 'o \\303'; sleep 0.2; printf '\\251\\r\\n'");
    FakeTool::script("out \\r\\nassembled\\r\\n");
    addSource("p.asm", "nop", source);

    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));
    const QString banner = "-=-=-=-=-=-=-=-=-= Assembling: " + source + " -=-=-=-=-=-=-=-=-=\n";
    QVERIFY(paneText().startsWith(banner + "assembled"));
    // The window is free meanwhile; what the commands write shows as it comes.
    QTRY_COMPARE_WITH_TIMEOUT(paneText(), banner + "assembled\ncopied", 30000);
    QVERIFY(writeFileBytes(gate, "go"));
    QTRY_COMPARE_WITH_TIMEOUT(paneText(),
                              banner + QString::fromUtf8("assembled\ncopied\ntwo \xC3\xA9"),
                              30000);
    QTRY_VERIFY(m_commands->findChildren<PostBuildRun *>().isEmpty()); // read to their end
}

void tst_BuildCommands::laterRunsAndClosingLeaveEarlierPostBuildAlone_data()
{
    QTest::addColumn<bool>("closeWindow"); // else a second Assemble

    QTest::newRow("second assemble while it runs") << false;
    QTest::newRow("window closed while it runs") << true;
}

void tst_BuildCommands::laterRunsAndClosingLeaveEarlierPostBuildAlone()
{
    QFETCH(bool, closeWindow);
    ScriptedPrompts prompts;
    const QString source = m_dir->filePath("p.asm");
    const QString gate = m_dir->filePath("go");
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setOpen(true);
    record.setPostBuildCommands(afterGate(gate, "late from the first\\n"));
    FakeTool::script("out \\r\\nfirst\\r\\n");
    addSource("p.asm", "nop", source);
    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));
    const QPointer<PostBuildRun> first = m_commands->findChild<PostBuildRun *>();
    QVERIFY(first);
    QVERIFY(first->isReading());

    if (closeWindow) {
        m_frame.reset();
        QVERIFY(!first); // the reading ends with the window
        QVERIFY(writeFileBytes(gate, "go"));
        // The command goes on, and its write now fails quietly.
        QTRY_VERIFY(!QFile::exists(gate));
        return;
    }
    record.setPostBuildCommands("printf 'second\\n'");
    FakeTool::script("out \\r\\nagain\\r\\n");
    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));
    QVERIFY(writeFileBytes(gate, "go"));
    QTRY_VERIFY_WITH_TIMEOUT(m_commands->findChildren<PostBuildRun *>().isEmpty(), 30000);
    QCOMPARE(paneText(),
             "-=-=-=-=-=-=-=-=-= Assembling: " + source + " -=-=-=-=-=-=-=-=-=\nagain\nsecond");
}

void tst_BuildCommands::assembleSaysTheCodeSize_data()
{
    QTest::addColumn<bool>("oldProgram");
    QTest::addColumn<bool>("writesProgram");
    QTest::addColumn<bool>("said");

    QTest::newRow("the run wrote the program") << false << true << true;
    QTest::newRow("the run replaced an older program") << true << true << true;
    QTest::newRow("the run wrote nothing") << false << false << false;
    QTest::newRow("an older program the run left alone") << true << false << false;
}

void tst_BuildCommands::assembleSaysTheCodeSize()
{
    QFETCH(bool, oldProgram);
    QFETCH(bool, writesProgram);
    QFETCH(bool, said);
    ScriptedPrompts prompts;
    const QString source = m_dir->filePath("p.asm");
    const QString program = m_dir->filePath("p.com");
    if (oldProgram)
        writeFileBytes(program, QByteArray(5000, 'x'));
    // The stand-in "writes the program" as the record of its arguments.
    FakeTool::script((writesProgram ? "record " + program.toUtf8() + "\n" : QByteArray())
                     + "out \\r\\nok\\r\\n");
    addSource("p.asm", "nop", source);
    m_frame->ShowStatusMessage(CStatusLine::MessagePane, "before", Qt::white);

    QVERIFY(m_frame->router().dispatch(ID_MAKE_ASSEMBLE));
    const QString status = m_frame->statusLine()->paneText(CStatusLine::MessagePane);
    if (said) {
        QCOMPARE(status,
                 QStringLiteral("Code: %1 bytes of the 64 KiB segment (0% used)")
                     .arg(QFileInfo(program).size()));
    } else {
        QCOMPARE(status, QStringLiteral("before"));
    }
}

void tst_BuildCommands::buildSaysTheSizeOfAProgramOnly_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("said");

    QTest::newRow("program") << "main.com" << true;
    QTest::newRow("object") << "main.obj" << false; // records and names, not code
    QTest::newRow("object-upper-case") << "MAIN.OBJ" << false;
}

void tst_BuildCommands::buildSaysTheSizeOfAProgramOnly()
{
    QFETCH(QString, target);
    QFETCH(bool, said);
    ScriptedPrompts prompts;
    const QString program = m_dir->filePath(target);
    FakeTool::script("record " + program.toUtf8() + "\nout \\r\\nbuilt\\r\\n");
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setOpen(true);
    record.setMainFile(m_dir->filePath("main.asm"));
    record.setTargetFile(program);
    addSource("other.inc", "x");
    m_frame->ShowStatusMessage(CStatusLine::MessagePane, "before", Qt::white);

    QVERIFY(m_frame->router().dispatch(ID_MAKE_BUILD));
    QVERIFY(QFileInfo(program).isFile());
    const QString status = m_frame->statusLine()->paneText(CStatusLine::MessagePane);
    QCOMPARE(status.startsWith("Code: "), said);
}

QTEST_MAIN(tst_BuildCommands)
#include "tst_buildcommands.moc"
