#include "editor/ui/DocumentSubsystem.h"

#include "app/ui/CQvasmApp.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "editor/ui/DocumentRecovery.h"
#include "frame/ui/CMainFrame.h"
#include "workspace/ui/CWorkspaceTree.h"

void installDocuments(CQvasmApp &app)
{
    auto documents = std::make_unique<CQvasmDocTemplate>();
    CQvasmDocTemplate *templ = documents.get();
    app.setDocumentTemplate(std::move(documents));
    app.addStartupStep(CQvasmApp::StartupStage::FrameCreated, [&app, templ](const StartupDecision &) {
        CMainFrame *frame = app.mainFrame();
        if (!frame || CQvasmDocTemplate::instance() != templ)
            return;
        templ->setMainFrame(frame);
        new CWorkspaceTree(frame);
        frame->setDropHandler([templ](const QStringList &files) { templ->openDroppedFiles(files); });
        auto *recovery = new DocumentRecovery(templ, RecoveryStore::defaultFolder(), templ);
        recovery->handleTerminationSignals();
    });
    // Last, once the window and any workspace are back: what a killed session left is offered.
    app.addStartupStep(CQvasmApp::StartupStage::Ready, [templ](const StartupDecision &) {
        if (auto *recovery = templ->findChild<DocumentRecovery *>())
            recovery->offerLeftOver();
    });
}
