#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// One copy per user and settings store: a second copy hands its file over and ends.
class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void secondProcessHandsOverAndEnds();
    void secondCopyOfTheSameStoreOnly();
    void crashedCopyLeftoverIsTakenOver();

private:
    QTemporaryDir m_runtime;
};

void tst_SingleInstance::initTestCase()
{
    // A runtime folder of the test's own, shared with the copy it starts.
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
}

void tst_SingleInstance::secondProcessHandsOverAndEnds()
{
    QTemporaryDir config;
    QTemporaryDir work;
    const QString settings = config.filePath("Kestrelmoor Software/qvasmide.ini");
    SingleInstance first(SingleInstance::serverNameFor(settings));
    QVERIFY(first.claim({}));
    QVERIFY(first.isListening());
    QSignalSpy handed(&first, &SingleInstance::activationRequested);

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    env.insert("XDG_RUNTIME_DIR", m_runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(work.path());
    second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QSignalSpy finished(&second, &QProcess::finished);
    second.start(qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/qvasmide", {"boot sector.asm"});
    QVERIFY(second.waitForStarted());
    QVERIFY(finished.wait(60000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(handed.size(), 1);
    QCOMPARE(handed.first().first().toStringList(),
             QStringList{QDir(work.path()).filePath("boot sector.asm")});
    // It ended before its own start-up: no first-run set-up, nothing written.
    QVERIFY(!QFileInfo::exists(settings));
}

void tst_SingleInstance::secondCopyOfTheSameStoreOnly()
{
    const QString name = SingleInstance::serverNameFor(m_runtime.filePath("one/a.ini"));
    QVERIFY(name.startsWith(m_runtime.path()));
    SingleInstance first(name);
    QVERIFY(first.claim({}));
    QSignalSpy handed(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    QVERIFY(second.handOff({}));
    QVERIFY(!second.claim({"/x.asm"})); // someone listens: it takes the arguments instead
    QTRY_COMPARE(handed.size(), 2);
    QCOMPARE(handed.at(1).first().toStringList(), QStringList{"/x.asm"});
    // Another settings store is another program as far as copies go.
    SingleInstance other(SingleInstance::serverNameFor(m_runtime.filePath("two/a.ini")));
    QVERIFY(!other.handOff({}));
}

void tst_SingleInstance::crashedCopyLeftoverIsTakenOver()
{
    const QString name = SingleInstance::serverNameFor(m_runtime.filePath("b.ini"));
    // A socket file nobody listens on, as a copy that crashed leaves behind.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    QVERIFY(size_t(path.size()) < sizeof(address.sun_path));
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    QVERIFY(QFileInfo::exists(name));

    SingleInstance next(name);
    QVERIFY(!next.handOff({}));
    QVERIFY(next.claim({}));
    QVERIFY(next.isListening());
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
