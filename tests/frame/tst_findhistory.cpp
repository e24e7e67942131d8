#include "frame/FindHistory.h"
#include "frame/FindState.h"

#include "TestSettings.h"

#include <QTest>

// The history rules of the Find bar and the find state kept in section FindBar.
class tst_FindHistory : public QObject
{
    Q_OBJECT

private slots:
    void addRules_data();
    void addRules();
    void findNextRules_data();
    void findNextRules();
    void savesTwentyKeysAndLoadStopsAtAnEmptyOne();
    void loadReadsAllTwentyKeys_data();
    void loadReadsAllTwentyKeys();
    void moveToTopTakesEveryRow_data();
    void moveToTopTakesEveryRow();
    void findStateReadsAnyNonZeroAsOn();
};

namespace {
QStringList numbered(int n)
{
    QStringList list;
    for (int i = 0; i < n; ++i)
        list << QStringLiteral("t%1").arg(i);
    return list;
}
} // namespace

void tst_FindHistory::addRules_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("selects");

    QTest::newRow("empty-text-ignored")
        << QStringList{"a"} << QString() << QStringList{"a"} << false;
    QTest::newRow("new-text-on-top")
        << QStringList{"a", "b"} << "c" << QStringList{"c", "a", "b"} << true;
    QTest::newRow("case-blind-duplicate-takes-new-spelling")
        << QStringList{"a", "MOV AX", "b"} << "mov ax" << QStringList{"mov ax", "a", "b"} << true;

    // Twenty entries grow to 21; at 21 the twentieth entry (not the last) makes way.
    QStringList twentyPlus = numbered(20);
    twentyPlus.prepend("new");
    QTest::newRow("twenty-grow-to-21") << numbered(20) << "new" << twentyPlus << true;
    QStringList full = numbered(21);
    QStringList expected = full;
    expected.removeAt(19);
    expected.prepend("new");
    QTest::newRow("21-drops-the-twentieth") << full << "new" << expected << true;
    QStringList moved = full;
    moved.move(20, 0);
    QTest::newRow("21-duplicate-just-moves") << full << "T20" << [&] {
        QStringList l = moved;
        l[0] = "T20";
        return l;
    }() << true;
}

void tst_FindHistory::addRules()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    QFETCH(bool, selects);
    FindHistory history;
    history.model()->setStringList(before);
    QCOMPARE(history.add(text), selects);
    QCOMPARE(history.entries(), after);
}

void tst_FindHistory::findNextRules_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("listed-text-stays-put")
        << QStringList{"a", "Mov", "b"} << "MOV" << QStringList{"a", "Mov", "b"};
    QTest::newRow("new-text-on-top") << QStringList{"a"} << "b" << QStringList{"b", "a"};
    QStringList full = numbered(21);
    QStringList expected = full;
    expected.removeAt(19);
    expected.prepend("new");
    QTest::newRow("21-drops-the-twentieth") << full << "new" << expected;
}

void tst_FindHistory::findNextRules()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    FindHistory history;
    history.model()->setStringList(before);
    history.addKeepingPlace(text);
    QCOMPARE(history.entries(), after);
}

void tst_FindHistory::savesTwentyKeysAndLoadStopsAtAnEmptyOne()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    FindHistory history;
    history.model()->setStringList(numbered(21));
    history.save(s);
    QCOMPARE(s.readString("FindBar", "item19"), QStringLiteral("t19"));
    QVERIFY(!s.contains("FindBar", "item20"));
    // A shorter list blanks the keys it no longer fills.
    history.model()->setStringList({"only"});
    history.save(s);
    QCOMPARE(s.readString("FindBar", "item00"), QStringLiteral("only"));
    QCOMPARE(s.readString("FindBar", "item19", "absent"), QString());

    s.writeString("FindBar", "item02", "third");
    FindHistory loaded;
    loaded.load(s);
    QCOMPARE(loaded.entries(), QStringList{"only"});
}

void tst_FindHistory::loadReadsAllTwentyKeys_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("loaded");
    QTest::newRow("nineteen") << 19 << 19;
    QTest::newRow("twenty-last-key-read") << 20 << 20;
    QTest::newRow("twenty-one-extra-key-ignored") << 21 << 20;
}

void tst_FindHistory::loadReadsAllTwentyKeys()
{
    QFETCH(int, stored);
    QFETCH(int, loaded);
    TestSettings settings;
    SettingsStore &s = settings.store();
    for (int i = 0; i < stored; ++i)
        s.writeString("FindBar",
                      QStringLiteral("item%1").arg(i, 2, 10, QChar('0')),
                      QString("t%1").arg(i));
    FindHistory history;
    history.load(s);
    QCOMPARE(history.entries(), numbered(loaded));
}

void tst_FindHistory::moveToTopTakesEveryRow_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("first-stays") << 3 << 0 << QStringList{"t0", "t1", "t2"};
    QTest::newRow("middle") << 3 << 1 << QStringList{"t1", "t0", "t2"};
    QTest::newRow("last") << 3 << 2 << QStringList{"t2", "t0", "t1"};
    QTest::newRow("past-the-end-ignored") << 3 << 3 << QStringList{"t0", "t1", "t2"};
    QTest::newRow("negative-ignored") << 3 << -1 << QStringList{"t0", "t1", "t2"};
    QTest::newRow("twenty-first") << 21 << 20 << [] {
        QStringList l = numbered(21);
        l.move(20, 0);
        return l;
    }();
}

void tst_FindHistory::moveToTopTakesEveryRow()
{
    QFETCH(int, count);
    QFETCH(int, row);
    QFETCH(QStringList, after);
    FindHistory history;
    history.model()->setStringList(numbered(count));
    history.moveToTop(row);
    QCOMPARE(history.entries(), after);
}

void tst_FindHistory::findStateReadsAnyNonZeroAsOn()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    FindState state;
    state.findTextTyped = 1;
    state.load(s, "/work/here");
    QVERIFY(!state.findDown && !state.matchCase && !state.matchWord);
    QCOMPARE(state.lastPath, QStringLiteral("/work/here"));
    QCOMPARE(state.findTextTyped, 0);

    // Byte options read any non-zero value as on and save it as 1; the integers keep it.
    s.writeInt("FindBar", "Match Case", 7);
    s.writeInt("FindBar", "Search Subs", 7);
    state.load(s, "/x");
    QVERIFY(state.matchCase);
    QCOMPARE(state.searchSubs, 7);
    state.lastFind = "*.a?m";
    state.save(s);
    QCOMPARE(s.readInt("FindBar", "Match Case", -1), 1);
    FindState again;
    again.load(s, "/elsewhere");
    QCOMPARE(again.lastFind, QStringLiteral("*.a?m"));
    QCOMPARE(again.lastPath, QStringLiteral("/x"));
}

QTEST_MAIN(tst_FindHistory)
#include "tst_findhistory.moc"
