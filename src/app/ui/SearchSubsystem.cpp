#include "app/ui/SearchSubsystem.h"

#include "app/StartupDecision.h"
#include "app/ui/CQvasmApp.h"
#include "frame/ui/CMainFrame.h"
#include "search/ui/FindCommandsHost.h"

void installSearch(CQvasmApp &app)
{
    app.addStartupStep(CQvasmApp::StartupStage::FrameCreated, [&app](const StartupDecision &) {
        if (CMainFrame *frame = app.mainFrame())
            new FindCommandsHost(frame);
    });
}
