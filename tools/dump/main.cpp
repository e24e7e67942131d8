#include "DumpView.h"
#include "DumpWindow.h"
#include "ProcessMemory.h"
#include "base/ui/QtPrompts.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

// bench/dump starts us with QVASMIDE_DUMP_TRACE set to its launch time (ns since the epoch); we
// report how long the first rows took to appear and the memory then, and quit.
void traceFirstRows(DumpWindow &window, qint64 launchNs)
{
    QObject::connect(window.view(), &DumpView::firstRowsPainted, &window, [launchNs] {
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        const qint64 nowNs = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
        std::printf("first-rows-ms %.1f rss-kb %lld anon-kb %lld\n",
                    (nowNs - launchNs) / 1e6,
                    ProcessMemory::statusKilobytes("VmRSS"),
                    ProcessMemory::statusKilobytes("RssAnon"));
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QApplication::quit);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dump"));
    QtPrompts prompts;
    prompts.install();

    DumpWindow window;
    const QByteArray trace = qgetenv("QVASMIDE_DUMP_TRACE");
    if (!trace.isEmpty())
        traceFirstRows(window, trace.toLongLong());
    window.show();
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        window.openFile(args.at(1));
    } else {
        // Asked once the window is up, so the dialog has a parent to sit on.
        QTimer::singleShot(0, &window, [&window] { window.askForFile(); });
    }
    return app.exec();
}
