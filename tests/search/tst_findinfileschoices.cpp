#include "frame/FindState.h"
#include "search/FindInFilesChoices.h"

#include <QTest>

// What the Find in File(s) dialog opens with from the find state. What it leaves there and the
// search it asks for are the command's test (tst_findinfilescommand).
class tst_FindInFilesChoices : public QObject
{
    Q_OBJECT

private slots:
    void openingTypes_data();
    void openingTypes();
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

QTEST_APPLESS_MAIN(tst_FindInFilesChoices)
#include "tst_findinfileschoices.moc"
