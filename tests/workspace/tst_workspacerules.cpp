#include "workspace/CreateNewRules.h"
#include "workspace/WorkspaceRules.h"
#include "workspace/WorkspaceTreeModel.h"

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

// The workspace's rules without windows: what closing and dropping do, the tree's labels and
// groups, and the Create New dialog's naming rules.
class tst_WorkspaceRules : public QObject
{
    Q_OBJECT

private slots:
    void newMemberPathAndTreeOpening();
    void movedWorkspaceAnsweredYesWithAnOverlongPath();
    void membersNotOpenedAreListedInOneMessage_data();
    void membersNotOpenedAreListedInOneMessage();
    void closeWorkspaceClosesEachMembersDocumentOnce_data();
    void closeWorkspaceClosesEachMembersDocumentOnce();
    void droppedWorkspaceFiles_data();
    void droppedWorkspaceFiles();
    void labelAndGroup_data();
    void labelAndGroup();
    void treeListsEachPathOnceSorted();
    void fileNameCharacters_data();
    void fileNameCharacters();
    void locationFollowsTheName_data();
    void locationFollowsTheName();
    void okCompletesAndChecksTheNames_data();
    void okCompletesAndChecksTheNames();
    void missingLocationIsOfferedAndCreated();
    void baseFolderByMode();
};

void tst_WorkspaceRules::newMemberPathAndTreeOpening()
{
    // The file itself is written through the create-only writer (the seams test).
    QCOMPARE(WorkspaceRules::newMemberPath("/p/", "x", FileKind::Source), QString("/p/x.asm"));
    QCOMPARE(WorkspaceRules::newMemberPath("/p/", "io", FileKind::Include), QString("/p/io.inc"));
    QCOMPARE(WorkspaceRules::newMemberPath("/p/", "x.txt", FileKind::Include), QString("/p/x.txt"));
    QVERIFY(WorkspaceRules::treeItemOpensFromDisk("/p/x.asm"));
    QVERIFY(!WorkspaceRules::treeItemOpensFromDisk("untitled0.asm"));
}

void tst_WorkspaceRules::membersNotOpenedAreListedInOneMessage_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("listed");
    QTest::addColumn<QString>("last"); // the message's last line
    const int most = WorkspaceRules::MaxListedFailures;
    QTest::newRow("one") << 1 << 1 << "/p/m0.asm (No such file or directory)";
    QTest::newRow("as-many-as-are-listed")
        << most << most << QString("/p/m%1.asm (No such file or directory)").arg(most - 1);
    QTest::newRow("one-more-than-are-listed") << most + 1 << most << "... and 1 more.";
    QTest::newRow("eighty") << 80 << most << QString("... and %1 more.").arg(80 - most);
}

void tst_WorkspaceRules::membersNotOpenedAreListedInOneMessage()
{
    QFETCH(int, failures);
    QFETCH(int, listed);
    QFETCH(QString, last);
    QList<WorkspaceRules::OpenFailure> list;
    for (int i = 0; i < failures; ++i)
        list.append({QString("/p/m%1.asm").arg(i), "No such file or directory"});
    const QStringList lines = WorkspaceRules::membersNotOpenedMessage(list).split('\n');
    QCOMPARE(lines.first(),
             failures == 1
                 ? QString("This file of the workspace could not be opened:")
                 : QString("These %1 files of the workspace could not be opened:").arg(failures));
    QCOMPARE(lines.filter(".asm (No such file or directory)").size(), listed);
    QCOMPARE(lines.last(), last);
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

void tst_WorkspaceRules::treeListsEachPathOnceSorted()
{
    WorkspaceTreeModel model;
    for (const char *p : {"/z/b.asm", "/a/C.asm", "/y/a.asm", "/x/b.asm", "/q/a.inc", "/y/a.asm"})
        model.addFile(p);
    // Sorted by label, case-blind; re-adding replaces the item rather than listing it twice.
    const QModelIndex group = model.groupIndex(FileKind::Source);
    QStringList labels;
    for (int r = 0; r < model.rowCount(group); ++r)
        labels << model.index(r, 0, group).data().toString();
    QCOMPARE(labels,
             QStringList({"a.asm -- (/y/a.asm)",
                          "b.asm -- (/x/b.asm)",
                          "b.asm -- (/z/b.asm)",
                          "c.asm -- (/a/C.asm)"}));
    QVERIFY(!model.removeFile("/Y/a.asm"));
    QVERIFY(model.removeFile("/y/a.asm"));
    QVERIFY(!model.removeFile("/y/a.asm"));
    QCOMPARE(model.rowCount(group), 3);
    QCOMPARE(WorkspaceTreeModel::pathFromLabel("no parentheses"), std::nullopt);
    QCOMPARE(WorkspaceTreeModel::pathFromLabel("a.asm (a.asm)"), std::nullopt);

    // No cap at a hundred items.
    for (int i = 0; i < 150; ++i)
        model.addFile(QString("/p/f%1.asm").arg(i, 3, 10, QChar('0')));
    QCOMPARE(model.rowCount(group), 153);
}

void tst_WorkspaceRules::fileNameCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");

    QTest::newRow("underscore-digits") << "_x1.2" << true;
    QTest::newRow("empty") << "" << false;
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

    QTest::newRow("first-dot-cuts") << "a.b.c" << false << true << true << "/base/a";
    QTest::newRow("leading-dot-kept") << ".asm" << false << true << true << "/base/.asm";
    QTest::newRow("only-dot-after-first") << "x." << false << true << true << "/base/x";
    QTest::newRow("empty-disables-ok") << "" << false << true << false << "/base/";
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

    const auto row = [](const char *name,
                        Mode mode,
                        int index,
                        const char *source,
                        const char *target,
                        Action action,
                        const char *finalSource,
                        const char *finalTarget,
                        const char *message = "") {
        QTest::newRow(name) << mode << index << QString(source) << QString(target) << action
                            << QString(finalSource) << QString(finalTarget) << QString(message);
    };
    const Mode project = Mode::Project;
    const Mode file = Mode::File;
    const Action accept = Action::Accept;
    const Action badSource = Action::InvalidSource;
    const Action badTarget = Action::InvalidTarget;
    row("asm-added-com-derived", project, 0, "hello", "", accept, "hello.asm", "hello.com");
    row("exe-project-obj-derived", project, 1, "prog", "", accept, "prog.asm", "prog.obj");
    row("new-inc-file", file, 1, "defs", "", accept, "defs.inc", "defs.obj");
    row("own-extension-kept", project, 0, "boot.s", "", accept, "boot.s", "boot.com");
    row("target-cut-at-last-dot", project, 0, "a.b.asm", "", accept, "a.b.asm", "a.b.com");
    row("given-target-kept", project, 0, "a", "out.bin", accept, "a.asm", "out.bin");
    const char *bad1 = "Filename contains illegal characters1.";
    const char *bad0 = "Filename contains illegal characters0.";
    row("hyphen-in-source", file, 0, "a-b", "x.com", badSource, "a-b.asm", "x.com", bad1);
    row("hyphen-in-target", project, 0, "ok", "a-b.com", badTarget, "ok.asm", "a-b.com", bad0);
    row("list-mode-no-checks", Mode::List, 1, "", "", accept, "/p/my file.asm", ".obj");
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
