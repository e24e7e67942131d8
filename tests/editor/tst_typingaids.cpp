#include "editor/TypingAids.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The document's text with the selection marked: [ anchor-or-start, ] end; | a bare caret.
QString marked(const QTextCursor &cursor)
{
    QString text = cursor.document()->toPlainText();
    if (!cursor.hasSelection())
        return text.insert(cursor.position(), u'|');
    text.insert(cursor.selectionEnd(), u']');
    return text.insert(cursor.selectionStart(), u'[');
}

// A cursor on a document built from marked text (the reverse of marked()).
QTextCursor cursorFor(QTextDocument &doc, QString text)
{
    const qsizetype caret = text.indexOf(u'|');
    qsizetype start = caret, end = caret;
    if (caret >= 0) {
        text.remove(caret, 1);
    } else {
        start = text.indexOf(u'[');
        text.remove(start, 1);
        end = text.indexOf(u']');
        text.remove(end, 1);
    }
    doc.setPlainText(text);
    QTextCursor cursor(&doc);
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

class tst_TypingAids : public QObject
{
    Q_OBJECT

private slots:
    void tab_data();
    void tab();
    void enterKeepsIndentation_data();
    void enterKeepsIndentation();
    void backspaceAfterAutoIndent_data();
    void backspaceAfterAutoIndent();
};

void tst_TypingAids::tab_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("tabstops");
    QTest::addColumn<bool>("spaces");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("after");

    QTest::newRow("one-line-four-blanks") << "mov| ax" << 4 << true << false << "mov    | ax";
    QTest::newRow("one-line-tab") << "mov| ax" << 4 << false << false << "mov\t| ax";
    QTest::newRow("one-line-replaces-selection") << "m[ov] ax" << 2 << true << false << "m  | ax";
    QTest::newRow("one-line-zero-inserts-nothing") << "a|b" << 0 << true << false << "a|b";
    QTest::newRow("one-line-shift-outdents") << "  \tmov| ax" << 4 << true << true << "mov| ax";
    QTest::newRow("block-ending-at-line-start")
        << "l1\n[l2\nl3\nl4\n]l5" << 2 << true << false << "l1\n[  l2\n  l3\n  l4\n]l5";
    QTest::newRow("block-with-tabs") << "[a\nb]" << 2 << false << false << "[\ta\n\tb]";
    QTest::newRow("block-to-last-line") << "x\n[a\nb]c" << 1 << true << false << "x\n[ a\n bc]";
    QTest::newRow("block-outdent")
        << "[  \tmov ax\nx\n    y\n\tz\n]" << 4 << true << true << "[mov ax\nx\ny\nz\n]";
    QTest::newRow("block-outdent-stops-at-text") << "[ a\n  b]" << 1 << true << true << "[a\n b]";
}

void tst_TypingAids::tab()
{
    QFETCH(QString, before);
    QFETCH(int, tabstops);
    QFETCH(bool, spaces);
    QFETCH(bool, shift);
    QFETCH(QString, after);
    QTextDocument doc;
    QTextCursor cursor = cursorFor(doc, before);
    TypingAids::tab(cursor, {tabstops, spaces}, shift);
    QCOMPARE(marked(cursor), after);
    // A block indent is one undo step.
    doc.undo();
    QCOMPARE(doc.toPlainText(), QString(before).remove(u'|').remove(u'[').remove(u']'));
}

void tst_TypingAids::enterKeepsIndentation_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("indented");

    // clang-format off
    QTest::newRow("tabs") << "\t\tmov ax,bx|" << "\t\tmov ax,bx\n\t\t|" << true;
    QTest::newRow("mid-line") << "  mov| ax" << "  mov\n  | ax" << true;
    QTest::newRow("caret-inside-indentation") << "    |  mov" << "    \n    |  mov" << true;
    QTest::newRow("no-indentation") << "mov|" << "mov\n|" << false;
    QTest::newRow("replaces-selection") << "  a[bc]d" << "  a\n  |d" << true;
    QTest::newRow("selection-over-lines") << "  a[b\nc]d" << "  a\n  |d" << true;
    // clang-format on
}

void tst_TypingAids::enterKeepsIndentation()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, indented);
    QTextDocument doc;
    QTextCursor cursor = cursorFor(doc, before);
    QCOMPARE(TypingAids::enter(cursor), indented);
    QCOMPARE(marked(cursor), after);
    doc.undo();
    QCOMPARE(doc.toPlainText(), QString(before).remove(u'|').remove(u'[').remove(u']'));
}

void tst_TypingAids::backspaceAfterAutoIndent_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("used");
    QTest::addColumn<QString>("after");

    QTest::newRow("blanks-go-at-once") << "mov\n    |" << true << "mov\n|";
    QTest::newRow("tab-before-caret-deletes-nothing") << "mov\n\t\t|" << true << "mov\n\t\t|";
    QTest::newRow("after-moving-left") << "mov\n   | " << true << "mov\n| ";
    QTest::newRow("at-line-start") << "mov\n|x" << true << "mov\n|x";
    QTest::newRow("selection-is-left-to-backspace") << "mov\n [  ]" << false << "mov\n [  ]";
}

void tst_TypingAids::backspaceAfterAutoIndent()
{
    QFETCH(QString, before);
    QFETCH(bool, used);
    QFETCH(QString, after);
    QTextDocument doc;
    QTextCursor cursor = cursorFor(doc, before);
    QCOMPARE(TypingAids::backspaceAfterAutoIndent(cursor), used);
    QCOMPARE(marked(cursor), after);
}

QTEST_MAIN(tst_TypingAids)
#include "tst_typingaids.moc"
