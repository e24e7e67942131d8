#include "workspace/ui/WorkspaceSubsystem.h"

#include "app/ui/CQvasmApp.h"
#include "app/ui/RecentListCommands.h"
#include "base/SettingsStore.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/ui/CMainFrame.h"
#include "workspace/ui/CWorkspaceCommands.h"

#include <QFileInfo>
#include <QPointer>

void installWorkspace(CQvasmApp &app)
{
    using Stage = CQvasmApp::StartupStage;
    auto *lists = new RecentListCommands(app.commands(), &app);
    app.setRecentFileSink([lists](const QString &path) { lists->files().add(path); });
    lists->setFileOpener(
        [&app](const QString &path) { return app.OpenDocumentFile(path) != nullptr; });

    app.addStartupStep(Stage::SettingsOpened, [lists](const StartupDecision &) {
        lists->read(SettingsStore::instance());
    });
    app.addStartupStep(Stage::FrameCreated, [&app, lists](const StartupDecision &) {
        CMainFrame *frame = app.mainFrame();
        if (!frame)
            return;
        const QPointer<CWorkspaceCommands> commands(new CWorkspaceCommands(frame));
        const auto open = [commands](const QString &path) {
            if (commands)
                commands->OpenWorkspace(path);
        };
        lists->setWorkspaceOpener(open);
        app.setWorkspaceFileOpener(open);
        if (CQvasmDocTemplate *documents = CQvasmDocTemplate::instance())
            documents->setWorkspaceFileOpener(open);
        frame->addCloseStep([commands, lists] {
            if (commands)
                commands->saveOnClose();
            lists->write(SettingsStore::instance());
        });
    });
    app.addStartupStep(Stage::RestoreWorkspace, [](const StartupDecision &decision) {
        CWorkspaceCommands *commands = CWorkspaceCommands::instance();
        if (!commands)
            return;
        if (!decision.workspaceFile.isEmpty())
            commands->OpenWorkspace(QFileInfo(decision.workspaceFile).absoluteFilePath());
        else
            commands->RestoreLastWorkspace();
    });
}
