#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "base/AtomicFileWriter.h"
#include "base/RegularFile.h"
#include "editor/HelpFile.h"
#include "editor/KeywordIndex.h"
#include "editor/SourceFileCodec.h"
#include "workspace/WorkspaceRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// What each reader of the program makes of a path: true when it read the file.
using Reader = std::function<bool(const QString &)>;

bool readsAsSource(const QString &path)
{
    return SourceFileCodec::readFile(path).ok;
}

bool readsAsWorkspace(const QString &path)
{
    WorkspaceRecord record;
    return record.load(path) != WorkspaceRecord::LoadResult::NotOpenable;
}

bool readsAsHelpFile(const QString &path)
{
    HelpFile help(path);
    return help.ensureLoaded();
}

bool readsAsKeywordFile(const QString &path)
{
    KeywordIndex index;
    return index.addKeywordFile(path) >= 0;
}

QString makeFifo(const QTemporaryDir &dir, const char *name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
}

QString makeSocket(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("s"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path)
        return QString();
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound ? path : QString();
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

Q_DECLARE_METATYPE(Reader)

class tst_RegularFile : public QObject
{
    Q_OBJECT

private slots:
    void readersRefuseWhatIsNotARegularFile_data();
    void readersRefuseWhatIsNotARegularFile();
    void refusalSaysWhatThePathIs();
    void nameThatIsNotUtf8IsExplained();
    void saveNeverReplacesWhatIsNotARegularFile();
    void saveKeepsModeAndOwner_data();
    void saveKeepsModeAndOwner();
    void fullDiskIsNamed();
};

void tst_RegularFile::readersRefuseWhatIsNotARegularFile_data()
{
    QTest::addColumn<Reader>("reader");
    QTest::newRow("source") << Reader(readsAsSource);
    QTest::newRow("workspace") << Reader(readsAsWorkspace);
    QTest::newRow("help-file") << Reader(readsAsHelpFile);
    QTest::newRow("keyword-file") << Reader(readsAsKeywordFile);
}

// A named pipe nobody writes to would block open() for ever and a device never ends; each
// reader must come back at once and read nothing. A regular file and a link to one still read.
void tst_RegularFile::readersRefuseWhatIsNotARegularFile()
{
    QFETCH(Reader, reader);
    QTemporaryDir dir;
    const QString fifo = makeFifo(dir, "pipe.asm");
    QVERIFY(!fifo.isEmpty());
    const QString linkToFifo = dir.filePath("link.asm");
    QVERIFY(QFile::link(fifo, linkToFifo));
    const QString regular = dir.filePath("main.asm");
    QVERIFY(writeFileBytes(regular, QByteArray(32768, '\xde')));
    const QString linkToRegular = dir.filePath("good.asm");
    QVERIFY(QFile::link(regular, linkToRegular));

    QVERIFY(!reader(fifo));
    QVERIFY(!reader(linkToFifo));
    QVERIFY(!reader(QStringLiteral("/dev/zero")));
    QVERIFY(!reader(dir.path()));
    QVERIFY(!reader(dir.filePath("missing.asm")));
    QVERIFY(!reader(QString()));
    QVERIFY(reader(regular));
    QVERIFY(reader(linkToRegular));
}

void tst_RegularFile::refusalSaysWhatThePathIs()
{
    QTemporaryDir dir;
    const QString fifo = makeFifo(dir, "pipe");
    const QString socket = makeSocket(dir);
    QVERIFY(!fifo.isEmpty());
    QVERIFY(!socket.isEmpty());
    const struct
    {
        QString path;
        const char *text;
    } cases[] = {
        {fifo, "Is a named pipe, not a file"},
        {socket, "Is a socket, not a file"},
        {QStringLiteral("/dev/null"), "Is a device, not a file"},
        {dir.path(), "Is a folder"},
        {dir.filePath("missing"), std::strerror(ENOENT)},
    };
    for (const auto &c : cases) {
        QFile file;
        QString error;
        QVERIFY2(!RegularFile::openForReading(file, c.path, &error), qPrintable(c.path));
        QCOMPARE(error, QString::fromLocal8Bit(c.text));
        QVERIFY(!file.isOpen());
    }
}

// Qt shows a name's stray bytes as U+FFFD, and that name can't reach the file again: the refusal
// says why. A missing name with U+FFFD, or one whose UTF-8 really holds U+FFFD, is not such a
// file; the latter opens like any other.
void tst_RegularFile::nameThatIsNotUtf8IsExplained()
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const QByteArray latin1 = "caf\xe9.asm", truncated = "x\xe2\x82.asm";
    for (const QByteArray &name : {latin1, truncated}) {
        const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    const QString realReplacement = dir.filePath(QStringLiteral("real\uFFFD.asm"));
    QVERIFY(writeFileBytes(realReplacement, "ret\r\n"));

    for (const QByteArray &name : {latin1, truncated}) {
        const QString shown = QFile::decodeName(folder + name);
        QVERIFY(shown.contains(QChar::ReplacementCharacter));
        QFile file;
        QString error;
        QVERIFY(!RegularFile::openForReading(file, shown, &error));
        QVERIFY2(error.contains(QLatin1String("not valid UTF-8")), qPrintable(error));
        QVERIFY(!readsAsSource(shown));
        QVERIFY(!readsAsWorkspace(shown));
    }
    QFile file;
    QString error;
    QVERIFY(
        !RegularFile::openForReading(file, dir.filePath(QStringLiteral("gone\uFFFD.asm")), &error));
    QCOMPARE(error, QString::fromLocal8Bit(std::strerror(ENOENT)));
    QVERIFY(
        RegularFile::undecodableNameText(dir.filePath(QStringLiteral("caf\u00e9.asm"))).isEmpty());
    QVERIFY(RegularFile::undecodableNameText(realReplacement).isEmpty());
    QVERIFY(RegularFile::openForReading(file, realReplacement, &error));
}

// Only pipes and links to them here: a fault must never get the chance to replace /dev/null.
void tst_RegularFile::saveNeverReplacesWhatIsNotARegularFile()
{
    QTemporaryDir dir;
    const QString fifo = makeFifo(dir, "target.com");
    QVERIFY(!fifo.isEmpty());
    const QString link = dir.filePath("link.qvw");
    QVERIFY(QFile::link(fifo, link));
    const QString socket = makeSocket(dir);

    for (const QString &target : {fifo, link, socket, dir.filePath("sub")}) {
        QDir(dir.path()).mkpath(QStringLiteral("sub"));
        const mode_t before = modeOf(target);
        QString error;
        QVERIFY2(!AtomicFileWriter::write(target, "bytes", &error), qPrintable(target));
        QVERIFY(!error.isEmpty());
        QVERIFY(!SourceFileCodec::writeFile(target, QStringLiteral("x"), SourceFileFormat()));
        QCOMPARE(modeOf(target), before);
    }
    QVERIFY(S_ISFIFO(modeOf(fifo)));
    QVERIFY(RegularFile::isWritableTarget(dir.filePath("new.asm")));
}

void tst_RegularFile::saveKeepsModeAndOwner_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("read-only") << 0444;
    QTest::newRow("private") << 0600;
    QTest::newRow("group-writable") << 0664;
    QTest::newRow("executable") << 0755;
}

void tst_RegularFile::saveKeepsModeAndOwner()
{
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath("main.asm");
    QVERIFY(writeFileBytes(path, "old\r\n"));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    const bool root = ::geteuid() == 0;
    const uid_t otherUser = 65534;
    if (root)
        QCOMPARE(::chown(QFile::encodeName(path).constData(), otherUser, otherUser), 0);

    QVERIFY(AtomicFileWriter::write(path, "new\r\n"));
    QCOMPARE(readFileBytes(path), QByteArray("new\r\n"));
    QCOMPARE(int(modeOf(path) & 07777), mode);
    if (root) {
        QCOMPARE(QFileInfo(path).ownerId(), otherUser);
        QCOMPARE(QFileInfo(path).groupId(), otherUser);
    }
}

// The disk stops taking bytes part-way through: the message is the system's reason, not
// "Unknown error", and the old file stays whole.
void tst_RegularFile::fullDiskIsNamed()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("main.asm");
    QVERIFY(writeFileBytes(path, "old\r\n"));
    QString error;
    {
        FileSizeLimit full(1000);
        QVERIFY(full.isActive());
        QVERIFY(!AtomicFileWriter::write(path, QByteArray(4000, 'x'), &error));
    }
    QCOMPARE(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    QCOMPARE(readFileBytes(path), QByteArray("old\r\n"));
}

QTEST_MAIN(tst_RegularFile)
#include "tst_regularfile.moc"
