#include "DocumentFixture.h"
#include "FileSizeLimit.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "frame/CommandIds.h"
#include "frame/CommandRouter.h"
#include "workspace/CCreateNewDlg.h"
#include "workspace/SourceTemplates.h"
#include "workspace/WorkspaceTreeModel.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>

// Source documents through the template as the program uses them: open, save, close with the
// question, new untitled documents, the tree entries they keep.
class tst_QvasmDoc : public QObject
{
    Q_OBJECT

private slots:
    void unchangedFilesSaveByteForByte_data();
    void unchangedFilesSaveByteForByte();
    void finalLineBreakGoesOnlyIntoTheFile_data();
    void finalLineBreakGoesOnlyIntoTheFile();
    void failedSaveLeavesOldFileAndModifiedDocument();
    void closeQuestionAnswers_data();
    void closeQuestionAnswers();
    void untitledCloseYesSavesInCurrentFolderButNeverOverAFile();
    void newDocumentKindsAndNames();
    void startupDocumentHoldsTheEmptyTemplate();
    void captionAndSaveFollowTheModifiedState();
    void openingAnOpenFileActivatesIt();
    void unreadableFileIsReportedAndOpensNothing();
    void saveAsMovesTheTreeItemAndTheKind();
    void saveAllAsksOnlyForUntitledAndCloseAllHonoursCancel();
    void largeFileLoadsBehindTheStartingWindow();
};

namespace {

QString documentText(CQvasmDoc *doc)
{
    return SourceFileCodec::documentText(*doc->textDocument());
}

void typeAtEnd(CQvasmDoc *doc, const QString &text)
{
    CQvasmView *view = doc->view();
    view->moveCursor(QTextCursor::End);
    QTest::keyClicks(view, text);
}

} // namespace

void tst_QvasmDoc::unchangedFilesSaveByteForByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("saved");

    QByteArray high;
    for (int i = 0x80; i <= 0xFF; ++i)
        high.append(char(i));
    const QByteArray crlf = "mov ax, 1\r\n\tret\r\n";
    QTest::newRow("utf-8, CR LF") << crlf << crlf;
    QTest::newRow("utf-8, LF") << QByteArray("mov ax, 1\n\tret\n")
                               << QByteArray("mov ax, 1\n\tret\n");
    QTest::newRow("windows-1252, 80h-FFh") << high + "\r\n" << high + "\r\n";
    QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBF"
                                                  "db '\xC3\xA4'\r\n")
                                    << QByteArray("\xEF\xBB\xBF"
                                                  "db '\xC3\xA4'\r\n");
    QTest::newRow("NUL bytes") << QByteArray("db 0\r\n\0\0x\r\n", 11)
                               << QByteArray("db 0\r\n\0\0x\r\n", 11);
    QTest::newRow("invalid utf-8")
        << QByteArray("\xC3\x28 ret\r\n") << QByteArray("\xC3\x28 ret\r\n");
    QTest::newRow("no-break space kept") << QByteArray("a\xC2\xA0"
                                                       "b\n")
                                         << QByteArray("a\xC2\xA0"
                                                       "b\n");
    QTest::newRow("carriage return inside a line")
        << QByteArray("a\rb\r\n\r\r\n") << QByteArray("a\rb\r\n\r\r\n");
    QTest::newRow("LF file with one CR LF")
        << QByteArray("x\ny\r\nz\n") << QByteArray("x\ny\r\nz\n");
    QTest::newRow("last line gets its break")
        << QByteArray("mov ax, 1\r\nret") << QByteArray("mov ax, 1\r\nret\r\n");
    QTest::newRow("empty file stays empty") << QByteArray() << QByteArray();
}

void tst_QvasmDoc::unchangedFilesSaveByteForByte()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, saved);
    DocumentFixture f;
    const QString path = f.write(QStringLiteral("a.asm"), bytes);
    CQvasmDoc *doc = f.documents->openDocument(path);
    QVERIFY(doc);
    QVERIFY(!doc->IsModified());
    QVERIFY(doc->OnSaveDocument(path));
    QCOMPARE(readFileBytes(path), saved);
    QVERIFY(!doc->IsModified());
}

void tst_QvasmDoc::finalLineBreakGoesOnlyIntoTheFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("saved");

    QTest::newRow("non-blank last line gets a break") << "ret" << QByteArray("nop\r\nret\r\n");
    QTest::newRow("blank last line gets none") << "   " << QByteArray("nop\r\n   ");
}

void tst_QvasmDoc::finalLineBreakGoesOnlyIntoTheFile()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString path = f.write(QStringLiteral("a.asm"), "nop\r\n");
    CQvasmDoc *doc = f.documents->openDocument(path);
    typeAtEnd(doc, typed);
    CQvasmView *view = doc->view();
    const int caret = view->textCursor().position();

    QVERIFY(doc->DoFileSave());
    QCOMPARE(readFileBytes(path), saved);
    QVERIFY(!doc->IsModified());
    QCOMPARE(documentText(doc), QStringLiteral("nop\n") + typed);
    QCOMPARE(view->textCursor().position(), caret);
    // The undo history holds the typing only.
    view->undo();
    QCOMPARE(documentText(doc), QStringLiteral("nop\n"));
    QVERIFY(!doc->textDocument()->isUndoAvailable());
    QVERIFY(doc->IsModified());
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmDoc::failedSaveLeavesOldFileAndModifiedDocument()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QByteArray old = "; the old text\r\n";
    const QString path = f.write(QStringLiteral("a.asm"), old);
    CQvasmDoc *doc = f.documents->openDocument(path);
    typeAtEnd(doc, QString(200, QLatin1Char('x')));
    prompts.answerMessage(PromptAnswer::Ok);
    {
        FileSizeLimit limit(64);
        QVERIFY(limit.isActive());
        QVERIFY(!doc->DoFileSave());
    }
    QCOMPARE(readFileBytes(path), old);
    QVERIFY(doc->IsModified());
    QVERIFY(prompts.messagesAsked().value(0).startsWith(QStringLiteral("Could not save ") + path));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.asm")});
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmDoc::closeQuestionAnswers_data()
{
    QTest::addColumn<PromptAnswer>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("onDisk");

    QTest::newRow("yes saves and closes") << PromptAnswer::Yes << true << QByteArray("nopx\r\n");
    QTest::newRow("no closes, file untouched") << PromptAnswer::No << true << QByteArray("nop\r\n");
    QTest::newRow("cancel keeps it open") << PromptAnswer::Cancel << false << QByteArray("nop\r\n");
}

void tst_QvasmDoc::closeQuestionAnswers()
{
    QFETCH(PromptAnswer, answer);
    QFETCH(bool, closed);
    QFETCH(QByteArray, onDisk);
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString path = f.write(QStringLiteral("a.asm"), "nop\r\n");
    QPointer<CQvasmDoc> doc = f.documents->openDocument(path);
    doc->view()->moveCursor(QTextCursor::EndOfLine);
    QTest::keyClick(doc->view(), Qt::Key_X);
    prompts.answerMessage(answer);
    QVERIFY(f.frame->router().dispatch(ID_FILE_CLOSE));
    f.settle();
    QCOMPARE(prompts.messagesAsked(), QStringList{QStringLiteral("Save changes to: ") + path});
    QCOMPARE(prompts.asked().at(0).buttons, PromptButtons::YesNoCancel);
    QCOMPARE(doc.isNull(), closed);
    QCOMPARE(f.windowCount(), closed ? 0 : 1);
    QCOMPARE(readFileBytes(path), onDisk);
    // A window without changes closes at once.
    if (doc) {
        doc->SetModifiedFlag(false);
        QVERIFY(doc->CloseWithPrompt());
        f.settle();
        QVERIFY(doc.isNull());
    }
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmDoc::untitledCloseYesSavesInCurrentFolderButNeverOverAFile()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(f.dir.path());
    f.modifiers = Qt::ShiftModifier;
    CQvasmDoc *first = f.documents->createNewDocument();
    QTest::keyClicks(first->view(), QStringLiteral("ret"));
    prompts.answerMessage(PromptAnswer::Yes);
    QVERIFY(first->CloseWithPrompt());
    QCOMPARE(readFileBytes(f.path(QStringLiteral("untitled0.asm"))), QByteArray("ret\r\n"));

    // The next untitled0.asm would land on that file: the save dialog asks instead.
    DocumentNaming::setUntitledCounter(0);
    CQvasmDoc *second = f.documents->createNewDocument();
    QTest::keyClicks(second->view(), QStringLiteral("nop"));
    prompts.answerMessage(PromptAnswer::Yes);
    prompts.answerSaveFile(QString()); // cancelled: the document stays open with its text
    QVERIFY(!second->CloseWithPrompt());
    QCOMPARE(readFileBytes(f.path(QStringLiteral("untitled0.asm"))), QByteArray("ret\r\n"));
    QCOMPARE(documentText(second), QStringLiteral("nop"));
    QDir::setCurrent(oldCurrent);
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmDoc::newDocumentKindsAndNames()
{
    DocumentFixture f;
    f.modifiers = Qt::ShiftModifier;
    CQvasmDoc *source = f.documents->createNewDocument();
    f.modifiers = Qt::ControlModifier;
    CQvasmDoc *include = f.documents->createNewDocument();
    f.modifiers = Qt::NoModifier;
    {
        ModalDriver<CCreateNewDlg> driver([](CCreateNewDlg *d) {
            QCOMPARE(d->list()->count(), 4);
            QCOMPARE(d->list()->currentRow(), 0);
            d->list()->setCurrentRow(3);
            d->findChild<QPushButton *>(QStringLiteral("ctl_1"))->click();
        });
        CQvasmDoc *other = f.documents->createNewDocument();
        QVERIFY(!driver.failed());
        QCOMPARE(other->GetTitle(), QStringLiteral("untitled2.other"));
        QCOMPARE(other->fileKind(), FileKind::Other);
        QVERIFY(other->frame()->isMaximized());
    }
    QCOMPARE(source->GetTitle(), QStringLiteral("untitled0.asm"));
    QCOMPARE(source->fileKind(), FileKind::Source);
    QCOMPARE(include->GetTitle(), QStringLiteral("untitled1.inc"));
    QCOMPARE(include->fileKind(), FileKind::Include);
    QCOMPARE(source->frame()->windowTitle(), QStringLiteral("untitled0.asm"));

    {
        // Cancel makes nothing and uses no number.
        ModalDriver<CCreateNewDlg> driver([](CCreateNewDlg *d) { d->reject(); });
        QVERIFY(!f.documents->createNewDocument());
        QVERIFY(!driver.failed());
    }
    QCOMPARE(DocumentNaming::untitledCounter(), 3);
    QCOMPARE(f.windowCount(), 3);

    // A requested kind needs no dialog and is used once.
    f.frame->setRequestedKind(DocumentNaming::TxtChoice);
    QCOMPARE(f.documents->createNewDocument()->GetTitle(), QStringLiteral("untitled3.txt"));
    QCOMPARE(f.frame->requestedKind(), -1);

    // Ctrl+N holds Ctrl by its nature: the key still asks for the kind.
    f.modifiers = Qt::ControlModifier;
    ModalDriver<CCreateNewDlg> driver([](CCreateNewDlg *d) { d->accept(); });
    f.frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
    f.documents->activeView()->setFocus();
    QTest::keyClick(f.documents->activeView(), Qt::Key_N, Qt::ControlModifier);
    QTRY_VERIFY(driver.done());
    QVERIFY(!driver.failed());
    QCOMPARE(f.documents->activeDocument()->GetTitle(), QStringLiteral("untitled4.asm"));
}

void tst_QvasmDoc::startupDocumentHoldsTheEmptyTemplate()
{
    DocumentFixture f(false);
    CQvasmDoc *doc = f.documents->createNewDocument();
    QVERIFY(doc);
    QCOMPARE(doc->GetTitle(), QStringLiteral("untitled0.asm"));
    QCOMPARE(doc->fileKind(), FileKind::Source);
    QString expected = SourceTemplates::emptyTemplate();
    expected.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QCOMPARE(documentText(doc), expected);
    QVERIFY(!doc->IsModified());
    QVERIFY(!doc->textDocument()->isUndoAvailable());
}

void tst_QvasmDoc::captionAndSaveFollowTheModifiedState()
{
    DocumentFixture f;
    const QString path = f.write(QStringLiteral("main.asm"), "nop\r\n");
    CQvasmDoc *doc = f.documents->openDocument(path);
    CommandRouter &router = f.frame->router();
    QCOMPARE(doc->frame()->windowTitle(), path);
    QVERIFY(!router.isEnabled(ID_FILE_SAVE));
    QTest::keyClick(doc->view(), Qt::Key_A);
    QCOMPARE(doc->frame()->windowTitle(), path + QLatin1Char('*'));
    QVERIFY(router.isEnabled(ID_FILE_SAVE));
    QVERIFY(router.isEnabled(ID_FILE_SAVE_ALL));
    QVERIFY(router.dispatch(ID_FILE_SAVE));
    QCOMPARE(doc->frame()->windowTitle(), path);
    QVERIFY(!router.isEnabled(ID_FILE_SAVE));
    QVERIFY(!router.isEnabled(ID_FILE_SAVE_ALL));
}

void tst_QvasmDoc::openingAnOpenFileActivatesIt()
{
    DocumentFixture f;
    const QString a = f.write(QStringLiteral("a.asm"), "a\r\n");
    const QString b = f.write(QStringLiteral("b.inc"), "b\r\n");
    CQvasmDoc *docA = f.documents->openDocument(a);
    CQvasmDoc *docB = f.documents->openDocument(b);
    QCOMPARE(f.documents->activeDocument(), docB);
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(f.dir.path());
    QCOMPARE(f.documents->openDocument(QStringLiteral("a.asm")), docA);
    QDir::setCurrent(oldCurrent);
    QCOMPARE(f.documents->activeDocument(), docA);
    QCOMPARE(f.windowCount(), 2);
    QCOMPARE(docA->GetPathName(), a);
    QCOMPARE(docB->fileKind(), FileKind::Include);
}

void tst_QvasmDoc::unreadableFileIsReportedAndOpensNothing()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(!f.documents->openDocument(f.path(QStringLiteral("missing.asm"))));
    QVERIFY(!f.documents->openDocument(f.dir.path()));
    // A file far too large to hold is refused before anything is read.
    const QString huge = f.path(QStringLiteral("huge.asm"));
    QFile sparse(huge);
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(300) << 20));
    sparse.close();
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(!f.documents->openDocument(huge));
    QVERIFY(prompts.messagesAsked().value(2).contains(QStringLiteral("too large")));
    QCOMPARE(f.windowCount(), 0);
    QVERIFY(prompts.messagesAsked().value(0).startsWith(QStringLiteral("Could not open ")
                                                        + f.path(QStringLiteral("missing.asm"))));
    QVERIFY(f.tree->model()->filePaths().isEmpty());
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmDoc::saveAsMovesTheTreeItemAndTheKind()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    f.frame->setRequestedKind(DocumentNaming::TxtChoice);
    CQvasmDoc *doc = f.documents->createNewDocument();
    QCOMPARE(f.tree->model()->filePaths(), QStringList{QStringLiteral("untitled0.txt")});
    QCOMPARE(doc->fileKind(), FileKind::Other);
    QSignalSpy kinds(doc, &CQvasmDoc::fileKindChanged);
    const QString target = f.path(QStringLiteral("prog.asm"));
    prompts.answerSaveFile(target);
    QVERIFY(f.frame->router().dispatch(ID_FILE_SAVE_AS));
    QCOMPARE(prompts.asked().at(0).file.directory,
             QDir(QDir::currentPath()).filePath(QStringLiteral("asmfile1")));
    QCOMPARE(doc->GetPathName(), target);
    QCOMPARE(doc->GetTitle(), QStringLiteral("prog.asm"));
    QCOMPARE(doc->fileKind(), FileKind::Source);
    QCOMPARE(kinds.count(), 1);
    QCOMPARE(f.tree->model()->filePaths(), QStringList{target});
    QCOMPARE(doc->frame()->windowTitle(), target);
    QVERIFY(QFile::exists(target));
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmDoc::saveAllAsksOnlyForUntitledAndCloseAllHonoursCancel()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    const QString path = f.write(QStringLiteral("a.asm"), "nop\r\n");
    CQvasmDoc *named = f.documents->openDocument(path);
    QTest::keyClick(named->view(), Qt::Key_X);
    f.modifiers = Qt::ShiftModifier;
    CQvasmDoc *untitled = f.documents->createNewDocument();
    QTest::keyClick(untitled->view(), Qt::Key_Y);
    CQvasmDoc *clean = f.documents->openDocument(f.write(QStringLiteral("c.asm"), "c\r\n"));
    Q_UNUSED(clean);

    const QString chosen = f.path(QStringLiteral("saved.asm"));
    prompts.answerSaveFile(chosen);
    QVERIFY(f.frame->router().dispatch(ID_FILE_SAVE_ALL));
    QCOMPARE(prompts.asked().size(), 1);
    QCOMPARE(prompts.asked().at(0).kind, ScriptedPrompts::Kind::SaveFile);
    QCOMPARE(readFileBytes(path), QByteArray("xnop\r\n"));
    QCOMPARE(readFileBytes(chosen), QByteArray("y\r\n"));
    QCOMPARE(untitled->GetPathName(), chosen);

    // Close All: the first modified document answers Cancel and stays; the rest close.
    QTest::keyClick(named->view(), Qt::Key_Z);
    QTest::keyClick(untitled->view(), Qt::Key_Z);
    prompts.answerMessage(PromptAnswer::Cancel);
    prompts.answerMessage(PromptAnswer::No);
    QVERIFY(f.frame->router().dispatch(ID_FILE_CLOSE_ALL));
    f.settle();
    QCOMPARE(f.documents->documents(), QList<CQvasmDoc *>{named});
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmDoc::largeFileLoadsBehindTheStartingWindow()
{
    DocumentFixture f(false);
    QByteArray bytes;
    for (int i = 0; bytes.size() < (3 << 20); ++i)
        bytes += "label" + QByteArray::number(i) + ":\tmov ax, bx ; a comment\r\n";
    const QString path = f.write(QStringLiteral("big.asm"), bytes);
    CQvasmDoc *doc = f.documents->openDocument(path);
    QVERIFY(doc);
    CQvasmView *view = doc->view();
    // Whatever is asked of the view meanwhile waits for the text.
    view->restoreView(40, 45, QPoint(0, 0));
    if (doc->isLoading()) {
        // Meanwhile everyone sees an empty stand-in, never the text being filled.
        QVERIFY(view->isReadOnly());
        QCOMPARE(view->document(), doc->textDocument());
        QVERIFY(doc->textDocument()->isEmpty());
    }
    QTRY_VERIFY(!doc->isLoading());
    QVERIFY(!view->isReadOnly());
    QCOMPARE(view->document(), doc->textDocument());
    QCOMPARE(view->textCursor().selectionStart(), 40);
    QCOMPARE(view->textCursor().selectionEnd(), 45);
    QVERIFY(!doc->IsModified());
    QVERIFY(!doc->textDocument()->isUndoAvailable());
    QCOMPARE(doc->textDocument()->blockCount(), bytes.count('\n') + 1);
    // Edits after the load behave as in any document, and the file saves back unchanged.
    QVERIFY(doc->OnSaveDocument(path));
    QCOMPARE(readFileBytes(path), bytes);
}

QTEST_MAIN(tst_QvasmDoc)
#include "tst_qvasmdoc.moc"
