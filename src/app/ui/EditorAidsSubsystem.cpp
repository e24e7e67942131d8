#include "app/ui/EditorAidsSubsystem.h"

#include "app/StartupDecision.h"
#include "app/ui/CQvasmApp.h"
#include "editor/ui/EditorAids.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/TabbedDocuments.h"

void installEditorAids(CQvasmApp &app)
{
    app.addStartupStep(CQvasmApp::StartupStage::FrameCreated, [&app](const StartupDecision &) {
        if (CMainFrame *frame = app.mainFrame()) {
            new EditorAids(frame);
            new TabbedDocuments(frame);
        }
    });
    app.addStartupStep(CQvasmApp::StartupStage::WindowShown, [&app](const StartupDecision &decision) {
        EditorAids::applyStartupSettings(app.mainFrame(), app.programFolder(), decision.emptyOn);
    });
}
