#pragma once

class CQvasmApp;

// Puts EditorAids on the main frame once it exists, and applies the colouring settings once the
// window shows.
void installEditorAids(CQvasmApp &app);
