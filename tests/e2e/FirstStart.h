#pragma once

#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentTemplate.h"
#include "app/ui/Subsystems.h"
#include "frame/ui/CMainFrame.h"
#include "options/ui/CTipOfDayDlg.h"

#include "ModalDriver.h"

#include <QTest>

// The program's first start as a user sees it: the first-run notice agreed to, every part
// installed, and the tip of the day that ends a first start closed. False when the main window
// did not come up.
inline bool startForTheFirstTime(CQvasmApp &app, const QString &programFolder)
{
    app.setProgramFolder(programFolder);
    app.setFirstRunNotice([] { return true; });
    installSubsystems(app);
    ModalDriver<CTipOfDayDlg> tip([](CTipOfDayDlg *dialog) { dialog->reject(); });
    return app.InitInstance() && tip.done() && !tip.failed() && app.mainFrame()
           && QTest::qWaitForWindowExposed(app.mainFrame());
}

// The other end of a first start: every document closed without questions, the main window gone.
inline void closeTheProgram()
{
    if (CQvasmApp *app = CQvasmApp::instance()) {
        if (app->documentTemplate())
            app->documentTemplate()->closeAllDocuments();
        delete app->mainFrame();
    }
}
