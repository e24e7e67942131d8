// Small-model programs through both tool chains: qvasm's objects and NASM's objects of the same
// programs (tests/tools/qvasm/data/small) read back by the linker's own reader must hold the
// same segments, symbols and fixups, linked by qvlink they must give the same .exe, header,
// relocations and load image alike, and qvasm's build must print what the program says in DOSBox.
#include "../support/DosBoxRun.h"
#include "qvlink/ObjectReader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

QString tool(const QString &name)
{
    return qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/" + name;
}

QString dataFile(const QString &name)
{
    return qEnvironmentVariable("QVASMIDE_SOURCE_DIR") + "/tests/tools/qvasm/data/small/" + name;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs a program in `dir`; false with its output in `why` unless it ended with exit code 0.
bool runTool(const QString &program, const QStringList &args, const QString &dir, QString *why)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *why = QFileInfo(program).fileName() + " " + args.join(' ') + ": "
               + QString::fromLocal8Bit(p.readAll());
        return false;
    }
    return true;
}

QString upper(const std::string &name)
{
    return QString::fromStdString(name).toUpper();
}

// What a module means to the linker, in terms both assemblers must agree on: segments by name
// with their bytes, symbols, and every patched place with what it refers to. A far pointer counts
// as its offset and its base, as one assembler writes it in one fixup and the other in two.
QStringList meaning(const qvlink::ObjectModule &m)
{
    using namespace qvlink;
    QStringList out;
    const auto segment = [&m](uint32_t i) { return upper(m.segments[i].name); };
    for (const ObjSegment &seg : m.segments) {
        out << QString("segment %1 class %2 length %3 combine %4 bytes %5")
                   .arg(upper(seg.name), upper(seg.className))
                   .arg(seg.length)
                   .arg(seg.combine)
                   .arg(QString::fromLatin1(
                       QByteArray(reinterpret_cast<const char *>(seg.data.data()),
                                  qsizetype(seg.initializedEnd))
                           .toHex()));
    }
    for (const ObjGroup &g : m.groups) {
        QStringList members;
        for (uint32_t i : g.segments)
            members << segment(i);
        out << "group " + upper(g.name) + " " + members.join(',');
    }
    for (const ObjPublic &p : m.publics)
        out << QString("public %1 %2:%3")
                   .arg(upper(p.name), segment(uint32_t(p.segment)))
                   .arg(p.offset);
    for (const ObjExternal &e : m.externals)
        out << "external " + upper(e.name);
    for (const ObjFixup &f : m.fixups) {
        QString target;
        switch (f.targetMethod) {
        case TargetSegment:
            target = segment(f.targetDatum);
            break;
        case TargetGroup:
            target = upper(m.groups[f.targetDatum].name);
            break;
        default:
            target = upper(m.externals[f.targetDatum].name);
            break;
        }
        const QString at = segment(f.segment) + ":%1 " + (f.segmentRelative ? "" : "self ");
        if (f.location == LocPointer) {
            out << (at + "offset %2+%3").arg(f.offset).arg(target).arg(f.displacement);
            out << (at + "base %2").arg(f.offset + 2).arg(target);
        } else if (f.location == LocBase) {
            out << (at + "base %2").arg(f.offset).arg(target);
        } else {
            out << (at + "offset %2+%3").arg(f.offset).arg(target).arg(f.displacement);
        }
    }
    out.sort();
    return out;
}

} // namespace

class tst_SmallModelPrograms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bothToolChainsMakeTheSameProgram_data();
    void bothToolChainsMakeTheSameProgram();
    void linkersReaderReadsQvasmsObjects_data();
    void linkersReaderReadsQvasmsObjects();
};

void tst_SmallModelPrograms::initTestCase()
{
    if (!QFileInfo(tool("qvasm")).isExecutable() || !QFileInfo(tool("qvlink")).isExecutable())
        QSKIP("qvasm and qvlink are not built");
}

void tst_SmallModelPrograms::bothToolChainsMakeTheSameProgram_data()
{
    QTest::addColumn<QStringList>("modules"); // in link order; the first names the .exe
    QTest::addColumn<QByteArray>("printed");

    QTest::newRow("wizard-skeleton-with-hello") << QStringList{"hello"} << QByteArray("Hello\r\n");
    QTest::newRow("far-procedure") << QStringList{"farproc"} << QByteArray("Far\r\nAgain\r\n");
    QTest::newRow("far-procedure-in-a-second-code-segment")
        << QStringList{"farseg"} << QByteArray("Second segment\r\nFar pointer\r\n");
    QTest::newRow("two-modules") << QStringList{"twomain", "twoutil"}
                                 << QByteArray("Two modules\r\nTwo modules\r\n");
    QTest::newRow("data-fixups") << QStringList{"datafix"}
                                 << QByteArray("Data fixups\r\nFar pointer\r\n");
}

void tst_SmallModelPrograms::bothToolChainsMakeTheSameProgram()
{
    QFETCH(QStringList, modules);
    QFETCH(QByteArray, printed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString ours = dir.filePath("qvasm");
    const QString theirs = dir.filePath("nasm");
    QVERIFY(QDir().mkpath(ours) && QDir().mkpath(theirs));
    const bool haveNasm = !QStandardPaths::findExecutable("nasm").isEmpty();
    QStringList objects;
    QString why;
    for (const QString &m : modules) {
        QVERIFY(QFile::copy(dataFile(m + ".asm"), ours + "/" + m + ".asm"));
        QVERIFY2(runTool(tool("qvasm"), {m + ".asm"}, ours, &why), qPrintable(why));
        if (haveNasm) {
            QVERIFY2(runTool("nasm",
                             {"-f", "obj", dataFile(m + ".nasm"), "-o", m + ".obj"},
                             theirs,
                             &why),
                     qPrintable(why));
        }
        objects << m + ".obj";
    }
    QVERIFY2(runTool(tool("qvlink"), objects, ours, &why), qPrintable(why));
    const QByteArray exe = readFile(ours + "/" + modules.first() + ".exe");
    QVERIFY(exe.startsWith("MZ"));
    if (haveNasm) {
        QVERIFY2(runTool(tool("qvlink"), objects, theirs, &why), qPrintable(why));
        QCOMPARE(exe.toHex(' '), readFile(theirs + "/" + modules.first() + ".exe").toHex(' '));
    } else {
        qWarning("nasm is not installed: the programs were not compared with NASM's");
    }

    if (DosBoxRun::program().isEmpty())
        QSKIP("dosbox is not installed: the linked programs were not run");
    QByteArray output;
    QVERIFY2(DosBoxRun::run(ours, modules.first().toUpper() + ".EXE", &output, &why),
             qPrintable(why));
    QCOMPARE(output, printed);
}

void tst_SmallModelPrograms::linkersReaderReadsQvasmsObjects_data()
{
    QTest::addColumn<QString>("module");
    for (const char *m : {"hello", "farproc", "farseg", "twomain", "twoutil", "datafix"})
        QTest::newRow(m) << QString(m);
}

void tst_SmallModelPrograms::linkersReaderReadsQvasmsObjects()
{
    QFETCH(QString, module);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString why;
    QVERIFY(QFile::copy(dataFile(module + ".asm"), dir.filePath(module + ".asm")));
    QVERIFY2(runTool(tool("qvasm"), {module + ".asm"}, dir.path(), &why), qPrintable(why));
    const QByteArray object = readFile(dir.filePath(module + ".obj"));
    const std::string_view bytes(object.constData(), size_t(object.size()));

    // The framing: header first, module end last, every record whole with its checksum.
    bool complete = false;
    const std::vector<qvlink::ObjectReader::Record> records
        = qvlink::ObjectReader::records(bytes, &complete);
    QVERIFY(complete);
    QVERIFY(records.size() >= 3);
    QCOMPARE(records.front().type, uint8_t(0x80));
    QVERIFY(records.back().type == 0x8A || records.back().type == 0x8B);
    for (const auto &r : records) {
        // Computed, not left zero: the record's bytes with the checksum add up to 0 (a checksum
        // may itself be 0 when the other bytes add up to 0 already).
        uint8_t sum = 0;
        for (uint32_t i = 0; i < r.length + 4; ++i)
            sum = uint8_t(sum + uint8_t(object[qsizetype(r.offset + i)]));
        QVERIFY2(r.checksumOk && sum == 0,
                 qPrintable(QString::fromStdString(qvlink::ObjectReader::recordName(r.type))));
    }
    QCOMPARE(qsizetype(records.back().offset + records.back().length + 4), object.size());

    // The contents: every index resolves, and they mean what NASM's object of the same module
    // means.
    qvlink::ObjectModule ours;
    const qvlink::ObjectReader::Result read = qvlink::ObjectReader::read(bytes, ours);
    QVERIFY2(read.ok, read.error.c_str());
    QCOMPARE(ours.start.present, module != "twoutil");
    if (QStandardPaths::findExecutable("nasm").isEmpty())
        QSKIP("nasm is not installed: the objects were not compared with NASM's");
    QVERIFY2(runTool("nasm",
                     {"-f", "obj", dataFile(module + ".nasm"), "-o", module + ".nasm.obj"},
                     dir.path(),
                     &why),
             qPrintable(why));
    const QByteArray theirBytes = readFile(dir.filePath(module + ".nasm.obj"));
    qvlink::ObjectModule theirs;
    QVERIFY(qvlink::ObjectReader::read(std::string_view(theirBytes.constData(),
                                                        size_t(theirBytes.size())),
                                       theirs)
                .ok);
    QCOMPARE(meaning(ours), meaning(theirs));
}

QTEST_GUILESS_MAIN(tst_SmallModelPrograms)
#include "tst_smallmodelprograms.moc"
