#include "app/Subsystems.h"

#include "app/CQvasmApp.h"
#include "build/InstallBuild.h"
#include "editor/DocumentSubsystem.h"
#include "editor/EditorAids.h"
#include "workspace/WorkspaceSubsystem.h"

// Each part adds one line here, calling its own install function, for example
//     installDocuments(app);   // src/editor: app.setDocumentTemplate(...), frame handlers
// The order of the lines is the order in which start-up steps of the same stage run.
void installSubsystems(CQvasmApp &app)
{
    installDocuments(app);
    installEditorAids(app);
    installBuild(app);
    installWorkspace(app);
}
