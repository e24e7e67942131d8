#include "make/BuildOutput.h"
#include "make/BuildState.h"
#include "make/ui/CBuildWindowDlg.h"
#include "make/ui/CMyView.h"

#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

// Where a build's output shows: the output pane (what writers append, how it scrolls, where a
// double-click leads) and the Build Window over a capture (what it lists and totals, which row it
// selects, what its buttons and the list's double-click do). Reading a capture is the parser's
// test.
class tst_OutputViews : public QObject
{
    Q_OBJECT

private slots:
    void appendsGoToTheEndAndNeverIntoUndo();
    void wheelScrollsOneLineMore();
    void linesInViewAreColouredByKind();
    void runOutputShowsItsFirstErrorAndStaysThere_data();
    void runOutputShowsItsFirstErrorAndStaysThere();
    void doubleClickFollowsFileLines_data();
    void doubleClickFollowsFileLines();
    void doubleClickSelectsTheClickedLine();
    void listsAndTotalsTheCaptureAndCloseKeepsThem();
    void capturesLengthIsReDerived();
    void buttonsFollowTheSelectedRow();
    void goToAndDoubleClickKeepTheSelection();

private:
    static QString boxText(const CBuildWindowDlg &dlg, int id);
    QTemporaryDir m_dir;
};

namespace {

const QByteArray kExample = "\r\n"
                            "\tfoo.asm (12):  error 0Ch  x\r\n"
                            "\r\n"
                            "Symbols: 100\r\n"
                            "Errors: 1\r\n"
                            "Diags: 0\r\n";

const QByteArray kThree = "\r\n"
                          "\t/s/a.asm (3):  error 22h Syntax error\r\n"
                          "     mov ax,,\r\n"
                          "\t/s/a.asm (9):   diag 76h Could use SHORT jump\r\n"
                          "\t/s/b.inc (1):  error 9Ah odd\r\n"
                          "\r\n"
                          "Symbol space free: 1234\r\n"
                          "Total errors: 2\r\n"
                          "Total diags: 1\r\n";

} // namespace

void tst_OutputViews::appendsGoToTheEndAndNeverIntoUndo()
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

namespace {

QColor foregroundOf(const QTextBlock &block)
{
    const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
    return formats.isEmpty() ? QColor() : formats.constFirst().format.foreground().color();
}

} // namespace

void tst_OutputViews::linesInViewAreColouredByKind()
{
    CMyView pane;
    pane.resize(500, 300);
    pane.show();
    pane.Clear();
    const QString banner = "-=-=-=-=-=-=-=-=-= Assembling: /s/a.asm -=-=-=-=-=-=-=-=-=\r\n ";
    pane.Append(banner, banner.size());
    const QByteArray capture = "\r\n\t/s/a.asm (2):  error 22h Syntax error\r\n  mov ax,\r\n"
                               "\t/s/a.asm (4):   diag 76h Could use SHORT jump\r\n\r\n"
                               "Total errors: 1\r\n";
    pane.AppendCapture(capture, capture.size() - 1);
    pane.AppendStream(u"/s/b.asm(3): found\n");
    QTRY_VERIFY(foregroundOf(pane.document()->findBlockByNumber(1)).isValid());

    const QTextDocument *text = pane.document();
    const QColor heading = foregroundOf(text->findBlockByNumber(0));
    const QColor error = foregroundOf(text->findBlockByNumber(1));
    const QColor diag = foregroundOf(text->findBlockByNumber(3));
    const QColor hit = foregroundOf(text->lastBlock());
    QCOMPARE(text->lastBlock().text(), QStringLiteral("/s/b.asm(3): found"));
    QVERIFY(!foregroundOf(text->findBlockByNumber(2)).isValid()); // continuation: plain
    const QSet<QRgb> distinct{heading.rgb(), error.rgb(), diag.rgb(), hit.rgb()};
    QCOMPARE(distinct.size(), 4);
    QVERIFY(error.red() > error.green() && error.red() > error.blue());
}

void tst_OutputViews::runOutputShowsItsFirstErrorAndStaysThere_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("top");

    // The line above the first error shows at the top: the banner when the error comes first.
    QTest::newRow("first error right below the banner") << 0 << 0;
    QTest::newRow("first error after 150 other lines") << 150 << 150;
}

void tst_OutputViews::runOutputShowsItsFirstErrorAndStaysThere()
{
    QFETCH(int, before);
    QFETCH(int, top);
    CMyView pane;
    pane.resize(500, 200);
    pane.show();
    QByteArray capture = "\r\n";
    for (int i = 0; i < before; ++i)
        capture += "note " + QByteArray::number(i) + "\r\n";
    for (int i = 0; i < 300; ++i)
        capture += "\t/s/a.asm (" + QByteArray::number(i + 1) + "):  error 22h Syntax error\r\n";
    pane.Clear();
    pane.Append(u"banner\r\n ", 10);
    pane.AppendCapture(capture, capture.size() - 1);
    QVERIFY(pane.verticalScrollBar()->value() > top); // the appends went to the end

    QCOMPARE(pane.showFirstError(), before + 1);
    QCOMPARE(pane.verticalScrollBar()->value(), top);
    pane.AppendStream(u"post-build output\n");
    QCOMPARE(pane.verticalScrollBar()->value(), top);
    // A new writer scrolls with its text again.
    pane.Clear();
    pane.Append(u"Searching for 'x'\r\n ", 21);
    pane.AppendStream(QString("hit\n").repeated(300));
    QVERIFY(pane.verticalScrollBar()->value() > 0);

    pane.Clear();
    pane.AppendStream(u"no errors here\n");
    QCOMPARE(pane.showFirstError(), -1);
}

void tst_OutputViews::wheelScrollsOneLineMore()
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

void tst_OutputViews::doubleClickFollowsFileLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("number");

    const QString prog = m_dir.filePath("prog.asm");
    const QString paren = m_dir.filePath("my (old) prog.asm");
    QTest::newRow("parentheses in the path") << paren + " (4):  diag 76h" << 1 << paren << 4;
    QTest::newRow("file does not exist") << m_dir.filePath("gone.asm") + "(3)" << 1 << "" << 0;
    QTest::newRow("number past the 256th character")
        << prog + QString(300, ' ') + "(5)" << 1 << "" << 0;
}

void tst_OutputViews::doubleClickFollowsFileLines()
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
    pane.setPlainText("banner\n" + line);
    QCOMPARE(pane.navigateFromBlock(block), !file.isEmpty());
    if (file.isEmpty()) {
        QVERIFY(opened.isEmpty());
    } else {
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).file, file);
        QCOMPARE(opened.at(0).line, number);
    }
}

void tst_OutputViews::doubleClickSelectsTheClickedLine()
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

QString tst_OutputViews::boxText(const CBuildWindowDlg &dlg, int id)
{
    auto *box = dlg.findChild<QLineEdit *>(QStringLiteral("ctl_%1").arg(id));
    return box ? box->text() : QStringLiteral("<none>");
}

void tst_OutputViews::listsAndTotalsTheCaptureAndCloseKeepsThem()
{
    CBuildWindowDlg dlg(BuildOutput::parse(kThree), QStringLiteral("03h"), 1);
    auto *list = dlg.findChild<QListView *>(QStringLiteral("ctl_1036"));
    QCOMPARE(list->model()->rowCount(), 4);
    QVERIFY(!list->model()->index(0, 0).data().toString().contains('\t'));
    QCOMPARE(boxText(dlg, 1040), QStringLiteral("1234"));
    QCOMPARE(boxText(dlg, 1038), QStringLiteral("2"));
    QCOMPARE(boxText(dlg, 1039), QStringLiteral("1"));
    QCOMPARE(boxText(dlg, 1041), QStringLiteral("03h"));
    QCOMPARE(dlg.selectedRow(), 1); // the kept row comes back

    dlg.findChild<QPushButton *>("ctl_2")->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.totalErrors(), 2u);
    QCOMPARE(dlg.totalDiagnostics(), 1u);
    QCOMPARE(dlg.fileName(), QString());
    QCOMPARE(dlg.keptSelection(), 1); // only Go To keeps a selection
}

void tst_OutputViews::capturesLengthIsReDerived()
{
    QByteArray withNul = kExample;
    withNul.insert(kExample.indexOf("Errors"), '\0');
    BuildState state;
    state.storeCapture(withNul);
    state.setCaptureLength(0);
    CBuildWindowDlg dlg(state.readCapture(), QStringLiteral("01h"), -1);
    QCOMPARE(state.captureLength(), quint32(kExample.indexOf("Errors")));
    QCOMPARE(dlg.output().count(), 1);
    QCOMPARE(boxText(dlg, 1040), QStringLiteral("100"));
    QCOMPARE(boxText(dlg, 1038), QStringLiteral("0")); // past the NUL nothing is read
}

void tst_OutputViews::buttonsFollowTheSelectedRow()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    CBuildWindowDlg dlg(BuildOutput::parse(kThree), QStringLiteral("03h"), -1);
    for (int row : {1, 2}) { // a continuation line, then a diagnostic
        dlg.selectRow(row);
        QCOMPARE(dlg.findChild<QPushButton *>("ctl_1")->isEnabled(), row == 2);
        QCOMPARE(dlg.findChild<QPushButton *>("ctl_3")->isEnabled(), row == 2);
        QVERIFY(dlg.findChild<QPushButton *>("ctl_2")->isEnabled());
    }
    // Error Info explains the selected row's code (the texts are the parser's test).
    dlg.findChild<QPushButton *>("ctl_3")->click();
    QVERIFY(prompts.asked().at(0).text.contains("Diag:  76h"));
    QCOMPARE(prompts.asked().at(0).icon, PromptIcon::Information);
    QVERIFY(prompts.allAnswered());
}

void tst_OutputViews::goToAndDoubleClickKeepTheSelection()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    CBuildWindowDlg dlg(BuildOutput::parse(kThree), QStringLiteral("03h"), -1);
    QCOMPARE(dlg.selectedRow(), 3); // a fresh selection is the last row
    QSignalSpy finished(&dlg, &QDialog::finished);
    auto *list = dlg.findChild<QListView *>("ctl_1036");
    // A continuation line is explained, and the window stays.
    emit list->doubleClicked(list->model()->index(1, 0));
    QCOMPARE(prompts.messagesAsked(), QStringList{"Use Main Error line for this error"});
    QCOMPARE(finished.count(), 0);

    emit list->doubleClicked(list->model()->index(0, 0));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(dlg.lineNumber(), 3);
    QCOMPARE(dlg.keptSelection(), 0);

    CBuildWindowDlg again(BuildOutput::parse(kThree), QStringLiteral("03h"), dlg.keptSelection());
    QCOMPARE(again.selectedRow(), 0);
    again.selectRow(2);
    again.findChild<QPushButton *>("ctl_1")->click();
    QCOMPARE(again.result(), int(QDialog::Accepted));
    QCOMPARE(again.fileName(), QStringLiteral("/s/a.asm"));
    QCOMPARE(again.lineNumber(), 9);
    QCOMPARE(again.totalErrors(), 2u);
    QCOMPARE(again.keptSelection(), 2);
    QVERIFY(prompts.allAnswered());
}

QTEST_MAIN(tst_OutputViews)
#include "tst_outputviews.moc"
