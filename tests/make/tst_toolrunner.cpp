#include "FakeTool.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"
#include "make/BoundedCapture.h"
#include "make/BuildState.h"
#include "make/PostBuildRun.h"
#include "make/ToolRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_ToolRunner : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void resultProtocol_data();
    void resultProtocol();
    void everyByteIsCapturedAsWritten_data();
    void everyByteIsCapturedAsWritten();
    void outputPastTheBoundIsCut_data();
    void outputPastTheBoundIsCut();
    void cancelStopsAToolThatNeverEnds();
    void aFloodingToolHoldsBoundedMemoryAndStopsPromptly();
    void argumentsStayWholeAndRunInTheFolder();
    void disassemblerOutputIsItsOwn();
    void captureBufferIsReused();
    void postBuildFloodIsBounded_data();
    void postBuildFloodIsBounded();
    void postBuildCommandsRunOnePerLine();
    void postBuildStartFailureStopsTheList();
    void postBuildOutputArrivesWhileTheCommandsRun();

private:
    static int run(ToolRunner &runner, const ToolRequest &request);
    // The frame's state after an earlier run, then the runner's last result kept in it as the
    // build commands keep it.
    static BuildState keptAfter(const ToolRunner &runner);
    static ToolRequest assembler(const QString &folder = QString(), const QString &postBuild = {})
    {
        return ToolRequest::assembler(FakeTool::path(), {}, folder, postBuild);
    }
};

namespace {
const QByteArray kEarlier = "\r\nearlier\r\n";
constexpr qsizetype kBound = BoundedCapture::DefaultHeadLimit + BoundedCapture::DefaultTailLimit;
// The most kept past the bound: both ends whole and the line between.
constexpr qsizetype kMostKept = kBound + 64;
const QString kRedirection = "Redirection failed:\nYou must use the Windows Console version of "
                             "%1\ninstead of the DJGPP version.";
} // namespace

int tst_ToolRunner::run(ToolRunner &runner, const ToolRequest &request)
{
    QSignalSpy finished(&runner, &ToolRunner::finished);
    if (!runner.start(request))
        return -1;
    // Never from inside start(), not even for a tool that cannot start.
    if (!finished.isEmpty())
        return -3;
    if (!finished.wait(60000))
        return -2;
    // What the signal hands over is what the runner keeps as its result.
    const auto given = finished.at(0).at(0).value<ToolRunResult>();
    if (given.code != runner.result().code || given.output != runner.result().output
        || given.messages != runner.result().messages) {
        return -4;
    }
    return given.code;
}

BuildState tst_ToolRunner::keptAfter(const ToolRunner &runner)
{
    BuildState state;
    state.storeCapture(kEarlier);
    state.setLastExitCode(2);
    state.keepAssemblerRun(runner.result());
    return state;
}

void tst_ToolRunner::init()
{
    FakeTool::script({});
}

void tst_ToolRunner::resultProtocol_data()
{
    QTest::addColumn<QString>("program"); // "fake": the scripted stand-in
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<int>("exitCode");

    const QString fake = "fake";
    QTest::newRow("no-errors") << fake << QByteArray("out \\r\\nx\\r\\n") << 0 << ""
                               << QByteArray("\r\nx\r\n") << 0;
    QTest::newRow("silent-tool") << fake << QByteArray("exit 0") << 257
                                 << kRedirection.arg("QVASM (RARAVI.EXE)") << QByteArray() << 0;
    QTest::newRow("crashed-tool-keeps-its-output") << fake << QByteArray("out \\r\\npartial\nabort")
                                                   << 256 << "" << QByteArray("\r\npartial") << 0;
    // Failures to start keep the previous capture.
    QTest::newRow("empty-assembler-path")
        << "" << QByteArray() << 256 << "Need path to assembler under the Make/Settings Menu"
        << kEarlier << 2;
    QTest::newRow("path-that-does-not-exist")
        << "/nonexistent/qvasm" << QByteArray() << 512 << "Create process failed" << kEarlier << 2;
}

void tst_ToolRunner::resultProtocol()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, script);
    QFETCH(int, result);
    QFETCH(QString, message);
    QFETCH(QByteArray, capture);
    QFETCH(int, exitCode);
    ScriptedPrompts prompts;
    if (!message.isEmpty())
        prompts.answerMessage(PromptAnswer::Ok);
    FakeTool::script(script);
    const QString before = QDir::currentPath();
    ToolRunner runner;
    QSignalSpy started(&runner, &ToolRunner::started);
    QCOMPARE(run(runner,
                 ToolRequest::assembler(program == "fake" ? FakeTool::path() : program,
                                        {"x.asm"},
                                        QDir::tempPath())),
             result);
    QCOMPARE(started.isEmpty(), result >= 512 || program.isEmpty());
    QCOMPARE(prompts.messagesAsked(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(runner.result().messages, prompts.messagesAsked());
    const BuildState state = keptAfter(runner);
    QCOMPARE(state.capture(), capture);
    QCOMPARE(state.captureLength(), quint32(capture.size()));
    QCOMPARE(state.lastExitCode(), quint32(exitCode));
    QCOMPARE(QDir::currentPath(), before);
    QVERIFY(!runner.isRunning());
}

void tst_ToolRunner::everyByteIsCapturedAsWritten_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QByteArray>("expected");
    // Lone CRs, bytes of no encoding, NULs, no final line break: nothing is translated.
    QTest::newRow("raw-bytes") << QByteArray("out 10%\\r\\xE9\\xC3\\xA9\\0last")
                               << QByteArray("10%\r\xE9\xC3\xA9\0last", 12);
    // Far more than a pipe holds: a runner that waited for the end before reading would hang.
    QTest::newRow("ten-megabytes") << QByteArray("bulk 10485760") << FakeTool::bulk(10485760);
    QTest::newRow("exactly-the-bound")
        << "bulk " + QByteArray::number(kBound) << FakeTool::bulk(kBound);
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
    QCOMPARE(run(runner, assembler()), 3);
    const BuildState state = keptAfter(runner);
    QCOMPARE(state.capture(), expected);
    // Readers may treat the capture as a C string.
    QCOMPARE(state.capture().constData()[expected.size()], '\0');
    QCOMPARE(runner.output(), expected);
    QCOMPARE(runner.result().output, expected);
    QCOMPARE(runner.result().totalBytes, qint64(expected.size()));
    QCOMPARE(runner.result().droppedBytes, 0);
    QCOMPARE(runner.result().exitCode, std::optional<int>(3));
    QCOMPARE(streamed, expected);
}

void tst_ToolRunner::outputPastTheBoundIsCut_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("one-byte-over-the-bound") << kBound + 1;
    QTest::newRow("three-times-the-bound") << 3 * kBound;
}

void tst_ToolRunner::outputPastTheBoundIsCut()
{
    QFETCH(qsizetype, size);
    ScriptedPrompts prompts;
    FakeTool::script("bulk " + QByteArray::number(size) + "\nexit 4");
    ToolRunner runner;
    QCOMPARE(run(runner, assembler()), 4);
    const QByteArray kept = runner.output();
    const BuildState state = keptAfter(runner);
    QCOMPARE(state.capture(), kept);
    QVERIFY(kept.size() <= kMostKept);
    QVERIFY(state.captureCapacity() <= 2 * kBound);

    // Whole lines from both ends, and a line between that counts what is not there.
    static const QRegularExpression line("\\[(\\d+) bytes of output left out\\]\r\n");
    const QRegularExpressionMatch m = line.match(QString::fromLatin1(kept));
    QVERIFY(m.hasMatch());
    const QByteArray head = kept.left(m.capturedStart());
    const QByteArray tail = kept.sliced(m.capturedEnd());
    const QByteArray all = FakeTool::bulk(size);
    QVERIFY(all.startsWith(head) && head.endsWith("\r\n"));
    QVERIFY(all.endsWith(tail) && all.at(size - tail.size() - 1) == '\n');
    QVERIFY(head.size() > BoundedCapture::DefaultHeadLimit - 64);
    QVERIFY(tail.size() > BoundedCapture::DefaultTailLimit - 64);
    QCOMPARE(m.captured(1).toLongLong(), qint64(size - head.size() - tail.size()));
    QCOMPARE(runner.result().droppedBytes, m.captured(1).toLongLong());
    QCOMPARE(runner.result().totalBytes, qint64(size));
}

void tst_ToolRunner::aFloodingToolHoldsBoundedMemoryAndStopsPromptly()
{
    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    FakeTool::script("flood");
    ToolRunner runner;
    QSignalSpy finished(&runner, &ToolRunner::finished);
    qint64 received = 0;
    qsizetype keptWhileRunning = -1;
    QElapsedTimer sinceCancel;
    connect(&runner, &ToolRunner::outputReceived, this, [&](const QByteArray &chunk) {
        received += chunk.size();
        if (received > 4 * kBound && !sinceCancel.isValid()) {
            keptWhileRunning = runner.output().size();
            sinceCancel.start();
            runner.cancel();
        }
    });
    QVERIFY(runner.start(assembler()));
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.at(0).at(0).value<ToolRunResult>().code, 261);
    QVERIFY2(sinceCancel.elapsed() < 2000, qPrintable(QString::number(sinceCancel.elapsed())));
    QVERIFY2(keptWhileRunning <= kMostKept, qPrintable(QString::number(keptWhileRunning)));
    QVERIFY(runner.output().size() <= kMostKept);
    QVERIFY(runner.output().contains(" bytes of output left out]\r\n"));
}

void tst_ToolRunner::cancelStopsAToolThatNeverEnds()
{
    ScriptedPrompts prompts;
    FakeTool::script("out \\r\\nworking\\r\\n\nsleep");
    ToolRunner runner;
    QSignalSpy started(&runner, &ToolRunner::started);
    QSignalSpy finished(&runner, &ToolRunner::finished);
    QVERIFY(runner.start(assembler()));
    QVERIFY(started.wait());
    QTRY_COMPARE(runner.output(), QByteArray("\r\nworking\r\n"));
    QVERIFY(!runner.start(assembler())); // one run at a time

    prompts.answerMessage(PromptAnswer::Ok);
    runner.cancel();
    QVERIFY(finished.wait());
    QCOMPARE(finished.at(0).at(0).value<ToolRunResult>().code, 261);
    QCOMPARE(prompts.messagesAsked(),
             QStringList{"Waiting for QVASM to finish failed with code -1"});
    // What it wrote before is the run's output, but no capture for the Build Window.
    QCOMPARE(runner.result().output, QByteArray("\r\nworking\r\n"));
    QVERIFY(!runner.result().toolEnded);
    QCOMPARE(keptAfter(runner).capture(), kEarlier);
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
    QCOMPARE(runner.runAndWait(ToolRequest::assembler(FakeTool::path(), args, folder)).code, 0);
    const QByteArray expected = args.join('\n').toUtf8() + "\ncwd="
                                + QDir(folder).canonicalPath().toUtf8() + "\nstdin=eof\n";
    QCOMPARE(readFileBytes(record), expected);
}

void tst_ToolRunner::disassemblerOutputIsItsOwn()
{
    // Its stderr joins its output (that it leaves the build state alone is the frame tools'
    // test).
    ScriptedPrompts prompts;
    FakeTool::script("out 00000100  90  nop\\r\\n\nerr \\x07err\nexit 1");
    ToolRunner runner;
    QCOMPARE(run(runner, ToolRequest::disassembler(FakeTool::path(), {})), 1);
    QCOMPARE(runner.output(), QByteArray("00000100  90  nop\r\n\aerr"));
    QCOMPARE(runner.result().output, runner.output());
    // The assembler's stderr is not part of its output.
    FakeTool::script("out out\nerr \\x07err");
    QCOMPARE(run(runner, assembler()), 0);
    QCOMPARE(runner.output(), QByteArray("out"));

    // Its messages name it; a missing path is the frame tool test's.
    FakeTool::script("exit 0");
    prompts.answerMessage(PromptAnswer::Ok);
    QCOMPARE(run(runner, ToolRequest::disassembler(FakeTool::path(), {})), 257);
    QCOMPARE(prompts.messagesAsked(), QStringList{kRedirection.arg("QVDISASM (RUZUZAZOD.EXE)")});
}

void tst_ToolRunner::captureBufferIsReused()
{
    ScriptedPrompts prompts;
    ToolRunner runner;
    BuildState state;
    FakeTool::script("bulk 1000000\nexit 1");
    QCOMPARE(run(runner, assembler()), 1);
    state.keepAssemblerRun(runner.result());
    const qsizetype capacity = state.captureCapacity();
    QVERIFY(capacity >= 1000000);

    FakeTool::script("out \\r\\nsmall\\r\\n\nexit 2");
    QCOMPARE(run(runner, assembler()), 2);
    state.keepAssemblerRun(runner.result());
    QCOMPARE(state.captureCapacity(), capacity);
    QCOMPARE(state.captureLength(), 9u);
    QCOMPARE(state.capture().constData()[9], '\0');
    QCOMPARE(state.lastExitCode(), 2u);
}

void tst_ToolRunner::postBuildCommandsRunOnePerLine()
{
    // Which lines are commands is the splitter's test; here they really run, each in a shell of
    // its own: the cd of one does not move the next.
    const QString postBuild = "echo a > a.mark\r\n\r\nmkdir sub && cd sub\necho d > d.mark";
    const QStringList marks{"a.mark", "d.mark"};
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    FakeTool::script("out \\r\\nassembled\\r\\n\nexit 5");
    ToolRunner runner;
    QCOMPARE(run(runner, assembler(dir.path(), postBuild)), 5);
    // The tool's own output comes first, whatever the commands add after it.
    QVERIFY(runner.result().output.startsWith("\r\nassembled\r\n"));
    for (const QString &mark : marks)
        QTRY_VERIFY(QFile::exists(dir.filePath(mark)));
    QTRY_COMPARE(QDir(dir.path()).entryList(QDir::Files).size(), marks.size());
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
    const int result = run(runner, assembler(QString(), "a\r\nb\r\nc"));
    qputenv("SHELL", shell);
    QCOMPARE(result, 0);
    QCOMPARE(prompts.messagesAsked(), QStringList{"Create process failed"});
}

void tst_ToolRunner::postBuildOutputArrivesWhileTheCommandsRun()
{
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    const QByteArray shell = qgetenv("SHELL");
    qputenv("SHELL", "/bin/sh");
    const QString gate = dir.filePath("go");
    // The first command writes in bursts, the last after the run is over (once the gate is
    // there), with a character split between two of them; the second writes once.
    const QString postBuild = "printf 'one\\n'; i=0; while [ ! -e '" + gate
                              + "' ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i+1)); done; "
                                "printf 'tw'; sleep 0.2; "
                                "printf 'o \\303'; sleep 0.2; printf '\\251\\r\\n'\r\n"
                                "printf 'second\\n'";
    FakeTool::script("out \\r\\nassembled\\r\\n");
    ToolRunner runner;
    const int result = run(runner, assembler(dir.path(), postBuild));
    qputenv("SHELL", shell);
    QCOMPARE(result, 0);
    // The capture is the tool's alone: the Build Window reads it.
    QCOMPARE(runner.result().output, QByteArray("\r\nassembled\r\n"));
    const std::unique_ptr<PostBuildRun> postRun = runner.takePostBuild();
    QVERIFY(postRun);
    QVERIFY(postRun->isReading()); // still waiting at the gate
    QString text = postRun->takeReceived();
    QSignalSpy pieces(postRun.get(), &PostBuildRun::textReceived);
    QSignalSpy finished(postRun.get(), &PostBuildRun::finished);
    QVERIFY(writeFileBytes(gate, "go"));

    QVERIFY(finished.wait(30000));
    QVERIFY(!postRun->isReading());
    QVERIFY(pieces.size() >= 2); // read as it came, not at the end
    for (const QList<QVariant> &piece : pieces)
        text += piece.at(0).toString();
    QVERIFY2(text.contains("second\n"), qPrintable(text));
    QCOMPARE(text.remove("second\n"), QString::fromUtf8("one\ntwo \xC3\xA9\n"));
    QVERIFY(!runner.takePostBuild()); // taken once
}

void tst_ToolRunner::postBuildFloodIsBounded_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("exactly-the-bound") << kBound;
    QTest::newRow("one-byte-over-the-bound") << kBound + 1;
    QTest::newRow("three-times-the-bound") << 3 * kBound;
}

void tst_ToolRunner::postBuildFloodIsBounded()
{
    QFETCH(qsizetype, size);
    const QByteArray shell = qgetenv("SHELL");
    qputenv("SHELL", "/bin/sh");
    // Lines of 16 bytes, the last one cut short.
    PostBuildRun run;
    const bool started = run.start({"yes 0123456789abcde | head -c " + QString::number(size)},
                                   QString());
    qputenv("SHELL", shell);
    QVERIFY(started);
    QString text = run.takeReceived();
    QList<qsizetype> pieces;
    connect(&run, &PostBuildRun::textReceived, this, [&](const QString &piece) {
        pieces << piece.size();
        text += piece;
    });
    QSignalSpy finished(&run, &PostBuildRun::finished);
    QVERIFY(finished.wait(60000));

    // What `yes` wrote from a given byte on.
    const auto written = [](qint64 from, qsizetype n) {
        static const QString line = QStringLiteral("0123456789abcde\n");
        QString out;
        out.reserve(n + line.size());
        out += line.mid(int(from % line.size()));
        while (out.size() < n)
            out += line;
        out.truncate(n);
        return out;
    };
    if (size <= kBound) {
        QCOMPARE(text.size(), size);
        QVERIFY(text == written(0, size));
        return;
    }
    // While the commands write, no more than the head goes on; at the end the tail.
    QVERIFY(!pieces.isEmpty());
    QVERIFY(text.size() - pieces.constLast() <= BoundedCapture::DefaultHeadLimit);
    QVERIFY2(text.size() <= kMostKept, qPrintable(QString::number(text.size())));
    static const QRegularExpression line("\\[(\\d+) bytes of output left out\\]\n");
    const QRegularExpressionMatch m = line.match(text);
    QVERIFY(m.hasMatch());
    const QString head = text.left(m.capturedStart());
    const QString tail = text.sliced(m.capturedEnd());
    QVERIFY(head == written(0, head.size()) && head.endsWith('\n'));
    QVERIFY(tail == written(size - tail.size(), tail.size()));
    QCOMPARE(written(size - tail.size() - 1, 1), QStringLiteral("\n")); // whole lines
    QVERIFY(head.size() > BoundedCapture::DefaultHeadLimit - 16);
    QVERIFY(tail.size() > BoundedCapture::DefaultTailLimit - 16);
    QCOMPARE(m.captured(1).toLongLong(), qint64(size - head.size() - tail.size()));
}

QTEST_GUILESS_MAIN(tst_ToolRunner)
#include "tst_toolrunner.moc"
