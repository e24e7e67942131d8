// How smoothly the dump view scrolls a big file: paints after random jumps across the whole file
// (each touching pages not yet read) and after Page Down runs, with the memory before and after.
//   bench_dumpscroll FILE          (under Xvfb, or QT_QPA_PLATFORM=offscreen)
#include "DumpView.h"
#include "DumpWindow.h"
#include "ProcessMemory.h"
#include "base/ui/QtPrompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void report(const char *what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[size_t(q * double(ms.size() - 1))]; };
    std::printf("%-28s n=%-5zu median %.2f ms  p99 %.2f ms  max %.2f ms\n",
                what,
                ms.size(),
                at(0.5),
                at(0.99),
                ms.back());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_dumpscroll FILE\n");
        return 2;
    }
    QtPrompts prompts;
    prompts.install();
    DumpWindow window;
    window.resize(900, 700);
    window.show();
    QApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    if (!window.openFile(QString::fromLocal8Bit(argv[1])))
        return 1;
    DumpView *view = window.view();
    view->viewport()->repaint();
    std::printf("open and first paint          %.2f ms, rss %lld KB (anon %lld KB), %lld rows\n",
                clock.nsecsElapsed() / 1e6,
                ProcessMemory::statusKilobytes("VmRSS"),
                ProcessMemory::statusKilobytes("RssAnon"),
                view->rowCount());

    QRandomGenerator random(1);
    std::vector<double> jumps;
    for (int i = 0; i < 1000; ++i) {
        clock.restart();
        view->setTopRow(qint64(random.bounded(quint64(view->rowCount()))));
        view->viewport()->repaint();
        jumps.push_back(clock.nsecsElapsed() / 1e6);
    }
    report("random jump + paint", jumps);

    view->setFocus();
    view->setTopRow(view->rowCount() / 3);
    std::vector<double> pages;
    for (int i = 0; i < 2000; ++i) {
        clock.restart();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(view, &key);
        view->viewport()->repaint();
        pages.push_back(clock.nsecsElapsed() / 1e6);
    }
    report("page down + paint", pages);
    // Mapped pages read so far count as resident; they are the page cache's, not ours.
    std::printf("rss after scrolling           %lld KB (anon %lld KB)\n",
                ProcessMemory::statusKilobytes("VmRSS"),
                ProcessMemory::statusKilobytes("RssAnon"));
    return 0;
}
