#pragma once

#include <QString>
#include <QStringList>

// The rules of the two "Create New ..." dialogs, without their widgets. The location dialog
// serves three modes: File (Add new file: "New .ASM file" / "New .INC file"), Project (New
// Workspace: "New .COM project" / "New .EXE project", the location following the name) and List
// (Remove file: the members' paths). The dialog wires these to its controls:
//   opening:        listItems(), baseFolder() + "/" into the location, nameStep()
//   name edited:    nameStep(); the location is replaced when it says so
//   OK:             accept(); then by its action show the message and keep the dialog open, or
//                   ask the folder question (No keeps it open, Yes createFolder() and close),
//                   or close. Edits take the returned names and location in every case.
class CreateNewRules
{
public:
    enum class Mode { File = 1, Project = 2, List = 3 };

    // Letters, digits, "_" and "." only, and not empty.
    static bool isValidFileName(const QString &text);

    static QStringList listItems(Mode mode, const QStringList &entryPaths = {});
    // The kinds of the plain new-document dialog, in index order.
    static QStringList newDocumentKinds();

    // File mode: the main file's folder (the current folder when it has none); the others: the
    // current folder. Always ends in "/".
    static QString baseFolder(Mode mode, const QString &mainFile, const QString &currentFolder);

    // The source name cut before its first "." unless that is its first character.
    static QString cutName(const QString &sourceName);

    struct NameStep
    {
        bool okEnabled = false;
        bool replaceLocation = false;
        QString location; // when replaceLocation
    };
    static NameStep nameStep(const QString &sourceName,
                             const QString &baseFolder,
                             bool locationTouched,
                             bool followName);

    struct Input
    {
        Mode mode = Mode::File;
        int chosenIndex = 0; // the list's current row
        QString chosenItemText;
        QString sourceName;
        QString targetName;
        QString location;
        QString currentFolder; // relative locations are taken from here
    };

    struct Outcome
    {
        enum class Action { Accept, InvalidSource, InvalidTarget, AskCreateFolder };
        Action action = Action::Accept;
        QString message;    // for the two invalid actions and the folder question
        QString sourceName; // with ".asm"/".inc" added; in list mode the chosen path
        QString targetName; // ".com"/".obj" derived when it was empty
        QString location;   // absolute, ending in "/"
        QString folderToCreate;
        int chosenIndex = 0;
    };
    static Outcome accept(const Input &input);

    // Creates the location (with any missing parents). A failure is not reported here: the
    // caller's file creation fails later and says so.
    static bool createFolder(const QString &folder);

    static QString illegalSourceNameMessage(); // "Filename contains illegal characters1."
    static QString illegalTargetNameMessage(); // "Filename contains illegal characters0."
    static QString createFolderQuestion();     // "Location path does not exist, create?"
};
