#include "app/ui/FindInFilesSubsystem.h"

#include "app/ui/CQvasmApp.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "frame/ui/CMainFrame.h"
#include "search/ui/FindInFilesCommand.h"

void installFindInFiles(CQvasmApp &app)
{
    app.addStartupStep(CQvasmApp::StartupStage::FrameCreated, [&app](const StartupDecision &) {
        CMainFrame *frame = app.mainFrame();
        if (!frame)
            return;
        new FindInFilesCommand(
            frame,
            [&app](const QString &path) { return app.OpenDocumentFile(path) != nullptr; },
            [](QMdiSubWindow *window) {
                auto *child = qobject_cast<CChildFrame *>(window);
                const CQvasmDoc *doc = child ? child->document() : nullptr;
                return doc ? doc->GetPathName() : QString();
            });
    });
}
