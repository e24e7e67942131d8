#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "TestSettings.h"
#include "base/AtomicFileWriter.h"
#include "base/Prompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <sys/stat.h>

// The seams everything else stands on: the settings store with the reader's default, the file
// dialogs' filters, and the atomic creation of a new file.
class tst_Seams : public QObject
{
    Q_OBJECT

private slots:
    void roundTripsEachTypeWithTheReadersDefault();
    void badFilesAndValuesYieldTheDefault_data();
    void badFilesAndValuesYieldTheDefault();
    void settingsPathThatIsNotAFileIsLeftAlone_data();
    void settingsPathThatIsNotAFileIsLeftAlone();
    void integersReadInEverySpelling_data();
    void integersReadInEverySpelling();
    void classicFiltersBecomeQtFilters_data();
    void classicFiltersBecomeQtFilters();
    void createNewNeverTouchesAnExistingFile_data();
    void createNewNeverTouchesAnExistingFile();
};

void tst_Seams::roundTripsEachTypeWithTheReadersDefault()
{
    TestSettings settings;
    SettingsStore &s = settings.store();
    // Two readers of one absent key may pass different defaults; each gets its own.
    QCOMPARE(s.readInt("Settings", "tabstops", 2), 2);
    QCOMPARE(s.readInt("Settings", "tabstops", 7), 7);
    QVERIFY(s.readBinary("Settings", "Font").isNull());
    s.writeInt("Settings", "big", int(0xFFFFFFFFu));
    s.writeString("Recent Workspace List", "WorkSpace1", "/home/u/a b, c.qvw");
    s.writeBinary("Settings", "ToolbarState", QByteArray("\x00\x01\xff", 3));
    s.sync();
    // A second store on the same file sees what the first wrote.
    SettingsStore again(settings.filePath());
    QCOMPARE(quint32(again.readInt("Settings", "big", 0)), 0xFFFFFFFFu);
    QCOMPARE(again.readString("Recent Workspace List", "WorkSpace1"), QString("/home/u/a b, c.qvw"));
    QCOMPARE(again.readBinary("Settings", "ToolbarState"), QByteArray("\x00\x01\xff", 3));
}

void tst_Seams::badFilesAndValuesYieldTheDefault_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::newRow("text-for-integer") << QByteArray("[Settings]\ntabstops=lots\n");
    QTest::newRow("binary-for-integer") << QByteArray("[Settings]\ntabstops=@ByteArray(ab)\n");
    QTest::newRow("too-large") << QByteArray("[Settings]\ntabstops=99999999999\n");
    QTest::newRow("empty") << QByteArray("[Settings]\ntabstops=\n");
    QTest::newRow("unreadable-file") << QByteArray("\x00\xff[[[\n=\n[Settings\ntabstops", 26);
}

void tst_Seams::badFilesAndValuesYieldTheDefault()
{
    QFETCH(QByteArray, ini);
    TestSettings settings;
    QVERIFY(writeFileBytes(settings.filePath(), ini));
    SettingsStore s(settings.filePath());
    QCOMPARE(s.readInt("Settings", "tabstops", 2), 2);
    QCOMPARE(s.readString("Settings", "lastws", "x"), QString("x"));
}

void tst_Seams::settingsPathThatIsNotAFileIsLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("named-pipe") << "fifo";
    QTest::newRow("link-to-a-named-pipe") << "link-to-fifo";
    QTest::newRow("link-to-a-device") << "link-to-zero";
    QTest::newRow("folder") << "folder";
}

// A pipe would block the settings' first read for ever and a device would never end; the store
// must not wait on either, nor put a file in its place. The session still has working settings.
void tst_Seams::settingsPathThatIsNotAFileIsLeftAlone()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("qvasmide.ini");
    const QByteArray fifo = QFile::encodeName(dir.filePath("pipe"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    if (kind == "fifo")
        QCOMPARE(::rename(fifo.constData(), QFile::encodeName(path).constData()), 0);
    else if (kind == "link-to-fifo")
        QVERIFY(QFile::link(dir.filePath("pipe"), path));
    else if (kind == "link-to-zero")
        QVERIFY(QFile::link("/dev/zero", path));
    else
        QVERIFY(QDir(dir.path()).mkdir("qvasmide.ini"));
    const auto kindOf = [&path] {
        struct stat st;
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
    };
    const mode_t before = kindOf();

    {
        SettingsStore s(path);
        QVERIFY(!s.refusedReason().isEmpty());
        QVERIFY(s.refusalMessage().contains(path));
        QCOMPARE(s.readInt("Settings", "tabstops", 2), 2);
        s.writeInt("Settings", "tabstops", 4);
        s.sync();
        QCOMPARE(s.readInt("Settings", "tabstops", 2), 4);
        QVERIFY(!s.removeAll());
    }
    QCOMPARE(kindOf(), before);
    QVERIFY(SettingsStore(dir.filePath("absent.ini")).refusedReason().isEmpty());
}

void tst_Seams::integersReadInEverySpelling_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("read"); // -2 stands for "the reader's default"

    QTest::newRow("every-decimal-digit") << QByteArray("1234567890") << qint64(1234567890);
    QTest::newRow("nine") << QByteArray("9") << qint64(9);
    QTest::newRow("blanks-around") << QByteArray(" 7 ") << qint64(7);
    // Unsigned 32-bit values, written by other programs without a sign.
    QTest::newRow("int-max") << QByteArray("2147483647") << qint64(2147483647);
    QTest::newRow("int-max-plus-one") << QByteArray("2147483648") << qint64(INT_MIN);
    QTest::newRow("uint-max") << QByteArray("4294967295") << qint64(-1);
    QTest::newRow("uint-max-plus-one") << QByteArray("4294967296") << qint64(-2);
    // The signed spelling this program writes.
    QTest::newRow("minus-one") << QByteArray("-1") << qint64(-1);
    QTest::newRow("int-min") << QByteArray("-2147483648") << qint64(INT_MIN);
    QTest::newRow("int-min-minus-one") << QByteArray("-2147483649") << qint64(-2);
    // A leading zero is not an octal prefix: "09" is nine, not a refused octal number.
    QTest::newRow("leading-zero-nine") << QByteArray("09") << qint64(9);
    QTest::newRow("leading-zero-ten") << QByteArray("010") << qint64(10);
    QTest::newRow("negative-leading-zero") << QByteArray("-08") << qint64(-8);
    QTest::newRow("hex-prefix") << QByteArray("0x1F") << qint64(31);
    QTest::newRow("hex-prefix-upper") << QByteArray("0X1f") << qint64(31);
    QTest::newRow("hex-above-uint-max") << QByteArray("0x100000000") << qint64(-2);
    QTest::newRow("hex-negative-refused") << QByteArray("0x-1") << qint64(-2);
    QTest::newRow("hex-uint-max") << QByteArray("0xFFFFFFFF") << qint64(-1);
}

void tst_Seams::integersReadInEverySpelling()
{
    QFETCH(QByteArray, value);
    QFETCH(qint64, read);
    TestSettings settings;
    QVERIFY(writeFileBytes(settings.filePath(), "[Settings]\ntabstops=" + value + "\n"));
    SettingsStore s(settings.filePath());
    QCOMPARE(qint64(s.readInt("Settings", "tabstops", -2)), read);
}

void tst_Seams::classicFiltersBecomeQtFilters_data()
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

void tst_Seams::classicFiltersBecomeQtFilters()
{
    QFETCH(QString, classic);
    QFETCH(QString, qt);
    QCOMPARE(Prompts::filterFromClassic(classic), qt);
}

using Result = AtomicFileWriter::CreateResult;

void tst_Seams::createNewNeverTouchesAnExistingFile_data()
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

void tst_Seams::createNewNeverTouchesAnExistingFile()
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

QTEST_GUILESS_MAIN(tst_Seams)
#include "tst_seams.moc"
