// The recovery copy of a large modified document: how long the window's thread is held taking
// the text (what typing could feel), and how long the worker takes to write it. A 10 MiB source
// is opened, edited, and its copy written ten times.
//
//   cmake --build build --target bench_recovery && build/bench/bench_recovery [MiB]

#include "BenchSupport.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/CQvasmView.h"
#include "editor/ui/DocumentRecovery.h"
#include "frame/ui/CMainFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int mebibytes = argc > 1 ? std::atoi(argv[1]) : 10;

    QTemporaryDir dir;
    SettingsStore::setFilePath(dir.filePath(QStringLiteral("qvasmide.ini")));
    const QString path = dir.filePath(QStringLiteral("big.asm"));
    if (!writeLabelledSource(path, 0, qsizetype(mebibytes) << 20))
        return 1;
    CMainFrame frame;
    CQvasmDocTemplate documents;
    documents.setMainFrame(&frame);
    frame.show();
    CQvasmDoc *doc = documents.openDocument(path);
    if (!doc)
        return 1;
    DocumentRecovery recovery(&documents, dir.filePath(QStringLiteral("recovery")));
    recovery.setIdleDelay(60000); // written below, by hand
    std::vector<double> held, total;
    for (int i = 0; i < 10; ++i) {
        CChildFrame::viewOf(doc)->insertPlainText(QStringLiteral("x"));
        QElapsedTimer t;
        t.start();
        recovery.writeAllNow(); // take the text, then wait for the worker as well
        const double all = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        const QString text = doc->fileText();
        const LineBreaks breaks = SourceFileCodec::attachedLineBreaks(*doc->textDocument());
        held.push_back(double(t.nsecsElapsed()) / 1e6);
        total.push_back(all);
        Q_UNUSED(text);
        Q_UNUSED(breaks);
    }
    std::sort(held.begin(), held.end());
    std::sort(total.begin(), total.end());
    std::printf("%d MiB: window thread held %.1f ms (median, max %.1f); whole copy written %.1f ms "
                "(median, max %.1f)\n",
                mebibytes,
                held[held.size() / 2],
                held.back(),
                total[total.size() / 2],
                total.back());
    return 0;
}
