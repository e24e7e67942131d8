#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentTemplate.h"
#include "base/AppInfo.h"
#include "base/CommandIds.h"
#include "base/InternalFailure.h"
#include "base/ProgramValues.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"

#include "ScriptedPrompts.h"
#include "TestSettings.h"

#include <QDialog>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <stdexcept>

// Documents as the application sees them, recording what it asked for.
struct FakeDocuments : DocumentTemplate
{
    QObject *OpenDocumentFile(const QString &path) override
    {
        opened << path;
        return openSucceeds ? &document : nullptr;
    }
    QObject *newDocument() override
    {
        ++created;
        return &document;
    }
    bool SaveAllModified() override
    {
        ++saveAllAsked;
        return true;
    }
    void closeAllDocuments() override {}

    QObject document;
    QStringList opened;
    int created = 0;
    int saveAllAsked = 0;
    bool openSucceeds = true;
};

// An object whose event handler fails, to reach the report through the event loop.
class Faulty : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("event handler failed");
        return QObject::event(e);
    }
};

// Start-up, its stages and decisions, the error report and the removal of the settings, on the
// real application object.
class tst_QvasmApp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void declinedNoticeEndsStartupWithNothingWritten();
    void startupRunsStagesWithTheDecision_data();
    void startupRunsStagesWithTheDecision();
    void commandLineFileThatFailsStartsWithoutIt_data();
    void commandLineFileThatFailsStartsWithoutIt();
    void errorReport_data();
    void errorReport();
    void settingsRemovedAtExitWhenAsked();
    void anotherCopyBringsThisOneBack();

private:
    CQvasmApp &app() { return *CQvasmApp::instance(); }
    FakeDocuments *installDocuments();
    bool start(bool acceptNotice = true);

    std::unique_ptr<TestSettings> m_settings;
    // Start-up steps stay registered for the whole program; they record only while asked to.
    bool m_recording = false;
    QStringList m_ran;
    bool m_restoreSeen = false;
    bool m_frameShownEarly = false;
};

void tst_QvasmApp::initTestCase()
{
    using Stage = CQvasmApp::StartupStage;
    const auto record = [this](const char *name) {
        return [this, name](const StartupDecision &d) {
            if (!m_recording)
                return;
            m_ran << QLatin1String(name);
            m_restoreSeen = d.restoreWorkspace;
            if (QLatin1String(name) == QLatin1String("frame"))
                m_frameShownEarly = app().mainFrame()->isVisible();
        };
    };
    app().addStartupStep(Stage::Ready, record("ready"));
    app().addStartupStep(Stage::RestoreWorkspace, record("restore"));
    app().addStartupStep(Stage::WindowShown, record("shown"));
    app().addStartupStep(Stage::FrameCreated, record("frame"));
    app().addStartupStep(Stage::SettingsOpened, record("settings"));
}

void tst_QvasmApp::init()
{
    m_settings = std::make_unique<TestSettings>();
    ProgramValues::instance() = ProgramValues();
}

void tst_QvasmApp::cleanup()
{
    delete app().mainFrame();
    app().setDocumentTemplate(nullptr);
    app().setCommandLineFile(QString());
    m_settings.reset();
}

FakeDocuments *tst_QvasmApp::installDocuments()
{
    auto documents = std::make_unique<FakeDocuments>();
    FakeDocuments *raw = documents.get();
    app().setDocumentTemplate(std::move(documents));
    return raw;
}

bool tst_QvasmApp::start(bool acceptNotice)
{
    app().setFirstRunNotice([acceptNotice] { return acceptNotice; });
    return app().InitInstance();
}

void tst_QvasmApp::declinedNoticeEndsStartupWithNothingWritten()
{
    QVERIFY(!start(false));
    QVERIFY(!app().mainFrame());
    QVERIFY(!QFile::exists(m_settings->filePath()));

    // Accepted, it comes up.
    QVERIFY(start(true));
    QVERIFY(app().mainFrame() && app().mainFrame()->isVisible());
    QCOMPARE(m_settings->store().readInt("Settings", "Installed", 0), 1);
    QCOMPARE(app().programFolder(), QCoreApplication::applicationDirPath());
    // A window without an icon of its own (the notice, any dialog) shows the program's.
    const auto image = [](const QIcon &icon) { return icon.pixmap(32, 32).toImage(); };
    QDialog dialog;
    QVERIFY(!dialog.windowIcon().isNull());
    QCOMPARE(image(dialog.windowIcon()), image(QIcon(QLatin1String(AppInfo::IconPath))));
}

void tst_QvasmApp::startupRunsStagesWithTheDecision_data()
{
    QTest::addColumn<int>("empty");
    QTest::addColumn<int>("loadws");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("created");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("stages");

    const QStringList plain{"settings", "frame", "shown", "ready"};
    const QStringList restoring{"settings", "frame", "shown", "restore", "ready"};
    QTest::newRow("nothing") << 0 << 0 << "" << 0 << QStringList{} << plain;
    QTest::newRow("named-file-without-empty")
        << 0 << 0 << "/src/a.asm" << 0 << QStringList{"/src/a.asm"} << plain;
    QTest::newRow("new-document") << 1 << 0 << "" << 1 << QStringList{} << plain;
    QTest::newRow("open-file") << 1 << 0 << "/src/a.asm" << 0 << QStringList{"/src/a.asm"} << plain;
    QTest::newRow("workspace-then-file")
        << 1 << 1 << "/src/a.asm" << 0 << QStringList{"/src/a.asm"} << restoring;
}

void tst_QvasmApp::startupRunsStagesWithTheDecision()
{
    QFETCH(int, empty);
    QFETCH(int, loadws);
    QFETCH(QString, file);
    QFETCH(int, created);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, stages);

    SettingsStore &s = m_settings->store();
    s.writeInt("Settings", "Installed", 1);
    s.writeInt("Settings", "empty", empty);
    s.writeInt("Settings", "loadws", loadws);
    s.writeInt("Settings", "useformatting", 1);
    FakeDocuments *documents = installDocuments();
    app().setCommandLineFile(file);

    m_ran.clear();
    m_recording = true;
    QVERIFY(app().InitInstance());
    m_recording = false;
    QCOMPARE(m_ran, stages);
    QCOMPARE(m_restoreSeen, loadws != 0);
    QVERIFY(!m_frameShownEarly);
    QCOMPARE(documents->created, created);
    QCOMPARE(documents->opened, opened);
    QVERIFY(app().formatting());
    // With documents, File > New and File > Open are live.
    CommandRouter &router = app().mainFrame()->router();
    QVERIFY(router.isEnabled(ID_FILE_NEW));
    QVERIFY(router.isEnabled(ID_FILE_OPEN));
}

void tst_QvasmApp::commandLineFileThatFailsStartsWithoutIt_data()
{
    QTest::addColumn<int>("empty");
    QTest::addColumn<int>("created");
    QTest::newRow("first-run-values-show-no-document") << 0 << 0;
    QTest::newRow("empty-on-makes-the-new-document") << 1 << 1;
}

void tst_QvasmApp::commandLineFileThatFailsStartsWithoutIt()
{
    QFETCH(int, empty);
    QFETCH(int, created);
    m_settings->store().writeInt("Settings", "Installed", 1);
    m_settings->store().writeInt("Settings", "empty", empty);
    m_settings->store().writeInt("Settings", "loadws", 0);
    FakeDocuments *documents = installDocuments();
    documents->openSucceeds = false;
    app().setCommandLineFile("/nowhere/missing.asm");
    m_ran.clear();
    m_recording = true;
    QVERIFY(app().InitInstance());
    m_recording = false;
    QCOMPARE(documents->opened, QStringList{"/nowhere/missing.asm"});
    QCOMPARE(documents->created, created);
    QVERIFY(app().mainFrame() && app().mainFrame()->isVisible());
    QCOMPARE(m_ran, QStringList({"settings", "frame", "shown", "ready"}));
    QCOMPARE(app().startupDecision().emptyOn, empty != 0);
}

void tst_QvasmApp::errorReport_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("after"); // messages after the report
    const int retry = int(PromptAnswer::Retry);
    QTest::newRow("ignore-goes-on") << "internal" << int(PromptAnswer::Ignore) << QStringList{};
    QTest::newRow("failed-command") << "command" << retry << QStringList{"Command failed."};
    QTest::newRow("failed-event") << "event" << retry << QStringList{"Internal application error."};
    QTest::newRow("internal-failure-said-enough") << "internal" << retry << QStringList{};
    QTest::newRow("abort-ends") << "command" << int(PromptAnswer::Abort) << QStringList{};
}

void tst_QvasmApp::errorReport()
{
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(QStringList, after);
    QVERIFY(start());
    FakeDocuments *documents = installDocuments();
    bool ended = false;
    app().setAbortHandler([&ended] { ended = true; });
    CMainFrame *frame = app().mainFrame();
    frame->commands().on(ID_TOOLS_DUMP, [how] {
        if (how == "internal")
            InternalFailure::raise(7);
        throw std::runtime_error("no");
    });
    int later = 0;
    frame->commands().on(ID_TOOLS_DISASSEMBLE, [&later] { ++later; });
    frame->router().refresh();
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer(answer));
    for (int i = 0; i < after.size(); ++i)
        prompts.answerMessage(PromptAnswer::Ok);
    if (how == "event") {
        Faulty faulty;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&faulty, &event);
    } else {
        frame->commandAction(ID_TOOLS_DUMP)->trigger();
    }
    app().setAbortHandler(nullptr);
    QVERIFY(prompts.allAnswered());
    const ScriptedPrompts::Question &q = prompts.asked().first();
    QCOMPARE(q.caption, QStringLiteral("Error!"));
    QCOMPARE(q.buttons, PromptButtons::AbortRetryIgnore);
    if (how == "event") {
        QVERIFY(q.text.contains("type\tstd::runtime_error\n"));
        QVERIFY(q.text.contains("msg\t0x03E8\n")); // QEvent::User
    } else {
        QVERIFY(q.text.contains("msg\t0x0111\nwParam\t0x00008069\n"));
    }
    if (how == "internal")
        QVERIFY(q.text.contains("Internal\t0x00000007"));
    QCOMPARE(prompts.messagesAsked().mid(1), after);
    QCOMPARE(documents->saveAllAsked, 1);
    QCOMPARE(ended, answer == int(PromptAnswer::Abort));
    // Ignored, the code stays at its mark until the next handler sets one; the program goes on.
    const bool ignored = answer == int(PromptAnswer::Ignore);
    QCOMPARE(app().internalCode() == 0xFFFFFFFFu, ignored);
    if (ignored) {
        frame->commandAction(ID_TOOLS_DISASSEMBLE)->trigger();
        QCOMPARE(later, 1);
    }
}

void tst_QvasmApp::settingsRemovedAtExitWhenAsked()
{
    QVERIFY(start());
    CMainFrame *frame = app().mainFrame();
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Cancel);
    frame->commandAction(ID_SPECIAL_DELETE_SETTINGS)->trigger();
    QVERIFY(!app().deleteSettingsAtExit());
    const ScriptedPrompts::Question &q = prompts.asked().first();
    QCOMPARE(q.text,
             QStringLiteral("By pressing the OK button, QVASMIDE will delete the\nRegistry key "
                            "for QVASMIDE when you exit QVASMIDE"));
    QCOMPARE(q.buttons, PromptButtons::OkCancel);
    QCOMPARE(q.icon, PromptIcon::Exclamation);
    prompts.answerMessage(PromptAnswer::Ok);
    frame->commandAction(ID_SPECIAL_DELETE_SETTINGS)->trigger();
    QVERIFY(app().deleteSettingsAtExit());
    // The frame still writes its layout and find state on close; the removal comes after.
    QVERIFY(frame->close());
    QVERIFY(m_settings->store().contains("Settings", "ToolbarState"));
    prompts.answerMessage(PromptAnswer::Ok);
    QCOMPARE(app().ExitInstance(0), 0);
    QCOMPARE(prompts.messagesAsked().last(),
             QStringLiteral("Successfully removed QVASMIDE from the registry."));
    QVERIFY(!QFile::exists(m_settings->filePath()));
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmApp::anotherCopyBringsThisOneBack()
{
    QVERIFY(start());
    FakeDocuments *documents = installDocuments();
    CMainFrame *frame = app().mainFrame();
    frame->showMinimized();
    QTRY_VERIFY(frame->isMinimized());
    QSignalSpy activated(&app(), &CQvasmApp::activatedByOtherInstance);
    app().activateFromOtherInstance({"/src/boot.asm"});
    QVERIFY(!frame->isMinimized());
    QVERIFY(frame->isVisible());
    QCOMPARE(documents->opened, QStringList{"/src/boot.asm"});
    QCOMPARE(activated.size(), 1);
}

int main(int argc, char *argv[])
{
    CQvasmApp app(argc, argv);
    // Each test has its own settings file; the hand-off between copies has a test of its own.
    app.setSingleInstanceCheck(false);
    tst_QvasmApp test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qvasmapp.moc"
