#include "FirstStart.h"
#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentSubsystem.h"
#include "app/ui/DocumentTemplate.h"
#include "app/ui/Subsystems.h"
#include "base/CommandIds.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/DocumentWindow.h"
#include "make/BuildOutput.h"
#include "make/MakeSettings.h"
#include "make/ui/BuildCommands.h"
#include "make/ui/CBuildWindowDlg.h"
#include "make/ui/CDisassembleDlg.h"
#include "make/ui/CMyView.h"
#include "make/ui/FrameToolCommands.h"
#include "workspace/WorkspaceRecord.h"

#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "TestSettings.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

// The whole program as a user drives it: the bundled qvasm found on the first start, a source
// with an error assembled with F8, the output in the pane, the Build Window's first error and
// Go To, which brings the editor to that line with the line selected; then the pane's double-
// click goes to the same line.
class tst_AssembleErrors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void assembleGoesToTheFirstError();
    void untitledSourceIsSavedThenAssembled();
    void forcedListingOpensAfresh();
    void disassemblyOpensAsAnUntitledSource();

private:
    QPlainTextEdit *activeEditor() const;

    std::optional<TestSettings> m_settings;
    QTemporaryDir m_dir;
};

void tst_AssembleErrors::initTestCase()
{
    const QString programDir = qEnvironmentVariable("QVASMIDE_PROGRAM_DIR");
    if (!QFileInfo(programDir + "/tools/qvasm").isExecutable())
        QSKIP("qvasm is not built");
    m_settings.emplace();
    CQvasmApp &app = *CQvasmApp::instance();
    QVERIFY(startForTheFirstTime(app, programDir));
}

void tst_AssembleErrors::cleanupTestCase()
{
    closeTheProgram();
    m_settings.reset();
}

QPlainTextEdit *tst_AssembleErrors::activeEditor() const
{
    DocumentWindow *window = CQvasmApp::instance()->mainFrame()->activeDocumentWindow();
    return window ? window->editorView() : nullptr;
}

void tst_AssembleErrors::assembleGoesToTheFirstError()
{
    CQvasmApp &app = *CQvasmApp::instance();
    CMainFrame *frame = app.mainFrame();
    // The first start pointed the assembler at the bundled one.
    QCOMPARE(QFileInfo(MakeSettings::assemblerPath()).canonicalFilePath(),
             QFileInfo(app.programFolder() + "/tools/qvasm").canonicalFilePath());

    const QString folder = m_dir.filePath("my src");
    QVERIFY(QDir().mkpath(folder));
    const QString source = folder + "/hello.asm";
    QVERIFY(writeFileBytes(source,
                           ".model tiny\r\n"
                           ".code\r\n"
                           "        org     100h\r\n"
                           "start:\r\n"
                           "        mov     dx, offset msg\r\n"
                           "        mov     ah, 9\r\n"
                           "        int     21h\r\n"
                           "        mov     ax, notDefinedAnywhere\r\n"
                           "        ret\r\n"
                           "msg     db      'hi$'\r\n"
                           ".end\r\n"));
    QVERIFY(app.OpenDocumentFile(source));
    QPlainTextEdit *editor = activeEditor();
    QVERIFY(editor);
    // Away from the error, so that Go To has somewhere to go.
    editor->moveCursor(QTextCursor::End);

    ScriptedPrompts prompts;
    int rows = -1;
    QString firstRow;
    auto *watcher = new QTimer(this);
    watcher->setInterval(5);
    connect(watcher, &QTimer::timeout, this, [&] {
        auto *dlg = qobject_cast<CBuildWindowDlg *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        watcher->stop();
        rows = dlg->output().count();
        dlg->selectRow(0);
        firstRow = dlg->output().entry(0);
        dlg->findChild<QPushButton *>("ctl_1")->click(); // Go To
    });
    watcher->start();
    QVERIFY(frame->router().isEnabled(ID_MAKE_ASSEMBLE));
    QVERIFY(frame->router().dispatch(ID_MAKE_ASSEMBLE));
    delete watcher;

    QVERIFY2(rows >= 1, qPrintable(QString::number(rows)));
    QVERIFY2(firstRow.contains("(8):  error "), qPrintable(firstRow));
    QVERIFY(!WorkspaceRecord::instance().canExecute());
    editor = activeEditor();
    QVERIFY(editor);
    QCOMPARE(editor->textCursor().block().blockNumber(), 7);
    QCOMPARE(editor->textCursor().selectedText(),
             QStringLiteral("        mov     ax, notDefinedAnywhere"));

    // The pane: the banner, then the error line, which a double-click follows as well.
    auto *pane = qobject_cast<CMyView *>(frame->outputPane());
    QVERIFY(pane);
    const QStringList lines = pane->toPlainText().split('\n');
    QVERIFY(lines.at(0).startsWith("-=-=-=-=-=-=-=-=-= Assembling: "));
    QVERIFY2(lines.size() > 1 && lines.at(1).contains("(8):  error "), qPrintable(lines.join('|')));
    editor->moveCursor(QTextCursor::Start);
    QVERIFY(pane->navigateFromBlock(1));
    QCOMPARE(activeEditor()->textCursor().block().blockNumber(), 7);
    QVERIFY(!activeEditor()->textCursor().hasSelection());
    QVERIFY(prompts.allAnswered());
}

void tst_AssembleErrors::untitledSourceIsSavedThenAssembled()
{
    CMainFrame *frame = CQvasmApp::instance()->mainFrame();
    frame->setRequestedKind(0);
    QVERIFY(frame->router().dispatch(ID_FILE_NEW));
    QPlainTextEdit *editor = activeEditor();
    QVERIFY(editor);
    editor->selectAll();
    editor->insertPlainText(".model tiny\n.code\n        org 100h\nstart:\n        ret\n.end\n");
    WorkspaceRecord::instance().setCanExecute(false);

    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    const QString path = m_dir.filePath("fresh.asm");
    prompts.answerSaveFile(path);
    QVERIFY(frame->router().dispatch(ID_MAKE_ASSEMBLE));
    QVERIFY(prompts.allAnswered());
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(sourceDocuments(*CQvasmApp::instance())->activeDocument()->GetPathName(), path);
    QVERIFY(!sourceDocuments(*CQvasmApp::instance())->activeDocument()->IsModified());
    QVERIFY(QFileInfo(m_dir.filePath("fresh.com")).isFile());
    QCOMPARE(WorkspaceRecord::instance().targetFile(), m_dir.filePath("fresh.com"));
    QVERIFY(WorkspaceRecord::instance().canExecute());
    QVERIFY(frame->router().isEnabled(ID_MAKE_EXECUTE));
    QVERIFY(qobject_cast<CMyView *>(frame->outputPane())
                ->toPlainText()
                .startsWith("-=-=-=-=-=-=-=-=-= Assembling: " + path));
}

void tst_AssembleErrors::forcedListingOpensAfresh()
{
    CQvasmApp &app = *CQvasmApp::instance();
    CMainFrame *frame = app.mainFrame();
    const QString source = m_dir.filePath("listed.asm");
    const QString listing = m_dir.filePath("listed.lst");
    QVERIFY(
        writeFileBytes(source, ".model tiny\r\n.code\r\n org 100h\r\nstart:\r\n ret\r\n.end\r\n"));
    QVERIFY(writeFileBytes(listing, "old listing\r\n"));
    // The old listing is open and edited (Save All saves it before the run, and the assembler
    // then writes over it); the source is the active document.
    QVERIFY(app.OpenDocumentFile(listing));
    activeEditor()->insertPlainText("edited ");
    QVERIFY(app.OpenDocumentFile(source));

    auto *commands = frame->findChild<BuildCommands *>();
    QVERIFY(commands);
    commands->setModifierQuery([] { return Qt::ControlModifier; });
    ScriptedPrompts prompts;
    QVERIFY(frame->router().dispatch(ID_MAKE_ASSEMBLE));
    commands->setModifierQuery([] { return Qt::NoModifier; });

    CQvasmDoc *active = sourceDocuments(*CQvasmApp::instance())->activeDocument();
    QVERIFY(active);
    QCOMPARE(active->GetPathName(), listing);
    const QString text = active->textDocument()->toPlainText();
    QVERIFY2(!text.contains("old listing") && text.contains("ret"), qPrintable(text));
    QVERIFY(!active->IsModified());
    QVERIFY(prompts.allAnswered());
}

void tst_AssembleErrors::disassemblyOpensAsAnUntitledSource()
{
    CMainFrame *frame = CQvasmApp::instance()->mainFrame();
    const QString binary = m_dir.filePath("two bytes.bin");
    QVERIFY(writeFileBytes(binary, QByteArray("\x90\xC3", 2)));
    auto *tools = frame->findChild<FrameToolCommands *>();
    QVERIFY(tools);
    ScriptedPrompts prompts;
    // The dialog's "..." starts where the documents' dialogs do (the last test's folder).
    auto *documents = sourceDocuments(*CQvasmApp::instance());
    QVERIFY(documents);
    const QString folder = documents->dialogFolder();
    QVERIFY(folder != QDir::currentPath());
    prompts.answerOpenFiles({});
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<CDisassembleDlg *>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        dlg->findChild<QPushButton *>("ctl_1021")->click();
        dlg->reject();
    });
    QVERIFY(frame->router().dispatch(ID_TOOLS_DISASSEMBLE));
    QCOMPARE(prompts.asked().at(0).file.directory, folder);

    const int before = sourceDocuments(*CQvasmApp::instance())->documents().size();
    QVERIFY(tools->disassemble(binary, DisassemblerOptions())); // the bundled qvdisasm
    QCOMPARE(sourceDocuments(*CQvasmApp::instance())->documents().size(), before + 1);
    CQvasmDoc *doc = sourceDocuments(*CQvasmApp::instance())->activeDocument();
    QVERIFY(doc->GetPathName().isEmpty());
    QVERIFY2(doc->GetTitle().endsWith(".asm"), qPrintable(doc->GetTitle()));
    const QString text = doc->textDocument()->toPlainText();
    QVERIFY2(text.contains("nop") && text.contains("ret") && !text.contains("QVDISASM"),
             qPrintable(text));
    QCOMPARE(activeEditor()->textCursor().position(), 0);
    QVERIFY(prompts.allAnswered());
}

int main(int argc, char *argv[])
{
    CQvasmApp app(argc, argv);
    app.setSingleInstanceCheck(false);
    tst_AssembleErrors test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_assembleerrors.moc"
