#pragma once

class CQvasmApp;

// Hooks the build and tools part into the application: the bundled tools as default paths, the
// output pane on the View bar, the frame's tool commands and the editor views' build commands.
void installBuild(CQvasmApp &app);
