#pragma once

class CQvasmApp;

// Find, Replace, Find Next and Go To on every editor view, once the main frame exists.
void installSearch(CQvasmApp &app);
