#include "FakeTool.h"
#include "ScriptedPrompts.h"
#include "build/CaptureBuffer.h"
#include "build/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_ToolRunner : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void exitCodesBecomeResults_data();
    void exitCodesBecomeResults();
    void everyByteIsCapturedAsWritten_data();
    void everyByteIsCapturedAsWritten();
    void failuresKeepThePreviousCapture_data();
    void failuresKeepThePreviousCapture();
    void silentToolIsARedirectionFailure();
    void crashedToolGivesNoResultButKeepsItsOutput();
    void cancelStopsAToolThatNeverEnds();
    void argumentsStayWholeAndRunInTheFolder();
    void stderrGoesWhereTheKindSays();
    void disassemblerOutputStaysOutOfTheCapture();
    void captureBufferIsReused();
    void postBuildCommandsRunOnePerLine_data();
    void postBuildCommandsRunOnePerLine();
    void postBuildStartFailureStopsTheList();
    void runAndWaitHandsBackTheResult();

private:
    int run(ToolRunner &runner, const ToolRequest &request);
    static QByteArray readFile(const QString &path);
};

int tst_ToolRunner::run(ToolRunner &runner, const ToolRequest &request)
{
    QSignalSpy finished(&runner, &ToolRunner::finished);
    if (!runner.start(request))
        return -1;
    if (finished.isEmpty() && !finished.wait(60000))
        return -2;
    return finished.at(0).at(0).toInt();
}

QByteArray tst_ToolRunner::readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void tst_ToolRunner::init()
{
    CaptureBuffer::instance().clear();
    CaptureBuffer::instance().setLastExitCode(0);
    FakeTool::script({});
}

void tst_ToolRunner::exitCodesBecomeResults_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("no-errors") << 0;
    QTest::newRow("one-error") << 1;
    QTest::newRow("highest-count") << 255;
}

void tst_ToolRunner::exitCodesBecomeResults()
{
    QFETCH(int, code);
    ScriptedPrompts prompts;
    FakeTool::script("out \\r\\nx\\r\\n\nexit " + QByteArray::number(code));
    ToolRunner runner;
    QCOMPARE(run(runner, ToolRequest::assembler(FakeTool::path(), {}, QDir::tempPath())), code);
    QCOMPARE(CaptureBuffer::instance().lastExitCode(), quint32(code));
    QCOMPARE(CaptureBuffer::instance().bytes(), QByteArray("\r\nx\r\n"));
    QCOMPARE(CaptureBuffer::instance().length(), 5u);
    QVERIFY(prompts.allAnswered());
}

void tst_ToolRunner::everyByteIsCapturedAsWritten_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("crlf") << QByteArray("out a\\r\\nb\\r\\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone-cr") << QByteArray("out 10%\\r20%\\r") << QByteArray("10%\r20%\r");
    QTest::newRow("no-final-newline") << QByteArray("out last") << QByteArray("last");
    QTest::newRow("nul-bytes") << QByteArray("out a\\0b\\0") << QByteArray("a\0b\0", 4);
    QTest::newRow("high-bytes") << QByteArray("out \\xE9\\xC3\\xA9") << QByteArray("\xE9\xC3\xA9");
    // Far more than a pipe holds: a runner that waited for the end before reading would hang.
    QTest::newRow("ten-megabytes") << QByteArray("bulk 10485760") << FakeTool::bulk(10485760);
}

void tst_ToolRunner::everyByteIsCapturedAsWritten()
{
    QFETCH(QByteArray, script);
    QFETCH(QByteArray, expected);
    ScriptedPrompts prompts;
    FakeTool::script(script + "\nexit 3");
    ToolRunner runner;
    QByteArray streamed;
    connect(&runner, &ToolRunner::outputReceived, this, [&](const QByteArray &chunk) {
        streamed += chunk;
    });
    QCOMPARE(run(runner, ToolRequest::assembler(FakeTool::path(), {}, QString())), 3);
    QCOMPARE(CaptureBuffer::instance().bytes(), expected);
    QCOMPARE(CaptureBuffer::instance().length(), quint32(expected.size()));
    // Readers may treat the capture as a C string.
    QCOMPARE(CaptureBuffer::instance().bytes().constData()[expected.size()], '\0');
    QCOMPARE(runner.output(), expected);
    QCOMPARE(streamed, expected);
}

void tst_ToolRunner::failuresKeepThePreviousCapture_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty-assembler-path")
        << QString() << 256 << "Need path to assembler under the Make/Settings Menu";
    QTest::newRow("path-that-does-not-exist")
        << "/nonexistent/qvasm" << 512 << "Create process failed";
    QTest::newRow("file-that-is-not-a-program")
        << QString::fromUtf8(QVASMIDE_SOURCE_FILE) << 512 << "Create process failed";
}

void tst_ToolRunner::failuresKeepThePreviousCapture()
{
    QFETCH(QString, program);
    QFETCH(int, result);
    QFETCH(QString, message);
    ScriptedPrompts prompts;
    CaptureBuffer::instance().store("\r\nearlier\r\n", 11);
    CaptureBuffer::instance().setLastExitCode(2);
    const QString before = QDir::currentPath();

    ToolRunner runner;
    QSignalSpy started(&runner, &ToolRunner::started);
    QSignalSpy finished(&runner, &ToolRunner::finished);
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(runner.start(ToolRequest::assembler(program, {"x.asm"}, QDir::tempPath())));
    QCOMPARE(finished.count(), 0); // never from inside start()
    QVERIFY(finished.wait());
    QCOMPARE(finished.at(0).at(0).toInt(), result);
    QCOMPARE(started.count(), 0);
    QCOMPARE(prompts.messagesAsked(), QStringList{message});
    QCOMPARE(CaptureBuffer::instance().bytes(), QByteArray("\r\nearlier\r\n"));
    QCOMPARE(CaptureBuffer::instance().lastExitCode(), 2u);
    QCOMPARE(QDir::currentPath(), before);
    QVERIFY(!runner.isRunning());
}

void tst_ToolRunner::silentToolIsARedirectionFailure()
{
    ScriptedPrompts prompts;
    CaptureBuffer::instance().store("\r\nearlier\r\n", 11);
    FakeTool::script("exit 0");
    prompts.answerMessage(PromptAnswer::Ok);
    ToolRunner runner;
    QCOMPARE(run(runner, ToolRequest::assembler(FakeTool::path(), {}, QString())), 257);
    QCOMPARE(prompts.messagesAsked(),
             QStringList{"Redirection failed:\nYou must use the Windows Console version of QVASM "
                         "(RARAVI.EXE)\ninstead of the DJGPP version."});
    QCOMPARE(CaptureBuffer::instance().length(), 0u);
    QVERIFY(CaptureBuffer::instance().bytes().isEmpty());
}

void tst_ToolRunner::crashedToolGivesNoResultButKeepsItsOutput()
{
    ScriptedPrompts prompts;
    FakeTool::script("out \\r\\npartial\nabort");
    ToolRunner runner;
    QCOMPARE(run(runner, ToolRequest::assembler(FakeTool::path(), {}, QString())), 256);
    QCOMPARE(CaptureBuffer::instance().bytes(), QByteArray("\r\npartial"));
    QCOMPARE(CaptureBuffer::instance().lastExitCode(), 0u);
    QVERIFY(prompts.allAnswered());
}

void tst_ToolRunner::cancelStopsAToolThatNeverEnds()
{
    ScriptedPrompts prompts;
    CaptureBuffer::instance().store("\r\nearlier\r\n", 11);
    FakeTool::script("out \\r\\nworking\\r\\n\nsleep");
    ToolRunner runner;
    QSignalSpy started(&runner, &ToolRunner::started);
    QSignalSpy finished(&runner, &ToolRunner::finished);
    QVERIFY(runner.start(ToolRequest::assembler(FakeTool::path(), {}, QString())));
    QVERIFY(started.wait());
    QTRY_COMPARE(runner.output(), QByteArray("\r\nworking\r\n"));
    QVERIFY(runner.isRunning());
    QVERIFY(!runner.start(ToolRequest::assembler(FakeTool::path(), {}, QString())));

    prompts.answerMessage(PromptAnswer::Ok);
    runner.cancel();
    QVERIFY(finished.wait());
    QCOMPARE(finished.at(0).at(0).toInt(), 261);
    QCOMPARE(prompts.messagesAsked(),
             QStringList{"Waiting for QVASM to finish failed with code -1"});
    QCOMPARE(CaptureBuffer::instance().bytes(), QByteArray("\r\nearlier\r\n"));
}

void tst_ToolRunner::argumentsStayWholeAndRunInTheFolder()
{
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    const QString folder = dir.filePath("my src");
    QVERIFY(QDir().mkpath(folder));
    const QString record = dir.filePath("record.txt");
    FakeTool::script("out x\nrecord " + record.toUtf8());
    ToolRunner runner;
    const QStringList args{folder + "/hello world.asm", "/s", "/i{/inc dir}"};
    QCOMPARE(run(runner, ToolRequest::assembler(FakeTool::path(), args, folder)), 0);
    const QByteArray expected = args.join('\n').toUtf8() + "\ncwd="
                                + QDir(folder).canonicalPath().toUtf8() + "\nstdin=eof\n";
    QCOMPARE(readFile(record), expected);
}

void tst_ToolRunner::stderrGoesWhereTheKindSays()
{
    ScriptedPrompts prompts;
    FakeTool::script("out out\nerr \\x07err");
    ToolRunner assembler;
    QCOMPARE(run(assembler, ToolRequest::assembler(FakeTool::path(), {}, QString())), 0);
    QCOMPARE(assembler.output(), QByteArray("out"));

    ToolRunner disassembler;
    QCOMPARE(run(disassembler, ToolRequest::disassembler(FakeTool::path(), {})), 0);
    QCOMPARE(disassembler.output(), QByteArray("out\aerr"));
}

void tst_ToolRunner::disassemblerOutputStaysOutOfTheCapture()
{
    ScriptedPrompts prompts;
    CaptureBuffer::instance().store("\r\nassembler\r\n", 13);
    CaptureBuffer::instance().setLastExitCode(4);
    FakeTool::script("out 00000100  90  nop\\r\\n\nexit 1");
    ToolRunner runner;
    QCOMPARE(run(runner, ToolRequest::disassembler(FakeTool::path(), {})), 1);
    QCOMPARE(runner.output(), QByteArray("00000100  90  nop\r\n"));
    QCOMPARE(CaptureBuffer::instance().bytes(), QByteArray("\r\nassembler\r\n"));
    QCOMPARE(CaptureBuffer::instance().lastExitCode(), 4u);

    FakeTool::script("exit 0");
    prompts.answerMessage(PromptAnswer::Ok);
    QCOMPARE(run(runner, ToolRequest::disassembler(FakeTool::path(), {})), 257);
    QCOMPARE(prompts.messagesAsked().value(0),
             "Redirection failed:\nYou must use the Windows Console version of QVDISASM "
             "(RUZUZAZOD.EXE)\ninstead of the DJGPP version.");

    prompts.answerMessage(PromptAnswer::Ok);
    QCOMPARE(run(runner, ToolRequest::disassembler(QString(), {})), 256);
    QCOMPARE(prompts.messagesAsked().value(1),
             "Need path to disassembler under the Make/Settings Menu");
}

void tst_ToolRunner::captureBufferIsReused()
{
    ScriptedPrompts prompts;
    ToolRunner runner;
    FakeTool::script("bulk 1000000\nexit 1");
    QCOMPARE(run(runner, ToolRequest::assembler(FakeTool::path(), {}, QString())), 1);
    const qsizetype capacity = CaptureBuffer::instance().capacity();
    QVERIFY(capacity >= 1000000);

    FakeTool::script("out \\r\\nsmall\\r\\n\nexit 2");
    QCOMPARE(run(runner, ToolRequest::assembler(FakeTool::path(), {}, QString())), 2);
    QCOMPARE(CaptureBuffer::instance().capacity(), capacity);
    QCOMPARE(CaptureBuffer::instance().length(), 9u);
    QCOMPARE(CaptureBuffer::instance().bytes(), QByteArray("\r\nsmall\r\n"));
    QCOMPARE(CaptureBuffer::instance().bytes().constData()[9], '\0');
}

void tst_ToolRunner::postBuildCommandsRunOnePerLine_data()
{
    QTest::addColumn<QString>("postBuild");
    QTest::addColumn<QStringList>("marks");
    QTest::newRow("blank-lines-only") << "\r\n  \r\n\r\n" << QStringList{};
    QTest::newRow("a-empty-line-b")
        << "echo a > a.mark\r\n\r\necho b > b.mark" << QStringList{"a.mark", "b.mark"};
    QTest::newRow("leading-blank-line") << "\r\necho c > c.mark" << QStringList{"c.mark"};
    // Each command has a shell of its own: the cd of the first does not move the second.
    QTest::newRow("cd-stays-in-its-shell")
        << "mkdir sub && cd sub\necho d > d.mark" << QStringList{"d.mark"};
}

void tst_ToolRunner::postBuildCommandsRunOnePerLine()
{
    QFETCH(QString, postBuild);
    QFETCH(QStringList, marks);
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    FakeTool::script("out \\r\\nassembled\\r\\n\nexit 5");
    ToolRunner runner;
    QCOMPARE(run(runner, ToolRequest::assembler(FakeTool::path(), {}, dir.path(), postBuild)), 5);
    // The tool's own output comes first, whatever the commands add after it.
    QVERIFY(CaptureBuffer::instance().bytes().startsWith("\r\nassembled\r\n"));
    for (const QString &mark : marks)
        QTRY_VERIFY(QFile::exists(dir.filePath(mark)));
    QDir folder(dir.path());
    folder.setFilter(QDir::Files);
    QTRY_COMPARE(folder.entryList().size(), marks.size());
    QVERIFY(prompts.allAnswered());
}

void tst_ToolRunner::postBuildStartFailureStopsTheList()
{
    ScriptedPrompts prompts;
    const QByteArray shell = qgetenv("SHELL");
    qputenv("SHELL", "/nonexistent/shell");
    FakeTool::script("out x\nexit 0");
    prompts.answerMessage(PromptAnswer::Ok);
    ToolRunner runner;
    const int result = run(runner,
                           ToolRequest::assembler(FakeTool::path(), {}, QString(), "a\r\nb\r\nc"));
    qputenv("SHELL", shell);
    QCOMPARE(result, 0);
    QCOMPARE(prompts.messagesAsked(), QStringList{"Create process failed"});
}

void tst_ToolRunner::runAndWaitHandsBackTheResult()
{
    ScriptedPrompts prompts;
    FakeTool::script("out \\r\\nok\\r\\n\nexit 7");
    ToolRunner runner;
    QCOMPARE(runner.runAndWait(ToolRequest::assembler(FakeTool::path(), {}, QString())), 7);
    QCOMPARE(runner.result(), 7);
    QVERIFY(!runner.isRunning());

    prompts.answerMessage(PromptAnswer::Ok);
    QCOMPARE(runner.runAndWait(ToolRequest::assembler(QString(), {}, QString())), 256);
}

QTEST_GUILESS_MAIN(tst_ToolRunner)
#include "tst_toolrunner.moc"
