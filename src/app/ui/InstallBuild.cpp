#include "app/ui/InstallBuild.h"

#include "app/ui/CQvasmApp.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/ui/CMainFrame.h"
#include "make/MakeSettings.h"
#include "make/ui/BuildCommands.h"
#include "make/ui/CMyView.h"
#include "make/ui/ErrorMarks.h"
#include "make/ui/FrameToolCommands.h"
#include "make/ui/SourceBuildDocuments.h"
#include "make/ui/SourceNavigator.h"

#include <QDir>
#include <QPointer>

void installBuild(CQvasmApp &app, CQvasmDocTemplate *installed)
{
    const QPointer<CQvasmDocTemplate> documentsOf(installed);
    app.addStartupStep(
        CQvasmApp::StartupStage::FrameCreated, [&app, documentsOf](const StartupDecision &) {
            // After the first-run defaults: a new user can assemble at once with the bundled tools,
            // and a path already set (even to nothing) is left alone.
            MakeSettings::applyBundledToolDefaults(app.programFolder());

            CMainFrame *frame = app.mainFrame();
            if (!frame)
                return;
            CQvasmDocTemplate *documents = documentsOf;
            const auto opener = [&app](const QString &path) { return app.OpenDocumentFile(path); };
            const SourceNavigator navigator(frame, opener);

            auto *pane = new CMyView;
            pane->setNavigator([navigator](const NavigableLine::Location &location) {
                return navigator.open(location.file, location.line, SourceNavigator::CaretOnly);
            });
            frame->setOutputPane(pane);
            auto *build = new BuildCommands(frame,
                                            std::make_unique<SourceBuildDocuments>(documents,
                                                                                   opener),
                                            navigator);
            // The errors of each run, marked in the editors of their files.
            auto *marks = new ErrorMarks(frame, navigator);
            QObject::connect(build, &BuildCommands::outputCaptured, marks, &ErrorMarks::takeRun);
            QObject::connect(build, &BuildCommands::listingMade, marks, &ErrorMarks::takeListing);
            const QPointer<CQvasmDocTemplate> folderOf(documents);
            new FrameToolCommands(frame, build->state(), [folderOf]() -> QString {
                return folderOf ? folderOf->dialogFolder() : QDir::currentPath();
            });
            // A tool writing a file that is open (a listing) is no news to ask about while it runs.
            if (documents) {
                const QPointer<BuildCommands> commands(build);
                documents->setDiskQuestionGate(
                    [commands] { return !commands || !commands->state().isBusy(); });
            }
        });
}
