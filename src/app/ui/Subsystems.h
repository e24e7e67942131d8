#pragma once

class CQvasmApp;

// Hooks every part of the program into the application before start-up runs: document
// template, start-up steps, command handlers. One call per part, in Subsystems.cpp.
void installSubsystems(CQvasmApp &app);
