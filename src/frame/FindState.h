#pragma once

#include <QString>

class SettingsStore;

// The options every search shares, kept by the main frame for the whole run and saved in
// section FindBar when it closes. The search dialogs read and write the members directly.
struct FindState
{
    bool findDown = false;
    bool matchCase = false;
    bool matchWord = false;
    int searchSubs = 0;
    int expanded = 0;
    int findTextTyped = 0; // the user edited the history box's text; never saved
    int closeOnOpen = 0;
    QString types;
    QString lastPath;
    QString lastFind;
    QString lastReplace;

    // currentDirectory is the default of "Last Path".
    void load(const SettingsStore &store, const QString &currentDirectory);
    void save(SettingsStore &store) const;
};
