#include "DocumentFixture.h"
#include "FileSizeLimit.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "workspace/WorkspaceFile.h"

#include <QMdiArea>
#include <QScrollBar>
#include <QtEndian>

// The save walk over real document windows (its rules are the record's tests) and the workspace
// file's atomic save.
class tst_WorkspaceFile : public QObject
{
    Q_OBJECT

private slots:
    void saveWalkStoresEachOpenMember();
    void failedWriteKeepsTheOldFileAndTellsTheUser();
};

namespace {

struct Member
{
    bool wasOpened;
    bool active;
    qint32 selectionStart;
    qint32 selectionEnd;
    qint32 scrollX;
    qint32 scrollY;
};

// Straight from the bytes on disk, so the walk is checked against the file layout itself.
Member memberOnDisk(const QByteArray &file, int index)
{
    const char *e = file.constData() + 6848 + index * 324;
    return {e[260] != 0,
            e[261] != 0,
            qFromLittleEndian<qint32>(e + 262),
            qFromLittleEndian<qint32>(e + 266),
            qFromLittleEndian<qint32>(e + 270),
            qFromLittleEndian<qint32>(e + 274)};
}

} // namespace

void tst_WorkspaceFile::saveWalkStoresEachOpenMember()
{
    DocumentFixture f;
    WorkspaceRecord &record = WorkspaceRecord::instance();
    const QString a = f.write(QStringLiteral("a.asm"), numberedLines(400, "\tmov ax, "));
    const QString b = f.write(QStringLiteral("b.inc"), numberedLines(10));
    const QString closed = f.path(QStringLiteral("closed.asm"));
    record.setOpen(true);
    QCOMPARE(record.setWorkspaceFilePath(f.path(QStringLiteral("w.qvw"))),
             WorkspaceRecord::Change::Ok);
    for (const QString &p : {a, b, closed})
        QCOMPARE(record.appendEntry(WorkspaceEntry(p)), WorkspaceRecord::Change::Ok);
    // A stale flag on a member that is not open must go.
    record.setEntryWasOpened(2, true);

    CQvasmDoc *docA = f.documents->openDocument(a);
    docA->view()->setSelection(30, 25);
    docA->view()->setScrollPosition(QPoint(0, 100 * 16));
    const QPoint scrollA = docA->view()->scrollPosition();
    QVERIFY(scrollA.y() > 0);
    f.documents->openDocument(b)->view()->setSelection(3, 3);
    f.modifiers = Qt::ShiftModifier;
    f.documents->createNewDocument(); // untitled: matches no member
    f.documents->activate(f.documents->findDocument(b));

    QVERIFY(WorkspaceFile::SaveWorkspace(f.frame.get(), record));
    const QByteArray file = readFileBytes(record.workspaceFilePath());
    QCOMPARE(file.size(), WorkspaceRecord::Size);
    const Member ma = memberOnDisk(file, 0);
    QVERIFY(ma.wasOpened && !ma.active);
    QCOMPARE(ma.selectionStart, 25);
    QCOMPARE(ma.selectionEnd, 30);
    QCOMPARE(ma.scrollY, scrollA.y());
    const Member mb = memberOnDisk(file, 1);
    QVERIFY(mb.wasOpened && mb.active);
    QCOMPARE(mb.selectionStart, 3);
    QVERIFY(!memberOnDisk(file, 2).wasOpened);

    // What was stored brings the view back where it was.
    DocumentFixture g;
    CQvasmDoc *again = g.documents->openDocument(a);
    again->view()->restoreView(ma.selectionStart, ma.selectionEnd, QPoint(ma.scrollX, ma.scrollY));
    QCOMPARE(again->view()->scrollPosition(), scrollA);
    QCOMPARE(again->view()->textCursor().selectionStart(), 25);
}

void tst_WorkspaceFile::failedWriteKeepsTheOldFileAndTellsTheUser()
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

QTEST_MAIN(tst_WorkspaceFile)
#include "tst_workspacefile.moc"
