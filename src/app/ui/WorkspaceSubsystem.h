#pragma once

class CQvasmApp;
class CQvasmDocTemplate;

// Hooks the workspace commands, the recent lists and the restore of the last workspace into the
// application: the lists are read once the settings are open, the commands come with the main
// frame (with the drop and hand-over openers of .qvw files), the last workspace (or one named on
// the command line) returns at its start-up stage, and closing the frame saves the workspace and
// writes both lists.
// documents: the source documents the workspace opens and closes (may be nullptr).
void installWorkspace(CQvasmApp &app, CQvasmDocTemplate *documents);
