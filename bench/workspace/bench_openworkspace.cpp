// Opening a big workspace as the user meets it: 80 members of 2,000 lines each, every one marked
// open, formatting on, with the whole program installed. Two figures, each the time until every
// window is open, the active one painted, and the event loop has nothing left to do:
//   - start-up with Settings/loadws restoring it (InitInstance from the first step to idle);
//   - Open Workspace from the menu on a running program (after closing it again).
//   cmake --build build --target bench_openworkspace
//   QT_QPA_PLATFORM=offscreen build/bench/bench_openworkspace [RUNS]
#include "BenchSupport.h"
#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentSubsystem.h"
#include "app/ui/Subsystems.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/CQvasmView.h"
#include "frame/ui/CMainFrame.h"
#include "workspace/WorkspaceRecord.h"
#include "workspace/ui/CWorkspaceCommands.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMembers = 80;
constexpr int kLines = 2000;

QByteArray source(int member)
{
    QByteArray text = "; member " + QByteArray::number(member) + "\r\n.model tiny\r\n.code\r\n";
    for (int i = 0; text.count('\n') < kLines; ++i) {
        text += "label" + QByteArray::number(i) + ":  mov   ax, [bx+si+" + QByteArray::number(i)
                + "]    ; comment " + QByteArray::number(i) + "\r\n";
        text += "        db    'text', 0Dh, 0Ah, '$'\r\n";
    }
    return text;
}

QString makeWorkspace(const QString &folder)
{
    WorkspaceRecord record;
    record.setOpen(true);
    const QString path = folder + "/big.qvw";
    record.setWorkspaceFilePath(path);
    for (int i = 0; i < kMembers; ++i) {
        const QString file = folder + QString("/m%1.asm").arg(i, 2, 10, QLatin1Char('0'));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(source(i)) < 0)
            std::exit(2);
        WorkspaceEntry e(file);
        e.wasOpened = true;
        e.active = i == kMembers / 2;
        e.selectionStart = e.selectionEnd = 1000;
        e.scrollY = 40 * 16;
        record.appendEntry(e);
        if (i == 0)
            record.setMainFile(file);
    }
    if (!record.save())
        std::exit(2);
    return path;
}

// Runs the event loop until a pass finds nothing to do.
void untilIdle()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    do
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    while (dispatcher->processEvents(QEventLoop::AllEvents));
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    CQvasmApp app(argc, argv);
    app.setSingleInstanceCheck(false);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    BenchPrompts prompts(true); // Close Workspace's question: Yes
    Prompts::setInstance(&prompts);
    SettingsStore::setFilePath(dir.filePath("qvasmide.ini"));
    installSubsystems(app);

    const QString workspace = makeWorkspace(dir.path());
    SettingsStore &settings = SettingsStore::instance();
    settings.writeInt("Settings", "Installed", 1);
    settings.writeInt("Settings", "tips", 0);
    settings.writeInt("Settings", "useformatting", 1);
    settings.writeInt("Settings", "loadws", 1);
    settings.writeString("Settings", "lastws", workspace);

    QElapsedTimer clock;
    clock.start();
    if (!app.InitInstance())
        return 3;
    untilIdle();
    const double startup = clock.nsecsElapsed() / 1e6;
    CMainFrame *frame = app.mainFrame();
    const int windows = int(frame->mdiArea()->subWindowList().size());
    if (windows != kMembers || !WorkspaceRecord::instance().isOpen()) {
        std::fprintf(stderr, "restored %d windows\n", windows);
        return 4;
    }

    std::vector<double> opens;
    CWorkspaceCommands *commands = frame->findChild<CWorkspaceCommands *>();
    for (int run = 0; run < runs; ++run) {
        commands->CloseWorkspace(); // Yes: every member's window closes
        untilIdle();
        clock.restart();
        commands->OpenWorkspace(workspace);
        untilIdle();
        opens.push_back(clock.nsecsElapsed() / 1e6);
        if (frame->mdiArea()->subWindowList().size() != kMembers)
            return 5;
    }
    CQvasmView *active = sourceDocuments(*CQvasmApp::instance())->activeView();
    std::printf("workspace of %d members x %d lines, formatting on, colourer %s\n",
                kMembers,
                kLines,
                CQvasmView::colourer() ? "installed" : "not installed");
    std::printf("active window: %s\n", qPrintable(active->GetDocument()->GetTitle()));
    std::printf("start-up restoring it, to idle:   %8.1f ms\n", startup);
    std::printf("Open Workspace, to idle (median of %d): %8.1f ms (min %.1f, max %.1f)\n",
                runs,
                median(opens),
                *std::min_element(opens.begin(), opens.end()),
                *std::max_element(opens.begin(), opens.end()));
    sourceDocuments(*CQvasmApp::instance())->closeAllDocuments();
    delete frame;
    return 0;
}
