// Small-model programs through both tool chains: qvasm's objects and NASM's objects of the same
// programs (tests/tools/qvasm/data/small) linked by qvlink must give the same .exe, header,
// relocations and load image alike, and qvasm's build must print what the program says in DOSBox.
#include "../support/DosBoxRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

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

} // namespace

class tst_SmallModelPrograms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bothToolChainsMakeTheSameProgram_data();
    void bothToolChainsMakeTheSameProgram();
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

QTEST_GUILESS_MAIN(tst_SmallModelPrograms)
#include "tst_smallmodelprograms.moc"
