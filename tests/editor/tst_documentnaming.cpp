#include "editor/DocumentNaming.h"

#include <QTest>

Q_DECLARE_METATYPE(FileKind)

class tst_DocumentNaming : public QObject
{
    Q_OBJECT

private slots:
    void kindComesFromTheLastFourCharacters_data();
    void kindComesFromTheLastFourCharacters();
    void newDocumentKindChoice_data();
    void newDocumentKindChoice();
};

void tst_DocumentNaming::kindComesFromTheLastFourCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<FileKind>("kind");

    QTest::newRow("source") << "/home/u/main.asm" << FileKind::Source;
    QTest::newRow("include") << "data.inc" << FileKind::Include;
    QTest::newRow("capitals-are-other") << "/home/u/MAIN.ASM" << FileKind::Other;
    QTest::newRow("backup-is-other") << "main.asm.bak" << FileKind::Other;
    QTest::newRow("bare-extension") << ".asm" << FileKind::Source;
    QTest::newRow("no-dot") << "xasm" << FileKind::Other;
    QTest::newRow("empty") << "" << FileKind::Other;
}

void tst_DocumentNaming::kindComesFromTheLastFourCharacters()
{
    QFETCH(QString, name);
    QFETCH(FileKind, kind);
    QCOMPARE(DocumentNaming::fileKind(name), kind);
}

void tst_DocumentNaming::newDocumentKindChoice_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<bool>("windowActive");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("insertTemplate");
    QTest::addColumn<bool>("askUser");

    QTest::newRow("startup-template") << -1 << false << false << false << 0 << true << false;
    QTest::newRow("startup-ignores-keys") << -1 << false << true << true << 0 << true << false;
    QTest::newRow("left-shift-source") << -1 << true << true << false << 0 << false << false;
    QTest::newRow("left-ctrl-include") << -1 << true << false << true << 1 << false << false;
    QTest::newRow("shift-wins-over-ctrl") << -1 << true << true << true << 0 << false << false;
    QTest::newRow("no-key-asks") << -1 << true << false << false << 0 << false << true;
    QTest::newRow("requested-beats-keys") << 2 << true << true << false << 2 << false << false;
    QTest::newRow("requested-at-startup") << 1 << false << false << false << 1 << false << false;
    QTest::newRow("requested-out-of-range") << 9 << true << false << false << 3 << false << false;
}

void tst_DocumentNaming::newDocumentKindChoice()
{
    QFETCH(int, requested);
    QFETCH(bool, windowActive);
    QFETCH(bool, shift);
    QFETCH(bool, ctrl);
    QFETCH(int, choice);
    QFETCH(bool, insertTemplate);
    QFETCH(bool, askUser);

    const auto plan = DocumentNaming::planNewDocument(requested, windowActive, shift, ctrl);
    QCOMPARE(plan.insertTemplate, insertTemplate);
    QCOMPARE(plan.askUser, askUser);
    if (!askUser)
        QCOMPARE(plan.choice, choice);
}

QTEST_GUILESS_MAIN(tst_DocumentNaming)
#include "tst_documentnaming.moc"
