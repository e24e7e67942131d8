// The qvasm program as the IDE runs it: command line, switches, the bytes of its standard
// output, its exit code and the files it leaves behind.

#include "TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    QByteArray out;
    QByteArray err;
    int exitCode = -1;
};

const char kHello[] = ".model tiny\r\n.code\r\n        org 100h\r\n        mov ah, 9\r\n"
                      "        mov dx, offset msg\r\n        int 21h\r\n        .exit\r\n"
                      "msg     db 'Hi$'\r\n.end\r\n";

} // namespace

class tst_QvasmTool : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void outputFollowsTheContractByteForByte();
    void exitCodeAndTarget_data();
    void exitCodeAndTarget();
    void commandLineErrorsAreLineZero_data();
    void commandLineErrorsAreLineZero();
    void targetArgumentAndOutfile();
    void listingsNextToTheSource();
    void includeFolderSwitch();
    void smallModelWritesAnObject();
    void beepOnError();

private:
    Run qvasm(const QStringList &args);
    QString write(const QString &name, const QByteArray &text);
    QByteArray read(const QString &name) const { return readFileBytes(m_dir->filePath(name)); }

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_QvasmTool::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

Run tst_QvasmTool::qvasm(const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/qvasm", args);
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.exitCode = p.exitCode();
    return r;
}

QString tst_QvasmTool::write(const QString &name, const QByteArray &text)
{
    const QString path = m_dir->filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    writeFileBytes(path, text);
    return path;
}

void tst_QvasmTool::outputFollowsTheContractByteForByte()
{
    const QString src = write("bad.asm",
                              ".model tiny\r\n.code\r\n org 100h\r\n mov ax, nothere\r\n"
                              " mov bl, 300\r\n mov ax, [bx-70000h]\r\n.end\r\n");
    const Run r = qvasm({src});
    const QByteArray path = src.toUtf8();
    const QByteArray expected = "\r\n\t" + path
                                + " (4):  error 21h Symbol not defined:  nothere\r\n"
                                  "        mov ax, nothere\r\n\t"
                                + path
                                + " (5):  error 17h Illegal size for operand:  12Ch\r\n"
                                  "        mov bl, 300\r\n\t"
                                + path
                                + " (6):  error 17h Illegal size for operand:  -70000h\r\n"
                                  "        mov ax, [bx-70000h]\r\n\r\n";
    QVERIFY2(r.out.startsWith(expected), r.out.constData());
    const QList<QByteArray> trailer = r.out.mid(expected.size()).split('\n');
    QVERIFY(QRegularExpression("^Symbol space free: +\\d+\r$").match(trailer[0]).hasMatch());
    QCOMPARE(trailer[1], QByteArray("Total errors:        3\r"));
    QCOMPARE(trailer[2], QByteArray("Total diags:         0\r"));
    // Every line ends in CR LF; no bare LF anywhere.
    QCOMPARE(r.out.count('\n'), r.out.count("\r\n"));
    QCOMPARE(r.exitCode, 3);
}

void tst_QvasmTool::exitCodeAndTarget_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output"); // a piece of the output
    QTest::addColumn<QByteArray>("com");    // the target's bytes; null: none left behind

    QByteArray many = ".model tiny\r\n.code\r\n";
    for (int i = 0; i < 300; ++i)
        many += " mov ax, undefined" + QByteArray::number(i) + "\r\n";
    const QByteArray diag
        = ".model tiny\r\n.code\r\n org 100h\r\n jmp next\r\nnext: nop\r\n.end\r\n";
    const QByteArray boot = ".model tiny\r\n.code\r\n org 7C00h\r\n hlt\r\n db 509 dup (0)\r\n"
                            " dw 0AA55h\r\n.end\r\n";
    const QByteArray jumps = ".model tiny\r\n.code\r\n org 100h\r\n je there\r\n"
                             " db 200 dup (0)\r\nthere: jmp back\r\nback: add bx, 1\r\n.end\r\n";
    const QByteArray none;

    QTest::newRow("clean") << QByteArray(kHello) << QStringList() << 0
                           << QByteArray("\r\n\r\nSymbol space free:")
                           << QByteArray::fromHex("b409ba0c01cd21b8004ccd21486924");
    // An older build of the same name goes too.
    QTest::newRow("errors-leave-no-target")
        << QByteArray(".model tiny\r\n.code\r\n mov ax, nope\r\n.end\r\n") << QStringList() << 1
        << QByteArray("Total errors:        1\r\n") << none;
    QTest::newRow("exit-code-stops-at-255")
        << many + ".end\r\n"
        << QStringList() << 255 << QByteArray("Total errors:        300\r\n") << none;
    QTest::newRow("diagnostics-alone-still-build")
        << diag << QStringList() << 1
        << QByteArray("(4):   diag 76h Diagnostic: Could use SHORT jump\r\n")
        << QByteArray::fromHex("e90000"
                               "90");
    QTest::newRow("d-drops-diagnostics")
        << diag << QStringList{"/d"} << 0 << QByteArray("Total diags:         0\r\n")
        << QByteArray::fromHex("e90000"
                               "90");
    // The error and a diagnostic (jmp back could be short): two.
    QTest::newRow("jump-out-of-range")
        << jumps << QStringList() << 2 << QByteArray("(4):  error 43h jump out of range by ")
        << none;
    // jne over a near jmp; then the optimiser's short jmp and sign-extended immediate.
    QTest::newRow("j-and-o") << jumps << QStringList{"/j", "/o"} << 0 << QByteArray()
                             << QByteArray::fromHex("7503e9c800") + QByteArray(200, 0)
                                    + QByteArray::fromHex("eb0083c301");
    QTest::newRow("syntax-check-writes-nothing")
        << QByteArray(kHello) << QStringList{"/s", "/x"} << 0 << QByteArray() << none;
    QTest::newRow("boot-sector") << boot << QStringList{"/wa"} << 0 << QByteArray()
                                 << QByteArray::fromHex("f4") + QByteArray(509, 0) + "\x55\xAA";
    QTest::newRow("not-a-boot-sector")
        << QByteArray(kHello) << QStringList{"/wb"} << 1
        << QByteArray("(0):  error 01h Error reading/writing to drive.") << none;
}

void tst_QvasmTool::exitCodeAndTarget()
{
    QFETCH(QByteArray, source);
    QFETCH(QStringList, switches);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, com);
    if (com.isNull() && exitCode)
        write("t.com", "an older build"); // errors remove it
    const Run r = qvasm(QStringList{write("t.asm", source)} + switches);
    QVERIFY2(r.out.contains(output), r.out.constData());
    QCOMPARE(r.exitCode, exitCode);
    if (com.isNull())
        QVERIFY(!QFile::exists(m_dir->filePath("t.com")));
    else
        QCOMPARE(read("t.com"), com);
    QVERIFY(!QFile::exists(m_dir->filePath("t.lst")));
}

void tst_QvasmTool::commandLineErrorsAreLineZero_data()
{
    // Relative to the folder qvasm runs in, where ok.asm is.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("unknown-switch")
        << QStringList{"ok.asm", "/q"} << QByteArray("\t- (0):  error 22h Syntax error:  /q\r\n");
    QTest::newRow("switch-case-matters")
        << QStringList{"ok.asm", "/S"} << QByteArray("\t- (0):  error 22h Syntax error:  /S\r\n");
    // Not a target path at the root of the file system.
    QTest::newRow("include-folder-without-braces")
        << QStringList{"ok.asm", "/iinc"}
        << QByteArray("\t- (0):  error 0Eh Path expected after /I option:  /iinc\r\n");
    QTest::newRow("library-folder-without-braces")
        << QStringList{"ok.asm", "/Llib"}
        << QByteArray("\t- (0):  error 22h Syntax error:  /Llib\r\n");
    QTest::newRow("missing-source")
        << QStringList{"absent.asm"}
        << QByteArray("absent.asm (0):  error 03h Source File Not Found\r\n");
}

void tst_QvasmTool::commandLineErrorsAreLineZero()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, line);
    write("ok.asm", kHello);
    const Run r = qvasm(arguments);
    QVERIFY2(r.out.startsWith("\r\n\t") && r.out.contains(line), r.out.constData());
    QCOMPARE(r.exitCode, 1);
}

void tst_QvasmTool::targetArgumentAndOutfile()
{
    // The path arrives split at its blanks, as a shell-less caller might pass it.
    const QString src = write("my dir/t.asm", kHello);
    Run r = qvasm(src.split(' ') + QStringList{m_dir->filePath("out/other.bin"), "/o"});
    QCOMPARE(r.exitCode, 1); // the folder does not exist: error 07h
    QVERIFY(r.out.contains("error 07h Error creating Target File"));
    QDir(m_dir->path()).mkdir("out");
    r = qvasm(src.split(' ') + QStringList{m_dir->filePath("out/other.bin")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QFile::exists(m_dir->filePath("out/other.bin")));

    // Without TARGET, an outfile line names the output, beside the source.
    const QString named = write("n.asm",
                                ".model tiny\r\noutfile named.bin\r\n.code\r\n nop\r\n.end\r\n");
    QCOMPARE(qvasm({named}).exitCode, 0);
    QVERIFY(QFile::exists(m_dir->filePath("named.bin")));
    QVERIFY(!QFile::exists(m_dir->filePath("n.com")));

    r = qvasm({src, src});
    QVERIFY(r.out.contains("error 06h Target File can not be Source File"));
    QCOMPARE(read("my dir/t.asm"), QByteArray(kHello));
}

void tst_QvasmTool::listingsNextToTheSource()
{
    QByteArray text = ".model tiny\r\n.code\r\n org 100h\r\n";
    for (int i = 0; i < 70; ++i)
        text += " nop\r\n";
    text += "var dw 1234h\r\n .exit\r\n.end\r\n";
    const QString src = write("prog.asm", text);
    QCOMPARE(qvasm({src, "/x"}).exitCode, 0);
    const QByteArray listing = read("prog.lst");
    QVERIFY(listing.contains("     4  0100  90 "));
    QVERIFY(listing.contains("    74  0146  34 12"));
    QVERIFY(QRegularExpression("var +data +0146 +2").match(QString(listing)).hasMatch());
    QVERIFY(!listing.contains('\f'));

    QCOMPARE(qvasm({src, "/X"}).exitCode, 0);
    const QByteArray paged = read("prog.lst");
    QCOMPARE(paged.count('\f'), (paged.count('\n') - 1) / 60);
}

void tst_QvasmTool::includeFolderSwitch()
{
    write("inc dir/defs.inc", "value equ 42\r\n");
    const QString src = write("i.asm",
                              ".model tiny\r\n.code\r\n org 100h\r\ninclude DEFS.INC\r\n"
                              " mov al, value\r\n.end\r\n");
    Run r = qvasm({src});
    QVERIFY(r.out.contains("(4):  error 0Ch Include file not found:  DEFS.INC"));
    // The folder, with its blank, arrives split in two arguments; the name differs in case.
    const QString dir = m_dir->filePath("inc dir");
    r = qvasm({src, "/i{" + dir.section(' ', 0, 0), dir.section(' ', 1) + "}"});
    QVERIFY2(r.exitCode == 0, r.out.constData());
    QCOMPARE(read("i.com"), QByteArray("\xB0\x2A", 2));
}

void tst_QvasmTool::smallModelWritesAnObject()
{
    const QByteArray source = ".model small\r\n.stack\r\n.code\r\n mov ax, @data\r\n"
                              " mov ds, ax\r\n .exit\r\n.data\r\nmsg db 'Hi$'\r\n.end\r\n";
    const QString src = write("s.asm", source);
    const Run r = qvasm({src, "/x"});
    QVERIFY2(r.exitCode == 0, r.out.constData());
    const QByteArray obj = read("s.obj");
    QVERIFY(obj.startsWith(QByteArray("\x80\x07\x00\x05s.asm", 9))); // THEADR
    QVERIFY(!QFile::exists(m_dir->filePath("s.com")));
    // The listing counts each segment from 0.
    const QByteArray listing = read("s.lst");
    QVERIFY2(listing.contains("     4  0000  B8 00 00 "), listing.constData());
    QVERIFY2(listing.contains("     8  0000  48 69 24 "), listing.constData());
    // A failed run leaves no object behind, not even an older one.
    write("s.asm", QByteArray(source).replace("mov ds, ax", "mov ds, nope"));
    write("s.obj", "an older build");
    QVERIFY(qvasm({src}).exitCode != 0);
    QVERIFY(!QFile::exists(m_dir->filePath("s.obj")));
}

void tst_QvasmTool::beepOnError()
{
    QCOMPARE(qvasm({write("b.asm", "mov\r\n"), "/b"}).err, QByteArray("\a"));
    QCOMPARE(qvasm({write("g.asm", kHello), "/b"}).err, QByteArray());
}

QTEST_GUILESS_MAIN(tst_QvasmTool)
#include "tst_qvasmtool.moc"
