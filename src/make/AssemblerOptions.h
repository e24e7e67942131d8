#pragma once

#include <QString>

class WorkspaceRecord;

// The assembler options that belong to a workspace, as plain values (the workspace record holds
// them as 0/1 bytes and two texts).
struct AssemblerOptions
{
    bool alphabetizeSegments = false;
    bool beepIfError = false;
    bool validateBootSector = false;
    bool bootDriveB = false; // false: drive A:
    bool noDiagnostics = false;
    bool useIncludePath = false;
    QString includePath;
    bool useJumps = false;
    bool createListing = false;
    bool listingPageBreaks = false;
    bool openListingFile = false;
    bool useOptimizer = false;
    QString postBuild; // one command per line

    // What the record's fields can hold: 259 and 1024 bytes plus their terminators.
    static constexpr int IncludePathMaxBytes = 259;
    static constexpr int PostBuildMaxBytes = 1024;

    // The record's options; the post-build text with '\n' line ends, ready for an editor.
    static AssemblerOptions fromRecord(const WorkspaceRecord &record);
    // The Make Settings sheet's store on OK: every flag, the include path and the post-build
    // text (CR LF line ends) cut to fit their fields. Done whether or not a workspace is open.
    void storeInto(WorkspaceRecord &record) const;

    // The store rules of the Make Settings sheet: each text cut so that its UTF-8 form fits its
    // field, never in the middle of a character (for ASCII text: the first 259 / 1024 characters).
    static QString cutIncludePath(const QString &path);
    static QString cutPostBuild(const QString &text);

    // The drive flag as the sheet stores it: set exactly when the combo's index is 1 ("B:").
    static bool bootDriveBFromComboIndex(int index) { return index == 1; }

    bool operator==(const AssemblerOptions &) const = default;
};
