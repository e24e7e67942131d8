#include "MappedFile.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class tst_MappedFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badPathsAreRefusedInOneSentence_data();
    void badPathsAreRefusedInOneSentence();
    void fileIsMappedWholeAndAFailedOpenUnmapsIt();
    void readTakesTheFileAsItIsNow_data();
    void readTakesTheFileAsItIsNow();
    void fifoPutInPlaceIsRefusedWithoutWaiting();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString tst_MappedFile::write(const QString &name, const QByteArray &bytes)
{
    return writeFileBytes(m_dir.filePath(name), bytes) ? m_dir.filePath(name) : QString();
}

void tst_MappedFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void tst_MappedFile::badPathsAreRefusedInOneSentence_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    const QString fifo = m_dir.filePath("fifo");
    const QString locked = write("locked", "x");
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    ::mkfifo(fifo.toLocal8Bit().constData(), 0600);
    QTest::newRow("missing") << m_dir.filePath("nope")
                             << m_dir.filePath("nope") + " does not exist.";
    QTest::newRow("folder") << m_dir.path() << m_dir.path() + " is a folder, not a file.";
    QTest::newRow("empty") << write("empty", {}) << m_dir.filePath("empty") + " is empty.";
    // Opening a FIFO would block until someone writes to it.
    QTest::newRow("fifo") << fifo << fifo + " is not a regular file.";
    QTest::newRow("unreadable") << locked << "Cannot open " + locked + ":\n";
    // Qt shows the stray byte as U+FFFD; that name reaches no file, and the message says why.
    const QByteArray latin1 = QFile::encodeName(m_dir.path()) + "/caf\xe9";
    ::close(::open(latin1.constData(), O_WRONLY | O_CREAT, 0600));
    QTest::newRow("name-not-utf8")
        << QFile::decodeName(latin1)
        << "Cannot open " + QFile::decodeName(latin1) + ":\nIts name is not valid UTF-8";
}

void tst_MappedFile::badPathsAreRefusedInOneSentence()
{
    QFETCH(QString, path);
    QFETCH(QString, message); // the sentence, or how it starts
    if (QTest::currentDataTag() == QLatin1String("unreadable") && ::geteuid() == 0)
        QSKIP("root reads files whatever their permissions");
    MappedFile file;
    QVERIFY(!file.open(path));
    QVERIFY2(file.errorString().startsWith(message), qPrintable(file.errorString()));
    QVERIFY(!file.isOpen());
    QCOMPARE(file.data(), nullptr);
}

void tst_MappedFile::fileIsMappedWholeAndAFailedOpenUnmapsIt()
{
    QByteArray bytes(100000, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    MappedFile file;
    QVERIFY(file.open(write("data", bytes)));
    QCOMPARE(file.size(), bytes.size());
    QVERIFY(QByteArray::fromRawData(reinterpret_cast<const char *>(file.data()), file.size())
            == bytes);
    QVERIFY(!file.open(m_dir.filePath("missing")));
    QVERIFY(!file.isOpen());
    QCOMPARE(file.size(), 0);
    QCOMPARE(file.path(), QString());
}

void tst_MappedFile::readTakesTheFileAsItIsNow_data()
{
    QTest::addColumn<qint64>("shortenedTo"); // -1: the file keeps its 1000 bytes
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<bool>("read");
    QTest::newRow("whole-file") << qint64(-1) << qint64(0) << qint64(1000) << true;
    QTest::newRow("last-byte") << qint64(-1) << qint64(999) << qint64(1) << true;
    QTest::newRow("one-past-the-mapping") << qint64(-1) << qint64(999) << qint64(2) << false;
    QTest::newRow("negative-offset") << qint64(-1) << qint64(-1) << qint64(1) << false;
    // The mapping still spans 1000 bytes; only the file knows where it ends now.
    QTest::newRow("shortened-up-to-the-new-end")
        << qint64(500) << qint64(400) << qint64(100) << true;
    QTest::newRow("shortened-one-past-the-new-end")
        << qint64(500) << qint64(400) << qint64(101) << false;
    QTest::newRow("emptied") << qint64(0) << qint64(0) << qint64(1) << false;
}

void tst_MappedFile::readTakesTheFileAsItIsNow()
{
    QFETCH(qint64, shortenedTo);
    QFETCH(qint64, offset);
    QFETCH(qint64, length);
    QFETCH(bool, read);
    QByteArray bytes(1000, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 3);
    MappedFile file;
    const QString path = write("shrinking", bytes);
    QVERIFY(file.open(path));
    if (shortenedTo >= 0)
        QVERIFY(QFile::resize(path, shortenedTo));
    QByteArray out = "stale";
    QCOMPARE(file.read(offset, length, out), read);
    QCOMPARE(out, read ? bytes.mid(offset, length) : QByteArray());
}

void tst_MappedFile::fifoPutInPlaceIsRefusedWithoutWaiting()
{
    // A FIFO and a regular file take turns at one name, each renamed into place, while it is
    // opened again and again: the name may be a file when looked at and a FIFO when opened.
    const QByteArray fifo = QFile::encodeName(m_dir.filePath("turn-fifo"));
    const QByteArray regular = QFile::encodeName(write("turn-file", "bytes"));
    const QByteArray next = QFile::encodeName(m_dir.filePath("turn-next"));
    const QString target = m_dir.filePath("turn");
    const QByteArray targetName = QFile::encodeName(target);
    QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
    QVERIFY(::link(regular.constData(), targetName.constData()) == 0);

    std::atomic<bool> stop = false;
    std::thread swapper([&] {
        for (bool toFifo = true; !stop; toFifo = !toFifo) {
            ::unlink(next.constData());
            if (::link(toFifo ? fifo.constData() : regular.constData(), next.constData()) == 0)
                ::rename(next.constData(), targetName.constData());
        }
    });
    constexpr int Opens = 20000;
    std::atomic<int> opened = 0;
    std::atomic<int> refused = 0;
    std::atomic<bool> giveUp = false;
    std::promise<void> finished;
    std::thread opener([&] {
        for (int i = 0; i < Opens && !giveUp; ++i) {
            MappedFile file;
            if (file.open(target))
                ++opened;
            else if (file.errorString() == target + " is not a regular file.")
                ++refused;
        }
        finished.set_value();
    });
    std::future<void> done = finished.get_future();
    const bool inTime = done.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    stop = true;
    swapper.join();
    if (!inTime) {
        // An open waiting for a writer: give it one, so the test fails rather than hangs.
        giveUp = true;
        while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
            const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
        }
    }
    opener.join();
    QVERIFY2(inTime, "an open waited for the FIFO's writer");
    QCOMPARE(opened + refused, Opens);
    QVERIFY(opened > 0);
    QVERIFY(refused > 0);
}

QTEST_APPLESS_MAIN(tst_MappedFile)
#include "tst_mappedfile.moc"
