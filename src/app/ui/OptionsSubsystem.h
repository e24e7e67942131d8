#pragma once

class CQvasmApp;

// Puts the option sheets, dialogs and web links on the main frame and the application once the
// frame exists, and shows the tip of the day at the end of start-up when the user wants it.
void installOptions(CQvasmApp &app);
