#include "make/ui/InstallBuild.h"

#include "app/ui/CQvasmApp.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/ui/CMainFrame.h"
#include "make/MakeSettings.h"
#include "make/ui/BuildCommands.h"
#include "make/ui/CMyView.h"
#include "make/ui/FrameToolCommands.h"
#include "make/ui/SourceBuildDocuments.h"
#include "make/ui/SourceNavigator.h"
#include "make/ui/ToolRunSession.h"

void installBuild(CQvasmApp &app)
{
    app.addStartupStep(CQvasmApp::StartupStage::FrameCreated, [&app](const StartupDecision &) {
        // After the first-run defaults: a new user can assemble at once with the bundled tools,
        // and a path already set (even to nothing) is left alone.
        MakeSettings::applyBundledToolDefaults(app.programFolder());

        CMainFrame *frame = app.mainFrame();
        if (!frame)
            return;
        auto *pane = new CMyView;
        pane->setNavigator([](const NavigableLine::Location &location) {
            return SourceNavigator::open(location.file, location.line, SourceNavigator::CaretOnly);
        });
        frame->setOutputPane(pane);
        new FrameToolCommands(frame);
        new BuildCommands(frame, std::make_unique<SourceBuildDocuments>());
        // A tool writing a file that is open (a listing) is no news to ask about while it runs.
        if (CQvasmDocTemplate *documents = CQvasmDocTemplate::instance())
            documents->setDiskQuestionGate([] { return !ToolRunSession::isBusy(); });
    });
}
