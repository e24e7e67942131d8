// What qvasm reads and writes on disk: only regular files, never through a planted link, never
// a pipe, socket or device replaced by a file, and no temporary left behind. Pipes and sockets
// are made in a temporary folder; no test writes to a real device.

#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <QRegularExpression>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const char kHello[] = ".model tiny\r\n.code\r\n        org 100h\r\n        mov ah, 9\r\n"
                      "        int 21h\r\n        .exit\r\n.end\r\n";
const QByteArray kVictim = "the bytes a link points to\n";

struct Run
{
    QByteArray out;
    int exitCode = -1;
    bool finished = false;
};

enum class Node { Fifo, Socket, LinkToFifo, LinkToSocket };

// What lstat sees, so a node replaced by a regular file or a link replaced by a file shows.
mode_t typeOf(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

mode_t permissionsOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

bool makeSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (size_t(name.size()) >= sizeof address.sun_path) {
        ::close(fd);
        return false;
    }
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd); // the socket file stays
    return ok;
}

// Makes a pipe or socket at path, or a link at path to one made beside it; returns the type
// lstat must still see at path afterwards.
mode_t makeNode(const QString &path, Node node)
{
    const bool link = node == Node::LinkToFifo || node == Node::LinkToSocket;
    const QString real = link ? path + ".real" : path;
    const bool fifo = node == Node::Fifo || node == Node::LinkToFifo;
    const bool made = fifo ? ::mkfifo(QFile::encodeName(real).constData(), 0644) == 0
                           : makeSocket(real);
    if (!made)
        return 0;
    if (link && !QFile::link(real, path))
        return 0;
    return link ? S_IFLNK : fifo ? S_IFIFO : S_IFSOCK;
}

} // namespace

Q_DECLARE_METATYPE(Node)

class tst_QvasmFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void targetThatIsNoFileIsRefused_data();
    void targetThatIsNoFileIsRefused();
    void plantedLinksAreNeverFollowed_data();
    void plantedLinksAreNeverFollowed();
    void targetKeepsItsPermissions();
    void replacedFileKeepsItsOwner_data();
    void replacedFileKeepsItsOwner();
    void newTargetGetsTheUsualPermissions();
    void failedWriteLeavesNoTemporary();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();

private:
    Run qvasm(const QStringList &args, qint64 fileSizeLimit = -1);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_QvasmFiles::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

Run tst_QvasmFiles::qvasm(const QStringList &args, qint64 fileSizeLimit)
{
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.setStandardInputFile(QProcess::nullDevice());
    if (fileSizeLimit >= 0) {
        // A write past the limit fails with EFBIG instead of killing the tool.
        p.setChildProcessModifier([fileSizeLimit] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    p.start(qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/qvasm", args);
    Run r;
    // A tool blocked on a pipe would be a failure, not a hang of the test.
    r.finished = p.waitForFinished(20000);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.out = p.readAllStandardOutput();
    r.exitCode = p.exitCode();
    return r;
}

void tst_QvasmFiles::targetThatIsNoFileIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<Node>("node");
    const QStringList none, listing{"/x"};
    QTest::newRow("target-fifo") << "t.com" << none << Node::Fifo;
    QTest::newRow("target-socket") << "t.com" << none << Node::Socket;
    QTest::newRow("target-link-to-fifo") << "t.com" << none << Node::LinkToFifo;
    QTest::newRow("target-link-to-socket") << "t.com" << none << Node::LinkToSocket;
    QTest::newRow("listing-fifo") << "t.lst" << listing << Node::Fifo;
    QTest::newRow("listing-socket") << "t.lst" << listing << Node::Socket;
    QTest::newRow("listing-link-to-fifo") << "t.lst" << listing << Node::LinkToFifo;
}

void tst_QvasmFiles::targetThatIsNoFileIsRefused()
{
    QFETCH(QString, name);
    QFETCH(QStringList, switches);
    QFETCH(Node, node);
    QVERIFY(writeFileBytes(path("t.asm"), kHello));
    const mode_t type = makeNode(path(name), node);
    QVERIFY(type != 0);
    const Run r = qvasm(QStringList{"t.asm", "t.com"} + switches);
    QVERIFY(r.finished);
    QCOMPARE(typeOf(path(name)), type);
    QVERIFY2(r.out.contains("error 07h")
                 && r.out.contains(QFile::encodeName(name) + ": not a regular file"),
             r.out.constData());
    QCOMPARE(r.exitCode, 1);
    if (name == "t.lst")
        QCOMPARE(typeOf(path("t.com")), mode_t(0)); // a run with errors leaves no target
    QCOMPARE(entries().filter(".qvasm-"), QStringList());
}

void tst_QvasmFiles::plantedLinksAreNeverFollowed_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QByteArray>("source");
    const QByteArray broken = ".model tiny\r\n.code\r\n        mov ax, nowhere\r\n.end\r\n";
    // The target and the listing take the link's place; the link's target keeps its bytes.
    QTest::newRow("at-target") << "t.com" << QByteArray(kHello);
    QTest::newRow("at-listing") << "t.lst" << QByteArray(kHello);
    QTest::newRow("at-target-temporary") << "t.com.qvasm-tmp" << QByteArray(kHello);
    QTest::newRow("at-listing-temporary") << "t.lst.qvasm-tmp" << QByteArray(kHello);
    // A failed run removes an older target: the link goes, not what it points to.
    QTest::newRow("at-target-of-failed-run") << "t.com" << broken;
    QTest::newRow("at-listing-of-failed-run") << "t.lst" << broken;
}

void tst_QvasmFiles::plantedLinksAreNeverFollowed()
{
    QFETCH(QString, link);
    QFETCH(QByteArray, source);
    QVERIFY(writeFileBytes(path("t.asm"), source));
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath("victim");
    QVERIFY(writeFileBytes(victim, kVictim));
    QVERIFY(QFile::link(victim, path(link)));

    const Run r = qvasm({"t.asm", "t.com", "/x"});
    QVERIFY(r.finished);
    QCOMPARE(readFileBytes(victim), kVictim);
    QCOMPARE(typeOf(victim), mode_t(S_IFREG));
    if (link == "t.com" && r.exitCode == 0)
        QCOMPARE(typeOf(path(link)), mode_t(S_IFREG));
    QCOMPARE(entries().filter(QRegularExpression("\\.qvasm-(?!tmp$)")), QStringList());
}

void tst_QvasmFiles::targetKeepsItsPermissions()
{
    QVERIFY(writeFileBytes(path("t.asm"), kHello));
    QVERIFY(writeFileBytes(path("t.com"), "old"));
    QVERIFY(::chmod(QFile::encodeName(path("t.com")).constData(), 0750) == 0);
    const Run r = qvasm({"t.asm", "t.com"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(readFileBytes(path("t.com")) != "old");
    QCOMPARE(permissionsOf(path("t.com")), mode_t(0750));
}

void tst_QvasmFiles::replacedFileKeepsItsOwner_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("mode");
    QTest::newRow("target-of-another-user") << "t.com" << 0640;
    QTest::newRow("listing-of-another-user") << "t.lst" << 0640;
    // A change of owner clears the set-group bit; it must come back with the mode.
    QTest::newRow("setgid-target-of-another-user") << "t.com" << 02750;
}

void tst_QvasmFiles::replacedFileKeepsItsOwner()
{
    QFETCH(QString, name);
    QFETCH(int, mode);
    if (::geteuid() != 0)
        QSKIP("only root can give a file to another user");
    constexpr uid_t Other = 12345;
    const QByteArray file = QFile::encodeName(path(name));
    QVERIFY(writeFileBytes(path("t.asm"), kHello));
    QVERIFY(writeFileBytes(path(name), "old"));
    QVERIFY(::chown(file.constData(), Other, Other) == 0);
    QVERIFY(::chmod(file.constData(), mode_t(mode)) == 0);
    const Run r = qvasm({"t.asm", "t.com", "/x"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(readFileBytes(path(name)) != "old");
    struct stat info;
    QVERIFY(::stat(file.constData(), &info) == 0);
    QCOMPARE(info.st_uid, Other);
    QCOMPARE(info.st_gid, gid_t(Other));
    QCOMPARE(info.st_mode & 07777, mode_t(mode));
}

void tst_QvasmFiles::newTargetGetsTheUsualPermissions()
{
    QVERIFY(writeFileBytes(path("t.asm"), kHello));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    const Run r = qvasm({"t.asm", "t.com", "/x"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(permissionsOf(path("t.com")), mode_t(0666 & ~mask));
    QCOMPARE(permissionsOf(path("t.lst")), mode_t(0666 & ~mask));
}

void tst_QvasmFiles::failedWriteLeavesNoTemporary()
{
    QVERIFY(writeFileBytes(path("t.asm"), kHello));
    QVERIFY(writeFileBytes(path("t.com"), "old"));
    // The 9-byte program fits in 16 bytes, its listing does not; the failed listing is an error,
    // so the older target goes as well.
    const Run r = qvasm({"t.asm", "t.com", "/x"}, 16);
    QVERIFY(r.finished);
    QVERIFY2(r.out.contains("error 07h") && r.out.contains("t.lst: File too large"),
             r.out.constData());
    QCOMPARE(entries(), QStringList({"t.asm"}));
}

void tst_QvasmFiles::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("node");   // what sits at inc.asm or at t.asm
    QTest::addColumn<bool>("asInclude"); // read through "include inc.asm" or as the source
    QTest::newRow("source-fifo") << "fifo" << false;
    QTest::newRow("source-link-to-fifo") << "link-fifo" << false;
    QTest::newRow("source-socket") << "socket" << false;
    QTest::newRow("source-link-to-endless-device") << "/dev/zero" << false;
    QTest::newRow("include-fifo") << "fifo" << true;
    QTest::newRow("include-socket") << "socket" << true;
    QTest::newRow("include-link-to-endless-device") << "/dev/zero" << true;
}

void tst_QvasmFiles::onlyRegularFilesAreRead()
{
    QFETCH(QString, node);
    QFETCH(bool, asInclude);
    const QString name = asInclude ? "inc.asm" : "t.asm";
    if (asInclude)
        QVERIFY(writeFileBytes(path("t.asm"),
                               ".model tiny\r\n.code\r\ninclude inc.asm\r\n.exit\r\n.end\r\n"));
    if (node.startsWith('/'))
        QVERIFY(QFile::link(node, path(name))); // read only, never written
    else if (node == "fifo")
        QVERIFY(makeNode(path(name), Node::Fifo));
    else if (node == "link-fifo")
        QVERIFY(makeNode(path(name), Node::LinkToFifo));
    else
        QVERIFY(makeNode(path(name), Node::Socket));

    const Run r = qvasm({"t.asm", "t.com"});
    QVERIFY2(r.finished, "qvasm blocked on a file that is not a regular file");
    QVERIFY2(r.out.contains("error 05h") && r.out.contains("not a regular file"), r.out.constData());
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!QFileInfo::exists(path("t.com")));
}

QTEST_GUILESS_MAIN(tst_QvasmFiles)
#include "tst_qvasmfiles.moc"
