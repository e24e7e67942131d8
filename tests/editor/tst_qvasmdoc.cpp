#include "DocumentFixture.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "base/CommandIds.h"
#include "frame/CommandRouter.h"
#include "workspace/SourceTemplates.h"
#include "workspace/WorkspaceTreeModel.h"
#include "workspace/ui/CCreateNewDlg.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>

// Source documents through the template and their windows as the program uses them: open, save
// and close from the commands, new untitled documents, the tree entries and captions that follow
// them. The document on its own is tst_sourcedocument.
class tst_QvasmDoc : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveAddsTheFinalLineBreakToTheFileOnly();
    void closeQuestionAnswers_data();
    void closeQuestionAnswers();
    void untitledCloseYesSavesInCurrentFolderButNeverOverAFile();
    void newDocumentKindsAndNames();
    void startupDocumentHoldsTheEmptyTemplate();
    void openingAnOpenFileActivatesIt();
    void unreadableFileIsReportedAndOpensNothing();
    void saveAsMovesTheTreeItemAndTheKind();
    void saveAllAsksOnlyForUntitledAndCloseAllHonoursCancel();
    void largeFileLoadsBehindTheStartingWindow();
    void keysTypedWhileLoadingAreKept();

private:
    std::unique_ptr<DocumentFixture> m_f;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

namespace {

QString documentText(CQvasmDoc *doc)
{
    return SourceFileCodec::documentText(*doc->textDocument());
}

void typeAtEnd(CQvasmDoc *doc, const QString &text)
{
    CQvasmView *view = CChildFrame::viewOf(doc);
    view->moveCursor(QTextCursor::End);
    QTest::keyClicks(view, text);
}

} // namespace

void tst_QvasmDoc::init()
{
    m_f = std::make_unique<DocumentFixture>();
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void tst_QvasmDoc::cleanup()
{
    m_f.reset();
    QVERIFY2(m_prompts->allAnswered(), qPrintable(m_prompts->unexpected().join("; ")));
    m_prompts.reset();
}

void tst_QvasmDoc::saveAddsTheFinalLineBreakToTheFileOnly()
{
    // Which last lines need one is the codec's test; here: not in the text, not in the history.
    const QString path = m_f->write("main.asm", "nop\r\n");
    CQvasmDoc *doc = m_f->documents->openDocument(path);
    CQvasmView *view = CChildFrame::viewOf(doc);
    CommandRouter &router = m_f->frame->router();
    QCOMPARE(CChildFrame::of(doc)->windowTitle(), path);
    QVERIFY(!router.isEnabled(ID_FILE_SAVE));
    typeAtEnd(doc, "ret");
    QCOMPARE(CChildFrame::of(doc)->windowTitle(), path + QLatin1Char('*'));
    QVERIFY(router.isEnabled(ID_FILE_SAVE_ALL));
    const int caret = view->textCursor().position();

    QVERIFY(router.dispatch(ID_FILE_SAVE));
    QCOMPARE(readFileBytes(path), QByteArray("nop\r\nret\r\n"));
    QVERIFY(!doc->IsModified());
    QCOMPARE(CChildFrame::of(doc)->windowTitle(), path);
    QVERIFY(!router.isEnabled(ID_FILE_SAVE));
    QVERIFY(!router.isEnabled(ID_FILE_SAVE_ALL));
    QCOMPARE(documentText(doc), "nop\nret");
    QCOMPARE(view->textCursor().position(), caret);
    // The undo history holds the typing only.
    view->undo();
    QCOMPARE(documentText(doc), "nop\n");
    QVERIFY(!doc->textDocument()->isUndoAvailable());
    QVERIFY(doc->IsModified());
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
    const QString path = m_f->write("a.asm", "nop\r\n");
    QPointer<CQvasmDoc> doc = m_f->documents->openDocument(path);
    CChildFrame::viewOf(doc)->moveCursor(QTextCursor::EndOfLine);
    QTest::keyClick(CChildFrame::viewOf(doc), Qt::Key_X);
    m_prompts->answerMessage(answer);
    QVERIFY(m_f->frame->router().dispatch(ID_FILE_CLOSE));
    m_f->settle();
    QCOMPARE(m_prompts->messagesAsked(), QStringList{QString("Save changes to: ") + path});
    QCOMPARE(m_prompts->asked().at(0).buttons, PromptButtons::YesNoCancel);
    QCOMPARE(doc.isNull(), closed);
    QCOMPARE(m_f->windowCount(), closed ? 0 : 1);
    QCOMPARE(readFileBytes(path), onDisk);
    // A window without changes closes at once.
    if (doc) {
        doc->SetModifiedFlag(false);
        QVERIFY(doc->CloseWithPrompt());
        m_f->settle();
        QVERIFY(doc.isNull());
    }
}

void tst_QvasmDoc::untitledCloseYesSavesInCurrentFolderButNeverOverAFile()
{
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_f->dir.path());
    m_f->modifiers = Qt::ShiftModifier;
    CQvasmDoc *first = m_f->documents->createNewDocument();
    QTest::keyClicks(CChildFrame::viewOf(first), "ret");
    m_prompts->answerMessage(PromptAnswer::Yes);
    QVERIFY(first->CloseWithPrompt());
    QCOMPARE(readFileBytes(m_f->path("untitled0.asm")), QByteArray("ret\r\n"));

    // The next untitled0.asm would land on that file: the save dialog asks instead.
    m_f->documents->setUntitledCounter(0);
    CQvasmDoc *second = m_f->documents->createNewDocument();
    QTest::keyClicks(CChildFrame::viewOf(second), "nop");
    m_prompts->answerMessage(PromptAnswer::Yes);
    m_prompts->answerSaveFile(QString()); // cancelled: the document stays open with its text
    QVERIFY(!second->CloseWithPrompt());
    QCOMPARE(readFileBytes(m_f->path("untitled0.asm")), QByteArray("ret\r\n"));
    QCOMPARE(documentText(second), "nop");
    QDir::setCurrent(oldCurrent);
}

void tst_QvasmDoc::newDocumentKindsAndNames()
{
    m_f->modifiers = Qt::ShiftModifier;
    CQvasmDoc *source = m_f->documents->createNewDocument();
    m_f->modifiers = Qt::ControlModifier;
    CQvasmDoc *include = m_f->documents->createNewDocument();
    m_f->modifiers = Qt::NoModifier;
    {
        ModalDriver<CCreateNewDlg> driver([](CCreateNewDlg *d) {
            QCOMPARE(d->list()->count(), 4);
            QCOMPARE(d->list()->currentRow(), 0);
            d->list()->setCurrentRow(3);
            d->findChild<QPushButton *>("ctl_1")->click();
        });
        CQvasmDoc *other = m_f->documents->createNewDocument();
        QVERIFY(!driver.failed());
        QCOMPARE(other->GetTitle(), "untitled2.other");
        QVERIFY(CChildFrame::of(other)->isMaximized());
    }
    QCOMPARE(source->GetTitle(), "untitled0.asm");
    QCOMPARE(include->GetTitle(), "untitled1.inc");
    QCOMPARE(CChildFrame::of(source)->windowTitle(), "untitled0.asm");

    {
        // Cancel makes nothing and uses no number.
        ModalDriver<CCreateNewDlg> driver([](CCreateNewDlg *d) { d->reject(); });
        QVERIFY(!m_f->documents->createNewDocument());
        QVERIFY(!driver.failed());
    }
    QCOMPARE(m_f->documents->untitledCounter(), 3);
    QCOMPARE(m_f->windowCount(), 3);

    // A requested kind needs no dialog and is used once.
    m_f->frame->setRequestedKind(DocumentNaming::TxtChoice);
    QCOMPARE(m_f->documents->createNewDocument()->GetTitle(), "untitled3.txt");
    QCOMPARE(m_f->frame->requestedKind(), -1);

    // Ctrl+N holds Ctrl by its nature: the key still asks for the kind.
    m_f->modifiers = Qt::ControlModifier;
    ModalDriver<CCreateNewDlg> driver([](CCreateNewDlg *d) { d->accept(); });
    m_f->frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_f->frame.get()));
    m_f->documents->activeView()->setFocus();
    QTest::keyClick(m_f->documents->activeView(), Qt::Key_N, Qt::ControlModifier);
    QTRY_VERIFY(driver.done());
    QVERIFY(!driver.failed());
    QCOMPARE(m_f->documents->activeDocument()->GetTitle(), "untitled4.asm");
}

void tst_QvasmDoc::startupDocumentHoldsTheEmptyTemplate()
{
    m_f.reset();
    m_f = std::make_unique<DocumentFixture>(false);
    CQvasmDoc *doc = m_f->documents->createNewDocument();
    QVERIFY(doc);
    QString expected = SourceTemplates::emptyTemplate();
    expected.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QCOMPARE(documentText(doc), expected);
    QVERIFY(!doc->IsModified());
    QVERIFY(!doc->textDocument()->isUndoAvailable());
}

void tst_QvasmDoc::openingAnOpenFileActivatesIt()
{
    const QString a = m_f->write("a.asm", "a\r\n");
    const QString b = m_f->write("b.inc", "b\r\n");
    CQvasmDoc *docA = m_f->documents->openDocument(a);
    CQvasmDoc *docB = m_f->documents->openDocument(b);
    QCOMPARE(m_f->documents->activeDocument(), docB);
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_f->dir.path());
    QCOMPARE(m_f->documents->openDocument("a.asm"), docA);
    QDir::setCurrent(oldCurrent);
    QCOMPARE(m_f->documents->activeDocument(), docA);
    QCOMPARE(m_f->windowCount(), 2);
}

void tst_QvasmDoc::unreadableFileIsReportedAndOpensNothing()
{
    m_prompts->answerMessage(PromptAnswer::Ok);
    m_prompts->answerMessage(PromptAnswer::Ok);
    QVERIFY(!m_f->documents->openDocument(m_f->path("missing.asm")));
    QVERIFY(!m_f->documents->openDocument(m_f->dir.path()));
    // A file far too large to hold is refused before anything is read.
    const QString huge = m_f->path("huge.asm");
    QFile sparse(huge);
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(300) << 20));
    sparse.close();
    m_prompts->answerMessage(PromptAnswer::Ok);
    QVERIFY(!m_f->documents->openDocument(huge));
    QVERIFY(m_prompts->messagesAsked().value(2).contains("too large"));
    QCOMPARE(m_f->windowCount(), 0);
    QVERIFY(m_prompts->messagesAsked().value(0).startsWith(QString("Could not open ")
                                                           + m_f->path("missing.asm")));
    QVERIFY(m_f->tree->model()->filePaths().isEmpty());
}

void tst_QvasmDoc::saveAsMovesTheTreeItemAndTheKind()
{
    m_f->frame->setRequestedKind(DocumentNaming::TxtChoice);
    CQvasmDoc *doc = m_f->documents->createNewDocument();
    QCOMPARE(m_f->tree->model()->filePaths(), QStringList{"untitled0.txt"});
    QCOMPARE(doc->fileKind(), FileKind::Other);
    QSignalSpy kinds(doc, &CQvasmDoc::fileKindChanged);
    QSignalSpy recent(m_f->documents.get(), &CQvasmDocTemplate::recentFileUsed);
    const QString target = m_f->path("prog.asm");
    m_prompts->answerSaveFile(target);
    QVERIFY(m_f->frame->router().dispatch(ID_FILE_SAVE_AS));
    QCOMPARE(m_prompts->asked().at(0).file.directory,
             QDir(QDir::currentPath()).filePath("asmfile1"));
    QCOMPARE(doc->GetPathName(), target);
    QCOMPARE(doc->GetTitle(), "prog.asm");
    QCOMPARE(doc->fileKind(), FileKind::Source);
    QCOMPARE(kinds.count(), 1);
    QCOMPARE(m_f->tree->model()->filePaths(), QStringList{target});
    QCOMPARE(CChildFrame::of(doc)->windowTitle(), target);
    QCOMPARE(recent.count(), 1);
    QCOMPARE(recent.at(0).at(0).toString(), target);
    QVERIFY(QFile::exists(target));
}

void tst_QvasmDoc::saveAllAsksOnlyForUntitledAndCloseAllHonoursCancel()
{
    const QString path = m_f->write("a.asm", "nop\r\n");
    CQvasmDoc *named = m_f->documents->openDocument(path);
    QTest::keyClick(CChildFrame::viewOf(named), Qt::Key_X);
    m_f->modifiers = Qt::ShiftModifier;
    CQvasmDoc *untitled = m_f->documents->createNewDocument();
    QTest::keyClick(CChildFrame::viewOf(untitled), Qt::Key_Y);
    CQvasmDoc *clean = m_f->documents->openDocument(m_f->write("c.asm", "c\r\n"));
    Q_UNUSED(clean);

    const QString chosen = m_f->path("saved.asm");
    m_prompts->answerSaveFile(chosen);
    QVERIFY(m_f->frame->router().dispatch(ID_FILE_SAVE_ALL));
    QCOMPARE(m_prompts->asked().size(), 1);
    QCOMPARE(m_prompts->asked().at(0).kind, ScriptedPrompts::Kind::SaveFile);
    QCOMPARE(readFileBytes(path), QByteArray("xnop\r\n"));
    QCOMPARE(readFileBytes(chosen), QByteArray("y\r\n"));
    QCOMPARE(untitled->GetPathName(), chosen);

    // Close All: the first modified document answers Cancel and stays; the rest close.
    QTest::keyClick(CChildFrame::viewOf(named), Qt::Key_Z);
    QTest::keyClick(CChildFrame::viewOf(untitled), Qt::Key_Z);
    m_prompts->answerMessage(PromptAnswer::Cancel);
    m_prompts->answerMessage(PromptAnswer::No);
    QVERIFY(m_f->frame->router().dispatch(ID_FILE_CLOSE_ALL));
    m_f->settle();
    QCOMPARE(m_f->documents->documents(), QList<CQvasmDoc *>{named});
}

void tst_QvasmDoc::largeFileLoadsBehindTheStartingWindow()
{
    m_f.reset();
    m_f = std::make_unique<DocumentFixture>(false);
    QByteArray bytes;
    // Every seventh line ends in LF alone: the worker carries each line's break too.
    for (int i = 0; bytes.size() < (3 << 20); ++i)
        bytes += "label" + QByteArray::number(i) + ":\tmov ax, bx ; a comment"
                 + (i % 7 == 3 ? "\n" : "\r\n");
    const QString path = m_f->write("big.asm", bytes);
    CQvasmDoc *doc = m_f->documents->openDocument(path);
    QVERIFY(doc);
    CQvasmView *view = CChildFrame::viewOf(doc);
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

void tst_QvasmDoc::keysTypedWhileLoadingAreKept()
{
    m_f.reset();
    m_f = std::make_unique<DocumentFixture>(false);
    QByteArray bytes;
    for (int i = 0; bytes.size() < (8 << 20); ++i)
        bytes += "label" + QByteArray::number(i) + ":\tmov ax, bx ; a comment\r\n";
    CQvasmDoc *doc = m_f->documents->openDocument(m_f->write("big.asm", bytes));
    QVERIFY(doc);
    if (!doc->isLoading())
        QSKIP("the text was in before a key could be typed");
    CQvasmView *view = CChildFrame::viewOf(doc);
    QTest::keyClicks(view, "ab");
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Tab); // the typing aids see it once the text is in
    QTest::keyClicks(view, "c");
    QTRY_VERIFY(!doc->isLoading());
    QVERIFY(documentText(doc).startsWith("ab\n\tclabel0:"));
    QVERIFY(doc->IsModified());
}

QTEST_MAIN(tst_QvasmDoc)
#include "tst_qvasmdoc.moc"
