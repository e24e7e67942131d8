// The program itself asked to build from the command line with no display at all (no DISPLAY,
// no WAYLAND_DISPLAY, no platform chosen): it must not need one, and its exit codes are what
// scripts read. The assembler is the bundled one, found beside the program.
#include "workspace/WorkspaceRecord.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class tst_HeadlessBuild : public QObject
{
    Q_OBJECT

private slots:
    void programWithoutDisplay_data();
    void programWithoutDisplay();

private:
    QTemporaryDir m_dir;
};

void tst_HeadlessBuild::programWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("inOutput");

    QTest::newRow("check-good") << QStringList{"--check", "good.asm"} << 0
                                << QByteArray("Total Errors: 0\n");
    QTest::newRow("check-bad") << QStringList{"--check", "bad.asm"} << 1
                               << QByteArray("Total Errors: 1\n");
    QTest::newRow("assemble-good")
        << QStringList{"--assemble", "good.asm"} << 0 << QByteArray("Assembling: ");
    QTest::newRow("build-workspace")
        << QStringList{"--build", "w.qvw"} << 0 << QByteArray("Building: out.com");
    QTest::newRow("missing-file") << QStringList{"--check", "none.asm"} << 2 << QByteArray();
    QTest::newRow("build-without-file") << QStringList{"--build"} << 2 << QByteArray();
    QTest::newRow("window-option-in-a-build")
        << QStringList{"-style", "fusion", "--check", "good.asm"} << 2 << QByteArray();
}

void tst_HeadlessBuild::programWithoutDisplay()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, inOutput);
    QDir dir(m_dir.path());
    writeFile(dir.filePath("good.asm"),
              ".model tiny\n.code\n.start\n  mov ax, 4C00h\n  int 21h\n.end\n");
    writeFile(dir.filePath("bad.asm"), ".model tiny\n.code\n.start\n  mov dx, offset msg\n.end\n");
    WorkspaceRecord r;
    r.setOpen(true);
    r.setMainFile(dir.filePath("good.asm"));
    r.setTargetFile("out.com");
    QVERIFY(r.saveTo(dir.filePath("w.qvw")));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/qvasmide", args);
    QVERIFY(program.waitForFinished(60000));
    const QByteArray out = program.readAllStandardOutput();
    const QByteArray err = program.readAllStandardError();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == exitCode, (out + err).constData());
    QVERIFY2(out.contains(inOutput), out.constData());
    if (QTest::currentDataTag() == QByteArray("assemble-good"))
        QVERIFY(QFileInfo(dir.filePath("good.com")).size() > 0);
    if (QTest::currentDataTag() == QByteArray("build-workspace"))
        QVERIFY(QFileInfo(dir.filePath("out.com")).size() > 0);
}

QTEST_GUILESS_MAIN(tst_HeadlessBuild)
#include "tst_headlessbuild.moc"
