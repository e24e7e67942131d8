#include "DocumentFixture.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include <memory>

#include <unistd.h>

// Another program writes a file that is open here: nothing is overwritten or reloaded without
// the user's word, and one file is one document under whatever name it is opened.
class tst_DiskChanges : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void unmodifiedDocumentOffersReload_data();
    void unmodifiedDocumentOffersReload();
    void saveOverAnotherProgramsChangeAsksFirst_data();
    void saveOverAnotherProgramsChangeAsksFirst();
    void ownSavesAskNothingAndStayWatched();
    void linksOpenTheOneDocument();

private:
    std::unique_ptr<DocumentFixture> m_f;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

namespace {

QString text(CQvasmDoc *doc)
{
    return SourceFileCodec::documentText(*doc->textDocument());
}

// As an editor that writes a new file and renames it over the old one.
bool replaceByRename(const QString &path, const QByteArray &bytes)
{
    const QString temporary = path + QStringLiteral(".new");
    return writeFileBytes(temporary, bytes)
           && ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData())
                  == 0;
}

} // namespace

void tst_DiskChanges::init()
{
    m_f = std::make_unique<DocumentFixture>();
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void tst_DiskChanges::cleanup()
{
    m_f.reset();
    QVERIFY2(m_prompts->allAnswered(), qPrintable(m_prompts->unexpected().join("; ")));
    m_prompts.reset();
}

void tst_DiskChanges::unmodifiedDocumentOffersReload_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<int>("answer");
    QTest::newRow("written in place, reload") << true << int(PromptAnswer::Yes);
    QTest::newRow("written in place, keep") << true << int(PromptAnswer::No);
    QTest::newRow("replaced by rename, reload") << false << int(PromptAnswer::Yes);
}

void tst_DiskChanges::unmodifiedDocumentOffersReload()
{
    QFETCH(bool, inPlace);
    QFETCH(int, answer);
    const QString path = m_f->write("a.asm", "nop\r\nret\r\n");
    CQvasmDoc *doc = m_f->documents->openDocument(path);
    QVERIFY(doc);
    CChildFrame::viewOf(doc)->setSelection(5, 8);

    m_prompts->answerMessage(PromptAnswer(answer));
    const QByteArray theirs = "mov ax, 1\nint 21h\nret\n";
    QVERIFY(inPlace ? writeFileBytes(path, theirs) : replaceByRename(path, theirs));
    QTRY_COMPARE(m_prompts->messagesAsked().size(), 1);
    QVERIFY(m_prompts->messagesAsked().at(0).startsWith(path));
    QVERIFY(!doc->IsModified());
    if (answer == int(PromptAnswer::Yes)) {
        QCOMPARE(text(doc), QString("mov ax, 1\nint 21h\nret\n"));
        QCOMPARE(doc->fileFormat().lineEnding, LineEnding::Lf);
        QCOMPARE(CChildFrame::viewOf(doc)->textCursor().selectionStart(), 5); // the caret stays put
        QVERIFY(!doc->changedOnDisk());
    } else {
        QCOMPARE(text(doc), QString("nop\nret\n"));
        // Asked once for this change: saving now writes without a second question.
        QVERIFY(doc->OnSaveDocument(path));
        QCOMPARE(readFileBytes(path), QByteArray("nop\r\nret\r\n"));
    }
    // The next change is noticed as well: the watch survives the reload and the rename.
    m_prompts->answerMessage(PromptAnswer::No);
    QVERIFY(writeFileBytes(path, "; third\n"));
    QTRY_COMPARE(m_prompts->messagesAsked().size(), 2);
}

void tst_DiskChanges::saveOverAnotherProgramsChangeAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("no: their file stays") << int(PromptAnswer::No);
    QTest::newRow("yes: saved over it") << int(PromptAnswer::Yes);
}

void tst_DiskChanges::saveOverAnotherProgramsChangeAsksFirst()
{
    QFETCH(int, answer);
    const QString path = m_f->write("a.asm", "nop\r\n");
    CQvasmDoc *doc = m_f->documents->openDocument(path);
    QVERIFY(doc);
    CChildFrame::viewOf(doc)->moveCursor(QTextCursor::End);
    QTest::keyClicks(CChildFrame::viewOf(doc), "ret");
    QVERIFY(doc->IsModified());

    // A modified document is not asked to reload: the question comes at the save.
    QSignalSpy changed(doc->textDocument(), &QTextDocument::contentsChanged);
    QVERIFY(writeFileBytes(path, "; theirs\r\n"));
    QVERIFY(doc->changedOnDisk());
    doc->checkDiskChange(); // what the watcher calls: nothing may be asked now
    QVERIFY(m_prompts->messagesAsked().isEmpty());
    QCOMPARE(changed.size(), 0);

    m_prompts->answerMessage(PromptAnswer(answer));
    QCOMPARE(doc->DoFileSave(), answer == int(PromptAnswer::Yes));
    QCOMPARE(m_prompts->messagesAsked().size(), 1);
    QVERIFY(m_prompts->messagesAsked().at(0).contains("changed by another program"));
    QCOMPARE(readFileBytes(path),
             answer == int(PromptAnswer::Yes) ? QByteArray("nop\r\nret\r\n")
                                              : QByteArray("; theirs\r\n"));
    QCOMPARE(doc->IsModified(), answer != int(PromptAnswer::Yes));
}

void tst_DiskChanges::ownSavesAskNothingAndStayWatched()
{
    const QString path = m_f->write("a.asm", "nop\r\n");
    CQvasmDoc *doc = m_f->documents->openDocument(path);
    QVERIFY(doc);
    for (int i = 0; i < 3; ++i) {
        CChildFrame::viewOf(doc)->moveCursor(QTextCursor::End);
        QTest::keyClicks(CChildFrame::viewOf(doc), "x");
        QVERIFY(doc->DoFileSave());
        QVERIFY(!doc->changedOnDisk());
    }
    doc->checkDiskChange(); // what the watcher calls after each of those saves
    QVERIFY(m_prompts->messagesAsked().isEmpty());
    m_prompts->answerMessage(PromptAnswer::Yes);
    QVERIFY(writeFileBytes(path, "theirs\r\n"));
    QTRY_COMPARE(text(doc), QString("theirs\n"));
}

void tst_DiskChanges::linksOpenTheOneDocument()
{
    const QString path = m_f->write("a.asm", "nop\r\n");
    const QString symbolic = m_f->path("sym.asm");
    const QString hard = m_f->path("hard.asm");
    QVERIFY(QFile::link(path, symbolic));
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(hard).constData()), 0);
    CQvasmDoc *doc = m_f->documents->openDocument(path);
    QVERIFY(doc);
    QCOMPARE(m_f->documents->openDocument(symbolic), doc);
    QCOMPARE(m_f->documents->openDocument(hard), doc);
    QCOMPARE(m_f->windowCount(), 1);
    QCOMPARE(doc->GetPathName(), path);
    // A different file with the same contents is another document.
    QVERIFY(m_f->documents->openDocument(m_f->write("b.asm", "nop\r\n")) != doc);
}

QTEST_MAIN(tst_DiskChanges)
#include "tst_diskchanges.moc"
