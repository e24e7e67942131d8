#include "TestFiles.h"
#include "editor/RecoveryStore.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <sys/wait.h>
#include <unistd.h>

// The records that keep unsaved edits: read back exactly, refused when damaged, and offered
// only once the program that wrote them has ended.
class tst_RecoveryStore : public QObject
{
    Q_OBJECT

private slots:
    void recordsReadBackExactly_data();
    void recordsReadBackExactly();
    void damagedRecordsAreRefused_data();
    void damagedRecordsAreRefused();
    void copiesOfARunningProgramAreNotOffered();
};

void tst_RecoveryStore::recordsReadBackExactly_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("style");

    QTest::newRow("plain") << "/home/u/a.asm"
                           << "mov ax,1\nret\n"
                           << 0 << int(LineEnding::CrLf);
    QTest::newRow("untitled, empty text") << ""
                                          << "" << 0 << int(LineEnding::Lf);
    QTest::newRow("path with newline, percent and equals") << "/tmp/a\nb%20=c.asm"
                                                           << "x" << 1 << int(LineEnding::Cr);
    QTest::newRow("text with a blank line first and NULs")
        << "/a.asm" << QString::fromLatin1("\n\nx\0y", 6) << 1 << int(LineEnding::CrLf);
    QTest::newRow("beyond the BMP")
        << "/a.asm" << QString::fromUtf8("db '😀'\n") << 0 << int(LineEnding::Lf);
}

void tst_RecoveryStore::recordsReadBackExactly()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(int, style);
    RecoveryRecord r;
    r.path = path;
    r.title = "untitled3.asm";
    r.format.encoding = TextEncoding(encoding);
    r.format.lineEnding = LineEnding(style);
    r.format.utf8Bom = encoding == 0;
    r.otherBreaks = {{0, LineEnding::Lf}, {7, LineEnding::Cr}};
    r.diskStamp = {true, 2049, 1234567, 42, 1700000000123456789};
    r.written = QDateTime::fromMSecsSinceEpoch(1700000000123);
    r.pid = 4242;
    r.started = 987654321;
    r.text = text;
    const std::optional<RecoveryRecord> back = RecoveryStore::parse(RecoveryStore::serialize(r));
    QVERIFY(back);
    QCOMPARE(*back, r);
    // Records of earlier versions have no start time and are still read.
    const std::optional<RecoveryRecord> earlier = RecoveryStore::parse(
        RecoveryStore::serialize(r).replace("\nstarted=987654321", ""));
    QVERIFY(earlier);
    QCOMPARE(earlier->started, 0);
}

void tst_RecoveryStore::damagedRecordsAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    RecoveryRecord r;
    r.path = "/a.asm";
    r.text = "x";
    const QByteArray good = RecoveryStore::serialize(r);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("other magic") << QByteArray(good).replace("recovery 1", "recovery 9");
    QTest::newRow("header cut short") << good.left(good.indexOf("\npid="));
    QTest::newRow("no blank line") << QByteArray(good).replace("\n\n", "\n");
    QTest::newRow("unknown style") << QByteArray(good).replace("style=crlf", "style=lfcr");
    QTest::newRow("unknown encoding")
        << QByteArray(good).replace("encoding=utf-8", "encoding=ebcdic");
    QTest::newRow("breaks not ascending")
        << QByteArray(good).replace("breaks=", "breaks=5:lf,5:cr");
    QTest::newRow("negative break line") << QByteArray(good).replace("breaks=", "breaks=-1:lf");
    QTest::newRow("stamp with four fields") << QByteArray(good).replace("disk=0:", "disk=");
    QTest::newRow("pid not a number") << QByteArray(good).replace("pid=0", "pid=x");
    QTest::newRow("key without value sign") << QByteArray(good).replace("bom=0", "bom");
}

void tst_RecoveryStore::damagedRecordsAreRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!RecoveryStore::parse(bytes));
}

void tst_RecoveryStore::copiesOfARunningProgramAreNotOffered()
{
    QTemporaryDir dir;
    RecoveryStore store(dir.filePath("recovery"));
    const qint64 self = QCoreApplication::applicationPid();
    const qint64 started = RecoveryStore::processStart(self);
    QVERIFY(started > 0);
    // An ended child that its parent has not collected yet keeps its number for a while.
    const pid_t zombie = ::fork();
    if (zombie == 0)
        ::_exit(0);
    QVERIFY(zombie > 0);
    const qint64 zombieStarted = RecoveryStore::processStart(zombie);
    QTRY_VERIFY(readFileBytes(QStringLiteral("/proc/%1/stat").arg(zombie)).contains(") Z "));
    // The start time is the process's own: one started 300 ms later started that much later.
    QTest::qWait(300);
    const pid_t later = ::fork();
    if (later == 0)
        ::_exit(0);
    QVERIFY(later > 0);
    const qint64 laterStarted = RecoveryStore::processStart(later);
    ::waitpid(later, nullptr, 0);
    QVERIFY2(laterStarted - zombieStarted >= ::sysconf(_SC_CLK_TCK) / 5,
             qPrintable(QStringLiteral("%1 then %2").arg(zombieStarted).arg(laterStarted)));

    struct Case
    {
        const char *what;
        qint64 pid;
        qint64 started;
        bool offered;
    };
    const Case cases[] = {
        {"this program", self, started, false},
        {"this program, record of an earlier version", self, 0, false},
        // The number came back to a later program: the writer has ended.
        {"an earlier program with this number", self, started - 1, true},
        {"no program", 0, 0, true},
        {"a number never given", std::numeric_limits<pid_t>::max(), 0, true},
        {"ended, not yet collected", zombie, zombieStarted, true},
    };
    for (const Case &c : cases) {
        RecoveryRecord r;
        r.path = "/a.asm";
        r.pid = c.pid;
        r.started = c.started;
        QVERIFY(store.write("one", r));
        QVERIFY2(store.leftOver().size() == (c.offered ? 1 : 0), c.what);
    }
    ::waitpid(zombie, nullptr, 0);

    // A folder that others can read is made private before anything is written into it.
    QVERIFY(QFile::setPermissions(store.folder(), QFileDevice::Permissions(0x7777)));
    QVERIFY(store.write("again", RecoveryRecord()));
    QCOMPARE(int(QFileInfo(store.folder()).permissions() & 0x0077), 0);
}

QTEST_GUILESS_MAIN(tst_RecoveryStore)
#include "tst_recoverystore.moc"
