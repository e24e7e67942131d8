#include "workspace/WorkspaceTreeModel.h"

#include <QFont>
#include <QTest>

Q_DECLARE_METATYPE(FileKind)

class tst_WorkspaceTreeModel : public QObject
{
    Q_OBJECT

private slots:
    void labelAndGroup_data();
    void labelAndGroup();
    void identityIsTheExactPath();
    void siblingsStaySorted();
    void listIsNotLimitedToAHundred();
    void groupsAreBoldAndStay();
};

void tst_WorkspaceTreeModel::labelAndGroup_data()
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

void tst_WorkspaceTreeModel::labelAndGroup()
{
    QFETCH(QString, path);
    QFETCH(QString, label);
    QFETCH(FileKind, group);

    QCOMPARE(WorkspaceTreeModel::fileLabel(path), label);
    QCOMPARE(WorkspaceTreeModel::pathFromLabel(label), std::optional<QString>(path));

    WorkspaceTreeModel model;
    const QModelIndex index = model.addFile(path);
    QCOMPARE(index.parent(), model.groupIndex(group));
    QCOMPARE(index.data().toString(), label);
    QCOMPARE(model.filePath(index), path);
    QVERIFY(!model.isGroup(index));
}

void tst_WorkspaceTreeModel::identityIsTheExactPath()
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

void tst_WorkspaceTreeModel::siblingsStaySorted()
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

void tst_WorkspaceTreeModel::listIsNotLimitedToAHundred()
{
    WorkspaceTreeModel model;
    for (int i = 0; i < 150; ++i)
        model.addFile(QString("/p/f%1.asm").arg(i, 3, 10, QChar('0')));
    QCOMPARE(model.rowCount(model.groupIndex(FileKind::Source)), 150);
    QCOMPARE(model.index(100, 0, model.groupIndex(FileKind::Source)).data().toString(),
             QString("f100.asm -- (/p/f100.asm)"));
}

void tst_WorkspaceTreeModel::groupsAreBoldAndStay()
{
    WorkspaceTreeModel model;
    QCOMPARE(model.rowCount(), 3);
    const QStringList expected = {"Source File(s)", "Include File(s)", "Misc File(s)"};
    for (int r = 0; r < 3; ++r) {
        const QModelIndex g = model.index(r, 0);
        QCOMPARE(g.data().toString(), expected.at(r));
        QVERIFY(model.isGroup(g));
        QVERIFY(g.data(Qt::FontRole).value<QFont>().bold());
    }
    model.addFile("/p/x.txt");
    QVERIFY(model.removeFile("/p/x.txt"));
    QCOMPARE(model.rowCount(), 3);
}

QTEST_GUILESS_MAIN(tst_WorkspaceTreeModel)
#include "tst_workspacetreemodel.moc"
