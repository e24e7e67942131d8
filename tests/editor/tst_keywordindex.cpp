#include "editor/KeywordIndex.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class tst_KeywordIndex : public QObject
{
    Q_OBJECT

private slots:
    void builtInListsHaveTheirSizesAndNoSharedEntries();
    void matching_data();
    void matching();
    void laterDefinitionReplacesEarlier();
    void entriesAreSplitAtCommasOnly();
    void keywordFile_data();
    void keywordFile();
    void quotesAndSemicolonNeverStartKeywords();
};

void tst_KeywordIndex::builtInListsHaveTheirSizesAndNoSharedEntries()
{
    const QStringList directives = KeywordIndex::builtInDirectives();
    const QStringList instructions = KeywordIndex::builtInInstructions();
    const QStringList registers = KeywordIndex::builtInRegisters();
    QCOMPARE(directives.size(), 86);
    QCOMPARE(instructions.size(), 400);
    QCOMPARE(registers.size(), 54);

    QSet<QString> all;
    for (const QStringList *list : {&directives, &instructions, &registers}) {
        for (const QString &k : *list) {
            QVERIFY2(!k.isEmpty() && k == k.toLower() && !k.contains(u' '), qPrintable(k));
            QVERIFY2(!all.contains(k), qPrintable(k));
            all.insert(k);
        }
    }
    const KeywordIndex index = KeywordIndex::withBuiltIns();
    QCOMPARE(index.size(), 540);
    for (int rank = 0; rank < index.size(); ++rank) {
        const QString k = index.text(rank);
        const int expected = directives.contains(k)     ? KeywordIndex::Directives
                             : instructions.contains(k) ? KeywordIndex::Instructions
                                                        : KeywordIndex::Registers;
        QCOMPARE(index.category(rank), expected);
        if (rank > 0)
            QVERIFY(index.text(rank - 1) < k);
    }
    // The word of a comment block takes the colour of the entry that sorts first.
    QCOMPARE(index.text(0), QString("%day"));
    QCOMPARE(index.firstCategory(), int(KeywordIndex::Directives));
}

void tst_KeywordIndex::matching_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("category");

    const int D = KeywordIndex::Directives, I = KeywordIndex::Instructions,
              R = KeywordIndex::Registers;
    QTest::newRow("whole-word") << "mov ax" << 0 << 3 << I;
    QTest::newRow("upper-case-text") << "MOV" << 0 << 3 << I;
    QTest::newRow("at-end-of-text") << "x ax" << 2 << 2 << R;
    QTest::newRow("followed-by-non-delimiter") << "mov2" << 0 << 0 << -1;
    QTest::newRow("colon-belongs-to-word") << "cs:[bx]" << 0 << 3 << D;
    QTest::newRow("segment-register-alone") << "cs," << 0 << 2 << R;
    QTest::newRow("st-sorts-before-st(0)") << "st(0)" << 0 << 2 << D;
    QTest::newRow("st-alone") << "st " << 0 << 2 << D;
    QTest::newRow("prefix-is-not-enough") << "alld" << 0 << 4 << R;
    QTest::newRow("dot-directive") << ".model tiny" << 0 << 6 << D;
    QTest::newRow("percent-directive") << "%out(x)" << 0 << 4 << D;
    QTest::newRow("non-ascii-after") << "movä" << 0 << 0 << -1;
    QTest::newRow("nul-is-a-delimiter") << QString::fromUtf16(u"mov\0x", 5) << 0 << 3 << I;
    QTest::newRow("very-long-word") << QString("mov") + QString(100000, u'a') << 0 << 0 << -1;
}

void tst_KeywordIndex::matching()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(int, length);
    QFETCH(int, category);
    const KeywordIndex index = KeywordIndex::withBuiltIns();
    const KeywordIndex::Match m = index.matchAt(text, position);
    QCOMPARE(m.length, length);
    if (length > 0)
        QCOMPARE(m.category, category);
}

void tst_KeywordIndex::laterDefinitionReplacesEarlier()
{
    KeywordIndex index = KeywordIndex::withBuiltIns();
    QCOMPARE(index.addKeywords(u"mov,newword", KeywordIndex::Directives), 2);
    QCOMPARE(index.size(), 541);
    QCOMPARE(index.matchAt(u"mov", 0).category, int(KeywordIndex::Directives));
    QCOMPARE(index.matchAt(u"newword", 0).length, 7);
    // Within one call, too, the last of equal entries wins.
    index.addKeywords(u"twice,twice", KeywordIndex::Registers);
    index.addKeywords(u"twice", KeywordIndex::Symbols);
    QCOMPARE(index.size(), 542);
    QCOMPARE(index.matchAt(u"twice", 0).category, int(KeywordIndex::Symbols));
    // Categories are 0 to 3.
    QCOMPARE(index.addKeywords(u"bad", 4), 0);
    QCOMPARE(index.matchAt(u"bad", 0).length, 0);
}

void tst_KeywordIndex::entriesAreSplitAtCommasOnly()
{
    KeywordIndex index;
    // Empty entries are dropped; a CR could only ever match across a line end.
    QCOMPARE(index.addKeywords(u",two words,,tab\tin,trail ,line\nbreak,cr\rx,Upper,", 0), 5);
    QCOMPARE(index.size(), 5);
    // An entry with a blank matches only where the text holds that blank too.
    QCOMPARE(index.matchAt(u"two words", 0).length, 9);
    QCOMPARE(index.matchAt(u"two  words", 0).length, 0);
    QCOMPARE(index.matchAt(u"tab\tin;", 0).length, 6);
    // Matching lowers the text, not the entry.
    QCOMPARE(index.matchAt(u"upper", 0).length, 0);
    QCOMPARE(index.matchAt(u"Upper", 0).length, 0);
    QCOMPARE(index.matchAt(u"line\nbreak", 0).length, 10);
}

void tst_KeywordIndex::keywordFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");

    QTest::newRow("plain") << QByteArray("myproc,mymacro") << "mymacro" << 7;
    QTest::newRow("crlf-read-as-text") << QByteArray("first,\r\nsecond") << "second" << 0;
    QTest::newRow("blank-after-comma") << QByteArray("a1, b1") << "b1" << 0;
    QTest::newRow("windows-1252-byte") << QByteArray("caf\xe9") << QString("caf\u00e9") << 4;
    QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9") << QString("caf\u00e9") << 4;
    QTest::newRow("upper-case-never-matches") << QByteArray("MyProc") << "myproc" << 0;
}

void tst_KeywordIndex::keywordFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(int, length);
    QTemporaryDir dir;
    const QString path = dir.filePath("userdat.dat");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();

    KeywordIndex index = KeywordIndex::withBuiltIns();
    QVERIFY(index.addKeywordFile(path) > 0);
    const KeywordIndex::Match m = index.matchAt(text, 0);
    QCOMPARE(m.length, length);
    if (length)
        QCOMPARE(m.category, int(KeywordIndex::Directives));

    KeywordIndex untouched = KeywordIndex::withBuiltIns();
    QCOMPARE(untouched.addKeywordFile(dir.filePath("missing.dat")), -1);
    QCOMPARE(untouched.size(), 540);
}

void tst_KeywordIndex::quotesAndSemicolonNeverStartKeywords()
{
    KeywordIndex index = KeywordIndex::withBuiltIns();
    index.addKeywords(u"'q,;rem,\"dq", KeywordIndex::Directives);
    QVERIFY(!index.startsKeyword(u'\''));
    QVERIFY(!index.startsKeyword(u';'));
    QVERIFY(!index.startsKeyword(u'"'));
    QVERIFY(index.startsKeyword(u'm'));
    QVERIFY(!index.startsKeyword(u'M')); // callers ask with the lower-cased character
}

QTEST_GUILESS_MAIN(tst_KeywordIndex)
#include "tst_keywordindex.moc"
