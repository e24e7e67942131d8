// Programs NASM assembles (-f obj), linked by the qvlink program: the load image against NASM's
// flat binary of the same program, the header and relocations worked out by hand, and the
// programs run in DOSBox where it is installed.
#include "../support/DosBoxRun.h"
#include "OmfBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString qvlink()
{
    return qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/qvlink";
}

QString programSource(const QString &name)
{
    return qEnvironmentVariable("QVASMIDE_SOURCE_DIR") + "/tests/tools/qvlink/programs/" + name;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

uint16_t word(const QByteArray &b, int at)
{
    return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

// Assembles `source` into `out` with NASM; false with the reason in `why`.
bool nasm(const QString &source, const QString &out, const QStringList &extra, QString *why)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("nasm", QStringList(extra) << source << "-o" << out);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        *why = "nasm failed: " + QString::fromLocal8Bit(p.readAll());
        return false;
    }
    return true;
}

int link(const QStringList &args, const QString &dir, QByteArray *output)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(qvlink(), args);
    if (!p.waitForFinished(30000))
        return -1;
    *output = p.readAllStandardOutput();
    return p.exitCode();
}

QString relocations(const QByteArray &exe)
{
    QStringList out;
    for (int i = 0; i < word(exe, 6); ++i) {
        const int at = word(exe, 0x18) + 4 * i;
        out << QString("%1:%2")
                   .arg(word(exe, at + 2), 4, 16, QChar('0'))
                   .arg(word(exe, at), 4, 16, QChar('0'))
                   .toUpper();
    }
    return out.join(' ');
}

// A module NASM can't write: data as LIDATA repeat blocks ("ab" five times, then "!$").
std::string iteratedDataObject()
{
    using OB = OmfBuilder;
    OB b;
    b.theadr("dup.asm").lnames({"", "CODE", "DATA", "STACK"});
    b.segdef(0x68, 17, 2, 2).segdef(0x68, 12, 3, 3).segdef(0x74, 0x100, 4, 4);
    // mov ax, DATA / mov ds, ax / mov dx, 0 / mov ah, 9 / int 21h / mov ax, 4C00h / int 21h
    b.ledata(1,
             0,
             std::string("\xB8\x00\x00\x8E\xD8\xBA\x00\x00\xB4\x09\xCD\x21\xB8\x00\x4C\xCD\x21",
                         17));
    b.fixupp(OB::fixup(true, 2, 1, OB::fixData(5, 0, 0, 2)));
    b.lidata(2, 0, OB::repeatBlocks(1, {OB::repeat(5, "ab"), OB::repeat(1, "!$")}));
    b.modendStart(0, 1, 0, 1, 0);
    return b.bytes;
}

} // namespace

class tst_QvLinkPrograms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void imageMatchesFlatBuild();
    void twoModules();
    void runs_data();
    void runs();

private:
    bool m_haveNasm = false;
};

void tst_QvLinkPrograms::initTestCase()
{
    QVERIFY2(QFile::exists(qvlink()), qPrintable(qvlink()));
    m_haveNasm = !QStandardPaths::findExecutable("nasm").isEmpty();
}

void tst_QvLinkPrograms::imageMatchesFlatBuild()
{
    if (!m_haveNasm)
        QSKIP("nasm is not installed: the NASM programs are not linked");
    QTemporaryDir dir;
    QString why;
    QVERIFY2(nasm(programSource("farcalls.asm"), dir.filePath("far.obj"), {"-f", "obj"}, &why),
             qPrintable(why));
    QVERIFY2(nasm(programSource("farcalls.asm"),
                  dir.filePath("far.bin"),
                  {"-f", "bin", "-DBIN"},
                  &why),
             qPrintable(why));
    QByteArray out;
    QCOMPARE(link({"far.obj"}, dir.path(), &out), 0);
    const QByteArray exe = readFile(dir.filePath("far.exe"));
    const QByteArray flat = readFile(dir.filePath("far.bin"));
    QVERIFY(!flat.isEmpty());

    // code 0-3Fh, code2 40h-5Fh, data 60h-84h (DGROUP), stack 90h-18Fh after the image.
    const int header = word(exe, 8) * 16;
    QCOMPARE(header, 0x30); // 1Ch + 3 relocations, in paragraphs
    QCOMPARE(exe.mid(header), flat);
    // mov ax, data; the segment word of call far farproc; dw seg farproc2 in data.
    QCOMPARE(relocations(exe), QString("0000:0001 0000:000F 0006:001D"));
    QCOMPARE(word(exe, 2), uint16_t((0x30 + 0x85) % 512));
    QCOMPARE(word(exe, 4), uint16_t(1));
    QCOMPARE(word(exe, 0x0A), uint16_t(0x19 - 0x09)); // paragraphs past the image
    QCOMPARE(word(exe, 0x0E), uint16_t(0x09));        // SS
    QCOMPARE(word(exe, 0x10), uint16_t(0x100));       // SP
    QCOMPARE(word(exe, 0x14), uint16_t(0));           // IP
    QCOMPARE(word(exe, 0x16), uint16_t(0));           // CS
}

void tst_QvLinkPrograms::twoModules()
{
    if (!m_haveNasm)
        QSKIP("nasm is not installed: the NASM programs are not linked");
    QTemporaryDir dir;
    QString why;
    for (const QString &m : {QString("twomain"), QString("twogreet")})
        QVERIFY2(nasm(programSource(m + ".asm"), dir.filePath(m + ".obj"), {"-f", "obj"}, &why),
                 qPrintable(why));
    QByteArray out;
    QCOMPARE(link({"twomain.obj", "twogreet.obj", "/e{two.exe}"}, dir.path(), &out), 0);
    const QByteArray exe = readFile(dir.filePath("two.exe"));
    // code: main's 18h bytes, then greet's piece at 18h; data: "main $" then counter at 6.
    const QByteArray image = exe.mid(word(exe, 8) * 16);
    QCOMPARE(image.mid(5, 3).toHex(' '), QByteArray("e8 10 00"));    // call greet: 18h - 8
    QCOMPARE(image.mid(8, 4).toHex(' '), QByteArray("8a 16 06 00")); // mov dl, [DGROUP:6]
    QCOMPARE(image.mid(0x18, 3).toHex(' '), QByteArray("ba 07 00")); // mov dx, DGROUP:msg
    QCOMPARE(relocations(exe), QString("0000:0001"));
}

void tst_QvLinkPrograms::runs_data()
{
    QTest::addColumn<QStringList>("sources"); // .asm under programs/, or "*dup" for LIDATA
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("far procedure in a second code segment")
        << QStringList{"farcalls.asm"} << QByteArray("Hello far pointer bye\r\n");
    QTest::newRow("two modules") << QStringList{"twomain.asm", "twogreet.asm"}
                                 << QByteArray("two modules 7");
    QTest::newRow("iterated data") << QStringList{"*dup"} << QByteArray("ababababab!");
    QTest::newRow("classes and DGROUP across modules")
        << QStringList{"classmain.asm", "classother.asm"} << QByteArray("FX");
}

void tst_QvLinkPrograms::runs()
{
    QFETCH(QStringList, sources);
    QFETCH(QByteArray, output);
    if (DosBoxRun::program().isEmpty())
        QSKIP("dosbox is not installed: the linked programs are not run");
    if (!m_haveNasm && !sources.first().startsWith('*'))
        QSKIP("nasm is not installed: the NASM programs are not linked");
    QTemporaryDir dir;
    QStringList objects;
    for (const QString &s : sources) {
        const QString obj = QString("M%1.OBJ").arg(objects.size());
        if (s == "*dup") {
            QFile f(dir.filePath(obj));
            QVERIFY(f.open(QIODevice::WriteOnly));
            const std::string bytes = iteratedDataObject();
            f.write(bytes.data(), qint64(bytes.size()));
        } else {
            QString why;
            QVERIFY2(nasm(programSource(s), dir.filePath(obj), {"-f", "obj"}, &why),
                     qPrintable(why));
        }
        objects << obj;
    }
    QByteArray out;
    QCOMPARE(link(objects << "/e{PROG.EXE}", dir.path(), &out), 0);
    QByteArray printed;
    QString why;
    QVERIFY2(DosBoxRun::run(dir.path(), "PROG.EXE", &printed, &why), qPrintable(why));
    QCOMPARE(printed, output);
}

QTEST_GUILESS_MAIN(tst_QvLinkPrograms)
#include "tst_qvlinkprograms.moc"
