#include "build/CMyView.h"
#include "build/SourceNavigator.h"

#include "TestFiles.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

// The output pane: what writers append, how it scrolls, and where a double-click leads.
class tst_OutputPane : public QObject
{
    Q_OBJECT

private slots:
    void appendsGoToTheEndAndNeverIntoUndo();
    void wheelScrollsOneLineMore();
    void doubleClickFollowsFileLines_data();
    void doubleClickFollowsFileLines();
    void doubleClickSelectsTheClickedLine();
    void caretGoesToTheLine_data();
    void caretGoesToTheLine();

private:
    QTemporaryDir m_dir;
};

void tst_OutputPane::appendsGoToTheEndAndNeverIntoUndo()
{
    CMyView pane;
    QVERIFY(pane.isReadOnly());
    const QString big = QString(40000, QLatin1Char('y')) + QStringLiteral("\r\n ");
    pane.Append(QStringLiteral("  first\r\n "), 10); // leading blanks and the last character go
    // A caret the user put back at the start must not split what comes next.
    QTextCursor start(pane.document());
    pane.setTextCursor(start);
    pane.Append(big, big.size());
    QCOMPARE(pane.toPlainText(), QStringLiteral("first\n") + QString(40000, 'y') + '\n');
    QVERIFY(!pane.document()->isUndoAvailable());
    QCOMPARE(pane.textCursor().position(), pane.document()->characterCount() - 1);
}

void tst_OutputPane::wheelScrollsOneLineMore()
{
    QStringList lines;
    for (int i = 0; i < 500; ++i)
        lines << QStringLiteral("line %1").arg(i);
    const auto scrolledBy = [&](QPlainTextEdit &edit, int delta) {
        edit.resize(300, 120);
        edit.setPlainText(lines.join('\n'));
        edit.verticalScrollBar()->setValue(200);
        const QPoint at(50, 50);
        QWheelEvent wheel(at,
                          edit.viewport()->mapToGlobal(at),
                          QPoint(),
                          QPoint(0, delta),
                          Qt::NoButton,
                          Qt::NoModifier,
                          Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(edit.viewport(), &wheel);
        return edit.verticalScrollBar()->value() - 200;
    };
    CMyView pane;
    QPlainTextEdit plain;
    plain.setFont(pane.font());
    const int down = scrolledBy(plain, -120);
    const int up = scrolledBy(plain, 120);
    QVERIFY(down > 0 && up < 0);
    QCOMPARE(scrolledBy(pane, -120), down + 1); // towards the user: down
    QCOMPARE(scrolledBy(pane, 120), up - 1);
}

void tst_OutputPane::doubleClickFollowsFileLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("number");

    const QString prog = m_dir.filePath("prog.asm");
    const QString paren = m_dir.filePath("my (old) prog.asm");
    QTest::newRow("assembler line") << "\t" + prog + " (9999):  error 22h x" << 1 << prog << 9999;
    QTest::newRow("parentheses in the path") << paren + " (4):  diag 76h" << 1 << paren << 4;
    QTest::newRow("first line is never followed") << prog + "(12)" << 0 << "" << 0;
    QTest::newRow("file does not exist") << m_dir.filePath("gone.asm") + "(3)" << 1 << "" << 0;
    QTest::newRow("number past the 256th character")
        << prog + QString(300, ' ') + "(5)" << 1 << "" << 0;
}

void tst_OutputPane::doubleClickFollowsFileLines()
{
    QFETCH(QString, line);
    QFETCH(int, block);
    QFETCH(QString, file);
    QFETCH(int, number);
    QVERIFY(writeFileBytes(m_dir.filePath("prog.asm"), "x\r\n"));
    QVERIFY(writeFileBytes(m_dir.filePath("my (old) prog.asm"), "x\r\n"));

    CMyView pane;
    QList<NavigableLine::Location> opened;
    pane.setNavigator([&](const NavigableLine::Location &l) {
        opened << l;
        return true;
    });
    const QString text = block == 0 ? line + "\nsecond" : "banner\n" + line;
    pane.setPlainText(text);
    QCOMPARE(pane.navigateFromBlock(block), !file.isEmpty());
    if (file.isEmpty()) {
        QVERIFY(opened.isEmpty());
    } else {
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).file, file);
        QCOMPARE(opened.at(0).line, number);
    }
}

void tst_OutputPane::doubleClickSelectsTheClickedLine()
{
    QVERIFY(writeFileBytes(m_dir.filePath("prog.asm"), "x\r\n"));
    CMyView pane;
    pane.resize(500, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    int calls = 0;
    pane.setNavigator([&](const NavigableLine::Location &) { return ++calls > 0; });
    const QString error = m_dir.filePath("prog.asm") + "(2): error";
    pane.setPlainText("Searching for 'x'\n" + error + "\nlast");

    const QTextBlock second = pane.document()->findBlockByNumber(1);
    const QRect at = pane.cursorRect(QTextCursor(second));
    QTest::mouseDClick(pane.viewport(), Qt::LeftButton, Qt::NoModifier, at.center() + QPoint(4, 0));
    QCOMPARE(calls, 1);
    QCOMPARE(pane.textCursor().selectedText(), error);

    const QRect first = pane.cursorRect(QTextCursor(pane.document()->firstBlock()));
    QTest::mouseDClick(pane.viewport(),
                       Qt::LeftButton,
                       Qt::NoModifier,
                       first.center() + QPoint(4, 0));
    QCOMPARE(calls, 1);
    QCOMPARE(pane.textCursor().selectedText(), QStringLiteral("Searching for 'x'"));
}

void tst_OutputPane::caretGoesToTheLine_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("selected");

    QTest::newRow("caret only") << 2 << int(SourceNavigator::CaretOnly) << 1 << "";
    QTest::newRow("whole line selected") << 2 << int(SourceNavigator::SelectLine) << 1 << "  two";
    QTest::newRow("beyond the end means the last line")
        << 9999 << int(SourceNavigator::CaretOnly) << 2 << "";
}

void tst_OutputPane::caretGoesToTheLine()
{
    QFETCH(int, line);
    QFETCH(int, mode);
    QFETCH(int, block);
    QFETCH(QString, selected);
    QPlainTextEdit editor;
    editor.setPlainText("one\n  two\nthree");
    SourceNavigator::placeCaret(&editor, line, SourceNavigator::Mode(mode));
    QCOMPARE(editor.textCursor().block().blockNumber(), block);
    QCOMPARE(editor.textCursor().selectionStart(), editor.textCursor().block().position());
    QCOMPARE(editor.textCursor().selectedText(), selected);
}

QTEST_MAIN(tst_OutputPane)
#include "tst_outputpane.moc"
