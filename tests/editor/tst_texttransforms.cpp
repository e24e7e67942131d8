#include "editor/TextTransforms.h"

#include <QTest>

class tst_TextTransforms : public QObject
{
    Q_OBJECT

private slots:
    void caseKeepsLength_data();
    void caseKeepsLength();
    void tabs_data();
    void tabs();
    void trailingBlanks_data();
    void trailingBlanks();
    void hexDump_data();
    void hexDump();
    void commentBlock_data();
    void commentBlock();
};

void tst_TextTransforms::caseKeepsLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    const QString lone(QChar(0xD801));
    // clang-format off
    QTest::newRow("mnemonics") << "MOV AX,bx ; 10h" << "MOV AX,BX ; 10H" << "mov ax,bx ; 10h";
    QTest::newRow("latin-1") << QString("\u00e4\u00c4\u00ff") << QString("\u00c4\u00c4\u0178")
                             << QString("\u00e4\u00e4\u00ff");
    // Full case mapping would turn the sharp s into SS and shift the selection.
    QTest::newRow("sharp-s-stays") << QString("stra\u00dfe") << QString("STRA\u00dfE")
                                   << QString("stra\u00dfe");
    QTest::newRow("supplementary") << QString::fromUcs4(U"\U00010428x")
                                   << QString::fromUcs4(U"\U00010400X") << QString::fromUcs4(U"\U00010428x");
    QTest::newRow("lone-surrogate") << lone + "a" << lone + "A" << lone + "a";
    // clang-format on
}

void tst_TextTransforms::caseKeepsLength()
{
    QFETCH(QString, text);
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QCOMPARE(TextTransforms::toUpper(text), upper);
    QCOMPARE(TextTransforms::toLower(text), lower);
}

void tst_TextTransforms::tabs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("tabstops");
    QTest::addColumn<QString>("tabified");
    QTest::addColumn<QString>("untabified");

    // clang-format off
    QTest::newRow("eight-blanks-two-tabs") << "        x   y" << 4 << "\t\tx   y" << "        x   y";
    QTest::newRow("tab-ignores-column") << "ab\tc" << 4 << "ab\tc" << "ab    c";
    QTest::newRow("width-capped-at-16") << "\t" << 20 << "\t" << QString(16, u' ');
    QTest::newRow("zero-changes-nothing") << "  \t  " << 0 << "  \t  " << "  \t  ";
    QTest::newRow("width-one") << " a \t" << 1 << "\ta\t\t" << " a  ";
    // clang-format on
}

void tst_TextTransforms::tabs()
{
    QFETCH(QString, text);
    QFETCH(int, tabstops);
    QFETCH(QString, tabified);
    QFETCH(QString, untabified);
    QCOMPARE(TextTransforms::tabify(text, tabstops), tabified);
    QCOMPARE(TextTransforms::untabify(text, tabstops), untabified);
}

void tst_TextTransforms::trailingBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cleaned");
    QTest::addColumn<int>("changed");

    // clang-format off
    QTest::newRow("only-the-first-of-three") << "abc   \n      \ndef" << "abc\n      \ndef" << 1;
    QTest::newRow("tabs-are-not-blanks") << "abc\t\nx \t" << "abc\t\nx \t" << 0;
    QTest::newRow("blanks-before-tab-stay") << "a \t  " << "a \t" << 1;
    QTest::newRow("last-line-without-break") << "a\nb  " << "a\nb" << 1;
    // clang-format on
    // A line past any line buffer is cut at its end only.
    QTest::newRow("long-line") << QString(5000, u'x') + "   " << QString(5000, u'x') << 1;
}

void tst_TextTransforms::trailingBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, cleaned);
    QFETCH(int, changed);
    int changedLines = -1;
    QCOMPARE(TextTransforms::cleanTrailingBlanks(text, &changedLines), cleaned);
    QCOMPARE(changedLines, changed);
}

void tst_TextTransforms::hexDump_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty-file") << QByteArray() << QString();
    QTest::newRow("three-bytes") << QByteArray(
        "\x48\x69\x0a") << "  db    48h,  69h,  0Ah " + QString(78, u' ') + " ;  Hi\u00b7\n";
    QTest::newRow("high-bytes-start-with-zero")
        << QByteArray("\xff\x41\x09\x9f\xa0\xb7", 6)
        << "  db   0FFh,  41h,  09h,  9Fh, 0A0h, 0B7h " + QString(60, u' ')
               + " ;  \u00b7A\u00b7\u00b7\u00b7\u00b7\n";
    // Both ends of the printable range, and the bytes just outside it.
    QTest::newRow("printable-range-ends")
        << QByteArray("\x1f\x20\x7e\x7f", 4)
        << "  db    1Fh,  20h,  7Eh,  7Fh " + QString(72, u' ') + " ;  \u00b7 ~\u00b7\n";
    const QByteArray sixteen = "0123456789:;<=>?";
    const QString full
        = "  db    30h,  31h,  32h,  33h,  34h,  35h,  36h,  37h,  38h,  39h,  3Ah,  3Bh,"
          "  3Ch,  3Dh,  3Eh,  3Fh  ;  0123456789:;<=>?\n";
    QTest::newRow("sixteen-bytes-one-line") << sixteen << full;
    QTest::newRow("seventeen-bytes-two-lines")
        << sixteen + QByteArray("\x00", 1)
        << full + "  db    00h " + QString(15 * 6, u' ') + " ;  \u00b7\n";
}

void tst_TextTransforms::hexDump()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString dump = TextTransforms::hexDump(bytes);
    QCOMPARE(dump, expected);
    for (const QString &line : dump.split(u'\n', Qt::SkipEmptyParts))
        QCOMPARE(line.indexOf(" ;  "), 6 + 16 * 6); // the comment column lines up
}

void tst_TextTransforms::commentBlock_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("closer");

    // clang-format off
    QTest::newRow("first-free-in-order") << "~`_!@#$%" << "^";
    QTest::newRow("only-plus-left") << "~`_!@#$%^&{}=*/<>-" << "+";
    QTest::newRow("all-used") << "~`_!@#$%^&{}=*/<>-+" << "";
    // clang-format on
}

void tst_TextTransforms::commentBlock()
{
    QFETCH(QString, selection);
    QFETCH(QString, closer);
    const TextTransforms::CommentBlock block = TextTransforms::commentBlock(selection);
    // The refusal's message is checked where the command shows it.
    QCOMPARE(block.ok, !closer.isEmpty());
    if (!block.ok)
        return;
    QCOMPARE(QString(block.closer), closer);
    QCOMPARE(block.opening, "comment " + closer + " \n");
    QCOMPARE(block.closing, "\n" + closer + "\n");
    // The opening line is eleven characters, as the closing position after it assumes.
    QCOMPARE(block.opening.size(), 11);
}

QTEST_GUILESS_MAIN(tst_TextTransforms)
#include "tst_texttransforms.moc"
