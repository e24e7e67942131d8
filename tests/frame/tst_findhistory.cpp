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
    void pickingAnEntryMovesItToTop();
    void loadStopsAtFirstEmptyKey();
    void saveWritesTwentyKeys();
    void findStateDefaultsAndRoundTrip();
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
    QTest::newRow("first-entry") << QStringList{} << "mov" << QStringList{"mov"} << true;
    QTest::newRow("new-text-on-top")
        << QStringList{"a", "b"} << "c" << QStringList{"c", "a", "b"} << true;
    QTest::newRow("case-blind-duplicate-takes-new-spelling")
        << QStringList{"a", "MOV AX", "b"} << "mov ax" << QStringList{"mov ax", "a", "b"} << true;
    QTest::newRow("top-entry-again")
        << QStringList{"a", "b"} << "a" << QStringList{"a", "b"} << true;

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

void tst_FindHistory::pickingAnEntryMovesItToTop()
{
    FindHistory history;
    history.model()->setStringList({"a", "b", "c"});
    history.moveToTop(2);
    QCOMPARE(history.entries(), QStringList({"c", "a", "b"}));
    history.moveToTop(0);
    history.moveToTop(7);
    QCOMPARE(history.entries(), QStringList({"c", "a", "b"}));
}

void tst_FindHistory::loadStopsAtFirstEmptyKey()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    s.writeString("FindBar", "item00", "first");
    s.writeString("FindBar", "item01", "");
    s.writeString("FindBar", "item02", "third");
    FindHistory history;
    history.load(s);
    QCOMPARE(history.entries(), QStringList{"first"});
}

void tst_FindHistory::saveWritesTwentyKeys()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    FindHistory history;
    history.model()->setStringList(numbered(21));
    history.save(s);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(s.readString("FindBar", QStringLiteral("item%1").arg(i, 2, 10, QChar('0'))),
                 QStringLiteral("t%1").arg(i));
    QVERIFY(!s.contains("FindBar", "item20"));

    history.model()->setStringList({"only"});
    history.save(s);
    QCOMPARE(s.readString("FindBar", "item00"), QStringLiteral("only"));
    for (int i = 1; i < 20; ++i) {
        const QString key = QStringLiteral("item%1").arg(i, 2, 10, QChar('0'));
        QVERIFY(s.contains("FindBar", key));
        QCOMPARE(s.readString("FindBar", key, "absent"), QString());
    }
}

void tst_FindHistory::findStateDefaultsAndRoundTrip()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    FindState state;
    state.findTextTyped = 1;
    state.load(s, "/work/here");
    QVERIFY(!state.findDown && !state.matchCase && !state.matchWord);
    QCOMPARE(state.searchSubs, 0);
    QCOMPARE(state.lastPath, QStringLiteral("/work/here"));
    QCOMPARE(state.findTextTyped, 0);

    // Byte options read any non-zero value as on; the integers keep what was stored.
    s.writeInt("FindBar", "Match Case", 7);
    s.writeInt("FindBar", "Search Subs", 7);
    state.load(s, "/x");
    QVERIFY(state.matchCase);
    QCOMPARE(state.searchSubs, 7);

    state.findDown = true;
    state.expanded = 1;
    state.closeOnOpen = 1;
    state.types = "*.asm, *.inc";
    state.lastPath = "/src";
    state.lastFind = "*.a?m";
    state.lastReplace = "eax";
    state.findTextTyped = 1;
    state.save(s);
    FindState again;
    again.load(s, "/elsewhere");
    QVERIFY(again.findDown && again.matchCase && !again.matchWord);
    QCOMPARE(again.matchCase, true);
    QCOMPARE(s.readInt("FindBar", "Match Case", -1), 1);
    QCOMPARE(again.expanded, 1);
    QCOMPARE(again.closeOnOpen, 1);
    QCOMPARE(again.types, QStringLiteral("*.asm, *.inc"));
    QCOMPARE(again.lastPath, QStringLiteral("/src"));
    QCOMPARE(again.lastFind, QStringLiteral("*.a?m"));
    QCOMPARE(again.lastReplace, QStringLiteral("eax"));
    QCOMPARE(again.findTextTyped, 0);
}

QTEST_MAIN(tst_FindHistory)
#include "tst_findhistory.moc"
