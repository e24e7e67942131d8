#include "app/ui/Subsystems.h"

#include "app/ui/CQvasmApp.h"
#include "app/ui/DocumentSubsystem.h"
#include "app/ui/EditorAidsSubsystem.h"
#include "app/ui/FindInFilesSubsystem.h"
#include "app/ui/InstallBuild.h"
#include "app/ui/OptionsSubsystem.h"
#include "app/ui/SearchSubsystem.h"
#include "app/ui/WorkspaceSubsystem.h"

// Each part adds one line here, calling its own install function, for example
//     installDocuments(app);   // src/editor: app.setDocumentTemplate(...), frame handlers
// The order of the lines is the order in which start-up steps of the same stage run.
void installSubsystems(CQvasmApp &app)
{
    CQvasmDocTemplate *documents = installDocuments(app);
    installEditorAids(app);
    installBuild(app, documents);
    installFindInFiles(app);
    installWorkspace(app, documents);
    installSearch(app);
    installOptions(app);
}
