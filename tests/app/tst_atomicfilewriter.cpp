#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "app/AtomicFileWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

class tst_AtomicFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void createNewNeverTouchesAnExistingFile_data();
    void createNewNeverTouchesAnExistingFile();
};

using Result = AtomicFileWriter::CreateResult;

void tst_AtomicFileWriter::createNewNeverTouchesAnExistingFile_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("afterwards"); // empty: no file

    QTest::newRow("new-file") << false << false << int(Result::Created) << QByteArray(3000, 'x');
    QTest::newRow("existing-file-kept")
        << true << false << int(Result::AlreadyExists) << QByteArray("old");
    QTest::newRow("failed-write-leaves-no-stub")
        << false << true << int(Result::Failed) << QByteArray();
}

void tst_AtomicFileWriter::createNewNeverTouchesAnExistingFile()
{
    QFETCH(bool, exists);
    QFETCH(bool, diskFull);
    QFETCH(int, result);
    QFETCH(QByteArray, afterwards);

    QTemporaryDir dir;
    const QString path = dir.filePath("main.asm");
    if (exists)
        QVERIFY(writeFileBytes(path, "old"));
    QString error;
    Result got;
    {
        std::optional<FileSizeLimit> full;
        if (diskFull)
            full.emplace(1000);
        got = AtomicFileWriter::createNew(path, QByteArray(3000, 'x'), &error);
    }
    QCOMPARE(int(got), result);
    QCOMPARE(error.isEmpty(), got != Result::Failed);
    QCOMPARE(QFile::exists(path), !afterwards.isEmpty());
    QCOMPARE(readFileBytes(path), afterwards);
}

QTEST_GUILESS_MAIN(tst_AtomicFileWriter)
#include "tst_atomicfilewriter.moc"
