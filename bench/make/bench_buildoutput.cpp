// Capture and present tool output: times from the tool's exit to the capture in hand, the output
// pane's text ready and the Build Window's list parsed, for 10,000 and 100,000 error lines
// (about 1 MB and 10 MB); and the runner's overhead over starting the same tool directly.
//   cmake --build build --target bench_buildoutput && build/bench/bench_buildoutput
#include "BenchSupport.h"
#include "base/Prompts.h"
#include "make/BuildOutput.h"
#include "make/BuildState.h"
#include "make/OutputPaneText.h"
#include "make/ToolRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double runnerRunMs(const ToolRequest &request)
{
    QElapsedTimer t;
    t.start();
    ToolRunner runner;
    runner.runAndWait(request);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchPrompts prompts;
    Prompts::setInstance(&prompts);
    const QString writer = QStringLiteral(BENCH_WRITER_PATH);
    QTemporaryDir dir;
    const QString stamp = dir.filePath("exit.stamp");
    const int runs = 7;

    std::printf("capture and present (median of %d runs)\n", runs);
    std::printf("%8s %10s %12s %12s %12s %12s %12s\n",
                "lines",
                "bytes",
                "exit->captd",
                "pane text",
                "list parse",
                "all rows",
                "exit->listed");
    for (const int lines : {10000, 100000}) {
        std::vector<double> toCapture, pane, parse, rows, total;
        qsizetype bytes = 0;
        for (int r = 0; r < runs; ++r) {
            ToolRunner runner;
            BuildState state;
            qint64 finishedNs = 0;
            QObject::connect(&runner, &ToolRunner::finished, [&](const ToolRunResult &result) {
                state.keepAssemblerRun(result);
                finishedNs = monotonicNs();
            });
            runner.runAndWait(
                ToolRequest::assembler(writer, {QString::number(lines), stamp}, dir.path()));
            const qint64 exitNs = writerExitNs(stamp);

            bytes = state.capture().size();
            QElapsedTimer t;
            t.start();
            const QString text = OutputPaneText::captureText(state.capture(), state.captureLength());
            const double paneMs = t.nsecsElapsed() / 1e6;
            t.restart();
            const BuildOutput out = state.readCapture();
            const double parseMs = t.nsecsElapsed() / 1e6;
            t.restart();
            qsizetype chars = 0;
            for (int row = 0; row < out.count(); ++row)
                chars += out.entry(row).size();
            const double rowsMs = t.nsecsElapsed() / 1e6;
            if (out.count() != lines || text.isEmpty() || chars == 0) {
                std::fprintf(stderr, "wrong result: %d rows\n", out.count());
                return 1;
            }
            const double captured = (finishedNs - exitNs) / 1e6;
            toCapture.push_back(captured);
            pane.push_back(paneMs);
            parse.push_back(parseMs);
            rows.push_back(rowsMs);
            total.push_back(captured + paneMs + parseMs);
        }
        std::printf("%8d %10lld %9.1f ms %9.1f ms %9.1f ms %9.1f ms %9.1f ms\n",
                    lines,
                    (long long) bytes,
                    median(toCapture),
                    median(pane),
                    median(parse),
                    median(rows),
                    median(total));
    }

    // One Assemble through the runner against the same tool started directly.
    QString program = bundledTool(QStringLiteral("qvasm"));
    QStringList args;
    QString label;
    if (QFileInfo(program).isExecutable()) {
        const QString source = dir.filePath("hundred.asm");
        writeHundredLineSource(source);
        args = {source};
        label = QStringLiteral("qvasm, 100-line file");
    } else {
        program = writer;
        args = {QStringLiteral("3")};
        label = QStringLiteral("stand-in tool (qvasm not built)");
    }
    std::vector<double> direct, viaRunner;
    for (int r = 0; r < 21; ++r) {
        direct.push_back(directRunMs(program, args, dir.path()));
        viaRunner.push_back(runnerRunMs(ToolRequest::assembler(program, args, dir.path())));
    }
    std::printf("\nassemble overhead, %s (median of 21 runs)\n", qPrintable(label));
    std::printf("  direct %.2f ms, through the runner %.2f ms, overhead %.2f ms\n",
                median(direct),
                median(viaRunner),
                median(viaRunner) - median(direct));
    Prompts::setInstance(nullptr);
    return 0;
}
