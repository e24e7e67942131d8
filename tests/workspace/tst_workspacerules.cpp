#include "TestFiles.h"
#include "workspace/WorkspaceRules.h"

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
    void treeItemSurvivesClosingAMember_data();
    void treeItemSurvivesClosingAMember();
    void droppedWorkspaceFiles_data();
    void droppedWorkspaceFiles();
    void reopensMarkedMembersOnly();
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

void tst_WorkspaceRules::treeItemSurvivesClosingAMember_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("keeps");

    QTest::newRow("member") << true << "/p/main.asm" << true;
    QTest::newRow("member-other-case") << true << "/P/MAIN.asm" << true;
    QTest::newRow("stranger") << true << "/p/other.asm" << false;
    QTest::newRow("untitled") << true << "untitled0.asm" << false;
    QTest::newRow("workspace-closed") << false << "/p/main.asm" << false;
}

void tst_WorkspaceRules::treeItemSurvivesClosingAMember()
{
    QFETCH(bool, open);
    QFETCH(QString, name);
    QFETCH(bool, keeps);
    WorkspaceRecord r = openRecord({"/p/main.asm"});
    r.setOpen(open);
    QCOMPARE(WorkspaceRules::keepsTreeItemOnClose(r, name), keeps);
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

void tst_WorkspaceRules::reopensMarkedMembersOnly()
{
    WorkspaceRecord r = openRecord({"/a.asm", "/b.asm", "/c.asm"});
    WorkspaceEntry b = r.entry(1);
    b.wasOpened = true;
    r.setEntry(1, b);
    r.setEntry(2, b); // marked, and reached only through the count
    QCOMPARE(WorkspaceRules::membersToReopen(r), QList<int>({1, 2}));
    r.setEntryCount(2);
    QCOMPARE(WorkspaceRules::membersToReopen(r), QList<int>({1}));
    r.setEntryWasOpened(1, false);
    QVERIFY(WorkspaceRules::membersToReopen(r).isEmpty());
}

QTEST_GUILESS_MAIN(tst_WorkspaceRules)
#include "tst_workspacerules.moc"
