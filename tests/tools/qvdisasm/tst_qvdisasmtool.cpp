// qvdisasm as the IDE runs it: its command line, its one-line refusals with exit code 1, the
// columns of its listing.

#include "Disassembler.h"
#include "Options.h"
#include "TestFiles.h"
#include "Tool.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace qvdisasm;

class tst_QvdisasmTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void switchesAreRead_data();
    void switchesAreRead();
    void badInputIsOneLineAndExitCodeOne_data();
    void badInputIsOneLineAndExitCodeOne();
    void listingHasTheContractsColumns_data();
    void listingHasTheContractsColumns();
    void chunkBoundariesDoNotSplitInstructions();

private:
    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    Run runTool(const QStringList &arguments);
    QString write(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_dir;
    QString m_program;
};

namespace {

// The parser alone, on what a caller passes.
CommandLine parse(const QStringList &arguments)
{
    std::vector<std::string> storage;
    for (const QString &a : arguments)
        storage.push_back(a.toStdString());
    std::vector<std::string_view> views(storage.begin(), storage.end());
    return parseCommandLine(views);
}

// mov ax,1 / int 21h / jmp short $ / a lone lock prefix / ud2
const QByteArray Sample = QByteArray::fromHex("b80100cd21ebfef00f0b");

} // namespace

void tst_QvdisasmTool::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_program = qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/qvdisasm";
    QVERIFY2(QFile::exists(m_program), qPrintable(m_program));
}

tst_QvdisasmTool::Run tst_QvdisasmTool::runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(m_program, arguments);
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString tst_QvdisasmTool::write(const QString &name, const QByteArray &bytes)
{
    return writeFileBytes(m_dir.filePath(name), bytes) ? m_dir.filePath(name) : QString();
}

void tst_QvdisasmTool::switchesAreRead_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<quint32>("origin");
    QTest::addColumn<quint32>("skip");
    QTest::addColumn<bool>("showBytes");
    QTest::addColumn<bool>("showOffset");
    QTest::addColumn<bool>("bits32");

    // What the IDE sends with its defaults.
    QTest::newRow("ide-defaults") << QStringList{"/a/b.com",
                                                 "/o0x00000100",
                                                 "/e0x00000000",
                                                 "/n",
                                                 "/N",
                                                 "/b"}
                                  << "/a/b.com" << 0x100u << 0u << false << false << false;
    QTest::newRow("boot-sector-32bit")
        << QStringList{"boot.bin", "/o0x00007C00", "/e0x00000200", "/B"} << "boot.bin" << 0x7C00u
        << 0x200u << true << true << true;
    // A path may begin like a switch; only exact switches count.
    QTest::newRow("path-starting-like-switches")
        << QStringList{"/opt/x.bin", "/N"} << "/opt/x.bin" << 0u << 0u << true << false << false;
    QTest::newRow("decimal-and-suffix-numbers") << QStringList{"f", "/o31744", "/e200h"} << "f"
                                                << 31744u << 0x200u << true << true << false;
    QTest::newRow("largest-skip") << QStringList{"f", "/e0xFFFFFFFF"} << "f" << 0u << 0xFFFFFFFFu
                                  << true << true << false;
    // Every digit and letter of each radix, and the top of the range in each spelling.
    QTest::newRow("every-decimal-digit") << QStringList{"f", "/o1234567890", "/e9"} << "f"
                                         << 1234567890u << 9u << true << true << false;
    QTest::newRow("every-hex-letter-upper") << QStringList{"f", "/o0x89ABCDEF", "/e0ABCDEFh"} << "f"
                                            << 0x89ABCDEFu << 0xABCDEFu << true << true << false;
    QTest::newRow("every-hex-letter-lower") << QStringList{"f", "/o0x01234567", "/e0abcdefH"} << "f"
                                            << 0x01234567u << 0xABCDEFu << true << true << false;
    QTest::newRow("largest-origin-decimal")
        << QStringList{"f", "/o4294967295", "/e0FFFFFFFFh"} << "f" << 0xFFFFFFFFu << 0xFFFFFFFFu
        << true << true << false;
    QTest::newRow("last-mode-wins")
        << QStringList{"f", "/B", "/b"} << "f" << 0u << 0u << true << true << false;
}

void tst_QvdisasmTool::switchesAreRead()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(quint32, origin);
    QFETCH(quint32, skip);
    QFETCH(bool, showBytes);
    QFETCH(bool, showOffset);
    QFETCH(bool, bits32);
    const CommandLine result = parse(arguments);
    QVERIFY2(result.options.has_value(), result.error.c_str());
    const Options &o = *result.options;
    QCOMPARE(QString::fromStdString(o.file), file);
    QCOMPARE(o.origin, origin);
    QCOMPARE(o.skip, skip);
    QCOMPARE(o.showBytes, showBytes);
    QCOMPARE(o.showOffset, showOffset);
    QCOMPARE(o.bits32, bits32);
}

void tst_QvdisasmTool::badInputIsOneLineAndExitCodeOne_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const QString sample = write("sample.bin", Sample);
    const QString empty = write("empty.bin", {});
    const QString fifo = m_dir.filePath("fifo");
    ::mkfifo(fifo.toLocal8Bit().constData(), 0600);
    const QString locked = write("locked.bin", Sample);
    QFile::setPermissions(locked, QFileDevice::WriteOwner);

    QTest::newRow("only-switches") << QStringList{"/n", "/N"} << "usage: qvdisasm FILE";
    QTest::newRow("missing-file") << QStringList{m_dir.filePath("nope.bin"), "/b"}
                                  << "No such file or directory";
    QTest::newRow("unreadable") << QStringList{locked, "/b"} << "Permission denied";
    QTest::newRow("a-folder") << QStringList{m_dir.path(), "/b"} << "is a folder, not a file";
    QTest::newRow("empty-file") << QStringList{empty, "/o0x00000100", "/e0x00000000"} << "is empty";
    QTest::newRow("shorter-than-skip") << QStringList{sample, "/e0x00000200"}
                                       << "has 10 bytes, nothing is left after skipping 0x00000200";
    QTest::newRow("skip-equals-size")
        << QStringList{sample, "/e0x0000000A"} << "nothing is left after skipping 0x0000000A";
    // Opening a FIFO for reading would wait for a writer forever.
    QTest::newRow("fifo-does-not-hang") << QStringList{fifo} << "is not a regular file";
    // A device that never ends is not read for ever (read only: nothing is written to it).
    const QString zero = m_dir.filePath("zero-link");
    QFile::link("/dev/zero", zero);
    QTest::newRow("link-to-endless-device") << QStringList{zero, "/b"} << "is not a regular file";
    // A socket can't even be opened; it is named for what it is.
    const QString socketPath = m_dir.filePath("socket");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(socketPath);
    if (fd >= 0 && size_t(socketName.size()) < sizeof address.sun_path) {
        std::memcpy(address.sun_path, socketName.constData(), size_t(socketName.size()));
        ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    if (fd >= 0)
        ::close(fd);
    QTest::newRow("socket") << QStringList{socketPath, "/b"} << "is not a regular file";
    QTest::newRow("origin-beyond-4GB")
        << QStringList{sample, "/o4294967296"} << "origin is not a number below 4 GB: /o4294967296";
    QTest::newRow("hex-without-digits")
        << QStringList{sample, "/o0x"} << "origin is not a number below 4 GB: /o0x";
    QTest::newRow("hex-digit-in-decimal")
        << QStringList{sample, "/e7C00"} << "skip is not a number below 4 GB: /e7C00";
    // A second name after the file is refused as an unknown switch.
    QTest::newRow("second-file") << QStringList{sample, "b"} << "unknown switch: b";
    QTest::newRow("empty-argument") << QStringList{sample, ""} << "empty argument";
}

void tst_QvdisasmTool::badInputIsOneLineAndExitCodeOne()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    if (QTest::currentDataTag() == QLatin1String("unreadable") && ::geteuid() == 0)
        QSKIP("root reads files whatever their permissions");
    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.isEmpty(), run.out.constData());
    QVERIFY(run.err.startsWith("qvdisasm: "));
    QVERIFY(run.err.endsWith("\r\n"));
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
}

void tst_QvdisasmTool::listingHasTheContractsColumns_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QByteArray>("listing");

    const QByteArray banner = "QVDISASM   The Quillvane Disassembler   Version  00.24.35\r\n";
    QTest::newRow("both-columns") << QStringList{"/o0x00000100", "/e0x00000000", "/b"}
                                  << "00000100  B80100            mov     ax, 1\r\n"
                                     "00000103  CD21              int     21h\r\n"
                                     "00000105  EBFE              jmp     short 0105h\r\n"
                                     "00000107  F0                db      0F0h\r\n"
                                     "00000108  0F0B              ud2\r\n"
                                         + banner;
    QTest::newRow("offset-only-with-skip") << QStringList{"/o0x7C00", "/e0x00000005", "/n", "/b"}
                                           << "00007C00  jmp     short 7C00h\r\n"
                                              "00007C02  db      0F0h\r\n"
                                              "00007C03  ud2\r\n"
                                                  + banner;
    QTest::newRow("bytes-only") << QStringList{"/o0x00000000", "/e0x00000007", "/N", "/b"}
                                << "F0                db      0F0h\r\n"
                                   "0F0B              ud2\r\n"
                                       + banner;
    // Both columns off: a source for qvasm; bytes it can't give back become db lines.
    QTest::newRow("source") << QStringList{"/o0x00000100", "/e0x00000000", "/n", "/N", "/b"}
                            << "org 100h\r\n.x86\r\n"
                               "        mov     ax, 1\r\n"
                               "        int     21h\r\n"
                               "        jmp     short 0105h\r\n"
                               "        db      0F0h\r\n"
                               "        ud2\r\n"
                                   + banner;
    // qvasm assembles 16-bit code only: a 32-bit source is data with the text as comment.
    QTest::newRow("32bit-source-is-data")
        << QStringList{"/o0x00401000", "/e0x00000000", "/n", "/N", "/B"}
        << "org 1000h ; loaded at 401000h\r\n.x86\r\n"
           "        db      0B8h, 01h, 00h, 0CDh, 21h ; mov     eax, 21CD0001h\r\n"
           "        db      0EBh, 0FEh              ; jmp     short 00401005h\r\n"
           "        db      0F0h\r\n"
           "        db      0Fh, 0Bh                ; ud2\r\n"
               + banner;
}

void tst_QvdisasmTool::listingHasTheContractsColumns()
{
    QFETCH(QStringList, switches);
    QFETCH(QByteArray, listing);
    const Run run = runTool(QStringList{write("sample.bin", Sample)} + switches);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, listing);
}

// The tool reads in 1 MB chunks; its listing must match one made from the whole file at once.
void tst_QvdisasmTool::chunkBoundariesDoNotSplitInstructions()
{
    QByteArray bytes(3 * 1024 * 1024 + 77, Qt::Uninitialized);
    QRandomGenerator random(8);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    const QString path = write("random.bin", bytes);
    const QString listingPath = m_dir.filePath("random.lst");
    const int fd = ::open(listingPath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    const std::string file = path.toStdString();
    const std::string_view args[] = {file, "/o0x00000100", "/e0x00000003", "/b"};
    const int exitCode = run(args, fd, STDERR_FILENO);
    ::close(fd);
    QCOMPARE(exitCode, 0);

    Options options;
    options.origin = 0x100;
    OutputBuffer whole;
    {
        Disassembler disassembler(options, whole);
        disassembler.feed(reinterpret_cast<const uint8_t *>(bytes.constData()) + 3,
                          size_t(bytes.size() - 3),
                          true);
        disassembler.writeFooter();
    }
    whole.flush();
    const QByteArray chunked = readFileBytes(listingPath);
    QVERIFY(chunked.size() > 10 * bytes.size());
    QVERIFY(chunked == QByteArray::fromStdString(whole.text()));
}

QTEST_GUILESS_MAIN(tst_QvdisasmTool)
#include "tst_qvdisasmtool.moc"
