#pragma once

class CQvasmApp;
class CQvasmDocTemplate;

// Registers the source-document template with the application and, once the main frame exists,
// the workspace tree (which follows the documents), the drop handler and the template's frame.
// The template's documents enter the recent-file list through the application.
// Returns the template, which the application owns, for the other installers.
CQvasmDocTemplate *installDocuments(CQvasmApp &app);
// The template the application holds (nullptr when another kind was installed): for tests, which
// drive the program as a whole.
CQvasmDocTemplate *sourceDocuments(CQvasmApp &app);

// What the template is given from above it: the "Create New ..." dialog, the start-up document's
// text and the open workspace's file. Tests that build a template as the program does call it too.
void connectDocumentsToWorkspace(CQvasmDocTemplate &documents);
