#include "TestSettings.h"
#include "app/RecentFileList.h"

#include <QTest>

class tst_RecentFileList : public QObject
{
    Q_OBJECT

private slots:
    void newestFirstWithoutDuplicatesUpToTheLimit();
    void membersOfAWorkspaceStayOut();
    void keepsItsEntriesInTheSettings();
    void readsEverySlotUpToTheLimit_data();
    void readsEverySlotUpToTheLimit();
    void menuTexts_data();
    void menuTexts();
    void abbreviatedPaths_data();
    void abbreviatedPaths();
};

void tst_RecentFileList::newestFirstWithoutDuplicatesUpToTheLimit()
{
    RecentFileList list = RecentFileList::workspaces();
    QCOMPARE(list.maxSize(), 8);
    for (int i = 1; i <= 10; ++i)
        list.add(QString("/w/%1.qvw").arg(i));
    QCOMPARE(list.size(), 8);
    QCOMPARE(list.at(0), QString("/w/10.qvw"));
    QCOMPARE(list.at(7), QString("/w/3.qvw"));

    // Opening one already listed moves it to the top, no second copy.
    list.add("/w/5.qvw");
    QCOMPARE(list.size(), 8);
    QCOMPARE(list.paths().mid(0, 3), QStringList({"/w/5.qvw", "/w/10.qvw", "/w/9.qvw"}));
    QCOMPARE(list.paths().count("/w/5.qvw"), 1);

    // The same file named another way is still the same entry.
    list.add("/w/sub/../9.qvw");
    QCOMPARE(list.at(0), QString("/w/9.qvw"));
    QCOMPARE(list.paths().count("/w/9.qvw"), 1);
    list.add("");
    QCOMPARE(list.at(0), QString("/w/9.qvw"));
    // Two files differing only in case are different files here.
    list.add("/w/A.qvw");
    QVERIFY(list.remove("/w/9.qvw"));
    QVERIFY(!list.remove("/w/9.qvw") && !list.remove("/w/a.qvw"));
    QCOMPARE(list.paths().mid(0, 2), QStringList({"/w/A.qvw", "/w/5.qvw"}));

    RecentFileList files = RecentFileList::files();
    for (int i = 0; i < 20; ++i)
        files.add(QString("/f/%1.asm").arg(i));
    QCOMPARE(files.size(), 16);
}

void tst_RecentFileList::membersOfAWorkspaceStayOut()
{
    RecentFileList files = RecentFileList::files();
    files.add("/p/before.asm");
    {
        RecentFileList::SuspendAdds outer(files);
        {
            RecentFileList::SuspendAdds inner(files);
            files.add("/p/member1.asm");
        }
        QVERIFY(files.addsSuspended());
        files.add("/p/member2.asm");
    }
    QVERIFY(!files.addsSuspended());
    files.add("/p/after.asm");
    QCOMPARE(files.paths(), QStringList({"/p/after.asm", "/p/before.asm"}));
}

void tst_RecentFileList::keepsItsEntriesInTheSettings()
{
    TestSettings settings;
    SettingsStore &store = settings.store();
    // A hand-edited section: a hole, a repeat and a stale ninth key.
    store.writeString("Recent Workspace List", "WorkSpace1", "/w/a.qvw");
    store.writeString("Recent Workspace List", "WorkSpace3", "/w/b.qvw");
    store.writeString("Recent Workspace List", "WorkSpace4", "/w/a.qvw");
    store.writeString("Recent Workspace List", "WorkSpace9", "/w/ignored.qvw");

    RecentFileList list = RecentFileList::workspaces();
    list.read(store);
    QCOMPARE(list.paths(), QStringList({"/w/a.qvw", "/w/b.qvw"}));

    list.add("/w/c.qvw");
    list.write(store);
    store.sync();
    SettingsStore again(settings.filePath());
    QCOMPARE(again.readString("Recent Workspace List", "WorkSpace1"), QString("/w/c.qvw"));
    QCOMPARE(again.readString("Recent Workspace List", "WorkSpace3"), QString("/w/b.qvw"));
    QVERIFY(!again.contains("Recent Workspace List", "WorkSpace4"));
}

void tst_RecentFileList::readsEverySlotUpToTheLimit_data()
{
    QTest::addColumn<bool>("workspaces");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("read");
    QTest::newRow("workspaces-8-last-slot-read") << true << 8 << 8;
    QTest::newRow("workspaces-9th-key-ignored") << true << 9 << 8;
    QTest::newRow("files-16-last-slot-read") << false << 16 << 16;
    QTest::newRow("files-17th-key-ignored") << false << 17 << 16;
}

void tst_RecentFileList::readsEverySlotUpToTheLimit()
{
    QFETCH(bool, workspaces);
    QFETCH(int, stored);
    QFETCH(int, read);
    TestSettings settings;
    SettingsStore &store = settings.store();
    RecentFileList list = workspaces ? RecentFileList::workspaces() : RecentFileList::files();
    const QString section = workspaces ? "Recent Workspace List" : "Recent File List";
    const QString prefix = workspaces ? "WorkSpace" : "File";
    QStringList expected;
    for (int i = 1; i <= stored; ++i) {
        const QString path = QString("/p/%1.x").arg(i);
        store.writeString(section, prefix + QString::number(i), path);
        if (i <= read)
            expected << path;
    }
    list.read(store);
    QCOMPARE(list.paths(), expected);
    // Written back, the last slot keeps its entry and nothing goes past it.
    list.write(store);
    QCOMPARE(store.readString(section, prefix + QString::number(read)), expected.last());
}

void tst_RecentFileList::menuTexts_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("in-current-folder-bare-name")
        << QStringList{"/cwd/a.qvw", "/cwd/sub/b.qvw", "/other/c.qvw"}
        << QStringList{"&1 /other/c.qvw", "&2 /cwd/sub/b.qvw", "&3 a.qvw"};
    QTest::newRow("ampersand-doubled")
        << QStringList{"/cwd/R&D &x.qvw"} << QStringList{"&1 R&&D &&x.qvw"};
    QStringList ten;
    QStringList tenTexts;
    for (int i = 1; i <= 10; ++i) {
        ten.append(QString("/cwd/%1.asm").arg(i));
        tenTexts << QString("&%1 %2.asm").arg(i % 10).arg(11 - i);
    }
    QTest::newRow("tenth-is-zero") << ten << tenTexts;
}

void tst_RecentFileList::menuTexts()
{
    QFETCH(QStringList, paths);
    QFETCH(QStringList, texts);

    RecentFileList list = RecentFileList::files();
    for (const QString &p : paths)
        list.add(p);
    QCOMPARE(list.menuTexts("/cwd"), texts);
    QCOMPARE(list.menuTexts("/cwd/"), texts);
}

void tst_RecentFileList::abbreviatedPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");

    QTest::newRow("exactly-30") << "/aaaaaaaaaaaaaaaaaa/bbbbbb.qvw"
                                << "/aaaaaaaaaaaaaaaaaa/bbbbbb.qvw";
    QTest::newRow("folders-dropped-from-the-left") << "/home/user/projects/boot/loader/main.qvw"
                                                   << "/.../boot/loader/main.qvw";
    QTest::newRow("only-the-name-fits") << "/home/user/projects/a-rather-long-name.qvw"
                                        << "/.../a-rather-long-name.qvw";
    QTest::newRow("name-alone-too-long") << "/p/an-extremely-long-workspace-file-name.qvw"
                                         << "an-extremely-long-workspace-file-name.qvw";
}

void tst_RecentFileList::abbreviatedPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(RecentFileList::abbreviatePath(path, 30), shown);
}

QTEST_GUILESS_MAIN(tst_RecentFileList)
#include "tst_recentfilelist.moc"
