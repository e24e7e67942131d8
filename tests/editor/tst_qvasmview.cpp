#include "EditorViews.h"
#include "ModalDriver.h"
#include "ScriptedPrompts.h"
#include "base/CommandIds.h"
#include "editor/EditorSettings.h"
#include "editor/ui/SourceDocumentLayout.h"
#include "editor/ui/ViewColourer.h"
#include "frame/CommandRouter.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>

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
    QList<QTextLayout::FormatRange> printFormats(const CQvasmView &, const QTextBlock &) override
    {
        ++printed;
        return {};
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
    void init();
    void cleanup();
    void fontAppliesEverywhereAndSurvivesARestart();
    void tabStopsCountCharacters_data();
    void tabStopsCountCharacters();
    void clipboardGivesPlainText();
    void ctrlUpDownScrollWithoutMovingTheCaret();
    void scrollPositionComesBackToThePixel_data();
    void scrollPositionComesBackToThePixel();
    void wordWrapToggles();
    void formattingToggleDrivesTheColouringHooks();
    void undoRedoCommands();
    void largeTextKeepsItsLayoutCheap();
    void printsPagesWithHalfInchMargins();
    void printPreviewShowsThePages();
    void droppedFilesOpenOrGoToTheWorkspace();

private:
    bool run(int id) { return m_f->frame->router().dispatch(id); }

    std::unique_ptr<DocumentFixture> m_f;
    RecordingColourer m_colourer;
};

void tst_QvasmView::init()
{
    m_f = std::make_unique<DocumentFixture>();
    m_colourer = RecordingColourer();
}

void tst_QvasmView::cleanup()
{
    m_f.reset();
    CQvasmView::setColourer(nullptr);
}

void tst_QvasmView::fontAppliesEverywhereAndSurvivesARestart()
{
    ScriptedPrompts prompts;
    CQvasmView *a = openView(*m_f, "a\r\n");
    CQvasmView *b = openView(*m_f, "b\r\n", "b.asm");
    QTest::keyClick(b, Qt::Key_X);
    prompts.answerFont(QFont("DejaVu Sans Mono", 17));
    QVERIFY(run(ID_VIEW_FONT));
    for (CQvasmView *view : {a, b}) {
        QCOMPARE(view->font().pointSize(), 17);
        QCOMPARE(view->document()->defaultFont().pointSize(), 17);
    }
    QVERIFY(!a->GetDocument()->IsModified());
    QVERIFY(b->GetDocument()->IsModified());

    // The next program run reads it back; an unreadable setting means the default font.
    SettingsStore &store = m_f->settings.store();
    QCOMPARE(EditorSettings::font(store).pointSize(), 17);
    QCOMPARE(openView(*m_f, "c\r\n", "c.asm")->font().pointSize(), 17);
    store.writeString("Settings", "Font", "?");
    QCOMPARE(EditorSettings::font(store), EditorSettings::defaultFont());
    QVERIFY(prompts.allAnswered());
}

void tst_QvasmView::tabStopsCountCharacters_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("characters");
    QTest::newRow("thirty is sixteen") << 30 << 16;
    QTest::newRow("zero is one") << 0 << 1;
}

void tst_QvasmView::tabStopsCountCharacters()
{
    QFETCH(int, setting);
    QFETCH(int, characters);
    m_f->settings.store().writeInt("Settings", "tabstops", setting);
    CQvasmView *view = openView(*m_f, "\tx\r\n");
    const qreal cell = QFontMetricsF(view->document()->defaultFont()).horizontalAdvance(' ');
    QCOMPARE(view->tabStopDistance(), cell * characters);
    QCOMPARE(view->document()->defaultTextOption().tabStopDistance(), cell * characters);
}

void tst_QvasmView::clipboardGivesPlainText()
{
    CQvasmView *view = openView(*m_f, "");
    view->setFocus();
    auto *rich = new QMimeData;
    rich->setHtml("<b>bold</b> <img src='x.png'>");
    rich->setText("bold");
    QGuiApplication::clipboard()->setMimeData(rich);
    QVERIFY(run(ID_EDIT_PASTE));
    QCOMPARE(viewText(view), "bold");
    QTextCursor probe(view->document());
    probe.setPosition(2);
    QVERIFY(!probe.charFormat().font().bold());

    // New from Clipboard: into a new document of its own.
    QGuiApplication::clipboard()->setText("mov ax, bx\nret");
    m_f->modifiers = Qt::ShiftModifier;
    QVERIFY(run(ID_FILE_NEW_FROM_CLIPBOARD));
    CQvasmDoc *made = m_f->documents->activeDocument();
    QCOMPARE(made->GetTitle(), "untitled0.asm");
    QCOMPARE(viewText(CChildFrame::viewOf(made)), "mov ax, bx\nret");
    QCOMPARE(viewText(view), "bold");
    QGuiApplication::clipboard()->clear();
}

void tst_QvasmView::ctrlUpDownScrollWithoutMovingTheCaret()
{
    CQvasmView *view = openView(*m_f, numberedLines(500));
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

void tst_QvasmView::scrollPositionComesBackToThePixel_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("pixels"); // past the line; -1: one short of the next line
    QTest::newRow("on a line") << 40 << 0;
    QTest::newRow("one pixel past a line") << 40 << 1;
    QTest::newRow("one pixel short of the next line") << 40 << -1;
    QTest::newRow("past the last line: the end, whole lines") << 100000 << 5;
}

void tst_QvasmView::scrollPositionComesBackToThePixel()
{
    QFETCH(int, line);
    QFETCH(int, pixels);
    CQvasmView *view = openView(*m_f, numberedLines(500));
    const int height = qRound(QFontMetricsF(view->document()->defaultFont()).lineSpacing());
    if (pixels < 0)
        pixels = height - 1;
    QScrollBar *bar = view->verticalScrollBar();
    const bool beyond = line > bar->maximum();
    view->restoreView(0, 0, QPoint(0, line * height + pixels));

    const int top = beyond ? bar->maximum() : line;
    const int expected = beyond ? 0 : pixels;
    QCOMPARE(view->scrollPosition().y(), top * height + expected);
    QCOMPARE(view->firstVisibleTextBlock().blockNumber(), top);
    // The top line shows scrolled out by those pixels above the editor's frame.
    QCOMPARE(view->viewport()->geometry().top(), view->contentsRect().top() - expected);

    // Scrolled by the user, the view is on whole lines again.
    view->scrollLines(-1);
    QCOMPARE(view->scrollPosition().y(), (top - 1) * height);
    QTRY_COMPARE(view->viewport()->geometry().top(), view->contentsRect().top());
    QCOMPARE(view->firstVisibleTextBlock().blockNumber(), top - 1);
}

void tst_QvasmView::wordWrapToggles()
{
    CQvasmView *view = openView(*m_f, QByteArray(4000, 'x') + "\r\nb\r\n");
    QTextDocument *doc = view->document();
    CommandRouter &router = m_f->frame->router();
    auto *layout = qobject_cast<SourceDocumentLayout *>(doc->documentLayout());
    QVERIFY(layout && layout->standInHoldsMainView());
    QVERIFY(!router.query(ID_VIEW_WORDWRAP).checked().value_or(true));
    view->viewport()->update();
    QTRY_VERIFY(view->horizontalScrollBar()->maximum() > 1000);

    QVERIFY(run(ID_VIEW_WORDWRAP));
    QVERIFY(*router.query(ID_VIEW_WORDWRAP).checked());
    QTRY_VERIFY(doc->firstBlock().lineCount() > 1);
    QCOMPARE(view->horizontalScrollBar()->maximum(), 0);

    QVERIFY(run(ID_VIEW_WORDWRAP));
    QVERIFY(layout->standInHoldsMainView());
    QTRY_COMPARE(doc->firstBlock().lineCount(), 1);
    QTRY_VERIFY(view->horizontalScrollBar()->maximum() > 1000);
    QVERIFY(!view->GetDocument()->IsModified());
}

void tst_QvasmView::formattingToggleDrivesTheColouringHooks()
{
    // What the colours are is the colouring engine's test; here: who is told what, and when.
    CQvasmView::setColourer(&m_colourer);
    CQvasmView *a = openView(*m_f, "a\r\n");
    CQvasmView *view = openView(*m_f, numberedLines(300, "nop "), "b.asm");
    CommandRouter &router = m_f->frame->router();
    QVERIFY(!router.isEnabled(ID_VIEW_REFRESH));
    // Formatting off: the engine hears nothing.
    QTest::keyClick(view, Qt::Key_A);
    QVERIFY(m_colourer.changes.isEmpty());

    QVERIFY(run(ID_VIEW_FORMATTING));
    QCOMPARE(m_f->settings.store().readInt("Settings", "useformatting", 0), 1);
    QCOMPARE(QSet<QString>(m_colourer.coloured.begin(), m_colourer.coloured.end()),
             (QSet<QString>{a->GetDocument()->name(), view->GetDocument()->name()}));
    QVERIFY(*router.query(ID_VIEW_FORMATTING).checked());
    // Refresh recolours the active view only, and its own edits are not reported back.
    m_colourer.coloured.clear();
    QVERIFY(run(ID_VIEW_REFRESH));
    QCOMPARE(m_colourer.coloured, QStringList{view->GetDocument()->name()});
    QTest::keyClick(view, Qt::Key_B);
    QCOMPARE(m_colourer.changes, QList<int>{1});
    {
        // Changes the view makes itself while busy are its own business.
        CQvasmView::ColouringBusy busy(*view);
        view->insertPlainText("c");
    }
    QCOMPARE(m_colourer.changes.size(), 1);

    QVERIFY(run(ID_VIEW_FORMATTING));
    QCOMPARE(m_f->settings.store().readInt("Settings", "useformatting", 1), 0);
    QCOMPARE(m_colourer.cleared.size(), 2);
    QVERIFY(!router.isEnabled(ID_VIEW_REFRESH));

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
    CQvasmView *view = openView(*m_f, "a\r\n");
    QTest::keyClicks(view, "xyz");
    QVERIFY(run(ID_EDIT_UNDO));
    QCOMPARE(viewText(view), "a\n");
    QVERIFY(!view->GetDocument()->IsModified());
    QVERIFY(run(ID_EDIT_REDO));
    QCOMPARE(viewText(view), "xyza\n");
    // Well over a hundred steps come back.
    for (int i = 0; i < 120; ++i) {
        QTest::keyClick(view, Qt::Key_Q);
        QTest::keyClick(view, Qt::Key_Left);
    }
    // Bounded: an undo that is always enabled must fail here, not hang.
    int steps = 0;
    while (steps < 1000 && m_f->frame->router().isEnabled(ID_EDIT_UNDO) && run(ID_EDIT_UNDO))
        ++steps;
    QVERIFY(steps >= 100);
    QVERIFY(steps < 1000);
    QCOMPARE(viewText(view), "a\n");
}

void tst_QvasmView::largeTextKeepsItsLayoutCheap()
{
    const QByteArray text = numberedLines(50000, "\tmov ax, ");
    CQvasmView *view = openView(*m_f, text, "big.asm");
    QTextDocument *doc = view->document();
    auto *layout = qobject_cast<SourceDocumentLayout *>(doc->documentLayout());
    // Resizes and scrolls leave the main-view role with the stand-in, so they never lay out
    // every block; a block far from what was shown has no lines.
    m_f->frame->resize(m_f->frame->size() + QSize(40, 30));
    view->verticalScrollBar()->setValue(25000);
    QCoreApplication::processEvents();
    QVERIFY(layout->standInHoldsMainView());
    QCOMPARE(view->verticalScrollBar()->maximum(),
             doc->blockCount() - view->verticalScrollBar()->pageStep());
    // The widest line drawn so far sets the horizontal range, not the stand-in's width.
    QVERIFY(view->horizontalScrollBar()->maximum() < 1000);
    const QTextBlock far = doc->findBlockByNumber(40000);
    QCOMPARE(far.layout()->lineCount(), 0);
    // Typing far down lays out just that neighbourhood.
    view->setSelection(text.size() / 2, text.size() / 2);
    QTest::keyClick(view, Qt::Key_X);
    QCOMPARE(far.layout()->lineCount(), 0);
}

void tst_QvasmView::printsPagesWithHalfInchMargins()
{
    CQvasmView::setColourer(&m_colourer);
    CQvasmView *view = openView(*m_f, numberedLines(200));
    const auto pdf = [this](const QString &name) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(m_f->path(name));
        printer->setPageSize(QPageSize(QPageSize::A4));
        return printer;
    };
    // Formatting off: black text, the colourer is not asked.
    const auto printer = pdf("out.pdf");
    const int pages = view->print(printer.get());
    QVERIFY(pages >= 2);
    QCOMPARE(m_colourer.printed, 0);
    QCOMPARE(printer->pageLayout().margins(QPageLayout::Inch), QMarginsF(0.5, 0.5, 0.5, 0.5));
    QVERIFY(QFileInfo(m_f->path("out.pdf")).size() > 0);

    // Formatting on: every block's colours come from the engine, seen or not.
    ProgramValues::instance().formatting = true;
    QCOMPARE(view->print(pdf("coloured.pdf").get()), pages);
    QCOMPARE(m_colourer.printed, view->document()->blockCount());
}

void tst_QvasmView::printPreviewShowsThePages()
{
    openView(*m_f, "nop\r\nret\r\n");
    int shownPages = -1;
    ModalDriver<QPrintPreviewDialog> driver([&shownPages](QPrintPreviewDialog *dialog) {
        if (auto *preview = dialog->findChild<QPrintPreviewWidget *>())
            shownPages = preview->pageCount();
        dialog->reject();
    });
    QVERIFY(run(ID_FILE_PRINT_PREVIEW));
    QVERIFY(!driver.failed());
    QCOMPARE(shownPages, 1);
}

void tst_QvasmView::droppedFilesOpenOrGoToTheWorkspace()
{
    QStringList workspaces;
    m_f->documents->setWorkspaceFileOpener([&workspaces](const QString &p) { workspaces << p; });
    const QString noDot = m_f->write("Makefile", "all:\n");
    const QString qvw = m_f->write("W.QVW", QByteArray(32768, 0));
    m_f->documents->openDroppedFiles({m_f->write("a.asm", "a\r\n"), qvw, noDot});
    QCOMPARE(workspaces, QStringList{qvw});
    QCOMPARE(m_f->windowCount(), 2);
    QVERIFY(m_f->documents->findDocument(noDot));
    // Without a workspace opener a dropped workspace is left alone rather than shown as text.
    m_f->documents->setWorkspaceFileOpener({});
    m_f->documents->openDroppedFiles({qvw});
    QCOMPARE(m_f->windowCount(), 2);
}

QTEST_MAIN(tst_QvasmView)
#include "tst_qvasmview.moc"
