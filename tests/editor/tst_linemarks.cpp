#include "EditorViews.h"
#include "base/CommandIds.h"
#include "base/SettingsStore.h"
#include "editor/LineMarks.h"
#include "editor/ui/CSyntaxColorer.h"
#include "editor/ui/EditorAids.h"
#include "frame/CommandRouter.h"

#include <QFontMetricsF>
#include <QSignalSpy>
#include <QTextBlock>

// The editor's gutter and its line marks, on real views: the width follows the line count, the
// marks stay on their lines' text through edits, undo, saves and the colouring, and View > Line
// Numbers switches the numbers of every view and is kept.
class tst_LineMarks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gutterWidthFollowsTheLineCount_data();
    void gutterWidthFollowsTheLineCount();
    void markFollowsEdits_data();
    void markFollowsEdits();
    void marksSurviveSaveAndColouring();
    void markShowsUnderlineAndToolTip();
    void marksOutsideTheTextAreLeftOut();
    void lineNumbersCommandSwitchesEveryViewAndIsKept();
    void viewsStartWithTheStoredChoice();

private:
    CQvasmView *tenLines(const QString &name = "a.asm");
    std::unique_ptr<DocumentFixture> m_f;
};

namespace {

int digitWidth(const CQvasmView *view)
{
    return qCeil(QFontMetricsF(view->document()->defaultFont()).horizontalAdvance('9'));
}

QTextCursor lineStart(CQvasmView *view, int line)
{
    return QTextCursor(view->document()->findBlockByNumber(line - 1));
}

void placeCaret(CQvasmView *view, int line, int column = 0)
{
    QTextCursor cursor = lineStart(view, line);
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
    view->setTextCursor(cursor);
}

QList<int> markedLines(const CQvasmView *view)
{
    QList<int> lines;
    for (const LineMark &mark : view->lineMarks())
        lines << mark.line;
    return lines;
}

enum Edit {
    InsertTwoLinesAbove,
    DeleteLineAbove,
    EnterAtStartOfMarkedLine,
    EnterInsideMarkedLine,
    TypeInsideMarkedLine,
    BackspaceJoinsMarkedLineToTheOneAbove,
    DeleteMarkedLine,
    DeleteMarkedLineWithTheOneAbove,
    InsertBelow,
    DeleteBelow,
    InsertAboveThenUndo,
    DeleteAboveThenUndo,
};

} // namespace

Q_DECLARE_METATYPE(Edit)

void tst_LineMarks::init()
{
    m_f = std::make_unique<DocumentFixture>();
}

void tst_LineMarks::cleanup()
{
    m_f.reset();
}

CQvasmView *tst_LineMarks::tenLines(const QString &name)
{
    QByteArray text;
    for (int i = 1; i <= 10; ++i)
        text += "line" + QByteArray::number(i) + "\r\n";
    text.chop(2);
    return openView(*m_f, text, name);
}

void tst_LineMarks::gutterWidthFollowsTheLineCount_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("digits");

    QTest::newRow("9 lines") << 9 << 1;
    QTest::newRow("10 lines") << 10 << 2;
    QTest::newRow("99,999 lines") << 99999 << 5;
    QTest::newRow("100,000 lines") << 100000 << 6;
}

void tst_LineMarks::gutterWidthFollowsTheLineCount()
{
    QFETCH(int, lines);
    QFETCH(int, digits);
    // One line short, then the line that makes it the count asked for, typed into the view.
    CQvasmView *view = openView(*m_f, QByteArray("x\n").repeated(lines - 2) + "x");
    QVERIFY(view);
    const int shorter = LineGutterMetrics::width(lines - 1, digitWidth(view), true);
    QCOMPARE(view->gutterWidth(), shorter);
    view->moveCursor(QTextCursor::End);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(view->document()->blockCount(), lines);

    const int expected = digitWidth(view)
                         * (LineGutterMetrics::MarkColumnDigits + digits
                            + LineGutterMetrics::PaddingDigits);
    QCOMPARE(view->gutterWidth(), expected);
    QCOMPARE(view->gutter()->width(), expected);
    QCOMPARE(view->viewport()->geometry().left(), view->contentsRect().left() + expected);
    // Crossing a power of ten adds one digit; anything else keeps the width.
    QCOMPARE(expected - shorter, lines == 10 || lines == 100000 ? digitWidth(view) : 0);
}

void tst_LineMarks::markFollowsEdits_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QList<int>>("lines");

    QTest::newRow("two lines inserted above") << InsertTwoLinesAbove << QList<int>{7};
    QTest::newRow("a line above deleted") << DeleteLineAbove << QList<int>{4};
    QTest::newRow("Enter at the start of the marked line")
        << EnterAtStartOfMarkedLine << QList<int>{6};
    QTest::newRow("Enter inside the marked line") << EnterInsideMarkedLine << QList<int>{5};
    QTest::newRow("typing inside the marked line") << TypeInsideMarkedLine << QList<int>{5};
    QTest::newRow("Backspace joins it to the line above")
        << BackspaceJoinsMarkedLineToTheOneAbove << QList<int>{4};
    QTest::newRow("the marked line deleted") << DeleteMarkedLine << QList<int>{};
    QTest::newRow("deleted with the line above") << DeleteMarkedLineWithTheOneAbove << QList<int>{};
    QTest::newRow("a line inserted below") << InsertBelow << QList<int>{5};
    QTest::newRow("a line below deleted") << DeleteBelow << QList<int>{5};
    QTest::newRow("insert above, then undo") << InsertAboveThenUndo << QList<int>{5};
    QTest::newRow("delete above, then undo") << DeleteAboveThenUndo << QList<int>{5};
}

void tst_LineMarks::markFollowsEdits()
{
    QFETCH(Edit, edit);
    QFETCH(QList<int>, lines);
    CQvasmView *view = tenLines();
    QVERIFY(view);
    view->setLineMarks({{5, LineMark::Kind::Error, "tip", 1}});
    QSignalSpy gone(view, &CQvasmView::lineMarksChanged);

    const auto deleteLine = [view](int line, int count = 1) {
        QTextCursor cursor = lineStart(view, line);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, count);
        view->setTextCursor(cursor);
        QTest::keyClick(view, Qt::Key_Delete);
    };
    switch (edit) {
    case InsertTwoLinesAbove:
        placeCaret(view, 2);
        QTest::keyClicks(view, "a");
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClicks(view, "b");
        QTest::keyClick(view, Qt::Key_Return);
        break;
    case DeleteLineAbove:
        deleteLine(2);
        break;
    case EnterAtStartOfMarkedLine:
        placeCaret(view, 5);
        QTest::keyClick(view, Qt::Key_Return);
        break;
    case EnterInsideMarkedLine:
        placeCaret(view, 5, 2);
        QTest::keyClick(view, Qt::Key_Return);
        break;
    case TypeInsideMarkedLine:
        placeCaret(view, 5, 2);
        QTest::keyClicks(view, "xyz");
        placeCaret(view, 5);
        QTest::keyClicks(view, "a");
        break;
    case BackspaceJoinsMarkedLineToTheOneAbove:
        placeCaret(view, 5);
        QTest::keyClick(view, Qt::Key_Backspace);
        break;
    case DeleteMarkedLine:
        deleteLine(5);
        break;
    case DeleteMarkedLineWithTheOneAbove:
        deleteLine(4, 2);
        break;
    case InsertBelow:
        placeCaret(view, 6);
        QTest::keyClick(view, Qt::Key_Return);
        break;
    case DeleteBelow:
        deleteLine(6);
        break;
    case InsertAboveThenUndo:
        placeCaret(view, 1);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(markedLines(view), QList<int>{6});
        QVERIFY(m_f->frame->router().dispatch(ID_EDIT_UNDO));
        break;
    case DeleteAboveThenUndo:
        deleteLine(3);
        QCOMPARE(markedLines(view), QList<int>{4});
        QVERIFY(m_f->frame->router().dispatch(ID_EDIT_UNDO));
        break;
    }

    QCOMPARE(markedLines(view), lines);
    QCOMPARE(gone.count(), lines.isEmpty() ? 1 : 0);
    for (int line = 1; line <= view->document()->blockCount(); ++line)
        QCOMPARE(!view->markUnderlineRect(line).isEmpty(), lines.contains(line));
    if (!lines.isEmpty()) {
        QCOMPARE(view->lineMarks().constFirst().id, 1);
        QCOMPARE(view->lineMarkToolTip(lines.constFirst()), QStringLiteral("tip"));
    }
}

void tst_LineMarks::marksSurviveSaveAndColouring()
{
    ProgramValues::instance().formatting = true;
    new EditorAids(m_f->frame.get()); // the colouring engine, as the program has it
    CQvasmView *view = tenLines();
    view->setLineMarks(
        {{3, LineMark::Kind::Error, "e", 1}, {8, LineMark::Kind::Diagnostic, "d", 2}});
    placeCaret(view, 1);
    QTest::keyClick(view, Qt::Key_Return);

    QVERIFY(view->GetDocument()->OnSaveDocument(view->GetDocument()->GetPathName()));
    QCOMPARE(markedLines(view), (QList<int>{4, 9}));
    view->Refresh(); // everything coloured
    ProgramValues::instance().formatting = false;
    view->Refresh(); // every colour gone
    ProgramValues::instance().formatting = true;
    view->Refresh();
    QCOMPARE(markedLines(view), (QList<int>{4, 9}));
    QVERIFY(!view->markUnderlineRect(9).isEmpty());
}

void tst_LineMarks::markShowsUnderlineAndToolTip()
{
    CQvasmView *view = tenLines();
    QCOMPARE(view->gutterWidth(), LineGutterMetrics::width(10, digitWidth(view), true));
    view->setLineMarks({{2, LineMark::Kind::Error, "first", 1},
                        {2, LineMark::Kind::Diagnostic, "second", 2},
                        {6, LineMark::Kind::Diagnostic, "third", 3}});

    // Under the line's text, in the colour of its kind (an error outranks a diagnostic).
    const QRect under = view->markUnderlineRect(2);
    const QRect text = view->cursorRect(lineStart(view, 2));
    QVERIFY(under.top() >= text.center().y() && under.top() <= text.bottom() + 2);
    const int width = qRound(
        QFontMetricsF(view->document()->defaultFont()).horizontalAdvance("line2"));
    QVERIFY(qAbs(under.width() - width) <= 2);
    const QImage shot = view->viewport()->grab().toImage();
    const auto reddest = [&shot](const QRect &box) {
        int best = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                if (shot.rect().contains(x, y)) {
                    const QColor c = shot.pixelColor(x, y);
                    best = qMax(best, c.red() - c.blue());
                }
            }
        }
        return best;
    };
    QVERIFY(reddest(under) > 100);
    QVERIFY(reddest(under.translated(0, -3 * under.height())) < 100);
    QVERIFY(view->markUnderlineRect(3).isEmpty());
    QCOMPARE(view->lineMarkToolTip(2), QStringLiteral("first\n\nsecond"));
    QCOMPARE(view->lineMarkToolTip(6), QStringLiteral("third"));
    QCOMPARE(view->lineMarkToolTip(3), QString());

    // The gutter's line under a point is the line the tool tip names.
    const QRect second = view->cursorRect(lineStart(view, 6));
    QCOMPARE(view->lineAtY(second.center().y()), 6);

    view->clearLineMarks();
    QVERIFY(view->lineMarks().isEmpty());
    QVERIFY(view->markUnderlineRect(2).isEmpty());
}

void tst_LineMarks::marksOutsideTheTextAreLeftOut()
{
    CQvasmView *view = tenLines();
    view->setLineNumbersShown(false);
    QCOMPARE(view->gutterWidth(), 0); // nothing to show
    view->setLineMarks({{0, LineMark::Kind::Error, "", 1},
                        {10, LineMark::Kind::Error, "", 2},
                        {11, LineMark::Kind::Error, "", 3}});
    QCOMPARE(markedLines(view), QList<int>{10});
    // The mark column shows while there are marks, numbers or not.
    QCOMPARE(view->gutterWidth(), LineGutterMetrics::width(10, digitWidth(view), false));
    QVERIFY(view->gutter()->isVisibleTo(view));
}

void tst_LineMarks::lineNumbersCommandSwitchesEveryViewAndIsKept()
{
    auto *aids = new EditorAids(m_f->frame.get());
    CQvasmView *first = tenLines("a.asm");
    CQvasmView *second = tenLines("b.asm");
    aids->attach(first);
    aids->attach(second);
    QVERIFY(first->lineNumbersShown());

    QVERIFY(m_f->frame->router().dispatch(ID_VIEW_LINE_NUMBERS));
    QVERIFY(!first->lineNumbersShown());
    QVERIFY(!second->lineNumbersShown());
    QCOMPARE(second->gutterWidth(), 0);
    QCOMPARE(SettingsStore::instance().readInt("Settings", "linenumbers", 1), 0);
    QVERIFY(!*m_f->frame->router().query(ID_VIEW_LINE_NUMBERS).checked());

    QVERIFY(m_f->frame->router().dispatch(ID_VIEW_LINE_NUMBERS));
    QVERIFY(first->lineNumbersShown());
    QVERIFY(second->gutterWidth() > 0);
    QCOMPARE(SettingsStore::instance().readInt("Settings", "linenumbers", 0), 1);
}

void tst_LineMarks::viewsStartWithTheStoredChoice()
{
    SettingsStore::instance().writeInt("Settings", "linenumbers", 0);
    auto *aids = new EditorAids(m_f->frame.get());
    CQvasmView *view = tenLines();
    aids->attach(view);
    QVERIFY(!aids->lineNumbersShown());
    QVERIFY(!view->lineNumbersShown());
    QCOMPARE(view->gutterWidth(), 0);
}

QTEST_MAIN(tst_LineMarks)
#include "tst_linemarks.moc"
