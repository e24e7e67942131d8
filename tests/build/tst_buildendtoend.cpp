#include "ScriptedPrompts.h"
#include "build/AssemblerCommandLine.h"
#include "build/BuildOutput.h"
#include "build/CaptureBuffer.h"
#include "build/DisassemblerOptions.h"
#include "build/ToolOutputDecoder.h"
#include "build/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// The runner and the parsers against the project's own console tools, as the IDE uses them.
class tst_BuildEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void assembleOpensTheFirstError();
    void disassembleGivesSourceWithoutBanner();

private:
    static QString tool(const QString &name);
    static bool writeFile(const QString &path, const QByteArray &bytes);
};

QString tst_BuildEndToEnd::tool(const QString &name)
{
    const QString path = qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/" + name;
    return QFileInfo(path).isExecutable() ? path : QString();
}

bool tst_BuildEndToEnd::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

void tst_BuildEndToEnd::assembleOpensTheFirstError()
{
    const QString qvasm = tool("qvasm");
    if (qvasm.isEmpty())
        QSKIP("qvasm is not built");
    QTemporaryDir dir;
    const QString folder = dir.filePath("my src");
    QVERIFY(QDir().mkpath(folder));
    const QString source = folder + "/hello.asm";
    QVERIFY(writeFile(source,
                      ".model tiny\r\n"
                      ".code\r\n"
                      "        org     100h\r\n"
                      "start:\r\n"
                      "        mov     dx, offset msg\r\n"
                      "        mov     ah, 9\r\n"
                      "        int     21h\r\n"
                      "        mov     ax, notDefinedAnywhere\r\n"
                      "        ret\r\n"
                      "msg     db      'hi$'\r\n"
                      ".end\r\n"));

    ScriptedPrompts prompts;
    ToolRunner runner;
    AssemblerRun run;
    run.command = AssemblerRun::Assemble;
    run.sourcePath = source;
    ToolPaths paths;
    paths.assembler = qvasm;
    const int result = runner.runAndWait(AssemblerCommandLine::request(run, paths));
    QVERIFY2(result >= 1 && result <= 255, qPrintable(QString::number(result)));
    QCOMPARE(CaptureBuffer::instance().lastExitCode(), quint32(result));

    const BuildOutput out = BuildOutput::parse(CaptureBuffer::instance().bytes());
    QVERIFY2(out.count() >= 1, CaptureBuffer::instance().bytes().constData());
    QVERIFY(out.totalErrors() >= 1);
    QVERIFY(out.canGoTo(0));
    const auto location = out.goToTarget(0);
    QVERIFY(location);
    QCOMPARE(QFileInfo(location->file).canonicalFilePath(), QFileInfo(source).canonicalFilePath());
    QCOMPARE(location->line, 8);
    const auto info = out.errorInfo(0);
    QVERIFY(info);
    QVERIFY(info->text.startsWith("QVASM error return information:\nError:  "));
    QVERIFY(prompts.allAnswered());
}

void tst_BuildEndToEnd::disassembleGivesSourceWithoutBanner()
{
    const QString qvdisasm = tool("qvdisasm");
    if (qvdisasm.isEmpty())
        QSKIP("qvdisasm is not built");
    QTemporaryDir dir;
    const QString binary = dir.filePath("boot sector.bin");
    QVERIFY(writeFile(binary, QByteArray("\x90\xC3", 2)));

    ScriptedPrompts prompts;
    ToolRunner runner;
    const DisassemblerOptions options; // both columns off: a source that assembles back
    QCOMPARE(runner.runAndWait(ToolRequest::disassembler(qvdisasm, options.arguments(binary))), 0);
    const QString text = ToolOutputDecoder::decodeAll(
        DisassemblerOptions::cutBanner(runner.output()));
    QVERIFY2(text.contains("nop") && text.contains("ret"), qPrintable(text));
    QVERIFY(!text.contains("QVDISASM"));
    QCOMPARE(options.requestedKind(), 0);
}

QTEST_GUILESS_MAIN(tst_BuildEndToEnd)
#include "tst_buildendtoend.moc"
