// Typing into a large document through the real editor view, offscreen: the time from a key
// press to the character being in the text and the changed part of the view repainted, one key at a time into the
// lines in the middle of a 200,000-line source. Prints the median, 90th percentile and maximum of 1,000 keys,
// and how long the document took to open.
//
//   cmake --build build --target bench_typing && build/bench/bench_typing [lines] [keys]
//   build/bench/bench_typing --one-line MiB [keys]   the same into the middle of one line that long

#include "BenchSupport.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[size_t(p * double(v.size() - 1))];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool oneLine = argc > 1 && qstrcmp(argv[1], "--one-line") == 0;
    const int arg = oneLine ? 2 : 1;
    const int lines = oneLine ? 1 : argc > arg ? std::atoi(argv[arg]) : 200000;
    const qsizetype lineBytes = oneLine && argc > arg ? qsizetype(std::atof(argv[arg]) * 1048576)
                                                      : 0;
    const int keys = argc > arg + 1 ? std::atoi(argv[arg + 1]) : oneLine ? 20 : 1000;

    QTemporaryDir dir;
    SettingsStore::setFilePath(dir.filePath(QStringLiteral("qvasmide.ini")));
    const QString path = dir.filePath(QStringLiteral("big.asm"));
    if (oneLine) {
        QFile f(path);
        const QByteArray text = "text db '" + QByteArray(lineBytes, 'a') + "'\r\n";
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            return 1;
    } else if (!writeLabelledSource(path, lines)) {
        return 1;
    }

    CMainFrame frame;
    CQvasmDocTemplate documents;
    documents.setMainFrame(&frame);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        return 1;

    QElapsedTimer clock;
    clock.start();
    CQvasmDoc *doc = documents.openDocument(path);
    QCoreApplication::processEvents();
    const double openMs = double(clock.nsecsElapsed()) / 1e6;
    if (!doc)
        return 1;
    CQvasmView *view = CChildFrame::viewOf(doc);
    view->setFocus();
    const QTextBlock middle = doc->textDocument()->findBlockByNumber(lines / 2);
    const int column = oneLine ? int(lineBytes / 2) : 8;
    view->setSelection(middle.position() + column, middle.position() + column);
    view->centerCursor();
    QCoreApplication::processEvents();

    for (int i = 0; i < (oneLine ? 2 : 50); ++i) { // warm-up: glyph caches, the line's layout
        QTest::keyClick(view, Qt::Key_X);
        QCoreApplication::processEvents();
    }
    // Each key goes into its own line around the middle, so lines keep a source's length.
    std::vector<double> ms;
    ms.reserve(size_t(keys));
    for (int i = 0; i < keys; ++i) {
        const QTextBlock line = doc->textDocument()->findBlockByNumber(
            oneLine ? 0 : lines / 2 - keys / 2 + i);
        view->setSelection(line.position() + column + i, line.position() + column + i);
        view->ensureCursorVisible();
        QCoreApplication::processEvents();
        clock.restart();
        QTest::keyClick(view, Qt::Key_X);
        const double keyMs = double(clock.nsecsElapsed()) / 1e6;
        // The repaint the key asked for: the changed line, as on screen.
        QCoreApplication::processEvents();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (qEnvironmentVariableIsSet("BENCH_SPLIT"))
            std::printf("%.3f %.3f\n", keyMs, ms.back() - keyMs);
    }
    if (oneLine)
        std::printf("document: one line of %lld bytes, opened and shown in %.0f ms\n",
                    static_cast<long long>(lineBytes),
                    openMs);
    else
        std::printf("document: %d lines, opened and shown in %.0f ms\n", lines, openMs);
    std::printf("one key in the middle, %d keys: median %.3f ms, p90 %.3f ms, max %.3f ms\n",
                keys,
                percentile(ms, 0.5),
                percentile(ms, 0.9),
                percentile(ms, 1.0));
    doc->SetModifiedFlag(false);
    return 0;
}
