#include "TestFiles.h"
#include "editor/KeywordIndex.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class tst_KeywordIndex : public QObject
{
    Q_OBJECT

private slots:
    void builtInListsShareNoEntries();
    void indexFindsWhatTheListWalkFinds();
    void laterDefinitionReplacesEarlier();
    void entriesAreSplitAtCommasOnlyAndNeverStartAtQuotes();
    void keywordFile_data();
    void keywordFile();
};

void tst_KeywordIndex::builtInListsShareNoEntries()
{
    const KeywordIndex index = KeywordIndex::withBuiltIns();
    QCOMPARE(index.size(),
             KeywordIndex::builtInDirectives().size() + KeywordIndex::builtInInstructions().size()
                 + KeywordIndex::builtInRegisters().size());
    // The word of a comment block takes the colour of the entry that sorts first.
    QCOMPARE(index.text(0), QString("%day"));
    QCOMPARE(index.firstCategory(), int(KeywordIndex::Directives));
}

void tst_KeywordIndex::indexFindsWhatTheListWalkFinds()
{
    // The colouring rule reads as a walk of the sorted list: at a word start, the first entry
    // equal to the lower-cased text there with a delimiter after it. Random keyword sets
    // (redefinitions across categories, entries with delimiters inside, upper case, quotes)
    // against that walk.
    static const QStringList extras = {"mov", "ax",  "st(0)", "st",      "a b",        "x(1)",
                                       "-x",  "Foo", "'q",    ";z",      "\"w",        "x",
                                       "xy",  "xyz", "%day",  "!low",    "cs:",        "ä",
                                       "€",   "all", "(",     "tab\tin", "line\nbreak"};
    static const QStringList pieces
        = {"mov", "ax", "st(0)", "st(", " ",  "\t",  ",", "(", ")",  "[",       "]",
           "+",   "-",  "x",     "AL",  "xy", "a b", "ä", "€", "'q", "tab\tin", QString(QChar(0))};
    const auto lower = [](QChar c) { return KeywordIndex::lower(c.unicode()); };
    for (int seed = 1; seed <= 150; ++seed) {
        QRandomGenerator rng(seed);
        KeywordIndex index = KeywordIndex::withBuiltIns();
        for (int k = int(rng.bounded(6)); k > 0; --k) {
            QStringList picked;
            for (int m = int(rng.bounded(5)) + 1; m > 0; --m)
                picked << extras[rng.bounded(int(extras.size()))];
            index.addKeywords(picked.join(u','), int(rng.bounded(4)));
        }
        for (int rank = 1; rank < index.size(); ++rank)
            QVERIFY(index.text(rank - 1) < index.text(rank));
        QString text;
        for (int k = 0; k < 120; ++k)
            text += pieces[rng.bounded(int(pieces.size()))];
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (i > 0 && !KeywordIndex::isDelimiter(text.at(i - 1).unicode()))
                continue;
            KeywordIndex::Match walk;
            for (int rank = 0; rank < index.size() && !walk.length; ++rank) {
                const QString entry = index.text(rank);
                const qsizetype end = i + entry.size();
                bool same = end == text.size()
                            || (end < text.size()
                                && KeywordIndex::isDelimiter(text.at(end).unicode()));
                for (qsizetype k = 0; same && k < entry.size(); ++k)
                    same = lower(text.at(i + k)) == entry.at(k);
                if (same)
                    walk = {int(entry.size()), index.category(rank)};
            }
            const KeywordIndex::Match found = index.matchAt(text, i);
            const bool startsOk = !walk.length || QStringView(u"'\";").contains(text.at(i))
                                  || index.startsKeyword(lower(text.at(i)));
            if (found.length != walk.length || (walk.length && found.category != walk.category)
                || !startsOk)
                QFAIL(qPrintable(QString("seed %1, at %2 of \"%3\"").arg(seed).arg(i).arg(text)));
        }
    }
}

void tst_KeywordIndex::laterDefinitionReplacesEarlier()
{
    KeywordIndex index = KeywordIndex::withBuiltIns();
    const int builtIns = index.size();
    QCOMPARE(index.addKeywords(u"mov,newword", KeywordIndex::Directives), 2);
    QCOMPARE(index.size(), builtIns + 1);
    QCOMPARE(index.matchAt(u"mov", 0).category, int(KeywordIndex::Directives));
    // Within one call, too, the last of equal entries wins.
    index.addKeywords(u"twice,twice", KeywordIndex::Registers);
    index.addKeywords(u"twice", KeywordIndex::Symbols);
    QCOMPARE(index.size(), builtIns + 2);
    QCOMPARE(index.matchAt(u"twice", 0).category, int(KeywordIndex::Symbols));
    // Categories are 0 to 3.
    QCOMPARE(index.addKeywords(u"bad", 4), 0);
    QCOMPARE(index.matchAt(u"bad", 0).length, 0);
}

void tst_KeywordIndex::entriesAreSplitAtCommasOnlyAndNeverStartAtQuotes()
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
    // Quotes and the semicolon open strings and comments, whatever the lists hold.
    index.addKeywords(u"'q,;rem,\"dq", KeywordIndex::Directives);
    for (char16_t c : {u'\'', u';', u'"'})
        QVERIFY(!index.startsKeyword(c));
}

void tst_KeywordIndex::keywordFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");

    QTest::newRow("crlf-read-as-text") << QByteArray("first,\r\nsecond") << "second" << 0;
    QTest::newRow("windows-1252-byte") << QByteArray("caf\xe9") << QString("caf\u00e9") << 4;
    QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9") << QString("caf\u00e9") << 4;
}

void tst_KeywordIndex::keywordFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(int, length);
    QTemporaryDir dir;
    const QString path = dir.filePath("userdat.dat");
    QVERIFY(writeFileBytes(path, content));
    KeywordIndex index = KeywordIndex::withBuiltIns();
    QVERIFY(index.addKeywordFile(path) > 0);
    const KeywordIndex::Match m = index.matchAt(text, 0);
    QCOMPARE(m.length, length);
    if (length)
        QCOMPARE(m.category, int(KeywordIndex::Directives));
    // A missing file leaves the lists as they are.
    QCOMPARE(index.addKeywordFile(dir.filePath("missing.dat")), -1);
}

QTEST_GUILESS_MAIN(tst_KeywordIndex)
#include "tst_keywordindex.moc"
