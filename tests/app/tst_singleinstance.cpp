#include "app/ui/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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
    void squattedNameIsNotHandedTheFile_data();
    void squattedNameIsNotHandedTheFile();
    void onlyAPrivateFolderHoldsTheSocket_data();
    void onlyAPrivateFolderHoldsTheSocket();
    void anotherUsersListenerIsNotHandedTheFile();
    void anotherUsersCopyIsNotListenedTo();

private:
    QTemporaryDir m_runtime;
};

namespace {

constexpr int kGiveUpMs = 10000;

int bindAndListen(const QString &name)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    if (fd < 0 || size_t(path.size()) >= sizeof(address.sun_path))
        return -1;
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0
        || ::listen(fd, 8) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Everything the peer sends until it closes (or kGiveUpMs pass without a byte).
QByteArray readToEnd(int fd)
{
    QByteArray got;
    char buffer[4096];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, kGiveUpMs) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

// A socket at the name that is no copy of the program: it answers each connection with `reply`
// (or closes it at once) and notes what it was sent.
class Squatter
{
public:
    Squatter(const QString &name, const QByteArray &reply, bool closeAtOnce)
        : m_fd(bindAndListen(name))
    {
        if (m_fd < 0)
            return;
        m_thread = std::thread([this, reply, closeAtOnce] {
            pollfd p{m_fd, POLLIN, 0};
            while (!m_stop) {
                if (::poll(&p, 1, 50) <= 0)
                    continue;
                const int peer = ::accept(m_fd, nullptr, nullptr);
                if (peer < 0)
                    continue;
                if (!closeAtOnce) {
                    if (!reply.isEmpty())
                        (void) ::write(peer, reply.constData(), size_t(reply.size()));
                    const QByteArray got = readToEnd(peer);
                    std::lock_guard lock(m_mutex);
                    m_received += got;
                }
                ::close(peer);
            }
        });
    }
    ~Squatter()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isListening() const { return m_fd >= 0; }
    QByteArray received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

private:
    int m_fd;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    QByteArray m_received;
};

// Runs fn in a child process as user and group 65534 (root only) and returns its exit code.
template<typename Fn>
int asAnotherUser(Fn fn)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(90);
        ::_exit(fn());
    }
    return child;
}

int waitForChild(pid_t child)
{
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

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

void tst_SingleInstance::squattedNameIsNotHandedTheFile_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("closeAtOnce");
    QTest::newRow("answers-nothing") << QByteArray() << false;
    QTest::newRow("answers-garbage") << QByteArray("HTTP/1.1 200 OK\r\n\r\n") << false;
    QTest::newRow("closes-at-once") << QByteArray() << true;
}

void tst_SingleInstance::squattedNameIsNotHandedTheFile()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, closeAtOnce);
    const QString name = SingleInstance::serverNameFor(
        m_runtime.filePath(QLatin1String(QTest::currentDataTag()) + ".ini"));
    Squatter squatter(name, reply, closeAtOnce);
    QVERIFY(squatter.isListening());

    // The second copy sends nothing, does not end, and starts as the running copy.
    SingleInstance second(name);
    QVERIFY(!second.handOff({"/home/me/secret plans.asm"}));
    QVERIFY(second.claim({"/home/me/secret plans.asm"}));
    QVERIFY(second.isListening());
    QVERIFY2(!squatter.received().contains("secret"), squatter.received().constData());
    QVERIFY(!squatter.received().contains("qvasmide"));
}

void tst_SingleInstance::onlyAPrivateFolderHoldsTheSocket_data()
{
    QTest::addColumn<QString>("runtime");  // "private", "open", "foreign", "link", "" (unset)
    QTest::addColumn<QString>("cache");    // the same for XDG_CACHE_HOME/qvasmide; "" missing
    QTest::addColumn<QString>("expected"); // "runtime", "cache", "" (none: running alone)

    QTest::newRow("runtime-folder-private") << "private"
                                            << "open"
                                            << "runtime";
    QTest::newRow("runtime-folder-unset") << ""
                                          << ""
                                          << "cache";
    QTest::newRow("runtime-folder-open-to-all") << "open"
                                                << ""
                                                << "cache";
    QTest::newRow("runtime-folder-of-another-user") << "foreign"
                                                    << ""
                                                    << "cache";
    QTest::newRow("runtime-folder-a-link-to-a-private-one") << "link"
                                                            << "private"
                                                            << "cache";
    QTest::newRow("cache-folder-private") << ""
                                          << "private"
                                          << "cache";
    QTest::newRow("cache-folder-open-to-all") << ""
                                              << "open"
                                              << "";
    QTest::newRow("cache-folder-readable-by-the-group") << ""
                                                        << "group"
                                                        << "";
    QTest::newRow("cache-folder-of-another-user") << "foreign"
                                                  << "foreign"
                                                  << "";
    QTest::newRow("cache-folder-a-link-to-a-private-one") << ""
                                                          << "link"
                                                          << "";
}

void tst_SingleInstance::onlyAPrivateFolderHoldsTheSocket()
{
    QFETCH(QString, runtime);
    QFETCH(QString, cache);
    QFETCH(QString, expected);
    if ((runtime == "foreign" || cache == "foreign") && ::geteuid() != 0)
        QSKIP("another user's folder can only be made as root");
    QTemporaryDir top;
    const auto make = [&top](const QString &path, const QString &kind) {
        const QString elsewhere = top.filePath("elsewhere-" + QFileInfo(path).fileName());
        if (kind.isEmpty())
            return true;
        if (kind == "link")
            return QDir().mkpath(elsewhere) && ::chmod(QFile::encodeName(elsewhere), 0700) == 0
                   && QFile::link(elsewhere, path);
        const mode_t mode = kind == "open" ? 0777 : kind == "group" ? 0750 : 0700;
        return QDir().mkpath(path) && ::chmod(QFile::encodeName(path), mode) == 0
               && (kind != "foreign" || ::chown(QFile::encodeName(path), 65534, 65534) == 0);
    };
    const QString runtimeFolder = top.filePath("runtime");
    const QString cacheHome = top.filePath("cache");
    QVERIFY(QDir().mkpath(cacheHome));
    QVERIFY(make(runtimeFolder, runtime));
    QVERIFY(make(cacheHome + "/qvasmide", cache));

    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray cacheBefore = qgetenv("XDG_CACHE_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_RUNTIME_DIR", runtimeBefore);
        if (cacheBefore.isEmpty())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv("XDG_CACHE_HOME", cacheBefore);
    });
    if (runtime.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.toUtf8());
    qputenv("XDG_CACHE_HOME", cacheHome.toUtf8());

    const QString name = SingleInstance::serverNameFor(top.filePath("a.ini"));
    if (expected.isEmpty()) {
        QCOMPARE(name, QString());
        QTest::ignoreMessage(QtWarningMsg,
                             "qvasmide: no private folder for the single-instance socket; "
                             "running alone");
        // Without a folder the program runs alone: nothing is handed over, nothing listens.
        SingleInstance alone(name);
        QVERIFY(!alone.handOff({"/x.asm"}));
        QVERIFY(alone.claim({"/x.asm"}));
        QVERIFY(!alone.isListening());
        return;
    }
    const QString folder = expected == "runtime" ? runtimeFolder : cacheHome + "/qvasmide";
    QCOMPARE(QFileInfo(name).absolutePath(), folder);
    struct stat info
    {};
    QCOMPARE(::lstat(QFile::encodeName(folder), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0700));
    SingleInstance first(name);
    QVERIFY(first.claim({}));
    QVERIFY(first.isListening());
}

void tst_SingleInstance::anotherUsersListenerIsNotHandedTheFile()
{
    if (::geteuid() != 0)
        QSKIP("another user's listener can only be started as root");
    // A folder everyone may use, so that the other user's socket can be there at all.
    QTemporaryDir open;
    QVERIFY(::chmod(QFile::encodeName(open.path()), 0777) == 0);
    const QString name = open.filePath("listener");
    int ready[2];
    int report[2];
    QVERIFY(::pipe(ready) == 0 && ::pipe(report) == 0);
    // It greets as a running copy would, and passes on whatever it is sent.
    const pid_t child = asAnotherUser([&] {
        const int fd = bindAndListen(name);
        const char ok = fd >= 0 ? 'y' : 'n';
        (void) ::write(ready[1], &ok, 1);
        if (fd < 0)
            return 1;
        const int peer = ::accept(fd, nullptr, nullptr);
        const QByteArray greeting = "qvasmide-listening-2\n";
        (void) ::write(peer, greeting.constData(), size_t(greeting.size()));
        const QByteArray got = readToEnd(peer);
        (void) ::write(report[1], got.constData(), size_t(got.size()));
        return 0;
    });
    ::close(ready[1]);
    ::close(report[1]);
    char ok = 0;
    QCOMPARE(::read(ready[0], &ok, 1), ssize_t(1));
    QCOMPARE(ok, 'y');

    SingleInstance second(name);
    QVERIFY(!second.handOff({"/home/me/secret plans.asm"}));
    QCOMPARE(waitForChild(child), 0);
    const QByteArray received = readToEnd(report[0]);
    ::close(ready[0]);
    ::close(report[0]);
    QVERIFY2(!received.contains("secret"), received.constData());
}

void tst_SingleInstance::anotherUsersCopyIsNotListenedTo()
{
    if (::geteuid() != 0)
        QSKIP("another user's copy can only be started as root");
    QTemporaryDir open;
    QVERIFY(::chmod(QFile::encodeName(open.path()), 0777) == 0);
    const QString name = open.filePath("listener");
    SingleInstance first(name);
    QVERIFY(first.claim({}));
    QVERIFY(::chmod(QFile::encodeName(name), 0777) == 0);
    QSignalSpy handed(&first, &SingleInstance::activationRequested);
    QSignalSpy refused(&first, &SingleInstance::foreignPeerRefused);

    // A well-formed message, sent without waiting for a greeting; the child's exit code says
    // whether anything came back.
    const pid_t child = asAnotherUser([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(name);
        memcpy(address.sun_path, path.constData(), size_t(path.size()));
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0)
            return 2;
        const QByteArray payload = QByteArray("/etc/shadow") + '\0';
        QByteArray message = "qvasmide-activate-2\n";
        message += QByteArray(3, '\0') + char(payload.size()) + payload;
        (void) ::write(fd, message.constData(), size_t(message.size()));
        return readToEnd(fd).isEmpty() ? 0 : 3;
    });
    QVERIFY(refused.wait(kGiveUpMs));
    QCOMPARE(waitForChild(child), 0);
    QCoreApplication::processEvents();
    QCOMPARE(handed.size(), 0);
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
