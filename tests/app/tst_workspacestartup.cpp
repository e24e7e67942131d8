#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "TestSettings.h"
#include "WorkspaceFiles.h"
#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentSubsystem.h"
#include "app/ui/RecentListCommands.h"
#include "app/ui/SingleInstance.h"
#include "app/ui/Subsystems.h"
#include "base/CommandIds.h"
#include "base/ProgramValues.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "workspace/WorkspaceRecord.h"
#include "workspace/WorkspaceRules.h"
#include "workspace/ui/CWorkspaceCommands.h"

#include <QAction>
#include <QDir>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

// The whole program's start-up, recent lists and close, with every part installed: the last
// workspace coming back (and its three ways of failing), a workspace named on the command line or
// handed over by another copy, the two recent sub-menus, and what closing the frame writes.
class tst_WorkspaceStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void restoreFailures_data();
    void restoreFailures();
    void restoreBringsBackTheActiveMemberThenTheNamedFile();
    void workspaceNamedOnTheCommandLineOrHandedOver();
    void handOverSurvivesAMessageBox_data();
    void handOverSurvivesAMessageBox();
    void recentMenusAndClose();

private:
    static CQvasmApp &app() { return *CQvasmApp::instance(); }
    // The application's recent lists, or nullptr before the subsystems are installed.
    static RecentListCommands *recentLists() { return app().findChild<RecentListCommands *>(); }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        writeFileBytes(path(name), bytes);
        return path(name);
    }
    QString writeWorkspace(const QString &name,
                           const QString &mainFile,
                           const QList<WorkspaceEntry> &members) const
    {
        return writeWorkspaceFile(path(name), mainFile, members);
    }
    bool start(int loadws, const QString &lastws = QString());
    QString actionText(int id) const { return app().mainFrame()->commandAction(id)->text(); }

    std::unique_ptr<TestSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_WorkspaceStartup::init()
{
    m_settings = std::make_unique<TestSettings>();
    m_dir = std::make_unique<QTemporaryDir>();
    ProgramValues::instance() = ProgramValues();
    WorkspaceRecord::instance().clear();
    m_settings->store().writeInt("Settings", "Installed", 1);
    if (RecentListCommands *lists = recentLists()) {
        lists->workspaces().clear();
        lists->files().clear();
    }
}

void tst_WorkspaceStartup::cleanup()
{
    if (CQvasmDocTemplate *documents = sourceDocuments(*CQvasmApp::instance()))
        documents->closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete app().mainFrame();
    app().setCommandLineFile(QString());
    m_settings.reset();
}

bool tst_WorkspaceStartup::start(int loadws, const QString &lastws)
{
    m_settings->store().writeInt("Settings", "loadws", loadws);
    m_settings->store().writeString("Settings", "lastws", lastws);
    return app().InitInstance();
}

void tst_WorkspaceStartup::restoreFailures_data()
{
    QTest::addColumn<QString>("file"); // "" missing, "zeros" not a workspace, "dead" no file opens
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("loadwsAfter");
    QTest::addColumn<bool>("lastwsKept");

    QTest::newRow("missing-file-stops-asking") << ""
                                               << "Could not open workspace file." << 0 << true;
    QTest::newRow("not-a-workspace") << "zeros"
                                     << "Invalid WorkSpace File" << 1 << true;
    QTest::newRow("no-member-and-no-main-file")
        << "dead" << WorkspaceRules::mainFileFailedMessage() << 1 << false;
    QTest::newRow("eighty-missing-members-and-no-main-file")
        << "dead80" << WorkspaceRules::mainFileFailedMessage() << 1 << false;
}

void tst_WorkspaceStartup::restoreFailures()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(int, loadwsAfter);
    QFETCH(bool, lastwsKept);
    QString lastws = path("missing.qvw");
    if (file == "zeros")
        lastws = write("zeros.qvw", QByteArray(WorkspaceRecord::Size, '\0'));
    const bool dead = file.startsWith("dead");
    if (dead) {
        // The main file is the first member, as the wizard makes it.
        QList<WorkspaceEntry> members;
        for (int i = 0; i < (file == "dead80" ? 80 : 1); ++i)
            members << member(path(QString("gone%1.asm").arg(i)), true);
        lastws = writeWorkspace("dead.qvw", members.first().path, members);
    }

    ScriptedPrompts prompts;
    // The members that failed in one message, then that none opened, then the main file's end.
    for (int i = 0; i < (dead ? 3 : 1); ++i)
        prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(start(1, lastws));
    QVERIFY(prompts.allAnswered());
    QCOMPARE(prompts.messagesAsked().last(), message);
    if (dead)
        QCOMPARE(prompts.messagesAsked().at(1), WorkspaceRules::noMembersOpenedMessage());
    QVERIFY(!WorkspaceRecord::instance().isOpen());
    QCOMPARE(m_settings->store().readInt("Settings", "loadws", -1), loadwsAfter);
    QCOMPARE(m_settings->store().readString("Settings", "lastws"), lastwsKept ? lastws : QString());
    QCOMPARE(app().mainFrame()->mdiArea()->subWindowList().size(), 0);
}

void tst_WorkspaceStartup::restoreBringsBackTheActiveMemberThenTheNamedFile()
{
    const QString a = write("a.asm", "a\r\n");
    const QString b = write("b.asm", "b\r\n");
    const QString c = write("c.asm", "c\r\n");
    const QString w = writeWorkspace("w.qvw",
                                     a,
                                     {member(a, true), member(b, true, true), member(c, true)});
    // With loadws on, a file named on the command line opens once the workspace is back.
    const QString x = write("x.asm", "x\r\n");
    app().setCommandLineFile(x);
    ScriptedPrompts prompts;
    QVERIFY(start(1, w));
    QVERIFY(prompts.allAnswered());
    CQvasmDocTemplate *documents = sourceDocuments(*CQvasmApp::instance());
    QCOMPARE(documents->documents().size(), 4);
    QCOMPARE(documents->activeDocument()->GetPathName(), x);
    const QList<QMdiSubWindow *> stack = app().mainFrame()->mdiArea()->subWindowList(
        QMdiArea::StackingOrder);
    QCOMPARE(stack.at(2), CChildFrame::of(documents->findDocument(b)));
    // Members stay out of the recent files; restoring adds nothing to the recent workspaces.
    QCOMPARE(recentLists()->files().paths(), QStringList{x});
    QVERIFY(recentLists()->workspaces().isEmpty());
    QVERIFY(ProgramValues::instance().recentFileSwitch);
}

void tst_WorkspaceStartup::workspaceNamedOnTheCommandLineOrHandedOver()
{
    const QString a = write("a.asm", "a\r\n");
    const QString upper = writeWorkspace("UP.QVW", a, {member(a, true)});
    // Neither empty nor loadws: a named workspace opens all the same, as the workspace it is.
    app().setCommandLineFile(upper);
    ScriptedPrompts prompts;
    QVERIFY(start(0, path("last.qvw")));
    QVERIFY(prompts.allAnswered());
    QVERIFY(WorkspaceRecord::instance().isOpen());
    QCOMPARE(sourceDocuments(*CQvasmApp::instance())->activeDocument()->GetPathName(), a);
    QCOMPARE(m_settings->store().readString("Settings", "lastws"), upper);
    QCOMPARE(recentLists()->workspaces().paths(), QStringList{upper});

    // Another copy hands one over: the open workspace closes (No keeps its windows) and the new
    // one opens.
    const QString b = write("b.asm", "b\r\n");
    const QString other = writeWorkspace("other.qvw", b, {member(b, true)});
    prompts.answerMessage(PromptAnswer::No);
    app().activateFromOtherInstance({other});
    QVERIFY(prompts.allAnswered());
    QCOMPARE(WorkspaceRecord::instance().workspaceFilePath(), other);
    QCOMPARE(sourceDocuments(*CQvasmApp::instance())->documents().size(), 2);
    QCOMPARE(recentLists()->workspaces().paths(), QStringList({other, upper}));
}

void tst_WorkspaceStartup::handOverSurvivesAMessageBox_data()
{
    QTest::addColumn<QString>("handed"); // "missing.asm", "zeros.qvw", "other.qvw"
    QTest::addColumn<bool>("workspaceOpen");
    QTest::addColumn<QString>("message"); // the first message; "" for the file's open error

    QTest::newRow("missing file") << "missing.asm" << false << "";
    QTest::newRow("invalid workspace") << "zeros.qvw" << false << "Invalid WorkSpace File";
    QTest::newRow("another workspace: close the open one's windows?")
        << "other.qvw" << true << WorkspaceRules::closeAllWindowsQuestion();
}

void tst_WorkspaceStartup::handOverSurvivesAMessageBox()
{
    QFETCH(QString, handed);
    QFETCH(bool, workspaceOpen);
    QFETCH(QString, message);
    // A runtime folder of the test's own for the listener, given back afterwards.
    QTemporaryDir runtime;
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    const bool runtimeWasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const auto restoreRuntime = qScopeGuard([&] {
        if (runtimeWasSet)
            qputenv("XDG_RUNTIME_DIR", runtimeBefore);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    });
    const QString a = write("a.asm", "a\r\n");
    const QString b = write("b.asm", "b\r\n");
    const QString w = writeWorkspace("w.qvw", a, {member(a, true)});
    writeWorkspace("other.qvw", b, {member(b, true)});
    write("zeros.qvw", QByteArray(WorkspaceRecord::Size, '\0'));

    ScriptedPrompts prompts;
    app().setSingleInstanceCheck(true);
    const bool started = start(0);
    app().setSingleInstanceCheck(false);
    QVERIFY(started);
    QVERIFY(app().singleInstance() && app().singleInstance()->isListening());
    if (workspaceOpen)
        app().mainFrame()->findChild<CWorkspaceCommands *>()->OpenWorkspace(w);
    QVERIFY(prompts.allAnswered());

    // While the box is up its own event loop runs: the other copy's connection ends and goes
    // away meanwhile, as it does under a real box.
    SingleInstance *listener = app().singleInstance();
    prompts.setWhileMessageShown([listener] {
        QTRY_VERIFY(std::all_of(listener->findChildren<QLocalSocket *>().cbegin(),
                                listener->findChildren<QLocalSocket *>().cend(),
                                [](const QLocalSocket *s) {
                                    return s->state() == QLocalSocket::UnconnectedState;
                                }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    prompts.answerMessage(workspaceOpen ? PromptAnswer::Yes : PromptAnswer::Ok);
    SingleInstance other(listener->serverName());
    QVERIFY(other.handOff({path(handed)}));
    QTRY_COMPARE(prompts.asked().size(), 1);
    QVERIFY(prompts.allAnswered());
    if (message.isEmpty())
        QVERIFY(prompts.messagesAsked().first().contains(path(handed)));
    else
        QCOMPARE(prompts.messagesAsked().first(), message);

    // Still running, and still listening for the next copy.
    prompts.setWhileMessageShown(nullptr);
    QVERIFY(app().mainFrame()->isVisible());
    if (workspaceOpen)
        QTRY_COMPARE(WorkspaceRecord::instance().workspaceFilePath(), path("other.qvw"));
    QVERIFY(SingleInstance(listener->serverName()).handOff({}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app().ExitInstance(0);
    QVERIFY(!app().singleInstance());
}

void tst_WorkspaceStartup::recentMenusAndClose()
{
    QDir::setCurrent(m_dir->path());
    ScriptedPrompts prompts;
    QVERIFY(start(0));
    CMainFrame *frame = app().mainFrame();
    frame->router().refresh();
    QCOMPARE(actionText(ID_FILE_MRU_FIRST), QString("No Files"));
    QCOMPARE(actionText(ID_RECENT_WORKSPACE_FIRST), QString("No Workspaces"));
    QVERIFY(!frame->commandAction(ID_RECENT_WORKSPACE_FIRST)->isEnabled());

    const QString a = write("a.asm", "a\r\n");
    const QString w = writeWorkspace("w.qvw", a, {member(a, true)});
    const QString gone = path("gone.qvw");
    RecentFileList &workspaces = recentLists()->workspaces();
    workspaces.add(gone);
    workspaces.add(w);
    const QString loose = write("loose.asm", "l\r\n");
    QVERIFY(app().OpenDocumentFile(loose));
    frame->router().refresh();
    QCOMPARE(actionText(ID_FILE_MRU_FIRST), QString("&1 loose.asm"));
    QVERIFY(!frame->commandAction(ID_FILE_MRU_FIRST + 1)->isVisible());
    QCOMPARE(actionText(ID_RECENT_WORKSPACE_FIRST), QString("&1 w.qvw"));
    QCOMPARE(actionText(ID_RECENT_WORKSPACE_FIRST + 1), QString("&2 gone.qvw"));

    // A workspace that has gone away is reported and leaves the list.
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(frame->router().dispatch(ID_RECENT_WORKSPACE_FIRST + 1));
    QCOMPARE(prompts.messagesAsked(), QStringList{WorkspaceRules::couldNotOpenMessage(gone)});
    QCOMPARE(workspaces.paths(), QStringList{w});

    QVERIFY(frame->router().dispatch(ID_RECENT_WORKSPACE_FIRST));
    QVERIFY(WorkspaceRecord::instance().isOpen());
    QCOMPARE(recentLists()->files().paths(), QStringList{loose});
    QVERIFY(prompts.allAnswered());

    // Closing the frame saves the workspace and writes both lists.
    sourceDocuments(*CQvasmApp::instance())
        ->activate(sourceDocuments(*CQvasmApp::instance())->findDocument(loose));
    QVERIFY(frame->close());
    WorkspaceRecord saved;
    QCOMPARE(saved.load(w), WorkspaceRecord::LoadResult::Opened);
    QVERIFY(saved.entry(0).wasOpened && !saved.entry(0).active);
    SettingsStore &store = m_settings->store();
    QCOMPARE(store.readString("Recent Workspace List", "WorkSpace1"), w);
    QCOMPARE(store.readString("Recent Workspace List", "WorkSpace2"), QString());
    QCOMPARE(store.readString("Recent File List", "File1"), loose);
}

int main(int argc, char *argv[])
{
    CQvasmApp app(argc, argv);
    app.setSingleInstanceCheck(false);
    installSubsystems(app);
    tst_WorkspaceStartup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_workspacestartup.moc"
