#include "Disassembler.h"
#include "Tool.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qvdisasm;

class tst_QvdisasmTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badInputIsOneLineAndExitCodeOne_data();
    void badInputIsOneLineAndExitCodeOne();
    void unreadableFileIsRefused();
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

// mov ax,1 / int 21h / jmp short $ / a lone lock prefix / ud2
static const QByteArray Sample = QByteArray::fromHex("b80100cd21ebfef00f0b");

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
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void tst_QvdisasmTool::badInputIsOneLineAndExitCodeOne_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const QString sample = write("sample.bin", Sample);
    const QString empty = write("empty.bin", {});
    const QString fifo = m_dir.filePath("fifo");
    ::mkfifo(fifo.toLocal8Bit().constData(), 0600);

    QTest::newRow("no-arguments") << QStringList{} << "usage: qvdisasm FILE";
    QTest::newRow("missing-file") << QStringList{m_dir.filePath("nope.bin"), "/b"}
                                  << "No such file or directory";
    QTest::newRow("a-folder") << QStringList{m_dir.path(), "/b"} << "is a folder, not a file";
    QTest::newRow("path-through-a-file") << QStringList{sample + "/x", "/b"} << "Not a directory";
    QTest::newRow("empty-file") << QStringList{empty, "/o0x00000100", "/e0x00000000"} << "is empty";
    QTest::newRow("shorter-than-skip") << QStringList{sample, "/e0x00000200"}
                                       << "has 10 bytes, nothing is left after skipping 0x00000200";
    QTest::newRow("skip-equals-size")
        << QStringList{sample, "/e0x0000000A"} << "nothing is left after skipping 0x0000000A";
    QTest::newRow("skip-beyond-4GB")
        << QStringList{sample, "/e0x100000000"} << "skip is not a number below 4 GB";
    // Opening a FIFO for reading would wait for a writer forever.
    QTest::newRow("fifo-does-not-hang") << QStringList{fifo} << "is not a regular file";
    QTest::newRow("unknown-switch") << QStringList{sample, "/q"} << "unknown switch: /q";
}

void tst_QvdisasmTool::badInputIsOneLineAndExitCodeOne()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.isEmpty(), run.out.constData());
    QVERIFY(run.err.startsWith("qvdisasm: "));
    QVERIFY(run.err.endsWith("\r\n"));
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
}

void tst_QvdisasmTool::unreadableFileIsRefused()
{
    if (::geteuid() == 0)
        QSKIP("root reads files whatever their permissions");
    const QString path = write("locked.bin", Sample);
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    const Run run = runTool({path, "/b"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("Permission denied"), run.err.constData());
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
    QTest::newRow("32bit") << QStringList{"/o0x00401000", "/e0x00000000", "/B"}
                           << "00401000  B80100CD21        mov     eax, 21CD0001h\r\n"
                              "00401005  EBFE              jmp     short 00401005h\r\n"
                              "00401007  F0                db      0F0h\r\n"
                              "00401008  0F0B              ud2\r\n"
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
    QFile listing(listingPath);
    QVERIFY(listing.open(QIODevice::ReadOnly));
    const QByteArray chunked = listing.readAll();
    QVERIFY(chunked.size() > 10 * bytes.size());
    QVERIFY(chunked == QByteArray::fromStdString(whole.text()));
}

QTEST_GUILESS_MAIN(tst_QvdisasmTool)
#include "tst_qvdisasmtool.moc"
