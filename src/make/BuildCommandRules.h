#pragma once

#include "make/AssemblerOptions.h"

#include <QString>

#include <optional>

// The decisions of Check Syntax, Assemble and Build that need no window: how a runner result is
// treated, the banners, the listing's name and when it opens, the target Assemble sets without a
// workspace, the can-execute flag after each command, and the fixed texts they show.
//
// Sequence of Assemble, for the command that drives it: save; run (ToolRunner); show the output
// (OutputPaneText with assemblingBanner()); then by classify(): NoErrors -> executableTarget(),
// capture length 0; Reported -> Build Window (unless "buildwin") with a fresh selection;
// Failed -> returnCodeMessage(). Then canExecuteAfterAssemble() and opensListingAfterAssemble().
class BuildCommandRules
{
public:
    enum class ResultRange {
        NoErrors, // 0
        Reported, // 1..255: the tool reported errors or diagnostics
        Failed,   // 256 and more: "Return code: %04X"
    };
    static ResultRange classify(int result);

    static QString returnCodeMessage(int result);
    // Both end in "\r\n " for the output pane's append rule (its last character is dropped).
    static QString assemblingBanner(const QString &sourcePath);
    static QString buildingBanner(const QString &targetFile);
    static QString checkingBanner(const QString &sourcePath);

    // The source without its last three characters, then "lst": prog.asm gives prog.lst.
    static QString listingPath(const QString &sourcePath);
    // Assemble opens the listing when Ctrl was held, or the open workspace asks for a listing
    // and for opening it; Build when a listing was made (asked for or forced) and is to be opened.
    static bool opensListingAfterAssemble(bool ctrlHeld,
                                          bool workspaceOpen,
                                          const AssemblerOptions &options);
    static bool opensListingAfterBuild(bool ctrlHeld, const AssemblerOptions &options);

    // Assemble is offered for a non-empty text whose document title ends in ".asm", any case.
    static bool assembleEnabled(const QString &documentTitle, bool textEmpty);

    // The program a successful Assemble made when no workspace is open: the source with "com" in
    // place of its ".asm" extension; nothing for another extension. The path keeps its case,
    // since file names are case-sensitive here.
    static std::optional<QString> executableTarget(const QString &sourcePath);
    // The target Assemble sets: executableTarget(), except that a run which made the source's
    // .obj and not its .com assembled a small-model source, whose program is the .exe linked
    // from that object; Execute runs it through the object's name.
    static std::optional<QString> assembledTarget(const QString &sourcePath,
                                                  bool programMade,
                                                  bool objectMade);

    // The can-execute flag after each command. buildWindowTotalErrors is the Total Errors the
    // Build Window read back, or nothing when it was not shown ("buildwin" set). After Assemble
    // the flag is set only where executableTarget() names the program the run made, and the
    // command sets that target with it, so Execute never starts an older program.
    static bool canExecuteAfterAssemble(int result,
                                        bool workspaceOpen,
                                        const QString &sourcePath,
                                        std::optional<quint32> buildWindowTotalErrors);
    static bool canExecuteAfterBuild(int result,
                                     bool previous,
                                     std::optional<quint32> buildWindowTotalErrors);
    // Check Syntax always clears it.

    static inline const QString NoErrorsFoundMessage = QStringLiteral("No Errors Found");
    static inline const QString NoFileNameQuestion = QStringLiteral(
        "File does not have a Filename, create?");
    // n: 0 Check Syntax, 1 Assemble, 2 Build.
    static QString pathNameErrorMessage(int n);
    // Build refuses a target that exists and is not a regular file; why says what it is.
    static QString targetNotReplacedMessage(const QString &target, const QString &why);
    static QString saveChangesQuestion(const QString &path);
    static inline const QString CheckSyntaxFilter = QStringLiteral(
        "Asm files (.asm)|*.asm|Inc files (.inc)|*.inc|All Files (*.*)|*.*||");
    static inline const QString CheckSyntaxDefaultSuffix = QStringLiteral("asm.inc");
    static inline const QString AssembleFilter = QStringLiteral(
        "Asm files (.asm)|*.asm|All Files (*.*)|*.*||");
    static inline const QString AssembleDefaultSuffix = QStringLiteral("asm");
    static inline const QString UntitledFileName = QStringLiteral("asmfile1");
};
