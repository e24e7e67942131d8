#include "app/Prompts.h"

#include <QTest>

class tst_Prompts : public QObject
{
    Q_OBJECT

private slots:
    void classicFiltersBecomeQtFilters_data();
    void classicFiltersBecomeQtFilters();
};

void tst_Prompts::classicFiltersBecomeQtFilters_data()
{
    QTest::addColumn<QString>("classic");
    QTest::addColumn<QString>("qt");
    QTest::newRow("open-dialog")
        << ".asm files (.asm)|*.asm|.asm files (.inc)|*.inc|All Files (*.*)|*.*||"
        << ".asm files (.asm) (*.asm);;.asm files (.inc) (*.inc);;All Files (*.*) (*)";
    QTest::newRow("several-patterns") << "Sources|*.asm;*.inc||"
                                      << "Sources (*.asm *.inc)";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_Prompts::classicFiltersBecomeQtFilters()
{
    QFETCH(QString, classic);
    QFETCH(QString, qt);
    QCOMPARE(Prompts::filterFromClassic(classic), qt);
}

QTEST_GUILESS_MAIN(tst_Prompts)
#include "tst_prompts.moc"
