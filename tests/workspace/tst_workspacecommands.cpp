#include "DocumentFixture.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "app/InternalFailure.h"
#include "editor/EditorSettings.h"
#include "frame/CommandRouter.h"
#include "workspace/CCreateNewLocationDlg.h"
#include "workspace/CNewComProjectDlg.h"
#include "workspace/CProjectWizard.h"
#include "workspace/CWorkspaceCommands.h"
#include "workspace/CWorkspaceSettingsDlg.h"
#include "workspace/ProjectWizard.h"
#include "workspace/WorkspaceRules.h"
#include "workspace/WorkspaceTreeModel.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

// The workspace commands on real document windows, answered through the prompts and by driving
// the real dialogs: the wizard, opening at the stored positions, the fallback to the main file,
// closing, removing, inserting and adding members, and the limits of the record.
class tst_WorkspaceCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void newWorkspaceThroughTheDialogs();
    void wizardKeepsFilesThatAreThere();
    void wizardCancelLeavesTheOpenWorkspaceAlone();
    void stackSizeOutsideItsRangeKeepsTheDialogOpen();
    void openReopensMembersWhereTheyWere();
    void openFallsBackToTheMainFile_data();
    void openFallsBackToTheMainFile();
    void closeAsksAboutTheMembersWindows_data();
    void closeAsksAboutTheMembersWindows();
    void removingTheLastMemberDisablesRemove();
    void insertAndAddStopAtEightyMembers();
    void addNewFileWritesItsHeaderAndOpensIt();
    void internalFailureLeavesTheRecordAlone();
};

namespace {

QByteArray lines(int n)
{
    QByteArray text;
    for (int i = 0; i < n; ++i)
        text += "        mov ax, " + QByteArray::number(i) + "\r\n";
    return text;
}

template<typename T>
T *child(QWidget *dialog, int id)
{
    return dialog->findChild<T *>(QStringLiteral("ctl_%1").arg(id));
}

// A workspace file with these members, written where its record says it lives.
void writeWorkspace(const QString &storedPath,
                    const QString &mainFile,
                    const QList<WorkspaceEntry> &members)
{
    WorkspaceRecord r;
    r.setOpen(true);
    r.setWorkspaceFilePath(storedPath);
    r.setMainFile(mainFile);
    r.setTargetFile(mainFile.left(mainFile.lastIndexOf('.')) + ".com");
    for (const WorkspaceEntry &e : members)
        QCOMPARE(r.appendEntry(e), WorkspaceRecord::Change::Ok);
    QVERIFY(r.save());
}

WorkspaceEntry member(const QString &path, bool opened = false, bool active = false)
{
    WorkspaceEntry e(path);
    e.wasOpened = opened;
    e.active = active;
    return e;
}

QStringList treePaths(const DocumentFixture &f)
{
    QStringList paths;
    const WorkspaceTreeModel *model = f.tree->model();
    for (int g = 0; g < model->rowCount(); ++g) {
        const QModelIndex group = model->index(g, 0);
        for (int i = 0; i < model->rowCount(group); ++i)
            paths << model->index(i, 0, group).data(WorkspaceTreeModel::PathRole).toString();
    }
    paths.sort();
    return paths;
}

bool enabled(const DocumentFixture &f, int id)
{
    return f.frame->router().isEnabled(id);
}

} // namespace

void tst_WorkspaceCommands::cleanup()
{
    QDir::setCurrent(QDir::tempPath());
}

void tst_WorkspaceCommands::newWorkspaceThroughTheDialogs()
{
    DocumentFixture f;
    auto *commands = new CWorkspaceCommands(f.frame.get());
    const QString includes = f.path("inc");
    QVERIFY(QDir().mkpath(includes));
    writeFileBytes(includes + "/qvasmc.inc", "; standard\r\n");
    f.settings.store().writeString("Make", "incpath", includes);
    QDir::setCurrent(f.dir.path());
    const QString project = f.path("hello") + "/";

    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Yes); // create the location folder
    prompts.answerMessage(PromptAnswer::Ok);  // no readme in the include folder
    prompts.answerMessage(PromptAnswer::Ok);
    ModalDriver<CCreateNewLocationDlg> location([](CCreateNewLocationDlg *d) {
        QTest::keyClicks(child<QLineEdit>(d, 1009), "hello.asm");
        child<QPushButton>(d, 1)->click();
    });
    ModalDriver<CNewComProjectDlg> options([](CNewComProjectDlg *d) {
        child<QCheckBox>(d, 1013)->setChecked(true);
        child<QLineEdit>(d, 1014)->setText("4096");
        child<QCheckBox>(d, 1017)->setChecked(true);
        child<QCheckBox>(d, 1019)->setChecked(true);
        child<QPushButton>(d, 1)->click();
    });
    QVERIFY(f.frame->router().dispatch(ID_WORKSPACE_NEW));
    QVERIFY(!location.failed() && !options.failed());
    QCOMPARE(prompts.messagesAsked(),
             QStringList({CreateNewRules::createFolderQuestion(),
                          "Error on copy.",
                          ProjectWizard::copyFailedMessage(project + "readme.txt")}));

    ProjectWizardOptions chosen;
    chosen.stack = true;
    chosen.stackSize = 4096;
    chosen.standardIncludes = true;
    chosen.readme = true;
    QCOMPARE(ProjectWizardOptions::read(f.settings.store()), chosen);
    QCOMPARE(readFileBytes(project + "hello.asm"),
             SourceTemplates::projectSkeleton(ProjectKind::Com, chosen).toUtf8());
    QCOMPARE(readFileBytes(project + "qvasmc.inc"), QByteArray("; standard\r\n"));

    const WorkspaceRecord &record = WorkspaceRecord::instance();
    QVERIFY(record.isOpen());
    QCOMPARE(record.entryPaths(), QStringList({project + "hello.asm", project + "qvasmc.inc"}));
    QCOMPARE(record.targetFile(), project + "hello.com");
    QCOMPARE(readFileBytes(project + "hello.qvw"), record.toByteArray());
    QCOMPARE(WorkspaceRules::lastWorkspace(f.settings.store()), project + "hello.qvw");
    QCOMPARE(f.documents->activeDocument()->GetPathName(), project + "hello.asm");
    QCOMPARE(treePaths(f), record.entryPaths());

    // With the workspace open its own commands are on, the ones that make one are off.
    f.frame->router().refresh();
    QVERIFY(!enabled(f, ID_WORKSPACE_NEW));
    QVERIFY(!enabled(f, ID_WORKSPACE_OPEN));
    for (int id : {ID_WORKSPACE_SAVE, ID_WORKSPACE_CLOSE, ID_WORKSPACE_REMOVE_FILE})
        QVERIFY(enabled(f, id));
    delete commands;
}

void tst_WorkspaceCommands::wizardKeepsFilesThatAreThere()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString project = f.path("p") + "/";
    QVERIFY(QDir().mkpath(project + "inc"));
    writeFileBytes(project + "inc/qvasme.inc", "; new extended\r\n");
    writeFileBytes(project + "main.asm", "; mine\n");
    writeFileBytes(project + "qvasme.inc", "; my extended\n");
    writeFileBytes(project + "main.qvw", "old");
    f.settings.store().writeString("Make", "incpath", project + "inc");
    f.settings.store().writeInt("ProjectCOM", "extinc", 1);

    prompts.answerMessage(PromptAnswer::Yes); // replace the workspace file
    prompts.answerMessage(PromptAnswer::No);  // keep my qvasme.inc
    ModalDriver<CNewComProjectDlg> options([](CNewComProjectDlg *d) {
        QVERIFY(child<QCheckBox>(d, 1018)->isChecked());
        child<QPushButton>(d, 1)->click();
    });
    CProjectWizard wizard(f.frame.get());
    QVERIFY(wizard.RunProjectWizard(project, "main.asm", "main.obj", ProjectKind::Exe));
    QVERIFY(prompts.allAnswered());
    QCOMPARE(prompts.messagesAsked().at(0), ProjectWizard::replaceQuestion(project + "main.qvw"));

    QCOMPARE(readFileBytes(project + "main.asm"), QByteArray("; mine\n"));
    QCOMPARE(readFileBytes(project + "qvasme.inc"), QByteArray("; my extended\n"));
    QCOMPARE(WorkspaceRecord::instance().entryPaths(),
             QStringList({project + "main.asm", project + "qvasme.inc"}));
    QCOMPARE(readFileBytes(project + "main.qvw").size(), WorkspaceRecord::Size);
    QCOMPARE(f.documents->activeDocument()->GetPathName(), project + "main.asm");
    QCOMPARE(f.windowCount(), 2);
}

void tst_WorkspaceCommands::wizardCancelLeavesTheOpenWorkspaceAlone()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString a = f.write("a.asm", "a\r\n");
    const QString stored = f.path("a.qvw");
    writeWorkspace(stored, a, {member(a, true, true)});
    CWorkspaceCommands commands(f.frame.get());
    commands.OpenWorkspace(stored);
    QCOMPARE(treePaths(f), QStringList{a});
    // Every window closed: New Workspace is reachable from the frame with the workspace open.
    f.documents->closeAllDocuments();
    f.settle();

    ModalDriver<CNewComProjectDlg> options([](CNewComProjectDlg *d) { d->reject(); });
    CProjectWizard wizard(f.frame.get());
    QVERIFY(!wizard.RunProjectWizard(f.path("q/"), "q.asm", "q.com", ProjectKind::Com));
    QVERIFY(prompts.allAnswered());
    QVERIFY(WorkspaceRecord::instance().isOpen());
    QCOMPARE(WorkspaceRecord::instance().entryPaths(), QStringList{a});
    QCOMPARE(treePaths(f), QStringList{a});
    QVERIFY(!QFileInfo::exists(f.path("q/q.asm")));
}

void tst_WorkspaceCommands::stackSizeOutsideItsRangeKeepsTheDialogOpen()
{
    ScriptedPrompts prompts;
    ProjectWizardOptions start;
    start.stackSize = 64;
    CNewComProjectDlg dialog(start);
    QLineEdit *size = child<QLineEdit>(&dialog, 1014);
    QVERIFY(size->isReadOnly());
    child<QCheckBox>(&dialog, 1013)->click();
    QVERIFY(!size->isReadOnly());

    for (const char *bad : {"63", "65535", ""}) {
        size->setText(bad);
        prompts.answerMessage(PromptAnswer::Ok);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QCOMPARE(prompts.messagesAsked(), QStringList(3, CNewComProjectDlg::stackSizeMessage()));
    size->setText("65534");
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.options().stackSize, 65534);
}

void tst_WorkspaceCommands::openReopensMembersWhereTheyWere()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString a = f.write("a.asm", lines(300));
    const QString b = f.write("b.inc", lines(5));
    const QString c = f.write("c.txt", "c\n");
    const QString gone = f.path("gone.asm");
    const QString stored = f.path("old/w.qvw");
    QVERIFY(QDir().mkpath(f.path("old")));
    WorkspaceEntry ea = member(a, true, true);
    ea.selectionStart = 40;
    ea.selectionEnd = 52;
    ea.scrollY = 120 * QFontMetrics(EditorSettings::font(f.settings.store())).lineSpacing();
    writeWorkspace(stored, a, {ea, member(b, true), member(c), member(gone, true)});
    const QString copy = f.path("w.qvw");
    QVERIFY(QFile::copy(stored, copy));
    const QByteArray copyBytes = readFileBytes(copy);

    prompts.answerMessage(PromptAnswer::No); // keep saving to the stored file
    prompts.answerMessage(PromptAnswer::Ok); // gone.asm can't be read
    CWorkspaceCommands commands(f.frame.get());
    commands.OpenWorkspace(copy);
    QVERIFY(prompts.allAnswered());
    QCOMPARE(prompts.messagesAsked().at(0), *WorkspaceRules::movedFileQuestion(copy, stored));

    QCOMPARE(f.windowCount(), 2);
    CQvasmDoc *active = f.documents->activeDocument();
    QCOMPARE(active->GetPathName(), a);
    QCOMPARE(active->view()->textCursor().selectionStart(), 40);
    QCOMPARE(active->view()->textCursor().selectionEnd(), 52);
    QVERIFY(active->view()->scrollPosition().y() > 0);
    QCOMPARE(treePaths(f), QStringList({a, b, c, gone}));
    QVERIFY(!WorkspaceRecord::instance().entry(3).wasOpened);
    QCOMPARE(WorkspaceRules::lastWorkspace(f.settings.store()), copy);

    // Answered No: Save and Workspace settings write to the stored path, the copy stays as it was.
    ModalDriver<CWorkspaceSettingsDlg> settings([](CWorkspaceSettingsDlg *d) {
        d->targetEdit()->setText("/elsewhere/a.com");
        child<QPushButton>(d, 1)->click();
    });
    QVERIFY(f.frame->router().dispatch(ID_WORKSPACE_SETTINGS));
    QVERIFY(!settings.failed());
    WorkspaceRecord saved;
    QCOMPARE(saved.load(stored), WorkspaceRecord::LoadResult::Opened);
    QCOMPARE(saved.targetFile(), QString("/elsewhere/a.com"));
    QVERIFY(saved.entry(0).active && saved.entry(1).wasOpened && !saved.entry(3).wasOpened);
    QCOMPARE(readFileBytes(copy), copyBytes);
}

void tst_WorkspaceCommands::openFallsBackToTheMainFile_data()
{
    QTest::addColumn<bool>("mainExists");
    QTest::newRow("main-file-opens-at-its-start") << true;
    QTest::newRow("main-file-missing-closes-the-workspace") << false;
}

void tst_WorkspaceCommands::openFallsBackToTheMainFile()
{
    QFETCH(bool, mainExists);
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString main = mainExists ? f.write("main.asm", lines(200)) : f.path("main.asm");
    const QString other = f.write("other.inc", lines(2));
    const QString stored = f.path("w.qvw");
    writeWorkspace(stored, main, {member(main), member(other)});

    prompts.answerMessage(PromptAnswer::Ok);
    if (!mainExists) {
        prompts.answerMessage(PromptAnswer::Ok); // main.asm can't be read
        prompts.answerMessage(PromptAnswer::Ok);
    }
    CWorkspaceCommands commands(f.frame.get());
    commands.OpenWorkspace(stored);
    QVERIFY(prompts.allAnswered());
    QCOMPARE(prompts.messagesAsked().first(), WorkspaceRules::noMembersOpenedMessage());
    const WorkspaceRecord &record = WorkspaceRecord::instance();
    QCOMPARE(record.isOpen(), mainExists);
    // The workspace is remembered even when it could not stay open.
    QCOMPARE(WorkspaceRules::lastWorkspace(f.settings.store()), stored);
    if (mainExists) {
        CQvasmView *view = f.documents->activeView();
        QCOMPARE(view->GetDocument()->GetPathName(), main);
        QCOMPARE(view->textCursor().position(), 0);
        QCOMPARE(view->scrollPosition(), QPoint(0, 0));
    } else {
        QCOMPARE(prompts.messagesAsked().last(), WorkspaceRules::mainFileFailedMessage());
        QVERIFY(!record.canExecute());
        QCOMPARE(f.windowCount(), 0);
    }
}

void tst_WorkspaceCommands::closeAsksAboutTheMembersWindows_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes-closes-the-members") << true;
    QTest::newRow("no-keeps-every-window") << false;
}

void tst_WorkspaceCommands::closeAsksAboutTheMembersWindows()
{
    QFETCH(bool, yes);
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString a = f.write("a.asm", lines(3));
    const QString b = f.write("b.asm", lines(3));
    const QString stranger = f.write("stranger.asm", lines(3));
    const QString stored = f.path("w.qvw");
    writeWorkspace(stored, a, {member(a, true), member(b, true, true)});
    CWorkspaceCommands commands(f.frame.get());
    commands.OpenWorkspace(stored);
    f.documents->openDocument(stranger);
    f.documents->activate(f.documents->findDocument(a));

    prompts.answerMessage(yes ? PromptAnswer::Yes : PromptAnswer::No);
    QVERIFY(f.frame->router().dispatch(ID_WORKSPACE_CLOSE));
    f.settle();
    QCOMPARE(prompts.messagesAsked(), QStringList{WorkspaceRules::closeAllWindowsQuestion()});
    QVERIFY(!WorkspaceRecord::instance().isOpen());
    QCOMPARE(f.windowCount(), yes ? 1 : 3);
    QVERIFY(f.documents->findDocument(stranger));
    QCOMPARE(treePaths(f), QStringList{stranger});
    QCOMPARE(WorkspaceRules::lastWorkspace(f.settings.store()), QString());
    // Saved before it closed: a is the active window now.
    WorkspaceRecord saved;
    QCOMPARE(saved.load(stored), WorkspaceRecord::LoadResult::Opened);
    QVERIFY(saved.entry(0).active && !saved.entry(1).active);
}

void tst_WorkspaceCommands::removingTheLastMemberDisablesRemove()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString a = f.write("a.asm", lines(3));
    const QString other = f.write("other.asm", lines(3));
    const QString stored = f.path("w.qvw");
    writeWorkspace(stored, a, {member(a, true)});
    CWorkspaceCommands commands(f.frame.get());
    commands.OpenWorkspace(stored);
    f.documents->openDocument(other);
    f.frame->router().refresh();
    QVERIFY(enabled(f, ID_WORKSPACE_REMOVE_FILE));

    prompts.answerMessage(PromptAnswer::Yes); // Close Window?
    ModalDriver<CCreateNewLocationDlg> list([](CCreateNewLocationDlg *d) {
        QCOMPARE(child<QListWidget>(d, 1008)->count(), 1);
        child<QPushButton>(d, 1)->click();
    });
    QVERIFY(f.frame->router().dispatch(ID_WORKSPACE_REMOVE_FILE));
    f.settle();
    QVERIFY(!list.failed());
    QCOMPARE(prompts.messagesAsked(), QStringList{WorkspaceRules::closeWindowQuestion()});
    QCOMPARE(f.windowCount(), 1);
    QVERIFY(WorkspaceRecord::instance().isOpen());
    QCOMPARE(WorkspaceRecord::instance().entryCount(), 0);
    QCOMPARE(treePaths(f), QStringList{other});
    f.frame->router().refresh();
    QVERIFY(!enabled(f, ID_WORKSPACE_REMOVE_FILE));
    QVERIFY(enabled(f, ID_WORKSPACE_INSERT_FILES));
}

void tst_WorkspaceCommands::insertAndAddStopAtEightyMembers()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString a = f.write("a.asm", lines(3));
    const QString b = f.write("b.inc", lines(3));
    const QString stored = f.path("w.qvw");
    writeWorkspace(stored, a, {member(a, true)});
    CWorkspaceCommands commands(f.frame.get());
    commands.OpenWorkspace(stored);

    // A member inserted twice is listed twice in the record, once in the tree.
    prompts.answerOpenFiles({b, b});
    QVERIFY(f.frame->router().dispatch(ID_WORKSPACE_INSERT_FILES));
    WorkspaceRecord &record = WorkspaceRecord::instance();
    QCOMPARE(record.entryPaths(), QStringList({a, b, b}));
    QCOMPARE(treePaths(f), QStringList({a, b}));
    QCOMPARE(f.windowCount(), 2);

    while (record.entryCount() < WorkspaceRecord::MaxEntries)
        record.appendEntry(WorkspaceEntry(a));
    const QByteArray full = record.toByteArray();
    prompts.answerOpenFiles({b, a});
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(f.frame->router().dispatch(ID_WORKSPACE_INSERT_FILES));
    ModalDriver<CCreateNewLocationDlg> add([](CCreateNewLocationDlg *d) {
        QTest::keyClicks(child<QLineEdit>(d, 1009), "extra");
        child<QPushButton>(d, 1)->click();
    });
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(f.frame->router().dispatch(ID_WORKSPACE_ADD_NEW_FILE));
    QVERIFY(!add.failed());
    QVERIFY(prompts.allAnswered());
    QCOMPARE(prompts.messagesAsked(),
             QStringList(2, WorkspaceRecord::refusalMessage(WorkspaceRecord::Change::Full)));
    QCOMPARE(record.toByteArray(), full);
    QVERIFY(!QFileInfo::exists(f.path("extra.asm")));
}

void tst_WorkspaceCommands::addNewFileWritesItsHeaderAndOpensIt()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString a = f.write("a.asm", lines(3));
    const QString stored = f.path("w.qvw");
    writeWorkspace(stored, a, {member(a, true)});
    CWorkspaceCommands commands(f.frame.get());
    commands.OpenWorkspace(stored);

    ModalDriver<CCreateNewLocationDlg> add([](CCreateNewLocationDlg *d) {
        // Starts in the main file's folder.
        child<QListWidget>(d, 1008)->setCurrentRow(1);
        QTest::keyClicks(child<QLineEdit>(d, 1009), "io");
        child<QPushButton>(d, 1)->click();
    });
    QVERIFY(f.frame->router().dispatch(ID_WORKSPACE_ADD_NEW_FILE));
    QVERIFY(!add.failed());
    const QString io = f.path("io.inc");
    QCOMPARE(readFileBytes(io), SourceTemplates::newFileHeader().toUtf8());
    QCOMPARE(WorkspaceRecord::instance().entryPaths(), QStringList({a, io}));
    QCOMPARE(f.documents->activeDocument()->GetPathName(), io);
    QCOMPARE(f.documents->activeDocument()->fileKind(), FileKind::Include);
    QCOMPARE(treePaths(f), QStringList({a, io}));
    QVERIFY(prompts.allAnswered());
}

void tst_WorkspaceCommands::internalFailureLeavesTheRecordAlone()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setMainFile(f.path("a.asm"));
    record.appendEntry(WorkspaceEntry(f.path("a.asm")));
    const QByteArray before = record.toByteArray();
    CWorkspaceCommands commands(f.frame.get());

    // Add new file reached with no workspace open (nothing in the menus lets it).
    ModalDriver<CCreateNewLocationDlg> add([](CCreateNewLocationDlg *d) {
        QTest::keyClicks(child<QLineEdit>(d, 1009), "late");
        child<QPushButton>(d, 1)->click();
    });
    QVERIFY_THROWS_EXCEPTION(InternalFailure, commands.AddNewFile());
    QCOMPARE(ProgramValues::instance().internalCode, 0x21u);
    QCOMPARE(record.toByteArray(), before);
    QVERIFY(!QFileInfo::exists(f.path("late.asm")));
    QVERIFY(prompts.allAnswered());
}

QTEST_MAIN(tst_WorkspaceCommands)
#include "tst_workspacecommands.moc"
