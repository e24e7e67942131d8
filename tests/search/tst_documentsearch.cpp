#include "frame/FindState.h"
#include "search/DocumentSearch.h"
#include "search/GoToLine.h"

#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <climits>

using namespace DocumentSearch;
Q_DECLARE_METATYPE(DocumentSearch::Outcome)

// Find, Find Next, Replace and Replace All on a bare text document; the starting text of the
// dialogs; Go To's number.
class tst_DocumentSearch : public QObject
{
    Q_OBJECT

private slots:
    void startingText_data();
    void startingText();
    void direction_data();
    void direction();
    void find_data();
    void find();
    void replaceReplacesAnySelectionThenFinds();
    void replaceWithoutSelectionOnlyFinds();
    void replaceAll_data();
    void replaceAll();
    void replaceAllIsOneUndoStep();
    void goToNumber_data();
    void goToNumber();
    void goToBlock_data();
    void goToBlock();
};

void tst_DocumentSearch::startingText_data()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<bool>("comboSelected");
    QTest::addColumn<int>("typed");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("expected");

    QTest::newRow("selection-wins-over-untouched-combo") << "old" << false << 0 << "mov"
                                                         << "mov";
    QTest::newRow("typed-combo-wins-over-selection") << "new" << false << 1 << "mov"
                                                     << "new";
    QTest::newRow("selected-combo-text-wins") << "new" << true << 0 << "mov"
                                              << "new";
    QTest::newRow("no-selection-takes-combo") << "old" << false << 0 << ""
                                              << "old";
    QTest::newRow("line-breaks-removed") << "" << false << 0 << "a\r\nb\nc"
                                         << "abc";
    // What QTextCursor::selectedText() gives for a selection over two lines.
    QTest::newRow("paragraph-separator-removed")
        << "" << false << 0 << QString("mov ax" + QString(QChar::ParagraphSeparator) + "int")
        << "mov axint";
}

void tst_DocumentSearch::startingText()
{
    QFETCH(QString, combo);
    QFETCH(bool, comboSelected);
    QFETCH(int, typed);
    QFETCH(QString, selection);
    QFETCH(QString, expected);
    FindState state;
    state.findTextTyped = typed;
    QCOMPARE(takeStartingText(state, combo, comboSelected, selection), expected);
    QCOMPARE(state.findTextTyped, 0);
}

void tst_DocumentSearch::direction_data()
{
    QTest::addColumn<bool>("allowReverse");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("forceForward");
    QTest::addColumn<bool>("backward");
    QTest::newRow("find-next-shift") << true << true << false << true;
    QTest::newRow("find-next-no-shift") << true << false << false << false;
    QTest::newRow("dialog-shift") << false << true << false << false;
    QTest::newRow("forced-forward") << true << true << true << false;
}

void tst_DocumentSearch::direction()
{
    QFETCH(bool, allowReverse);
    QFETCH(bool, shift);
    QFETCH(bool, forceForward);
    QFETCH(bool, backward);
    QCOMPARE(runsBackward(allowReverse, shift, forceForward), backward);
}

void tst_DocumentSearch::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("start");

    const QString two = "mov ax,1\nmov bx,ax\n";
    QTest::newRow("forward-after-selection")
        << two << "ax" << false << false << 0 << 0 << false << Outcome::Found << 4;
    QTest::newRow("forward-skips-selected-occurrence")
        << two << "ax" << false << false << 4 << 6 << false << Outcome::Found << 16;
    QTest::newRow("forward-wraps-from-end")
        << two << "mov bx" << false << false << 18 << 18 << false << Outcome::Wrapped << 9;
    QTest::newRow("forward-only-occurrence-selected-wraps-to-it")
        << "xx ab yy"
        << "ab" << false << false << 3 << 5 << false << Outcome::Wrapped << 3;
    QTest::newRow("forward-none") << two << "cx" << false << false << 0 << 0 << false
                                  << Outcome::NotFound << -1;
    QTest::newRow("empty-text-finds-nothing")
        << two << "" << false << false << 0 << 0 << false << Outcome::NotFound << -1;
    QTest::newRow("case-blind") << two << "MOV BX" << false << false << 0 << 0 << false
                                << Outcome::Found << 9;
    QTest::newRow("match-case") << two << "MOV" << true << false << 0 << 0 << false
                                << Outcome::NotFound << -1;
    QTest::newRow("whole-word-not-inside-eax")
        << "mov eax,1\nax_1 db 0\nmov ax,bx"
        << "ax" << false << true << 0 << 0 << false << Outcome::Found << 24;
    QTest::newRow("whole-word-dot-is-word-char")
        << ".ax ax"
        << "ax" << false << true << 0 << 0 << false << Outcome::Found << 4;
    QTest::newRow("whole-word-at-document-edges")
        << "ax"
        << "ax" << false << true << 0 << 0 << false << Outcome::Found << 0;
    QTest::newRow("backward-nearest-above-not-first")
        << "ab ab ab ab"
        << "ab" << false << false << 9 << 11 << true << Outcome::Found << 6;
    QTest::newRow("backward-wraps-to-only-occurrence-below")
        << "xx yy ab"
        << "ab" << false << false << 0 << 0 << true << Outcome::Wrapped << 6;
    // An occurrence ending where the selection starts lies above it.
    QTest::newRow("backward-adjacent-occurrence")
        << "abab"
        << "ab" << false << false << 2 << 4 << true << Outcome::Found << 0;
    // The nearest start above the caret, though it overlaps an earlier occurrence.
    QTest::newRow("backward-overlapping-occurrences")
        << "aaaa"
        << "aa" << false << false << 4 << 4 << true << Outcome::Found << 2;
    QTest::newRow("backward-over-lines")
        << two << "mov" << false << false << 18 << 18 << true << Outcome::Found << 9;
    QTest::newRow("backward-none")
        << two << "cx" << false << false << 5 << 5 << true << Outcome::NotFound << -1;
}

void tst_DocumentSearch::find()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(bool, backward);
    QFETCH(Outcome, outcome);
    QFETCH(int, start);
    QTextDocument doc(text);
    const Result r
        = DocumentSearch::find(doc, find, selStart, selEnd, {matchCase, wholeWord}, backward);
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.start, start);
    if (start >= 0)
        QCOMPARE(r.end, start + int(find.size()));
}

void tst_DocumentSearch::replaceReplacesAnySelectionThenFinds()
{
    QTextDocument doc("one two ax three ax");
    QTextCursor cursor(&doc);
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor); // "one" is no occurrence; still replaced
    const Result r = replaceAndFind(cursor, "ax", "bx", {});
    QCOMPARE(doc.toPlainText(), QString("bx two ax three ax"));
    QCOMPARE(r.outcome, Outcome::Found);
    QCOMPARE(cursor.selectedText(), QString("ax"));
    QCOMPARE(cursor.selectionStart(), 7);
}

void tst_DocumentSearch::replaceWithoutSelectionOnlyFinds()
{
    QTextDocument doc("ax bx ax");
    QTextCursor cursor(&doc);
    cursor.setPosition(2);
    const Result r = replaceAndFind(cursor, "ax", "cx", {});
    QCOMPARE(doc.toPlainText(), QString("ax bx ax"));
    QCOMPARE(r.start, 6);
    QCOMPARE(cursor.selectionStart(), 6);
}

void tst_DocumentSearch::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("selected");

    QTest::newRow("all-lines-from-mid-document")
        << "ax\nmov ax,ax\nax"
        << "ax"
        << "bx" << false << 5 << "bx\nmov bx,bx\nbx" << 4 << "bx";
    // Each search would wrap and find the new text again without end.
    QTest::newRow("replace-contains-find") << "ax ax\nax"
                                           << "ax"
                                           << "eax" << false << 0 << "eax eax\neax" << 3 << "eax";
    QTest::newRow("replace-contains-find-whole-word")
        << "ax,ax"
        << "ax"
        << "ax ax" << true << 0 << "ax ax,ax ax" << 2 << "ax ax";
    QTest::newRow("shorter-replacement") << "abcabc\nabc"
                                         << "abc"
                                         << "x" << false << 0 << "xx\nx" << 3 << "x";
    QTest::newRow("empty-replacement") << "a-a-a"
                                       << "a"
                                       << "" << false << 0 << "--" << 3 << "";
    // The search after a replacement sees the replaced text before the next occurrence: "+"
    // is no word character, where the "x" it replaced was one.
    QTest::newRow("whole-word-sees-replaced-text") << "+x+x"
                                                   << "+x"
                                                   << "+" << true << 0 << "++" << 2 << "+";
    QTest::newRow("none") << "mov"
                          << "ax"
                          << "bx" << false << 0 << "mov" << 0 << "";
}

void tst_DocumentSearch::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(bool, wholeWord);
    QFETCH(int, caret);
    QFETCH(QString, expected);
    QFETCH(int, count);
    QFETCH(QString, selected);
    QTextDocument doc(text);
    QTextCursor cursor(&doc);
    cursor.setPosition(caret);
    QCOMPARE(DocumentSearch::replaceAll(cursor, find, replace, {false, wholeWord}), count);
    QCOMPARE(doc.toPlainText(), expected);
    QCOMPARE(cursor.selectedText(), selected);
    if (count > 0 && !replace.isEmpty())
        QCOMPARE(cursor.selectionEnd(), int(expected.lastIndexOf(replace) + replace.size()));
}

void tst_DocumentSearch::replaceAllIsOneUndoStep()
{
    QTextDocument doc("ax\nax ax");
    QTextCursor cursor(&doc);
    cursor.insertText("; ");
    QCOMPARE(DocumentSearch::replaceAll(cursor, "ax", "bx", {}), 3);
    QCOMPARE(doc.toPlainText(), QString("; bx\nbx bx"));
    doc.undo();
    QCOMPARE(doc.toPlainText(), QString("; ax\nax ax")); // the earlier edit stays
    doc.undo();
    QCOMPARE(doc.toPlainText(), QString("ax\nax ax"));
}

void tst_DocumentSearch::goToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("digits-then-letters") << "12abc" << 12;
    QTest::newRow("leading-white-space-and-plus") << " \t+7" << 7;
    QTest::newRow("no-digits") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("sign-only") << "-" << 0;
    QTest::newRow("negative-is-zero") << "-5" << 0;
    QTest::newRow("space-after-sign-stops") << "+ 5" << 0;
    QTest::newRow("int-max") << "2147483647" << INT_MAX;
    QTest::newRow("past-int-max-held-there") << "99999999999999999999" << INT_MAX;
}

void tst_DocumentSearch::goToNumber()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QCOMPARE(GoToLine::lineNumber(text), line);
}

void tst_DocumentSearch::goToBlock_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("block");
    QTest::newRow("zero-does-nothing") << 0 << 10 << -1;
    QTest::newRow("first") << 1 << 10 << 0;
    QTest::newRow("last") << 10 << 10 << 9;
    QTest::newRow("past-end-goes-to-last") << 11 << 10 << 9;
    QTest::newRow("int-max-goes-to-last") << INT_MAX << 10 << 9;
}

void tst_DocumentSearch::goToBlock()
{
    QFETCH(int, line);
    QFETCH(int, blocks);
    QFETCH(int, block);
    QCOMPARE(GoToLine::targetBlock(line, blocks), block);
}

QTEST_GUILESS_MAIN(tst_DocumentSearch)
#include "tst_documentsearch.moc"
