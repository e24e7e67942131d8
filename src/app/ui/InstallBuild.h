#pragma once

class CQvasmApp;
class CQvasmDocTemplate;

// Hooks the build and tools part into the application: the bundled tools as default paths, the
// output pane on the View bar, the frame's tool commands and the editor views' build commands.
// documents: the source documents the build commands save, read and open (may be nullptr).
void installBuild(CQvasmApp &app, CQvasmDocTemplate *documents);
