#include "TestFiles.h"
#include "TestSettings.h"
#include "workspace/WorkspaceRules.h"

#include <QFile>
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
    void removingTheLastMemberDisablesRemove();
    void membersAreAddedEvenTwiceButNeverPastEighty();
    void newMemberFileGetsTheHeaderOnce();
    void movedWorkspaceAnsweredNoSavesToTheStoredPath();
    void movedWorkspaceAnsweredYesWithAnOverlongPath();
    void closeWorkspaceClosesEachMembersDocumentOnce_data();
    void closeWorkspaceClosesEachMembersDocumentOnce();
    void treeItemSurvivesClosingAMember_data();
    void treeItemSurvivesClosingAMember();
    void droppedWorkspaceFiles_data();
    void droppedWorkspaceFiles();
    void reopensMarkedMembersOnly();
    void restoreAtStartup_data();
    void restoreAtStartup();
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

void tst_WorkspaceRules::removingTheLastMemberDisablesRemove()
{
    WorkspaceRecord r = openRecord({"/p/main.asm"});
    QVERIFY(WorkspaceRules::canRemoveFile(r));
    QVERIFY(r.removeEntry(0));
    QVERIFY(r.isOpen());
    QVERIFY(!WorkspaceRules::canRemoveFile(r));
    QVERIFY(WorkspaceRules::canUseWorkspace(r));
}

void tst_WorkspaceRules::membersAreAddedEvenTwiceButNeverPastEighty()
{
    WorkspaceRecord r = openRecord({"/p/main.asm"});
    QCOMPARE(WorkspaceRules::addMember(r, "/p/main.asm"), WorkspaceRecord::Change::Ok);
    QCOMPARE(r.entryPaths(), QStringList({"/p/main.asm", "/p/main.asm"}));

    QCOMPARE(WorkspaceRules::newMemberPath("/p/", "x", FileKind::Source), QString("/p/x.asm"));
    QCOMPARE(WorkspaceRules::newMemberPath("/p/", "x", FileKind::Include), QString("/p/x.inc"));
    QCOMPARE(WorkspaceRules::newMemberPath("/p/", "x.txt", FileKind::Include), QString("/p/x.txt"));

    while (r.entryCount() < WorkspaceRecord::MaxEntries)
        QCOMPARE(WorkspaceRules::addMember(r, "/p/more.asm"), WorkspaceRecord::Change::Ok);
    const QByteArray full = r.toByteArray();
    const auto refused = WorkspaceRules::addMember(r, "/p/one-too-many.asm");
    QCOMPARE(refused, WorkspaceRecord::Change::Full);
    QCOMPARE(r.toByteArray(), full);
    QVERIFY(WorkspaceRecord::refusalMessage(refused).contains("80"));
}

void tst_WorkspaceRules::newMemberFileGetsTheHeaderOnce()
{
    QTemporaryDir dir;
    const QString path = WorkspaceRules::newMemberPath(dir.path() + "/", "io", FileKind::Include);
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

void tst_WorkspaceRules::movedWorkspaceAnsweredNoSavesToTheStoredPath()
{
    QTemporaryDir dir;
    const QString stored = dir.filePath("old.qvw");
    const QString copy = dir.filePath("copy.qvw");
    WorkspaceRecord r = openRecord({"/p/main.asm"});
    QVERIFY(r.setWorkspaceFilePath(stored) == WorkspaceRecord::Change::Ok);
    QVERIFY(r.save());
    QVERIFY(QFile::copy(stored, copy));

    WorkspaceRecord opened;
    QCOMPARE(opened.load(copy), WorkspaceRecord::LoadResult::Opened);
    QCOMPARE(WorkspaceRules::movedFileQuestion(copy, opened.workspaceFilePath()),
             std::optional<QString>(QString("Opened file %1 is not the same as stored file %2.\n"
                                            "Update?")
                                        .arg(copy, stored)));
    QCOMPARE(WorkspaceRules::movedFileQuestion(stored, opened.workspaceFilePath()), std::nullopt);

    // No: the stored path stays, so the next save lands in the old place.
    QVERIFY(WorkspaceRules::addMember(opened, "/p/new.inc") == WorkspaceRecord::Change::Ok);
    QVERIFY(opened.save());
    WorkspaceRecord atStored;
    QCOMPARE(atStored.load(stored), WorkspaceRecord::LoadResult::Opened);
    QCOMPARE(atStored.entryCount(), 2);
    WorkspaceRecord atCopy;
    QCOMPARE(atCopy.load(copy), WorkspaceRecord::LoadResult::Opened);
    QCOMPARE(atCopy.entryCount(), 1);
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
    QTest::newRow("mixed") << "/p/w.Qvw" << true;
    QTest::newRow("source") << "/p/w.asm" << false;
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

void tst_WorkspaceRules::restoreAtStartup_data()
{
    QTest::addColumn<QString>("file"); // "" no lastws, "missing", "invalid", "valid"
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("loadwsAfter");

    using R = WorkspaceRules::RestoreStart;
    QTest::newRow("no-last-workspace") << "" << int(R::NothingToRestore) << "" << 1;
    QTest::newRow("missing-turns-loadws-off")
        << "missing" << int(R::NotOpenable) << "Could not open workspace file." << 0;
    QTest::newRow("invalid-keeps-loadws")
        << "invalid" << int(R::NotAWorkspace) << "Invalid WorkSpace File" << 1;
    QTest::newRow("valid") << "valid" << int(R::Opened) << "" << 1;
}

void tst_WorkspaceRules::restoreAtStartup()
{
    QFETCH(QString, file);
    QFETCH(int, start);
    QFETCH(QString, message);
    QFETCH(int, loadwsAfter);

    TestSettings settings;
    QTemporaryDir dir;
    const QString path = dir.filePath("last.qvw");
    if (file == "invalid") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(32768, '\0'));
    } else if (file == "valid") {
        WorkspaceRecord w = openRecord({"/p/main.asm"});
        QVERIFY(w.saveTo(path));
    }
    settings.store().writeInt("Settings", "loadws", 1);
    if (!file.isEmpty())
        WorkspaceRules::setLastWorkspace(settings.store(), path);

    WorkspaceRecord r;
    QString shown;
    QCOMPARE(int(WorkspaceRules::startRestore(r, settings.store(), &shown)), start);
    QCOMPARE(shown, message);
    QCOMPARE(settings.store().readInt("Settings", "loadws", 1), loadwsAfter);
    QCOMPARE(r.isOpen(), file == "valid");
    QCOMPARE(WorkspaceRules::lastWorkspace(settings.store()), file.isEmpty() ? QString() : path);

    if (file == "valid") {
        // Neither a member nor the main file opened: the third failure path.
        r.setCanExecute(true);
        WorkspaceRules::restoreFailedWithoutFiles(r, settings.store());
        QVERIFY(!r.isOpen());
        QVERIFY(!r.canExecute());
        QCOMPARE(WorkspaceRules::lastWorkspace(settings.store()), QString());
        QCOMPARE(settings.store().readInt("Settings", "loadws", 9), 1);
    }
}

QTEST_GUILESS_MAIN(tst_WorkspaceRules)
#include "tst_workspacerules.moc"
