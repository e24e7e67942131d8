// The build part as the user meets it, on the offscreen platform: from the tool's exit to the
// output pane filled and painted, and to the Build Window listed and painted, for 10,000 and
// 100,000 error lines (about 1 MB and 10 MB); and one Assemble of a 100-line file through the
// IDE's command on a real source document (save, run with the busy animation, pane) against
// starting qvasm directly.
//   cmake --build build --target bench_buildgui && QT_QPA_PLATFORM=offscreen build/bench/bench_buildgui
#include "BenchSupport.h"
#include "base/CommandIds.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "make/BuildState.h"
#include "make/MakeSettings.h"
#include "make/ToolRunner.h"
#include "make/ui/BuildCommands.h"
#include "make/ui/CBuildWindowDlg.h"
#include "make/ui/CMyView.h"
#include "make/ui/SourceBuildDocuments.h"
#include "make/ui/SourceNavigator.h"
#include "make/ui/ToolRunSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// Paints now, as the window system would on the next frame.
void paint(QWidget *w)
{
    w->repaint();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    // The offscreen platform's notes about raising and size hints say nothing about the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtWarningMsg || !text.contains(QLatin1String("does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    BenchPrompts prompts;
    Prompts::setInstance(&prompts);
    QTemporaryDir dir;
    SettingsStore::setFilePath(dir.filePath("qvasmide.ini"));
    const QString writer = QStringLiteral(BENCH_WRITER_PATH);
    const QString stamp = dir.filePath("exit.stamp");
    const int runs = 5;

    CMainFrame frame;
    auto *pane = new CMyView;
    frame.setOutputPane(pane);
    frame.show();

    std::printf("tool exit to output pane and Build Window (median of %d runs)\n", runs);
    std::printf("%8s %10s %14s %16s\n", "lines", "bytes", "exit->pane", "exit->listed");
    for (const int lines : {10000, 100000}) {
        std::vector<double> toPane, toListed;
        qsizetype bytes = 0;
        for (int r = 0; r < runs; ++r) {
            ToolRunner runner;
            BuildState state;
            ToolRunSession session(&frame, &state, nullptr);
            state.keepAssemblerRun(
                session.run(runner,
                            ToolRequest::assembler(writer,
                                                   {QString::number(lines), stamp},
                                                   dir.path())));
            const qint64 exitNs = writerExitNs(stamp);
            bytes = state.capture().size();

            // What Assemble does with it: banner and capture into the pane, shown.
            pane->Clear();
            const QString banner = QStringLiteral("-=-=-=-=-=-=-=-=-= Assembling: x.asm "
                                                  "-=-=-=-=-=-=-=-=-=\r\n ");
            pane->Append(banner, banner.size());
            pane->AppendCapture(state.capture(), state.captureLength());
            paint(pane);
            const qint64 paneNs = monotonicNs();

            CBuildWindowDlg dialog(state.readCapture(), QStringLiteral("FFh"), -1, &frame);
            dialog.show();
            paint(&dialog);
            const qint64 listedNs = monotonicNs();
            if (dialog.output().count() != lines || pane->document()->blockCount() < lines) {
                std::fprintf(stderr, "wrong result\n");
                return 1;
            }
            dialog.close();
            toPane.push_back((paneNs - exitNs) / 1e6);
            toListed.push_back((listedNs - exitNs) / 1e6);
        }
        std::printf("%8d %10lld %11.1f ms %13.1f ms\n",
                    lines,
                    (long long) bytes,
                    median(toPane),
                    median(toListed));
    }

    // One Assemble through the IDE against the same qvasm started directly.
    const QString qvasm = bundledTool(QStringLiteral("qvasm"));
    if (!QFileInfo(qvasm).isExecutable()) {
        std::printf("\nqvasm is not built: no assemble overhead\n");
        return 0;
    }
    const QString source = dir.filePath("hundred.asm");
    if (!writeHundredLineSource(source)) {
        std::fprintf(stderr, "could not write the source\n");
        return 1;
    }
    CQvasmDocTemplate documents;
    documents.setMainFrame(&frame);
    CQvasmDoc *doc = documents.openDocument(source);
    if (!doc) {
        std::fprintf(stderr, "could not open the source\n");
        return 1;
    }
    const auto opener = [&documents](const QString &path) {
        return documents.OpenDocumentFile(path);
    };
    auto *commands = new BuildCommands(&frame,
                                       std::make_unique<SourceBuildDocuments>(&documents, opener),
                                       SourceNavigator(&frame, opener));
    commands->setModifierQuery([] { return Qt::NoModifier; });
    MakeSettings::savePaths({qvasm, QString(), QString(), QString(), QString()});
    frame.router().refresh();

    std::vector<double> direct, ide;
    for (int r = 0; r < 21; ++r) {
        direct.push_back(directRunMs(qvasm, {source}, dir.path()));

        doc->SetModifiedFlag(true);
        QElapsedTimer t;
        t.start();
        frame.router().dispatch(ID_MAKE_ASSEMBLE);
        paint(pane);
        ide.push_back(t.nsecsElapsed() / 1e6);
        if (commands->lastResult() != 0) {
            std::fprintf(stderr, "assemble failed: %d\n", commands->lastResult());
            return 1;
        }
    }
    std::printf("\nAssemble of a 100-line file (median of 21 runs)\n");
    std::printf("  qvasm directly %.2f ms, through the IDE %.2f ms, overhead %.2f ms\n",
                median(direct),
                median(ide),
                median(ide) - median(direct));
    Prompts::setInstance(nullptr);
    return 0;
}
