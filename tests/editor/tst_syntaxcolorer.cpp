#include "DocumentFixture.h"
#include "app/StartupDecision.h"
#include "editor/ui/CSyntaxColorer.h"
#include "editor/ui/EditorAids.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>

// Colours on real editor views: what each block's layout carries, after opening, typing,
// scrolling and the whole-text commands, and that colouring leaves the text's state alone.
class tst_SyntaxColorer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void editsCarryOpenedBlocksToTheFollowingLines();
    void formattingToggleRecoloursButLeavesTheTextAlone();
    void largeTextIsColouredWhereItShows();
    void startupAppliesColoursAndUserKeywords();

private:
    CQvasmView *open(const QString &name, const QByteArray &text);
    QString marks(const QTextBlock &block) const;
    QString marks(const CQvasmView *view) const;

    std::unique_ptr<DocumentFixture> m_fixture;
};

void tst_SyntaxColorer::init()
{
    m_fixture = std::make_unique<DocumentFixture>();
    m_fixture->frame->resize(900, 700);
    new EditorAids(m_fixture->frame.get());
    ProgramValues::instance().formatting = true;
}

CQvasmView *tst_SyntaxColorer::open(const QString &name, const QByteArray &text)
{
    CQvasmDoc *doc = m_fixture->documents->openDocument(m_fixture->write(name, text));
    if (!doc)
        return nullptr;
    QCoreApplication::processEvents();
    return CChildFrame::viewOf(doc);
}

// One letter per character, as the scanner's tests write them: . black, D directive,
// I instruction, R register, Y symbol, c comment, s string.
QString tst_SyntaxColorer::marks(const QTextBlock &block) const
{
    const SyntaxColours &colours = CSyntaxColorer::instance()->colours();
    QString out(block.length() - 1, u'.');
    for (const QTextLayout::FormatRange &r : block.layout()->formats()) {
        QChar letter = u'?';
        for (int k = 0; k < 6; ++k) {
            if (r.format.foreground().color() == colours.colour(SyntaxFormat(k)))
                letter = QLatin1Char("DIRYcs"[k]);
        }
        for (int i = r.start; i < r.start + r.length && i < out.size(); ++i)
            out[i] = letter;
    }
    return out;
}

QString tst_SyntaxColorer::marks(const CQvasmView *view) const
{
    QStringList lines;
    for (QTextBlock b = view->document()->begin(); b.isValid(); b = b.next())
        lines << marks(b);
    return lines.join(u'\n');
}

void tst_SyntaxColorer::editsCarryOpenedBlocksToTheFollowingLines()
{
    CQvasmView *view = open("a.asm", "nop\r\nmov ax,1\r\npush bx\r\nret");
    QVERIFY(view);
    QCOMPARE(marks(view), "III\nIII.RR..\nIIII.RR\nIII");

    // Opening a comment block on the first line turns the following lines into comment.
    view->moveCursor(QTextCursor::Start);
    view->moveCursor(QTextCursor::EndOfBlock);
    QTest::keyClicks(view, " comment ~");
    QCoreApplication::processEvents();
    QCOMPARE(marks(view), "III.DDDDDDD.c\ncccccccc\nccccccc\nccc");

    // Its closer on the third line ends it there.
    view->setSelection(view->document()->findBlockByNumber(2).position() + 4,
                       view->document()->findBlockByNumber(2).position() + 4);
    QTest::keyClicks(view, "~");
    QCoreApplication::processEvents();
    QCOMPARE(marks(view), "III.DDDDDDD.c\ncccccccc\ncccccccc\nIII");

    // The printout uses the colours of the screen.
    for (QTextBlock b = view->document()->begin(); b.isValid(); b = b.next())
        QCOMPARE(CSyntaxColorer::instance()->printFormats(*view, b), b.layout()->formats());

    // Undoing brings the earlier colours back.
    for (int step = 0; step < 1000 && view->document()->isUndoAvailable(); ++step)
        view->undo();
    QVERIFY(!view->document()->isUndoAvailable());
    QCoreApplication::processEvents();
    QCOMPARE(marks(view), "III\nIII.RR..\nIIII.RR\nIII");

    // A long paste: the lines in view are coloured, the rest when they show.
    QTextCursor(view->document()).insertText(QString("mov ax, bx\n").repeated(3000));
    QCoreApplication::processEvents();
    QCOMPARE(marks(view->document()->findBlockByNumber(10)), "III.RR..RR");
    QVERIFY(view->document()->findBlockByNumber(2500).layout()->formats().isEmpty());
}

void tst_SyntaxColorer::formattingToggleRecoloursButLeavesTheTextAlone()
{
    CQvasmView *notes = open("notes.txt", "mov ax, 5 ; comment");
    QVERIFY(notes);
    QCOMPARE(marks(notes), "...................");
    CQvasmView *view = open("a.asm", QByteArray("mov ax, bx\r\n").repeated(400));
    QVERIFY(view);
    CQvasmDoc *doc = view->GetDocument();
    // Block 152 is coloured while it shows, then scrolled away from.
    view->verticalScrollBar()->setValue(150);
    QCoreApplication::processEvents();
    QCOMPARE(marks(doc->textDocument()->findBlockByNumber(152)), "III.RR..RR");
    QTest::keyClicks(view, "x");
    const int undoSteps = view->document()->availableUndoSteps();
    doc->SetModifiedFlag(false);
    view->setSelection(1200, 1300);
    view->setScrollPosition(QPoint(0, 3000));
    QCoreApplication::processEvents();
    const QPoint scroll = view->scrollPosition();
    QVERIFY(scroll.y() > 0);
    QSignalSpy changes(view->document(), &QTextDocument::contentsChanged);

    const auto unchanged = [&](const char *after) {
        QCoreApplication::processEvents();
        QVERIFY2(changes.isEmpty(), after);
        QVERIFY2(!doc->IsModified(), after);
        QVERIFY2(view->document()->availableUndoSteps() == undoSteps, after);
        QVERIFY2(view->textCursor().anchor() == 1200 && view->textCursor().position() == 1300,
                 after);
        QVERIFY2(view->scrollPosition() == scroll, after);
    };
    view->Refresh();
    notes->Refresh();
    unchanged("Refresh");
    QCOMPARE(marks(notes), "...................");

    // Off clears every block, shown or not, and scrolling brings no colours back.
    m_fixture->documents->OnFormatting();
    unchanged("formatting off");
    for (const QTextBlock &b :
         {view->firstVisibleTextBlock(), doc->textDocument()->findBlockByNumber(152)})
        QCOMPARE(marks(b), "..........");
    view->verticalScrollBar()->setValue(100);
    QCoreApplication::processEvents();
    QCOMPARE(marks(view->firstVisibleTextBlock()), "..........");
    view->setScrollPosition(scroll);
    unchanged("scrolling");

    m_fixture->documents->OnFormatting();
    unchanged("formatting on");
    QCOMPARE(marks(view->firstVisibleTextBlock()), "III.RR..RR");
    QCOMPARE(marks(notes), "...................");
    view->undo();
    QCOMPARE(view->document()->availableUndoSteps(), undoSteps - 1);
}

void tst_SyntaxColorer::largeTextIsColouredWhereItShows()
{
    QByteArray text = "comment ~\r\n";
    for (int i = 1; i < 30000; ++i)
        text += i == 20000 ? "~ closed\r\n" : "mov ax, bx\r\n";
    CQvasmView *view = open("big.asm", text);
    QVERIFY(view);
    QTextDocument *doc = view->document();
    QCOMPARE(marks(doc->findBlockByNumber(1)), "cccccccccc");
    // Nothing far below was scanned or given colours.
    QCOMPARE(doc->findBlockByNumber(25000).userState(), -1);

    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    const QTextBlock shown = view->lastVisibleTextBlock().previous();
    QVERIFY(shown.blockNumber() > 29000);
    QCOMPARE(marks(shown), "III.RR..RR");
    QCOMPARE(doc->findBlockByNumber(10000).layout()->formats().size(), 0);

    // A jump that scrolls the caret into view (Go To, Find, an error line) colours what shows.
    QTextCursor jump(doc->findBlockByNumber(25000));
    view->setTextCursor(jump);
    view->centerCursor();
    QCoreApplication::processEvents();
    QCOMPARE(marks(doc->findBlockByNumber(25000)), "III.RR..RR");

    // A closer typed near the top ends the block early: the lines in view follow at once.
    view->verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    view->setSelection(doc->findBlockByNumber(2).position(), doc->findBlockByNumber(2).position());
    QTest::keyClicks(view, "~");
    QCoreApplication::processEvents();
    QCOMPARE(marks(doc->findBlockByNumber(2)), "ccccccccccc");
    QCOMPARE(marks(doc->findBlockByNumber(3)), "III.RR..RR");
    // ... and the lines further down once they come into view.
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    QCOMPARE(marks(view->lastVisibleTextBlock().previous()), "III.RR..RR");
    view->verticalScrollBar()->setValue(19990);
    QCoreApplication::processEvents();
    QCOMPARE(marks(doc->findBlockByNumber(20000)), "........"); // "~ closed" now opens nothing
}

void tst_SyntaxColorer::startupAppliesColoursAndUserKeywords()
{
    QTemporaryDir program;
    writeFileBytes(program.filePath("userdat.dat"), "mykey,Upper");
    SettingsStore &store = m_fixture->settings.store();
    store.writeInt("Settings", "CRInstructions_indx", 15);
    store.writeInt("Settings", "CRInstructions_rgb", 0x123456);

    ProgramValues::instance().formatting = false; // start-up reads it after opening
    CQvasmView *view = open("a.asm", "mov mykey upper");
    QVERIFY(view);
    QCOMPARE(marks(view), "...............");
    ProgramValues::instance().formatting = true;
    StartupDecision decision;
    decision.emptyOn = true;
    EditorAids::applyStartupSettings(m_fixture->frame.get(), program.path(), decision.emptyOn);

    const SyntaxColours &colours = CSyntaxColorer::instance()->colours();
    QCOMPARE(colours.colour(SyntaxColours::Instructions), QColor(0x56, 0x34, 0x12));
    // An entry with an upper-case letter never matches: only the text is lowered.
    QCOMPARE(marks(view), "III.DDDDD......");
    QVERIFY(!view->GetDocument()->IsModified());

    // The colours page's OK: the open views take the new colours at once.
    SyntaxColours changed = colours;
    changed.set(SyntaxColours::Instructions, 13, QColor(136, 0, 136));
    CSyntaxColorer::instance()->applyColours(changed);
    QCOMPARE(marks(view), "III.DDDDD......");
}

QTEST_MAIN(tst_SyntaxColorer)
#include "tst_syntaxcolorer.moc"
