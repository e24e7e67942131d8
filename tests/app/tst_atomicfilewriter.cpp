#include "FileSizeLimit.h"
#include "app/AtomicFileWriter.h"

#include <QDir>
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

void tst_AtomicFileWriter::createNewNeverTouchesAnExistingFile_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("afterwards"); // "<none>": no file

    const QByteArray text(3000, 'x');
    QTest::newRow("new-file") << false << false << int(AtomicFileWriter::CreateResult::Created)
                              << text;
    QTest::newRow("existing-file-kept")
        << true << false << int(AtomicFileWriter::CreateResult::AlreadyExists) << QByteArray("old");
    QTest::newRow("failed-write-leaves-no-stub")
        << false << true << int(AtomicFileWriter::CreateResult::Failed) << QByteArray("<none>");
}

void tst_AtomicFileWriter::createNewNeverTouchesAnExistingFile()
{
    QFETCH(bool, exists);
    QFETCH(bool, diskFull);
    QFETCH(int, result);
    QFETCH(QByteArray, afterwards);

    QTemporaryDir dir;
    const QString path = dir.filePath("main.asm");
    if (exists) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    QString error;
    AtomicFileWriter::CreateResult got;
    {
        std::optional<FileSizeLimit> full;
        if (diskFull)
            full.emplace(1000);
        got = AtomicFileWriter::createNew(path, QByteArray(3000, 'x'), &error);
    }
    QCOMPARE(int(got), result);
    QCOMPARE(error.isEmpty(), got != AtomicFileWriter::CreateResult::Failed);
    if (afterwards == "<none>") {
        QVERIFY(!QFile::exists(path));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), afterwards);
    }
}

QTEST_GUILESS_MAIN(tst_AtomicFileWriter)
#include "tst_atomicfilewriter.moc"
