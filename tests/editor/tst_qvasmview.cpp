#include "DocumentFixture.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "editor/DocumentPrinter.h"
#include "editor/EditorSettings.h"
#include "editor/SourceDocumentLayout.h"
#include "editor/ViewColourer.h"
#include "frame/CommandIds.h"
#include "frame/CommandRouter.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QImage>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTreeView>

// A colourer that records what the views ask of it.
class RecordingColourer : public ViewColourer
{
public:
    void textChanged(CQvasmView &, int position, int, int) override { changes << position; }
    void visibleBlocksChanged(CQvasmView &) override { ++visible; }
    void colourAll(CQvasmView &view) override
    {
        coloured << view.GetDocument()->name();
        // Colouring through the text would be wrong; this proves a change made while busy is
        // not reported back.
        QTextCursor(view.document()).insertText(QString());
    }
    void clearColours(CQvasmView &view) override { cleared << view.GetDocument()->name(); }
    QList<QTextLayout::FormatRange> printFormats(const CQvasmView &,
                                                 const QTextBlock &block) override
    {
        ++printed;
        QTextLayout::FormatRange range;
        range.start = 0;
        range.length = block.length();
        range.format.setForeground(Qt::red);
        return {range};
    }

    QList<int> changes;
    int visible = 0;
    QStringList coloured;
    QStringList cleared;
    int printed = 0;
};

// The editor view: font and tabs, plain-text paste, line scrolling, wrapping, the formatting
// toggle and its hooks for the colouring engine, printing.
class tst_QvasmView : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void fontAppliesEverywhereAndSurvivesARestart();
    void tabStopsCountCharacters_data();
    void tabStopsCountCharacters();
    void pasteTakesPlainTextOnly();
    void newFromClipboardPastesIntoTheNewDocument();
    void ctrlUpDownScrollWithoutMovingTheCaret();
    void wordWrapToggles();
    void formattingTogglesEveryViewWithoutModifying();
    void colouringHooks();
    void undoRedoCommands();
    void largeTextKeepsItsLayoutCheap();
    void printsPagesWithHalfInchMargins();
    void printPreviewShowsThePages();
    void droppedFilesOpenOrGoToTheWorkspace();
};

namespace {

QString plain(const QPlainTextEdit *view)
{
    return SourceFileCodec::documentText(*view->document());
}

} // namespace

void tst_QvasmView::cleanup()
{
    CQvasmView::setColourer(nullptr);
}

void tst_QvasmView::fontAppliesEverywhereAndSurvivesARestart()
{
    ScriptedPrompts prompts;
    QFont chosen(QStringLiteral("DejaVu Sans Mono"), 17);
    {
        DocumentFixture f;
        CQvasmDoc *a = f.documents->openDocument(f.write(QStringLiteral("a.asm"), "a\r\n"));
        CQvasmDoc *b = f.documents->openDocument(f.write(QStringLiteral("b.asm"), "b\r\n"));
        QCOMPARE(a->view()->font().family(), EditorSettings::defaultFont().family());
        QTest::keyClick(b->view(), Qt::Key_X);
        prompts.answerFont(chosen);
        QVERIFY(f.frame->router().dispatch(ID_VIEW_FONT));
        QCOMPARE(prompts.asked().at(0).kind, ScriptedPrompts::Kind::Font);
        for (CQvasmDoc *doc : {a, b}) {
            QCOMPARE(doc->view()->font().pointSize(), 17);
            QCOMPARE(doc->textDocument()->defaultFont().pointSize(), 17);
        }
        QVERIFY(!a->IsModified());
        QVERIFY(b->IsModified());
        prompts.answerFont(std::nullopt); // cancelled: nothing changes
        QVERIFY(f.frame->router().dispatch(ID_VIEW_FONT));
        QCOMPARE(a->view()->font().pointSize(), 17);

        // The next program run reads it back; an unreadable setting means the default font.
        SettingsStore &store = f.settings.store();
        QCOMPARE(EditorSettings::font(store).pointSize(), 17);
        CQvasmDoc *later = f.documents->openDocument(f.write(QStringLiteral("c.asm"), "c\r\n"));
        QCOMPARE(later->view()->font().pointSize(), 17);
        store.writeString(QStringLiteral("Settings"), QStringLiteral("Font"), QStringLiteral("?"));
        QCOMPARE(EditorSettings::font(store), EditorSettings::defaultFont());
    }
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmView::tabStopsCountCharacters_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("characters");

    QTest::newRow("default") << -1 << 2;
    QTest::newRow("four") << 4 << 4;
    QTest::newRow("thirty is sixteen") << 30 << 16;
    QTest::newRow("zero is one") << 0 << 1;
}

void tst_QvasmView::tabStopsCountCharacters()
{
    QFETCH(int, setting);
    QFETCH(int, characters);
    DocumentFixture f;
    if (setting >= 0)
        f.settings.store().writeInt(QStringLiteral("Settings"), QStringLiteral("tabstops"), setting);
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("a.asm"), "\tx\r\n"));
    const QFont font = doc->textDocument()->defaultFont();
    const qreal cell = QFontMetricsF(font).horizontalAdvance(QLatin1Char(' '));
    QCOMPARE(doc->view()->tabStopDistance(), cell * characters);
    QCOMPARE(doc->textDocument()->defaultTextOption().tabStopDistance(), cell * characters);
}

void tst_QvasmView::pasteTakesPlainTextOnly()
{
    DocumentFixture f;
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("a.asm"), ""));
    CQvasmView *view = doc->view();
    view->setFocus();
    auto *rich = new QMimeData;
    rich->setHtml(QStringLiteral("<b>bold</b> <img src='x.png'>"));
    rich->setText(QStringLiteral("bold"));
    QGuiApplication::clipboard()->setMimeData(rich);
    CommandRouter &router = f.frame->router();
    QVERIFY(router.isEnabled(ID_EDIT_PASTE));
    QVERIFY(router.dispatch(ID_EDIT_PASTE));
    QCOMPARE(plain(view), QStringLiteral("bold"));
    QTextCursor probe(view->document());
    probe.setPosition(2);
    QVERIFY(!probe.charFormat().font().bold());

    auto *picture = new QMimeData;
    picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QGuiApplication::clipboard()->setMimeData(picture);
    QVERIFY(!router.isEnabled(ID_EDIT_PASTE));
    // Focus elsewhere (the find box) turns the editor's Paste off too.
    QGuiApplication::clipboard()->setText(QStringLiteral("t"));
    QVERIFY(router.isEnabled(ID_EDIT_PASTE));
    f.tree->view()->setFocus(Qt::OtherFocusReason);
    if (QApplication::focusWidget() != view)
        QVERIFY(!router.isEnabled(ID_EDIT_PASTE));
    QGuiApplication::clipboard()->clear();
}

void tst_QvasmView::newFromClipboardPastesIntoTheNewDocument()
{
    DocumentFixture f;
    CQvasmDoc *first = f.documents->openDocument(f.write(QStringLiteral("a.asm"), "a\r\n"));
    QGuiApplication::clipboard()->setText(QStringLiteral("mov ax, bx\nret"));
    f.modifiers = Qt::ShiftModifier;
    QVERIFY(f.frame->router().dispatch(ID_FILE_NEW_FROM_CLIPBOARD));
    CQvasmDoc *made = f.documents->activeDocument();
    QVERIFY(made != first);
    QCOMPARE(made->GetTitle(), QStringLiteral("untitled0.asm"));
    QCOMPARE(plain(made->view()), QStringLiteral("mov ax, bx\nret"));
    QCOMPARE(plain(first->view()), QStringLiteral("a\n"));
    QGuiApplication::clipboard()->clear();
}

void tst_QvasmView::ctrlUpDownScrollWithoutMovingTheCaret()
{
    DocumentFixture f;
    const QByteArray text = numberedLines(500);
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("a.asm"), text));
    CQvasmView *view = doc->view();
    view->setFocus();
    QScrollBar *bar = view->verticalScrollBar();
    bar->setValue(100);
    view->setSelection(1500, 1500);
    QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(bar->value(), 101);
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(bar->value(), 99);
    QCOMPARE(view->textCursor().position(), 1500);
}

void tst_QvasmView::wordWrapToggles()
{
    DocumentFixture f;
    const QByteArray longLine(4000, 'x');
    CQvasmDoc *doc = f.documents->openDocument(
        f.write(QStringLiteral("a.asm"), longLine + "\r\nb\r\n"));
    CQvasmView *view = doc->view();
    CommandRouter &router = f.frame->router();
    auto *layout = qobject_cast<SourceDocumentLayout *>(doc->textDocument()->documentLayout());
    QVERIFY(layout && layout->standInHoldsMainView());
    QVERIFY(!router.query(ID_VIEW_WORDWRAP).checked().value_or(true));
    view->viewport()->update();
    QTRY_VERIFY(view->horizontalScrollBar()->maximum() > 1000);

    QVERIFY(router.dispatch(ID_VIEW_WORDWRAP));
    QVERIFY(*router.query(ID_VIEW_WORDWRAP).checked());
    QVERIFY(view->wordWrap());
    QTRY_VERIFY(doc->textDocument()->firstBlock().lineCount() > 1);
    QCOMPARE(view->horizontalScrollBar()->maximum(), 0);

    QVERIFY(router.dispatch(ID_VIEW_WORDWRAP));
    QVERIFY(!view->wordWrap());
    QVERIFY(layout->standInHoldsMainView());
    QTRY_COMPARE(doc->textDocument()->firstBlock().lineCount(), 1);
    QTRY_VERIFY(view->horizontalScrollBar()->maximum() > 1000);
    QVERIFY(!doc->IsModified());
}

void tst_QvasmView::formattingTogglesEveryViewWithoutModifying()
{
    DocumentFixture f;
    RecordingColourer colourer;
    CQvasmView::setColourer(&colourer);
    const QString a = f.write(QStringLiteral("a.asm"), "a\r\n");
    const QString b = f.write(QStringLiteral("b.txt"), "b\r\n");
    CQvasmDoc *docA = f.documents->openDocument(a);
    CQvasmDoc *docB = f.documents->openDocument(b);
    QTest::keyClick(docB->view(), Qt::Key_X);
    CommandRouter &router = f.frame->router();
    QVERIFY(!router.isEnabled(ID_VIEW_REFRESH));

    QVERIFY(router.dispatch(ID_VIEW_FORMATTING));
    QVERIFY(ProgramValues::instance().formatting);
    QCOMPARE(f.settings.store().readInt("Settings", "useformatting", 0), 1);
    QCOMPARE(QSet<QString>(colourer.coloured.begin(), colourer.coloured.end()),
             (QSet<QString>{a, b}));
    QVERIFY(*router.query(ID_VIEW_FORMATTING).checked());
    QVERIFY(router.isEnabled(ID_VIEW_REFRESH));
    QVERIFY(!docA->IsModified());
    QVERIFY(docB->IsModified());
    // Refresh recolours the active view only.
    colourer.coloured.clear();
    QVERIFY(router.dispatch(ID_VIEW_REFRESH));
    QCOMPARE(colourer.coloured, QStringList{b});

    QVERIFY(router.dispatch(ID_VIEW_FORMATTING));
    QCOMPARE(f.settings.store().readInt("Settings", "useformatting", 1), 0);
    QCOMPARE(colourer.cleared.size(), 2);
    QVERIFY(!router.isEnabled(ID_VIEW_REFRESH));
    QVERIFY(!docA->IsModified());
    QVERIFY(docB->IsModified());
}

void tst_QvasmView::colouringHooks()
{
    DocumentFixture f;
    RecordingColourer colourer;
    CQvasmView::setColourer(&colourer);
    const QByteArray text = numberedLines(300, "nop ");
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("a.asm"), text));
    CQvasmView *view = doc->view();
    // Formatting off: the engine hears nothing.
    QTest::keyClick(view, Qt::Key_A);
    QVERIFY(colourer.changes.isEmpty());
    ProgramValues::instance().formatting = true;
    QTest::keyClick(view, Qt::Key_B);
    QCOMPARE(colourer.changes, QList<int>{1});
    {
        // Changes the view makes itself while busy are its own business.
        CQvasmView::ColouringBusy busy(*view);
        QVERIFY(view->isColouringBusy());
        view->insertPlainText(QStringLiteral("c"));
    }
    QCOMPARE(colourer.changes.size(), 1);
    const int before = colourer.visible;
    view->verticalScrollBar()->setValue(120);
    QVERIFY(colourer.visible > before);
    QCOMPARE(view->firstVisibleTextBlock().blockNumber(), 120);
    QVERIFY(view->lastVisibleTextBlock().blockNumber() > 120);
    // Refresh colours through the engine without a text change reaching it.
    view->Refresh();
    QCOMPARE(colourer.changes.size(), 1);

    // The redraw lock nests and gives the viewport back only at the end.
    view->LockRedraw();
    view->LockRedraw();
    view->UnlockRedraw();
    QVERIFY(!view->viewport()->updatesEnabled());
    view->UnlockRedraw();
    view->UnlockRedraw(); // one too many is harmless
    QVERIFY(view->viewport()->updatesEnabled());
    QCOMPARE(view->redrawLockCount(), 0);
}

void tst_QvasmView::undoRedoCommands()
{
    DocumentFixture f;
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("a.asm"), "a\r\n"));
    CommandRouter &router = f.frame->router();
    QVERIFY(!router.isEnabled(ID_EDIT_UNDO));
    QTest::keyClicks(doc->view(), QStringLiteral("xyz"));
    QVERIFY(router.dispatch(ID_EDIT_UNDO));
    QCOMPARE(plain(doc->view()), QStringLiteral("a\n"));
    QVERIFY(!doc->IsModified());
    QVERIFY(router.dispatch(ID_EDIT_REDO));
    QCOMPARE(plain(doc->view()), QStringLiteral("xyza\n"));
    // Well over a hundred steps come back.
    for (int i = 0; i < 120; ++i) {
        QTest::keyClick(doc->view(), Qt::Key_Q);
        QTest::keyClick(doc->view(), Qt::Key_Left);
    }
    int steps = 0;
    while (router.isEnabled(ID_EDIT_UNDO) && router.dispatch(ID_EDIT_UNDO))
        ++steps;
    QVERIFY(steps >= 100);
    QCOMPARE(plain(doc->view()), QStringLiteral("a\n"));
}

void tst_QvasmView::largeTextKeepsItsLayoutCheap()
{
    DocumentFixture f;
    const QByteArray text = numberedLines(50000, "\tmov ax, ");
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("big.asm"), text));
    CQvasmView *view = doc->view();
    auto *layout = qobject_cast<SourceDocumentLayout *>(doc->textDocument()->documentLayout());
    // Resizes and scrolls leave the main-view role with the stand-in, so they never lay out
    // every block; a block far from what was shown has no lines.
    f.frame->resize(f.frame->size() + QSize(40, 30));
    view->verticalScrollBar()->setValue(25000);
    QCoreApplication::processEvents();
    QVERIFY(layout->standInHoldsMainView());
    QCOMPARE(view->verticalScrollBar()->maximum(),
             doc->textDocument()->blockCount() - view->verticalScrollBar()->pageStep());
    // The widest line drawn so far sets the horizontal range, not the stand-in's width.
    QVERIFY(view->horizontalScrollBar()->maximum() < 1000);
    const QTextBlock far = doc->textDocument()->findBlockByNumber(40000);
    QCOMPARE(far.layout()->lineCount(), 0);
    // Typing far down lays out just that neighbourhood.
    view->setSelection(text.size() / 2, text.size() / 2);
    QTest::keyClick(view, Qt::Key_X);
    QVERIFY(doc->IsModified());
    QCOMPARE(far.layout()->lineCount(), 0);
}

void tst_QvasmView::printsPagesWithHalfInchMargins()
{
    DocumentFixture f;
    RecordingColourer colourer;
    CQvasmView::setColourer(&colourer);
    const QByteArray text = numberedLines(200);
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("a.asm"), text));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(f.path(QStringLiteral("out.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));

    // Formatting off: black text, the colourer is not asked.
    const int pages = doc->view()->print(&printer);
    QVERIFY(pages >= 2);
    QCOMPARE(colourer.printed, 0);
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Inch);
    QCOMPARE(margins, QMarginsF(0.5, 0.5, 0.5, 0.5));
    QVERIFY(QFileInfo(f.path(QStringLiteral("out.pdf"))).size() > 0);

    // Formatting on: every block's colours come from the engine, seen or not.
    ProgramValues::instance().formatting = true;
    QPrinter coloured(QPrinter::HighResolution);
    coloured.setOutputFormat(QPrinter::PdfFormat);
    coloured.setOutputFileName(f.path(QStringLiteral("coloured.pdf")));
    QCOMPARE(doc->view()->print(&coloured), pages);
    QCOMPARE(colourer.printed, doc->textDocument()->blockCount());
    // A bigger font takes more pages.
    QFont big = doc->textDocument()->defaultFont();
    big.setPointSizeF(big.pointSizeF() * 3);
    QPrinter larger(QPrinter::HighResolution);
    larger.setOutputFormat(QPrinter::PdfFormat);
    larger.setOutputFileName(f.path(QStringLiteral("large.pdf")));
    QVERIFY(DocumentPrinter::print(*doc->textDocument(), big, &larger) > pages);
}

void tst_QvasmView::printPreviewShowsThePages()
{
    DocumentFixture f;
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("a.asm"), "nop\r\nret\r\n"));
    doc->view()->setFocus();
    int shownPages = -1;
    ModalDriver<QPrintPreviewDialog> driver([&shownPages](QPrintPreviewDialog *dialog) {
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>())
            shownPages = preview->pageCount();
        dialog->reject();
    });
    QVERIFY(f.frame->router().dispatch(ID_FILE_PRINT_PREVIEW));
    QVERIFY(!driver.failed());
    QCOMPARE(shownPages, 1);
}

void tst_QvasmView::droppedFilesOpenOrGoToTheWorkspace()
{
    DocumentFixture f;
    QStringList workspaces;
    f.documents->setWorkspaceFileOpener([&workspaces](const QString &p) { workspaces << p; });
    const QString asmFile = f.write(QStringLiteral("a.asm"), "a\r\n");
    const QString noDot = f.write(QStringLiteral("Makefile"), "all:\n");
    const QString qvw = f.write(QStringLiteral("W.QVW"), QByteArray(32768, 0));
    f.documents->openDroppedFiles({asmFile, qvw, noDot});
    QCOMPARE(workspaces, QStringList{qvw});
    QCOMPARE(f.windowCount(), 2);
    QVERIFY(f.documents->findDocument(noDot));
    // Without a workspace opener a dropped workspace is left alone rather than shown as text.
    f.documents->setWorkspaceFileOpener({});
    f.documents->openDroppedFiles({qvw});
    QCOMPARE(f.windowCount(), 2);
}

QTEST_MAIN(tst_QvasmView)
#include "tst_qvasmview.moc"
