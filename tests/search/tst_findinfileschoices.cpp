#include "frame/FindState.h"
#include "search/FindInFilesChoices.h"

#include <QTest>

// What the Find in File(s) dialog opens with and what it leaves in the find state, and the
// search its choices ask for.
class tst_FindInFilesChoices : public QObject
{
    Q_OBJECT

private slots:
    void openingTypes_data();
    void openingTypes();
    void choicesGoBackIntoTheState();
    void request_data();
    void request();
};

void tst_FindInFilesChoices::openingTypes_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("none stored: the list's first") << QString() << "*.asm, *.inc";
    QTest::newRow("stored kept") << "*.lst"
                                 << "*.lst";
    QTest::newRow("128 kept whole") << QString(128, u'a') << QString(128, u'a');
    QTest::newRow("129 cut to 128") << QString(129, u'a') << QString(128, u'a');
}

void tst_FindInFilesChoices::openingTypes()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    FindState state;
    state.types = stored;
    QCOMPARE(FindInFilesChoices::fromState(state, QString()).types, shown);
}

void tst_FindInFilesChoices::choicesGoBackIntoTheState()
{
    FindState state;
    state.matchCase = true;
    state.searchSubs = 1;
    state.expanded = 1;
    state.closeOnOpen = 0;
    state.types = QStringLiteral("*.inc");
    state.lastPath = QStringLiteral("/old");
    state.lastFind = QStringLiteral("*.asm");
    state.lastReplace = QStringLiteral("kept");
    FindInFilesChoices c = FindInFilesChoices::fromState(state, QStringLiteral("ax"));
    QCOMPARE(c.text, QStringLiteral("ax"));
    QVERIFY(c.matchCase && c.subFolders && c.advanced && !c.closeOnOpen && !c.wholeWord);
    QCOMPARE(c.folder, QStringLiteral("/old"));
    QCOMPARE(c.fileNamePattern, QStringLiteral("*.asm"));

    c.matchCase = false;
    c.wholeWord = true;
    c.subFolders = false;
    c.closeOnOpen = true;
    c.advanced = false;
    c.types = QStringLiteral("*.*");
    c.folder = QStringLiteral("/new/");
    c.fileNamePattern = QStringLiteral("*.lst");
    c.storeInto(state);
    QVERIFY(!state.matchCase && state.matchWord);
    QCOMPARE(state.searchSubs, 0);
    QCOMPARE(state.closeOnOpen, 1);
    QCOMPARE(state.expanded, 0);
    QCOMPARE(state.types, QStringLiteral("*.*"));
    QCOMPARE(state.lastPath, QStringLiteral("/new/"));
    QCOMPARE(state.lastFind, QStringLiteral("*.lst"));
    QCOMPARE(state.lastReplace, QStringLiteral("kept"));
}

void tst_FindInFilesChoices::request_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("types");
    QTest::addColumn<QString>("searched");
    QTest::addColumn<QStringList>("patterns");
    QTest::newRow("typed folder gets its final slash") << "/src"
                                                       << "/doc/a.asm"
                                                       << "*.asm, *.inc"
                                                       << "/src/" << QStringList{"*.asm", "*.inc"};
    QTest::newRow("empty folder: the document's") << ""
                                                  << "/doc/a.asm"
                                                  << "*.asm"
                                                  << "/doc/" << QStringList{"*.asm"};
    QTest::newRow("empty folder, untitled document: the root") << ""
                                                               << ""
                                                               << "*.asm"
                                                               << "/" << QStringList{"*.asm"};
    QTest::newRow("two commas end the types") << "/src/"
                                              << ""
                                              << "*.asm,,*.inc"
                                              << "/src/" << QStringList{"*.asm"};
    QTest::newRow("empty types: no pattern") << "/src/"
                                             << ""
                                             << ""
                                             << "/src/" << QStringList();
}

void tst_FindInFilesChoices::request()
{
    QFETCH(QString, folder);
    QFETCH(QString, document);
    QFETCH(QString, types);
    QFETCH(QString, searched);
    QFETCH(QStringList, patterns);
    FindInFilesChoices c;
    c.text = QStringLiteral("bufptr");
    c.folder = folder;
    c.types = types;
    c.subFolders = true;
    c.wholeWord = true;
    const FindInFiles::Request r = c.request(document);
    QCOMPARE(r.folder, searched);
    QCOMPARE(r.patterns, patterns);
    QCOMPARE(r.text, c.text);
    QVERIFY(r.subFolders && r.wholeWord && !r.matchCase);
}

QTEST_APPLESS_MAIN(tst_FindInFilesChoices)
#include "tst_findinfileschoices.moc"
