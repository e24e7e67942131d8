#pragma once

class CQvasmApp;

// Registers the source-document template with the application and, once the main frame exists,
// the workspace tree, the drop handler and the template's frame.
void installDocuments(CQvasmApp &app);
