#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// The choices of the "New .COM project" dialog, kept in section ProjectCOM between uses.
struct ProjectWizardOptions
{
    static constexpr int MinStackSize = 64;
    static constexpr int MaxStackSize = 65534;

    bool cpu = false;              // cpu
    QString cpuDirective = ".x86"; // cpulist: any text the user typed
    bool extendedIncludes = false; // extinc
    bool stack = false;            // stack
    int stackSize = 64;            // stacksize, kept even while stack is off
    bool start = false;            // start
    bool standardIncludes = false; // stdinc
    bool readme = false;           // readme

    // The entries offered in the CPU drop-down.
    static QStringList cpuDirectives();
    static bool isValidStackSize(int size) { return size >= MinStackSize && size <= MaxStackSize; }

    // Missing or unreadable values take the defaults above.
    static ProjectWizardOptions read(const SettingsStore &settings);
    // Writes all eight, in the order cpu, cpulist, extinc, stack, stacksize, start, stdinc, readme.
    void write(SettingsStore &settings) const;

    friend bool operator==(const ProjectWizardOptions &, const ProjectWizardOptions &) = default;
};
