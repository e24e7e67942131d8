#include "app/ui/WorkspaceSubsystem.h"

#include "app/ui/CQvasmApp.h"
#include "app/ui/RecentListCommands.h"
#include "base/SettingsStore.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/ui/CMainFrame.h"
#include "workspace/ui/CWorkspaceCommands.h"
#include "workspace/ui/CWorkspaceTree.h"

#include <QFileInfo>
#include <QPointer>

#include <memory>

void installWorkspace(CQvasmApp &app, CQvasmDocTemplate *installed)
{
    const QPointer<CQvasmDocTemplate> documentsOf(installed);
    using Stage = CQvasmApp::StartupStage;
    auto *lists = new RecentListCommands(app.commands(), &app);
    app.setRecentFileSink([lists](const QString &path) { lists->files().add(path); });
    lists->setFileOpener(
        [&app](const QString &path) { return app.OpenDocumentFile(path) != nullptr; });

    app.addStartupStep(Stage::SettingsOpened, [lists](const StartupDecision &) {
        lists->read(SettingsStore::instance());
    });
    // Made with the frame, used again when the last workspace comes back.
    auto made = std::make_shared<QPointer<CWorkspaceCommands>>();
    app.addStartupStep(Stage::FrameCreated,
                       [&app, lists, made, documentsOf](const StartupDecision &) {
                           CMainFrame *frame = app.mainFrame();
                           if (!frame)
                               return;
                           RecentWorkspaces recent;
                           recent.add = [lists](const QString &path) {
                               lists->workspaces().add(path);
                           };
                           recent.remove = [lists](const QString &path) {
                               lists->workspaces().remove(path);
                           };
                           const QPointer<CWorkspaceCommands> commands(
                               new CWorkspaceCommands(frame,
                                                      documentsOf,
                                                      frame->findChild<CWorkspaceTree *>(),
                                                      std::move(recent)));
                           *made = commands;
                           const auto open = [commands](const QString &path) {
                               if (commands)
                                   commands->OpenWorkspace(path);
                           };
                           lists->setWorkspaceOpener(open);
                           app.setWorkspaceFileOpener(open);
                           if (CQvasmDocTemplate *documents = documentsOf)
                               documents->setWorkspaceFileOpener(open);
                           frame->addCloseStep([commands, lists] {
                               if (commands)
                                   commands->saveOnClose();
                               lists->write(SettingsStore::instance());
                           });
                       });
    app.addStartupStep(Stage::RestoreWorkspace, [made](const StartupDecision &decision) {
        CWorkspaceCommands *commands = *made;
        if (!commands)
            return;
        if (!decision.workspaceFile.isEmpty())
            commands->OpenWorkspace(QFileInfo(decision.workspaceFile).absoluteFilePath());
        else
            commands->RestoreLastWorkspace();
    });
}
