#include "app/ui/OptionsSubsystem.h"

#include "app/ui/CQvasmApp.h"
#include "base/SettingsStore.h"
#include "editor/ui/CSyntaxColorer.h"
#include "frame/ui/CMainFrame.h"
#include "options/TipOfTheDay.h"
#include "options/ui/CTipOfDayDlg.h"
#include "options/ui/OptionsCommands.h"

#include <QPointer>

void installOptions(CQvasmApp &app)
{
    app.addStartupStep(CQvasmApp::StartupStage::FrameCreated, [&app](const StartupDecision &) {
        CMainFrame *frame = app.mainFrame();
        if (!frame)
            return;
        // The frame's colouring engine, made by the editor aids before this step.
        const QPointer<CSyntaxColorer> colorer(frame->findChild<CSyntaxColorer *>());
        new OptionsCommands(
            frame,
            app.commands(),
            [colorer](const SyntaxColours &colours) {
                if (colorer)
                    colorer->applyColours(colours);
            },
            app.programFolder());
    });
    app.addStartupStep(CQvasmApp::StartupStage::Ready, [&app](const StartupDecision &) {
        SettingsStore &store = SettingsStore::instance();
        if (!TipOfTheDay::showAtStartup(store))
            return;
        CTipOfDayDlg tip(store, app.mainFrame());
        tip.exec();
    });
}
