#pragma once

class CQvasmApp;

// Hooks Find in File(s) into the application: once the frame exists, Detailed Find goes on the
// document windows, opening files through the application and falling back on the folder of
// the active window's document.
void installFindInFiles(CQvasmApp &app);
