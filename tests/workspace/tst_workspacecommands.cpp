#include "DocumentFixture.h"
#include "FileSizeLimit.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "WorkspaceFiles.h"
#include "editor/EditorSettings.h"
#include "frame/CommandRouter.h"
#include "workspace/ProjectWizard.h"
#include "workspace/WorkspaceRules.h"
#include "workspace/WorkspaceTreeModel.h"
#include "workspace/ui/CCreateNewLocationDlg.h"
#include "workspace/ui/CNewComProjectDlg.h"
#include "workspace/ui/CProjectWizard.h"
#include "workspace/ui/CWorkspaceCommands.h"
#include "workspace/ui/CWorkspaceSettingsDlg.h"
#include "workspace/ui/WorkspaceFile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

// The workspace commands on real document windows, answered through the prompts and by driving
// the real dialogs: the wizard, opening at the stored positions, the fallback to the main file,
// closing, removing, inserting and adding members, the limits of the record, and the save walk
// (its rules are the record's tests) with the file's atomic save.
class tst_WorkspaceCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }
    void newWorkspaceThroughTheDialogs();
    void wizardKeepsFilesThatAreThere();
    void wizardCancelLeavesTheOpenWorkspaceAlone();
    void stackSizeOutsideItsRangeKeepsTheDialogOpen();
    void openReopensMembersWhereTheyWere();
    void openFallsBackToTheMainFile_data();
    void openFallsBackToTheMainFile();
    void missingMembersAreReportedInOneMessage_data();
    void missingMembersAreReportedInOneMessage();
    void closeAsksAboutTheMembersWindows_data();
    void closeAsksAboutTheMembersWindows();
    void removingTheLastMemberDisablesRemove();
    void membersAreAddedUpToEighty();
    void saveWalkStoresEachOpenMember();
    void failedWriteKeepsTheOldFileAndTellsTheUser();
};

namespace {

QByteArray lines(int n)
{
    return numberedLines(n, "        mov ax, ");
}

template<typename T>
T *child(QWidget *dialog, int id)
{
    return dialog->findChild<T *>(QStringLiteral("ctl_%1").arg(id));
}

// The documents' set-up with scripted prompts and the workspace commands on its frame.
struct Session
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    CWorkspaceCommands commands{f.frame.get(), f.documents.get(), f.tree};

    // A workspace file with these members, stored at storedPath (default w.qvw here).
    QString writeWorkspace(const QString &mainFile,
                           const QList<WorkspaceEntry> &members,
                           const QString &storedPath = QString())
    {
        return writeWorkspaceFile(storedPath.isEmpty() ? f.path("w.qvw") : storedPath,
                                  mainFile,
                                  members);
    }
    QStringList treePaths() const
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
    bool enabled(int id)
    {
        f.frame->router().refresh();
        return f.frame->router().isEnabled(id);
    }
    QString activePath() const { return f.documents->activeDocument()->GetPathName(); }
};

} // namespace

void tst_WorkspaceCommands::newWorkspaceThroughTheDialogs()
{
    Session s;
    const QString includes = s.f.path("inc");
    QVERIFY(QDir().mkpath(includes));
    writeFileBytes(includes + "/qvasmc.inc", "; standard\r\n");
    s.f.settings.store().writeString("Make", "incpath", includes);
    s.f.settings.store().writeString("Make", "lpath", "/opt/qv/qvlink");
    QDir::setCurrent(s.f.dir.path()); // where the location starts
    const QString project = s.f.path("hello") + "/";

    s.prompts.answerMessage(PromptAnswer::Yes); // create the location folder
    s.prompts.answerMessage(PromptAnswer::Ok);  // no readme in the include folder
    s.prompts.answerMessage(PromptAnswer::Ok);
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
    QVERIFY(s.f.frame->router().dispatch(ID_WORKSPACE_NEW));
    QVERIFY(!location.failed() && !options.failed());
    QCOMPARE(s.prompts.messagesAsked(),
             QStringList({CreateNewRules::createFolderQuestion(),
                          "Error on copy.",
                          ProjectWizard::copyFailedMessage(project + "readme.txt")}));

    const ProjectWizardOptions chosen = ProjectWizardOptions::read(s.f.settings.store());
    QVERIFY(chosen.stack && chosen.standardIncludes && chosen.readme && !chosen.cpu);
    QCOMPARE(chosen.stackSize, 4096);
    QCOMPARE(readFileBytes(project + "hello.asm"),
             SourceTemplates::projectSkeleton(ProjectKind::Com, chosen).toUtf8());
    const WorkspaceRecord &record = WorkspaceRecord::instance();
    QCOMPARE(record.entryPaths(), QStringList({project + "hello.asm", project + "qvasmc.inc"}));
    QCOMPARE(record.targetFile(), project + "hello.com");
    QCOMPARE(record.postBuildCommands(), QString()); // a .COM program needs no link step
    QCOMPARE(readFileBytes(project + "hello.qvw"), record.toByteArray());
    QCOMPARE(WorkspaceRules::lastWorkspace(s.f.settings.store()), project + "hello.qvw");
    QCOMPARE(s.activePath(), project + "hello.asm");
    QCOMPARE(s.treePaths(), record.entryPaths());
    QVERIFY(!s.enabled(ID_WORKSPACE_NEW) && s.enabled(ID_WORKSPACE_REMOVE_FILE));
}

void tst_WorkspaceCommands::wizardKeepsFilesThatAreThere()
{
    Session s;
    const QString project = s.f.path("p") + "/";
    QVERIFY(QDir().mkpath(project + "inc"));
    writeFileBytes(project + "inc/qvasme.inc", "; new extended\r\n");
    writeFileBytes(project + "main.asm", "; mine\n");
    writeFileBytes(project + "qvasme.inc", "; my extended\n");
    writeFileBytes(project + "main.qvw", "old");
    s.f.settings.store().writeString("Make", "incpath", project + "inc");
    s.f.settings.store().writeInt("ProjectCOM", "extinc", 1);
    s.f.settings.store().writeString("Make", "lpath", project + "my tools/qvlink");

    s.prompts.answerMessage(PromptAnswer::Yes); // replace the workspace file
    s.prompts.answerMessage(PromptAnswer::No);  // keep my qvasme.inc
    ModalDriver<CNewComProjectDlg> options([](CNewComProjectDlg *d) { d->accept(); });
    QVERIFY(CProjectWizard(s.f.frame.get(), s.f.documents.get(), s.f.tree)
                .RunProjectWizard(project, "main.asm", "main.obj", ProjectKind::Exe));
    QVERIFY(s.prompts.allAnswered());
    QCOMPARE(readFileBytes(project + "main.asm"), QByteArray("; mine\n"));
    QCOMPARE(readFileBytes(project + "qvasme.inc"), QByteArray("; my extended\n"));
    QCOMPARE(WorkspaceRecord::instance().entryPaths(),
             QStringList({project + "main.asm", project + "qvasme.inc"}));
    QCOMPARE(readFileBytes(project + "main.qvw").size(), WorkspaceRecord::Size);
    QCOMPARE(s.activePath(), project + "main.asm");
    // The .EXE project links its object with the linker of the Make settings.
    QCOMPARE(WorkspaceRecord::instance().postBuildCommands(),
             "\"" + project + "my tools/qvlink\" \"main.obj\"");
}

void tst_WorkspaceCommands::wizardCancelLeavesTheOpenWorkspaceAlone()
{
    Session s;
    const QString a = s.f.write("a.asm", "a\r\n");
    s.commands.OpenWorkspace(s.writeWorkspace(a, {member(a, true)}));
    // Every window closed: New Workspace is reachable from the frame with the workspace open.
    s.f.documents->closeAllDocuments();
    s.f.settle();

    ModalDriver<CNewComProjectDlg> options([](CNewComProjectDlg *d) { d->reject(); });
    QVERIFY(!CProjectWizard(s.f.frame.get(), s.f.documents.get(), s.f.tree)
                 .RunProjectWizard(s.f.path("q/"), "q.asm", "q.com", ProjectKind::Com));
    QVERIFY(s.prompts.allAnswered());
    QCOMPARE(WorkspaceRecord::instance().entryPaths(), QStringList{a});
    QCOMPARE(s.treePaths(), QStringList{a});
}

void tst_WorkspaceCommands::stackSizeOutsideItsRangeKeepsTheDialogOpen()
{
    ScriptedPrompts prompts;
    CNewComProjectDlg dialog{ProjectWizardOptions()};
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
}

void tst_WorkspaceCommands::openReopensMembersWhereTheyWere()
{
    Session s;
    const QString a = s.f.write("a.asm", lines(300));
    const QString b = s.f.write("b.inc", lines(5));
    const QString c = s.f.write("c.txt", "c\n");
    const QString gone = s.f.path("gone.asm");
    QVERIFY(QDir().mkpath(s.f.path("old")));
    WorkspaceEntry ea = member(a, true, true);
    ea.selectionStart = 40;
    ea.selectionEnd = 52;
    // Between two lines: the pixels past the line come back too.
    ea.scrollY = 120 * QFontMetrics(EditorSettings::font(s.f.settings.store())).lineSpacing() + 3;
    const QString stored = s.writeWorkspace(a,
                                            {ea, member(b, true), member(c), member(gone, true)},
                                            s.f.path("old/w.qvw"));
    const QString copy = s.f.path("w.qvw");
    QVERIFY(QFile::copy(stored, copy));
    const QByteArray copyBytes = readFileBytes(copy);

    s.prompts.answerMessage(PromptAnswer::No); // keep saving to the stored file
    s.prompts.answerMessage(PromptAnswer::Ok); // gone.asm can't be read
    s.commands.OpenWorkspace(copy);
    QVERIFY(s.prompts.allAnswered());
    QCOMPARE(s.prompts.messagesAsked().at(0), *WorkspaceRules::movedFileQuestion(copy, stored));
    QCOMPARE(s.f.windowCount(), 2);
    QCOMPARE(s.activePath(), a);
    const CQvasmView *view = s.f.documents->activeView();
    QCOMPARE(view->textCursor().selectionStart(), 40);
    QCOMPARE(view->textCursor().selectionEnd(), 52);
    QCOMPARE(view->scrollPosition().y(), ea.scrollY);
    QCOMPARE(s.treePaths(), QStringList({a, b, c, gone}));
    QVERIFY(!WorkspaceRecord::instance().entry(3).wasOpened);
    QCOMPARE(WorkspaceRules::lastWorkspace(s.f.settings.store()), copy);

    // Answered No: Workspace settings saves to the stored path, the copy stays as it was.
    ModalDriver<CWorkspaceSettingsDlg> settings([](CWorkspaceSettingsDlg *d) {
        d->targetEdit()->setText("/elsewhere/a.com");
        d->accept();
    });
    QVERIFY(s.f.frame->router().dispatch(ID_WORKSPACE_SETTINGS));
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
    Session s;
    const QString main = mainExists ? s.f.write("main.asm", lines(200)) : s.f.path("main.asm");
    const QString stored = s.writeWorkspace(main, {member(main), member(s.f.write("o.inc", ""))});
    for (int i = 0; i < (mainExists ? 1 : 3); ++i) // the main file's own error in between
        s.prompts.answerMessage(PromptAnswer::Ok);
    s.commands.OpenWorkspace(stored);
    QVERIFY(s.prompts.allAnswered());
    QCOMPARE(s.prompts.messagesAsked().first(), WorkspaceRules::noMembersOpenedMessage());
    QCOMPARE(WorkspaceRecord::instance().isOpen(), mainExists);
    // Remembered even when it could not stay open.
    QCOMPARE(WorkspaceRules::lastWorkspace(s.f.settings.store()), stored);
    if (mainExists) {
        QCOMPARE(s.activePath(), main);
        QCOMPARE(s.f.documents->activeView()->textCursor().position(), 0);
        QCOMPARE(s.f.documents->activeView()->scrollPosition(), QPoint(0, 0));
    } else {
        QCOMPARE(s.prompts.messagesAsked().last(), WorkspaceRules::mainFileFailedMessage());
        QCOMPARE(s.f.windowCount(), 0);
    }
}

void tst_WorkspaceCommands::missingMembersAreReportedInOneMessage_data()
{
    QTest::addColumn<int>("missing");          // members marked open that are not there
    QTest::addColumn<int>("present");          // members marked open that are
    QTest::addColumn<QString>("main");         // "missing-member", "there", "missing-elsewhere"
    QTest::addColumn<QStringList>("messages"); // "list", "none", "main-error", "main-failed"

    QTest::newRow("eighty-missing-the-main-file-among-them")
        << 80 << 0 << "missing-member" << QStringList{"list", "none", "main-failed"};
    QTest::newRow("seventy-nine-missing-the-main-file-opens")
        << 79 << 0 << "there" << QStringList{"list", "none"};
    QTest::newRow("one-missing-one-opens") << 1 << 1 << "there" << QStringList{"list"};
    QTest::newRow("none-missing") << 0 << 2 << "there" << QStringList{};
    // The main file was not in the list: its own error says why it failed.
    QTest::newRow("main-file-missing-and-not-listed")
        << 3 << 0 << "missing-elsewhere"
        << QStringList{"list", "none", "main-error", "main-failed"};
}

void tst_WorkspaceCommands::missingMembersAreReportedInOneMessage()
{
    QFETCH(int, missing);
    QFETCH(int, present);
    QFETCH(QString, main);
    QFETCH(QStringList, messages);
    Session s;
    QList<WorkspaceEntry> members;
    QString mainFile = main == "there" ? s.f.write("main.asm", lines(3)) : s.f.path("main.asm");
    if (main != "missing-member")
        members << member(mainFile); // not marked open: opened only as the fallback
    for (int i = 0; i < missing; ++i)
        members << member(s.f.path(QString("gone%1.asm").arg(i)), true);
    if (main == "missing-member")
        mainFile = members.first().path;
    for (int i = 0; i < present; ++i)
        members << member(s.f.write(QString("here%1.asm").arg(i), lines(2)), true);
    const QString stored = s.writeWorkspace(mainFile, members);
    for (int i = 0; i < messages.size(); ++i)
        s.prompts.answerMessage(PromptAnswer::Ok);

    s.commands.OpenWorkspace(stored);
    QVERIFY2(s.prompts.allAnswered(), qPrintable(s.prompts.messagesAsked().join("\n---\n")));
    const QStringList asked = s.prompts.messagesAsked();
    QCOMPARE(asked.size(), messages.size());
    for (int i = 0; i < messages.size(); ++i) {
        const QString &m = asked.at(i);
        if (messages.at(i) == "list") {
            QVERIFY(m.contains(s.f.path("gone0.asm") + " ("));
            QVERIFY(m.startsWith(missing == 1 ? QString("This file")
                                              : QString("These %1 files").arg(missing)));
        } else if (messages.at(i) == "none") {
            QCOMPARE(m, WorkspaceRules::noMembersOpenedMessage());
        } else if (messages.at(i) == "main-error") {
            QVERIFY(m.contains(mainFile));
        } else {
            QCOMPARE(m, WorkspaceRules::mainFileFailedMessage());
        }
    }
    // Every member is still listed in the tree, opened or not.
    QCOMPARE(s.treePaths().size(), members.size());
    QCOMPARE(s.f.windowCount(), present + (main == "there" && present == 0 ? 1 : 0));
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
    Session s;
    const QString a = s.f.write("a.asm", lines(3));
    const QString b = s.f.write("b.asm", lines(3));
    const QString stranger = s.f.write("stranger.asm", lines(3));
    const QString stored = s.writeWorkspace(a, {member(a, true), member(b, true, true)});
    s.commands.OpenWorkspace(stored);
    s.f.documents->openDocument(stranger);
    s.f.documents->activate(s.f.documents->findDocument(a));

    s.prompts.answerMessage(yes ? PromptAnswer::Yes : PromptAnswer::No);
    QVERIFY(s.f.frame->router().dispatch(ID_WORKSPACE_CLOSE));
    QVERIFY(s.prompts.allAnswered());
    QVERIFY(!WorkspaceRecord::instance().isOpen());
    // The closed record's members no longer count.
    QVERIFY(!s.enabled(ID_WORKSPACE_REMOVE_FILE) && s.enabled(ID_WORKSPACE_OPEN));
    QCOMPARE(s.f.documents->documents().size(), yes ? 1 : 3);
    QVERIFY(s.f.documents->findDocument(stranger));
    QCOMPARE(s.treePaths(), QStringList{stranger});
    QCOMPARE(WorkspaceRules::lastWorkspace(s.f.settings.store()), QString());
    WorkspaceRecord saved; // saved before it closed, a being the active window then
    QCOMPARE(saved.load(stored), WorkspaceRecord::LoadResult::Opened);
    QVERIFY(saved.entry(0).active && !saved.entry(1).active);

    // Opened again at once, as from the recent list: closed windows not yet deleted don't count.
    s.commands.OpenWorkspace(stored);
    s.f.settle();
    QCOMPARE(s.f.windowCount(), 3);
    QCOMPARE(s.activePath(), a);
    QVERIFY(CChildFrame::of(s.f.documents->activeDocument())->isVisible());
}

void tst_WorkspaceCommands::removingTheLastMemberDisablesRemove()
{
    Session s;
    const QString a = s.f.write("a.asm", lines(3));
    const QString other = s.f.write("other.asm", lines(3));
    s.commands.OpenWorkspace(s.writeWorkspace(a, {member(a, true)}));
    s.f.documents->openDocument(other);
    QVERIFY(s.enabled(ID_WORKSPACE_REMOVE_FILE));

    s.prompts.answerMessage(PromptAnswer::Yes); // Close Window?
    ModalDriver<CCreateNewLocationDlg> list([](CCreateNewLocationDlg *d) { d->accept(); });
    QVERIFY(s.f.frame->router().dispatch(ID_WORKSPACE_REMOVE_FILE));
    s.f.settle();
    QCOMPARE(s.prompts.messagesAsked(), QStringList{WorkspaceRules::closeWindowQuestion()});
    QCOMPARE(s.f.windowCount(), 1);
    QVERIFY(WorkspaceRecord::instance().isOpen());
    QCOMPARE(WorkspaceRecord::instance().entryCount(), 0);
    QCOMPARE(s.treePaths(), QStringList{other});
    QVERIFY(!s.enabled(ID_WORKSPACE_REMOVE_FILE) && s.enabled(ID_WORKSPACE_INSERT_FILES));
}

void tst_WorkspaceCommands::membersAreAddedUpToEighty()
{
    Session s;
    const QString a = s.f.write("a.asm", lines(3));
    const QString b = s.f.write("b.inc", lines(3));
    s.commands.OpenWorkspace(s.writeWorkspace(a, {member(a, true)}));

    // Add new file: a new include in the main file's folder, with its header, open and active.
    ModalDriver<CCreateNewLocationDlg> add([](CCreateNewLocationDlg *d) {
        child<QListWidget>(d, 1008)->setCurrentRow(1);
        QTest::keyClicks(child<QLineEdit>(d, 1009), "io");
        d->accept();
    });
    QVERIFY(s.f.frame->router().dispatch(ID_WORKSPACE_ADD_NEW_FILE));
    const QString io = s.f.path("io.inc");
    QCOMPARE(readFileBytes(io), SourceTemplates::newFileHeader().toUtf8());
    QCOMPARE(s.activePath(), io);
    // Insert: a member inserted twice is in the record twice, in the tree once.
    s.prompts.answerOpenFiles({b, b});
    QVERIFY(s.f.frame->router().dispatch(ID_WORKSPACE_INSERT_FILES));
    WorkspaceRecord &record = WorkspaceRecord::instance();
    QCOMPARE(record.entryPaths(), QStringList({a, io, b, b}));
    QCOMPARE(s.treePaths(), QStringList({a, b, io}));

    // A full workspace refuses both before anything is written. The filling loop counts on
    // its own: a record that stopped taking members must fail here, not spin.
    for (int i = record.entryCount(); i < WorkspaceRecord::MaxEntries; ++i)
        QVERIFY(record.appendEntry(WorkspaceEntry(a)) == WorkspaceRecord::Change::Ok);
    QCOMPARE(record.entryCount(), WorkspaceRecord::MaxEntries);
    const QByteArray full = record.toByteArray();
    s.prompts.answerOpenFiles({b, a});
    s.prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(s.f.frame->router().dispatch(ID_WORKSPACE_INSERT_FILES));
    ModalDriver<CCreateNewLocationDlg> extra([](CCreateNewLocationDlg *d) {
        QTest::keyClicks(child<QLineEdit>(d, 1009), "extra");
        d->accept();
    });
    s.prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(s.f.frame->router().dispatch(ID_WORKSPACE_ADD_NEW_FILE));
    QVERIFY(s.prompts.allAnswered());
    QCOMPARE(s.prompts.messagesAsked(),
             QStringList(2, WorkspaceRecord::refusalMessage(WorkspaceRecord::Change::Full)));
    QCOMPARE(record.toByteArray(), full);
    QVERIFY(!QFileInfo::exists(s.f.path("extra.asm")));
}

void tst_WorkspaceCommands::saveWalkStoresEachOpenMember()
{
    // Which windows match which members is the record's table; here the states come from views.
    DocumentFixture f;
    WorkspaceRecord &record = WorkspaceRecord::instance();
    const QString a = f.write(QStringLiteral("a.asm"), numberedLines(400, "\tmov ax, "));
    const QString b = f.write(QStringLiteral("b.inc"), numberedLines(10));
    record.setOpen(true);
    QCOMPARE(record.setWorkspaceFilePath(f.path(QStringLiteral("w.qvw"))),
             WorkspaceRecord::Change::Ok);
    for (const QString &p : {a, b})
        QCOMPARE(record.appendEntry(WorkspaceEntry(p)), WorkspaceRecord::Change::Ok);

    CQvasmDoc *docA = f.documents->openDocument(a);
    CChildFrame::viewOf(docA)->setSelection(30, 25);
    CChildFrame::viewOf(docA)->setScrollPosition(QPoint(0, 100 * 16));
    const QPoint scrollA = CChildFrame::viewOf(docA)->scrollPosition();
    QVERIFY(scrollA.y() > 0);
    f.documents->openDocument(b);
    f.documents->activate(f.documents->findDocument(b));

    QVERIFY(WorkspaceFile::SaveWorkspace(f.frame.get(), record));
    WorkspaceRecord saved;
    QCOMPARE(saved.load(record.workspaceFilePath()), WorkspaceRecord::LoadResult::Opened);
    const WorkspaceEntry ma = saved.entry(0);
    QVERIFY(ma.wasOpened && !ma.active);
    QCOMPARE(ma.selectionStart, 25);
    QCOMPARE(ma.selectionEnd, 30);
    QCOMPARE(ma.scrollY, scrollA.y());
    QVERIFY(saved.entry(1).wasOpened && saved.entry(1).active);
}

void tst_WorkspaceCommands::failedWriteKeepsTheOldFileAndTellsTheUser()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    WorkspaceRecord &record = WorkspaceRecord::instance();
    const QString path = f.path(QStringLiteral("w.qvw"));
    const QByteArray old(WorkspaceRecord::Size, 'o');
    writeFileBytes(path, old);
    record.setOpen(true);
    record.setWorkspaceFilePath(path);
    prompts.answerMessage(PromptAnswer::Ok);
    {
        FileSizeLimit limit(1024);
        QVERIFY(limit.isActive());
        QVERIFY(!WorkspaceFile::SaveWorkspace(f.frame.get(), record));
    }
    QCOMPARE(prompts.messagesAsked(),
             QStringList{QStringLiteral("Error writing to workspace file: ") + path});
    QCOMPARE(readFileBytes(path), old);
    QVERIFY(record.isOpen());
    QVERIFY(prompts.allAnswered());
}

QTEST_MAIN(tst_WorkspaceCommands)
#include "tst_workspacecommands.moc"
