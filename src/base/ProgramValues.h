#pragma once

#include <QString>

// The handful of program-wide values every part of the program may read: one instance for the
// whole run. The application sets them up at start-up; CQvasmApp offers the same values.
struct ProgramValues
{
    // Folder of the running executable, without a trailing separator; the data files
    // (userdat.dat, qvasmide.hlt) and the tools/ folder are found through it.
    QString programFolder;
    // While false, opened files do not enter the recent-file list (workspace members).
    bool recentFileSwitch = true;
    // Set by a handler just before it raises an InternalFailure; the error report shows it.
    quint32 internalCode = 0;
    // Copy of Settings/useformatting: colouring runs only while it is on.
    bool formatting = false;
    // Special > Delete QVASMIDE from registry: the settings go when the program ends.
    bool deleteSettingsAtExit = false;

    static ProgramValues &instance();

    // Keeps the files opened while it lives out of the recent-file list (workspace members).
    class RecentFilesOff
    {
    public:
        RecentFilesOff() { instance().recentFileSwitch = false; }
        ~RecentFilesOff() { instance().recentFileSwitch = true; }
        RecentFilesOff(const RecentFilesOff &) = delete;
        RecentFilesOff &operator=(const RecentFilesOff &) = delete;
    };
};
