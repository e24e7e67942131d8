#include "base/CommandIds.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "make/BuildState.h"
#include "make/DisassemblerOptions.h"
#include "make/MakeSettings.h"
#include "make/ui/CDisassembleDlg.h"
#include "make/ui/FrameToolCommands.h"

#include "DocWindowStub.h"
#include "FakeTool.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "TestSettings.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The frame's tool commands: Disassemble File from its dialog to the new document, and the
// sheet and dump commands on the frame's route.
class tst_FrameTools : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void disassemblyOpensAsANewDocument();
    void failedRunsOpenNothing_data();
    void failedRunsOpenNothing();
    void dialogNeedsAFileAndRemembersItsChoices();
    void frameCommandsAreOnTheRoute();

private:
    std::optional<TestSettings> m_settings;
    std::unique_ptr<CMainFrame> m_frame;
    BuildState m_state; // the frame's
    CommandMap m_app;
    QList<int> m_newKinds;
    QTemporaryDir m_dir;
};

void tst_FrameTools::init()
{
    m_settings.emplace();
    FakeTool::script({});
    m_frame = std::make_unique<CMainFrame>();
    m_app = CommandMap();
    m_newKinds.clear();
    // File > New as the documents provide it: a new window of the requested kind.
    m_app.on(ID_FILE_NEW, [this] {
        m_newKinds << m_frame->requestedKind();
        auto *w = new DocWindowStub(m_frame->requestedKind() == 2 ? "untitled1.txt"
                                                                  : "untitled1.asm");
        m_frame->mdiArea()->addSubWindow(w);
        w->show();
        m_frame->mdiArea()->setActiveSubWindow(w);
    });
    m_frame->setApplicationCommands(&m_app);
    m_state = BuildState();
    new FrameToolCommands(m_frame.get(), m_state, [this] { return m_dir.path(); });
    m_frame->show();
}

void tst_FrameTools::cleanup()
{
    m_frame.reset();
    m_settings.reset();
}

void tst_FrameTools::disassemblyOpensAsANewDocument()
{
    ScriptedPrompts prompts;
    MakeSettings::savePaths({QString(), FakeTool::path(), QString(), QString(), QString()});
    const QString record = m_dir.filePath("args");
    FakeTool::script("record " + record.toUtf8()
                     + "\nout org 7C00h\\r\\nnop\\r\\n"
                       "QVDISASM   The Quillvane Disassembler   Version  1.0\\r\\n");
    DisassemblerOptions options;
    options.origin = 0x7C00;
    options.showBinary = true; // so a text document, not a source
    const QString binaryFile = m_dir.filePath("boot sector.bin");
    // An assembler run's capture, which a disassembly leaves alone.
    const QByteArray earlier = "\r\nearlier\r\n";
    m_state.storeCapture(earlier);
    m_state.setLastExitCode(2);

    FrameToolCommands *commands = m_frame->findChild<FrameToolCommands *>();
    QVERIFY(commands->disassemble(binaryFile, options));
    QCOMPARE(m_state.capture(), earlier);
    QCOMPARE(m_state.lastExitCode(), 2u);
    QVERIFY(!m_state.isBusy());
    QCOMPARE(m_newKinds, QList<int>{2});
    auto *doc = dynamic_cast<DocWindowStub *>(m_frame->activeDocumentWindow());
    QVERIFY(doc);
    QCOMPARE(doc->editor->toPlainText(), QStringLiteral("org 7C00h\nnop\n"));
    QCOMPARE(QString::fromUtf8(readFileBytes(record)).split('\n').mid(0, 5),
             QStringList({binaryFile, "/o0x00007C00", "/e0x00000000", "/N", "/b"}));
    QVERIFY(prompts.asked().isEmpty());
}

void tst_FrameTools::failedRunsOpenNothing_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("message");

    QTest::newRow("no disassembler set")
        << "" << QByteArray() << "Need path to disassembler under the Make/Settings Menu";
    QTest::newRow("tool dies") << FakeTool::path() << QByteArray("out x\nabort") << "";
}

void tst_FrameTools::failedRunsOpenNothing()
{
    QFETCH(QString, tool);
    QFETCH(QByteArray, script);
    QFETCH(QString, message);
    ScriptedPrompts prompts;
    if (!message.isEmpty())
        prompts.answerMessage(PromptAnswer::Ok);
    MakeSettings::savePaths({QString(), tool, QString(), QString(), QString()});
    FakeTool::script(script);
    FrameToolCommands *commands = m_frame->findChild<FrameToolCommands *>();
    QVERIFY(!commands->disassemble(m_dir.filePath("a.bin"), DisassemblerOptions()));
    QVERIFY(m_newKinds.isEmpty());
    QCOMPARE(prompts.messagesAsked(), message.isEmpty() ? QStringList() : QStringList{message});
}

void tst_FrameTools::dialogNeedsAFileAndRemembersItsChoices()
{
    ScriptedPrompts prompts;
    MakeSettings::savePaths({QString(), FakeTool::path(), QString(), QString(), QString()});
    FakeTool::script("out nop\\r\\n");
    const QString file = m_dir.filePath("x.bin");
    QVERIFY(writeFileBytes(file, "\x90"));
    prompts.answerOpenFiles({file});
    bool okWithoutFile = true;
    QTimer::singleShot(0, [&okWithoutFile] {
        auto *dlg = qobject_cast<CDisassembleDlg *>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        okWithoutFile = dlg->findChild<QPushButton *>("ctl_1")->isEnabled();
        dlg->findChild<QPushButton *>("ctl_1021")->click();             // browse
        dlg->findChild<QRadioButton *>("ctl_1095")->click();            // 32-bit
        dlg->findChild<QLineEdit *>("ctl_1097")->setText("0xFFFFFFF0"); // past a signed int
        dlg->findChild<QLineEdit *>("ctl_1098")->setText("0x200");
        dlg->findChild<QPushButton *>("ctl_1")->click();
    });
    QVERIFY(m_frame->router().dispatch(ID_TOOLS_DISASSEMBLE));
    QVERIFY(!okWithoutFile);
    QCOMPARE(m_newKinds, QList<int>{0});
    // With no file named, "..." starts where the documents' dialogs do.
    QCOMPARE(prompts.asked().at(0).file.directory, m_dir.path());

    const DisassemblerOptions kept = DisassemblerOptions::load();
    QVERIFY(kept.bits32);
    QCOMPARE(kept.origin, 0xFFFFFFF0u);
    QCOMPARE(kept.skip, 0x200u);
    CDisassembleDlg again;
    again.setOptions(kept);
    QVERIFY(again.findChild<QRadioButton *>("ctl_1095")->isChecked());
    QCOMPARE(again.findChild<QLineEdit *>("ctl_1098")->text(), QStringLiteral("0x00000200"));
    QVERIFY(prompts.allAnswered());
}

void tst_FrameTools::frameCommandsAreOnTheRoute()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    m_settings->store().writeString("Configuration", "tools_dir", m_dir.path()); // no separator
    for (int id : {ID_MAKE_SETTINGS, ID_TOOLS_DISASSEMBLE, ID_TOOLS_DUMP})
        QVERIFY(m_frame->router().isEnabled(id));
    // While a tool of the frame runs, the two that start or change tools wait.
    QVERIFY(m_state.beginRun());
    m_frame->router().refresh();
    for (int id : {ID_MAKE_SETTINGS, ID_TOOLS_DISASSEMBLE})
        QVERIFY(!m_frame->router().isEnabled(id));
    m_state.endRun();
    m_frame->router().refresh();
    QVERIFY(m_frame->router().dispatch(ID_TOOLS_DUMP));
    QCOMPARE(prompts.messagesAsked(),
             QStringList{"Did not find path to Dump.exe\nUse the Special->Configuration Options "
                         "Menu to set path."});

    QTimer::singleShot(0, [] {
        QWidget *sheet = QApplication::activeModalWidget();
        QVERIFY(sheet);
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Make Settings..."));
        sheet->findChild<QPushButton *>("ctl_2")->click();
    });
    QVERIFY(m_frame->router().dispatch(ID_MAKE_SETTINGS));
}

QTEST_MAIN(tst_FrameTools)
#include "tst_frametools.moc"
