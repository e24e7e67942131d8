#include "frame/CopyFileConfirm.h"

#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Copying a file for the new-project wizard: the question, the answer, and what is left on disk.
class tst_CopyFileConfirm : public QObject
{
    Q_OBJECT

private slots:
    void copies_data();
    void copies();
};

void tst_CopyFileConfirm::copies_data()
{
    QTest::addColumn<bool>("sourceExists");
    QTest::addColumn<bool>("destinationExists");
    QTest::addColumn<int>("answer"); // 0: no question expected
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("destinationAfter"); // empty: no file
    QTest::addColumn<QStringList>("messages");

    const QString replace = QStringLiteral("The file: %1, already exists, replace?");
    QTest::newRow("fresh-destination-no-question")
        << true << false << 0 << 1 << QByteArray("new\r\n") << QStringList{};
    QTest::newRow("existing-answered-no-keeps-it")
        << true << true << int(PromptAnswer::No) << 0 << QByteArray("old") << QStringList{replace};
    QTest::newRow("existing-answered-yes-replaces")
        << true << true << int(PromptAnswer::Yes) << 1 << QByteArray("new\r\n")
        << QStringList{replace};
    // A failed copy is reported and leaves the old file whole; the caller still goes on.
    QTest::newRow("failed-copy-keeps-old-file")
        << false << true << int(PromptAnswer::Yes) << 1 << QByteArray("old")
        << QStringList{replace, "Error on copy."};
    QTest::newRow("failed-copy-without-destination")
        << false << false << 0 << 1 << QByteArray() << QStringList{"Error on copy."};
}

void tst_CopyFileConfirm::copies()
{
    QFETCH(bool, sourceExists);
    QFETCH(bool, destinationExists);
    QFETCH(int, answer);
    QFETCH(int, result);
    QFETCH(QByteArray, destinationAfter);
    QFETCH(QStringList, messages);

    QTemporaryDir dir;
    const QString source = dir.filePath("std.inc");
    const QString destination = dir.filePath("project/std.inc");
    QVERIFY(QDir(dir.path()).mkdir("project"));
    if (sourceExists)
        QVERIFY(writeFileBytes(source, "new\r\n"));
    if (destinationExists)
        QVERIFY(writeFileBytes(destination, "old"));

    ScriptedPrompts prompts;
    if (answer)
        prompts.answerMessage(PromptAnswer(answer));
    if (messages.contains("Error on copy."))
        prompts.answerMessage(PromptAnswer::Ok);
    QCOMPARE(CopyFileConfirm(source, destination), result);
    for (QString &m : messages)
        m = m.arg(destination);
    QCOMPARE(prompts.messagesAsked(), messages);
    QVERIFY(prompts.allAnswered());
    QCOMPARE(readFileBytes(destination), destinationAfter);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(dir.filePath("project")).entryList(QDir::Files).size(),
             destinationAfter.isEmpty() ? 0 : 1);
}

QTEST_GUILESS_MAIN(tst_CopyFileConfirm)
#include "tst_copyfileconfirm.moc"
