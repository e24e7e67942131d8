#include "TestFiles.h"
#include "workspace/CreateNewRules.h"
#include "workspace/WorkspaceRules.h"
#include "workspace/WorkspaceTreeModel.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

WorkspaceRecord openRecord(const QStringList &members)
{
    WorkspaceRecord r;
    r.setOpen(true);
    for (const QString &m : members)
        r.appendEntry(WorkspaceEntry(m));
    return r;
}

} // namespace

using Mode = CreateNewRules::Mode;
using Action = CreateNewRules::Outcome::Action;
Q_DECLARE_METATYPE(Mode)
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(FileKind)

// The workspace's rules without windows: when its commands are on, what closing and dropping do,
// the tree's labels and groups, and the Create New dialog's naming rules.
class tst_WorkspaceRules : public QObject
{
    Q_OBJECT

private slots:
    void commandsEnableByWorkspaceState_data();
    void commandsEnableByWorkspaceState();
    void newMemberFileGetsTheHeaderOnce();
    void movedWorkspaceAnsweredYesWithAnOverlongPath();
    void closeWorkspaceClosesEachMembersDocumentOnce_data();
    void closeWorkspaceClosesEachMembersDocumentOnce();
    void droppedWorkspaceFiles_data();
    void droppedWorkspaceFiles();
    void labelAndGroup_data();
    void labelAndGroup();
    void identityIsTheExactPath();
    void siblingsStaySorted();
    void listIsNotLimitedToAHundred();
    void fileNameCharacters_data();
    void fileNameCharacters();
    void locationFollowsTheName_data();
    void locationFollowsTheName();
    void okCompletesAndChecksTheNames_data();
    void okCompletesAndChecksTheNames();
    void missingLocationIsOfferedAndCreated();
    void baseFolderByMode();
};

void tst_WorkspaceRules::commandsEnableByWorkspaceState_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("members");
    QTest::addColumn<bool>("canOpenOrCreate");
    QTest::addColumn<bool>("canUse");
    QTest::addColumn<bool>("canRemove");

    QTest::newRow("closed") << false << 0 << true << false << false;
    QTest::newRow("closed-with-stale-members") << false << 3 << true << false << false;
    // Removing the last member leaves the workspace open with Remove off.
    QTest::newRow("open-empty") << true << 0 << false << true << false;
    QTest::newRow("open-with-member") << true << 1 << false << true << true;
}

void tst_WorkspaceRules::commandsEnableByWorkspaceState()
{
    QFETCH(bool, open);
    QFETCH(int, members);
    QFETCH(bool, canOpenOrCreate);
    QFETCH(bool, canUse);
    QFETCH(bool, canRemove);

    WorkspaceRecord r;
    for (int i = 0; i < members; ++i)
        r.appendEntry(WorkspaceEntry(QString("/m%1.asm").arg(i)));
    r.setOpen(open);
    QCOMPARE(WorkspaceRules::canOpenOrCreateWorkspace(r), canOpenOrCreate);
    QCOMPARE(WorkspaceRules::canUseWorkspace(r), canUse);
    QCOMPARE(WorkspaceRules::canRemoveFile(r), canRemove);
}

void tst_WorkspaceRules::newMemberFileGetsTheHeaderOnce()
{
    QCOMPARE(WorkspaceRules::newMemberPath("/p/", "x", FileKind::Source), QString("/p/x.asm"));
    QCOMPARE(WorkspaceRules::newMemberPath("/p/", "x.txt", FileKind::Include), QString("/p/x.txt"));
    QTemporaryDir dir;
    const QString path = WorkspaceRules::newMemberPath(dir.path() + "/", "io", FileKind::Include);
    QCOMPARE(path, dir.path() + "/io.inc");
    QCOMPARE(WorkspaceRules::createMemberFile(path), AtomicFileWriter::CreateResult::Created);
    const QByteArray header = "; This source file was created using QVASMIDE's Wizard software\r\n"
                              "; Kestrelmoor Software\r\n"
                              "; \r\n"
                              "\r\n";
    QCOMPARE(readFileBytes(path), header);
    QVERIFY(writeFileBytes(path, "; edited\n"));
    QCOMPARE(WorkspaceRules::createMemberFile(path), AtomicFileWriter::CreateResult::AlreadyExists);
    QCOMPARE(readFileBytes(path), QByteArray("; edited\n"));

    QVERIFY(WorkspaceRules::treeItemOpensFromDisk(path));
    QVERIFY(!WorkspaceRules::treeItemOpensFromDisk("untitled0.asm"));
    QVERIFY(!WorkspaceRules::treeItemOpensFromDisk(""));
}

void tst_WorkspaceRules::movedWorkspaceAnsweredYesWithAnOverlongPath()
{
    WorkspaceRecord r = openRecord({});
    QVERIFY(r.setWorkspaceFilePath("/old/w.qvw") == WorkspaceRecord::Change::Ok);
    const QString longPath = "/" + QString(300, 'd') + "/w.qvw";
    // Cutting the path would send every later save to a different file: keep the old one.
    QCOMPARE(WorkspaceRules::adoptOpenedPath(r, longPath), WorkspaceRecord::Change::TooLong);
    QCOMPARE(r.workspaceFilePath(), QString("/old/w.qvw"));
    QCOMPARE(WorkspaceRules::adoptOpenedPath(r, "/new/w.qvw"), WorkspaceRecord::Change::Ok);
    QCOMPARE(r.workspaceFilePath(), QString("/new/w.qvw"));
}

void tst_WorkspaceRules::closeWorkspaceClosesEachMembersDocumentOnce_data()
{
    QTest::addColumn<QStringList>("members");
    QTest::addColumn<QStringList>("documents");
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("members-from-last")
        << QStringList{"/a.asm", "/b.asm"} << QStringList{"/a.asm", "/x.txt", "/b.asm"}
        << QList<int>{2, 0};
    QTest::newRow("duplicate-member-two-windows")
        << QStringList{"/a.asm", "/a.asm"} << QStringList{"/a.asm", "/a.asm"} << QList<int>{0, 1};
    QTest::newRow("duplicate-member-one-window")
        << QStringList{"/a.asm", "/a.asm"} << QStringList{"/a.asm"} << QList<int>{0};
    QTest::newRow("case-matters") << QStringList{"/A.asm"} << QStringList{"/a.asm"} << QList<int>{};
    QTest::newRow("untitled-never-matches")
        << QStringList{"/a.asm"} << QStringList{"", "untitled0.asm"} << QList<int>{};
}

void tst_WorkspaceRules::closeWorkspaceClosesEachMembersDocumentOnce()
{
    QFETCH(QStringList, members);
    QFETCH(QStringList, documents);
    QFETCH(QList<int>, order);
    QCOMPARE(WorkspaceRules::documentsToClose(members, documents), order);
}

void tst_WorkspaceRules::droppedWorkspaceFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("workspace");

    QTest::newRow("lower") << "/p/w.qvw" << true;
    QTest::newRow("capitals") << "/p/W.QVW" << true;
    QTest::newRow("no-dot") << "/p/qvw" << false;
    QTest::newRow("dot-in-folder-only") << "/p/x.qvw/readme" << false;
    QTest::newRow("backup") << "/p/w.qvw.bak" << false;
}

void tst_WorkspaceRules::droppedWorkspaceFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, workspace);
    QCOMPARE(WorkspaceRules::isWorkspaceFileName(path), workspace);
}

void tst_WorkspaceRules::labelAndGroup_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("label");
    QTest::addColumn<FileKind>("group");

    QTest::newRow("source") << "/home/u/Main.asm"
                            << "main.asm -- (/home/u/Main.asm)" << FileKind::Source;
    QTest::newRow("capitals-go-to-misc") << "/home/U/MAIN.ASM"
                                         << "main.asm -- (/home/U/MAIN.ASM)" << FileKind::Other;
    QTest::newRow("include") << "/p/defs.inc"
                             << "defs.inc -- (/p/defs.inc)" << FileKind::Include;
    QTest::newRow("untitled-title") << "untitled0.asm"
                                    << "untitled0.asm -- (untitled0.asm)" << FileKind::Source;
    QTest::newRow("separator-in-name") << "/p/x -- (y).inc"
                                       << "x -- (y).inc -- (/p/x -- (y).inc)" << FileKind::Include;
    QTest::newRow("separator-in-folder") << "/p -- (q)/z.asm"
                                         << "z.asm -- (/p -- (q)/z.asm)" << FileKind::Source;
}

void tst_WorkspaceRules::labelAndGroup()
{
    QFETCH(QString, path);
    QFETCH(QString, label);
    QFETCH(FileKind, group);

    QCOMPARE(WorkspaceTreeModel::fileLabel(path), label);
    QCOMPARE(WorkspaceTreeModel::pathFromLabel(label), std::optional<QString>(path));

    WorkspaceTreeModel model;
    const QModelIndex index = model.addFile(path);
    QCOMPARE(index.parent(), model.groupIndex(group));
    QCOMPARE(model.filePath(index), path);
}

void tst_WorkspaceRules::identityIsTheExactPath()
{
    WorkspaceTreeModel model;
    model.addFile("/p/a.asm");
    model.addFile("/p/b.asm");
    // Re-adding replaces the item rather than listing the file twice.
    model.addFile("/p/a.asm");
    QCOMPARE(model.rowCount(model.groupIndex(FileKind::Source)), 2);
    QCOMPARE(model.filePaths(), QStringList({"/p/b.asm", "/p/a.asm"}));

    QVERIFY(!model.removeFile("/p/A.asm"));
    QVERIFY(model.removeFile("/p/a.asm"));
    QVERIFY(!model.removeFile("/p/a.asm"));
    QCOMPARE(model.filePaths(), QStringList({"/p/b.asm"}));

    QCOMPARE(WorkspaceTreeModel::pathFromLabel("no parentheses"), std::nullopt);
    QCOMPARE(WorkspaceTreeModel::pathFromLabel("a.asm (a.asm)"), std::nullopt);
}

void tst_WorkspaceRules::siblingsStaySorted()
{
    WorkspaceTreeModel model;
    for (const char *p : {"/z/b.asm", "/a/C.asm", "/y/a.asm", "/x/b.asm", "/q/a.inc"})
        model.addFile(p);
    const QModelIndex group = model.groupIndex(FileKind::Source);
    QStringList labels;
    for (int r = 0; r < model.rowCount(group); ++r)
        labels << model.index(r, 0, group).data().toString();
    QCOMPARE(labels,
             QStringList({"a.asm -- (/y/a.asm)",
                          "b.asm -- (/x/b.asm)",
                          "b.asm -- (/z/b.asm)",
                          "c.asm -- (/a/C.asm)"}));
}

void tst_WorkspaceRules::listIsNotLimitedToAHundred()
{
    WorkspaceTreeModel model;
    for (int i = 0; i < 150; ++i)
        model.addFile(QString("/p/f%1.asm").arg(i, 3, 10, QChar('0')));
    QCOMPARE(model.rowCount(model.groupIndex(FileKind::Source)), 150);
    QCOMPARE(model.index(100, 0, model.groupIndex(FileKind::Source)).data().toString(),
             QString("f100.asm -- (/p/f100.asm)"));
}

void tst_WorkspaceRules::fileNameCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");

    QTest::newRow("plain") << "main.asm" << true;
    QTest::newRow("underscore-digits") << "_x1.2" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << "my file.asm" << false;
    QTest::newRow("hyphen") << "a-b.asm" << false;
    QTest::newRow("non-ascii-letter") << QString::fromUtf8("été.asm") << false;
    QTest::newRow("fullwidth-digit") << QString::fromUtf8("x\uFF11.asm") << false;
}

void tst_WorkspaceRules::fileNameCharacters()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(CreateNewRules::isValidFileName(name), valid);
}

void tst_WorkspaceRules::locationFollowsTheName_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("touched");
    QTest::addColumn<bool>("follow");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<QString>("location"); // "-": left alone

    QTest::newRow("extension-dropped") << "hello.asm" << false << true << true << "/base/hello";
    QTest::newRow("first-dot-cuts") << "a.b.c" << false << true << true << "/base/a";
    QTest::newRow("leading-dot-kept") << ".asm" << false << true << true << "/base/.asm";
    QTest::newRow("only-dot-after-first") << "x." << false << true << true << "/base/x";
    QTest::newRow("empty-disables-ok") << "" << false << true << false << "/base/";
    QTest::newRow("dot-first-then-empty") << ".." << false << true << true << "/base/..";
    QTest::newRow("touched-stops-following") << "hello" << true << true << true << "-";
    QTest::newRow("file-mode-never-follows") << "hello" << false << false << true << "-";
}

void tst_WorkspaceRules::locationFollowsTheName()
{
    QFETCH(QString, source);
    QFETCH(bool, touched);
    QFETCH(bool, follow);
    QFETCH(bool, okEnabled);
    QFETCH(QString, location);

    const auto step = CreateNewRules::nameStep(source, "/base/", touched, follow);
    QCOMPARE(step.okEnabled, okEnabled);
    QCOMPARE(step.replaceLocation, location != "-");
    if (step.replaceLocation)
        QCOMPARE(step.location, location);
}

void tst_WorkspaceRules::okCompletesAndChecksTheNames_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("finalSource");
    QTest::addColumn<QString>("finalTarget");
    QTest::addColumn<QString>("message");

    const QString bad1 = "Filename contains illegal characters1.";
    const QString bad0 = "Filename contains illegal characters0.";
    QTest::newRow("asm-added-com-derived") << Mode::Project << 0 << "hello"
                                           << "" << Action::Accept << "hello.asm"
                                           << "hello.com"
                                           << "";
    QTest::newRow("exe-project-obj-derived") << Mode::Project << 1 << "prog"
                                             << "" << Action::Accept << "prog.asm"
                                             << "prog.obj"
                                             << "";
    QTest::newRow("new-inc-file") << Mode::File << 1 << "defs"
                                  << "" << Action::Accept << "defs.inc"
                                  << "defs.obj"
                                  << "";
    QTest::newRow("own-extension-kept") << Mode::Project << 0 << "boot.s"
                                        << "" << Action::Accept << "boot.s"
                                        << "boot.com"
                                        << "";
    QTest::newRow("target-cut-at-last-dot") << Mode::Project << 0 << "a.b.asm"
                                            << "" << Action::Accept << "a.b.asm"
                                            << "a.b.com"
                                            << "";
    QTest::newRow("given-target-kept") << Mode::Project << 0 << "a"
                                       << "out.bin" << Action::Accept << "a.asm"
                                       << "out.bin"
                                       << "";
    QTest::newRow("hyphen-in-source") << Mode::File << 0 << "a-b"
                                      << "x.com" << Action::InvalidSource << "a-b.asm"
                                      << "x.com" << bad1;
    QTest::newRow("hyphen-in-target") << Mode::Project << 0 << "ok"
                                      << "a-b.com" << Action::InvalidTarget << "ok.asm"
                                      << "a-b.com" << bad0;
    QTest::newRow("list-mode-no-checks") << Mode::List << 1 << ""
                                         << "" << Action::Accept << "/p/my file.asm"
                                         << ".obj"
                                         << "";
}

void tst_WorkspaceRules::okCompletesAndChecksTheNames()
{
    QFETCH(Mode, mode);
    QFETCH(int, index);
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(Action, action);
    QFETCH(QString, finalSource);
    QFETCH(QString, finalTarget);
    QFETCH(QString, message);

    QTemporaryDir dir;
    CreateNewRules::Input in;
    in.mode = mode;
    in.chosenIndex = index;
    in.chosenItemText = "/p/my file.asm";
    in.sourceName = source;
    in.targetName = target;
    in.location = dir.path();
    in.currentFolder = "/";
    const auto out = CreateNewRules::accept(in);
    QCOMPARE(out.action, action);
    QCOMPARE(out.sourceName, finalSource);
    QCOMPARE(out.targetName, finalTarget);
    QCOMPARE(out.message, message);
    QCOMPARE(out.chosenIndex, index);
    if (action == Action::Accept)
        QCOMPARE(out.location, dir.path() + "/");
}

void tst_WorkspaceRules::missingLocationIsOfferedAndCreated()
{
    QTemporaryDir dir;
    CreateNewRules::Input in;
    in.mode = Mode::Project;
    in.sourceName = "hello.asm";
    in.currentFolder = dir.path();

    // Relative, with a trailing slash, two levels missing.
    in.location = "new/hello/";
    auto out = CreateNewRules::accept(in);
    QCOMPARE(out.action, Action::AskCreateFolder);
    QCOMPARE(out.message, QString("Location path does not exist, create?"));
    QCOMPARE(out.folderToCreate, dir.path() + "/new/hello");
    QCOMPARE(out.location, dir.path() + "/new/hello/");
    QVERIFY(CreateNewRules::createFolder(out.folderToCreate));
    QVERIFY(QFileInfo(out.folderToCreate).isDir());
    QCOMPARE(CreateNewRules::accept(in).action, Action::Accept);

    // Empty means the current folder, made absolute; the root stays the root.
    in.location = "";
    out = CreateNewRules::accept(in);
    QCOMPARE(out.action, Action::Accept);
    QCOMPARE(out.location, dir.path() + "/");
    in.location = "/";
    QCOMPARE(CreateNewRules::accept(in).location, QString("/"));
    in.location = dir.path() + "//sub/..//";
    QCOMPARE(CreateNewRules::accept(in).location, dir.path() + "/");
}

void tst_WorkspaceRules::baseFolderByMode()
{
    QCOMPARE(CreateNewRules::baseFolder(Mode::File, "/p/q/main.asm", "/cwd"), QString("/p/q/"));
    QCOMPARE(CreateNewRules::baseFolder(Mode::File, "", "/cwd"), QString("/cwd/"));
    QCOMPARE(CreateNewRules::baseFolder(Mode::File, "main.asm", "/cwd/"), QString("/cwd/"));
    QCOMPARE(CreateNewRules::baseFolder(Mode::Project, "/p/q/main.asm", "/cwd"), QString("/cwd/"));
    QCOMPARE(CreateNewRules::baseFolder(Mode::Project, "", "/"), QString("/"));
}

QTEST_GUILESS_MAIN(tst_WorkspaceRules)
#include "tst_workspacerules.moc"
