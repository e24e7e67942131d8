#pragma once

#include "base/Prompts.h"

#include <QString>

// What a document is called and what kind it is, without a window:
// - the file kind from the last four characters of its path or title, case-sensitive
//   (".asm" source, ".inc" include, anything else other; only the first two are coloured);
// - untitled names "untitled%i.%s" (the template numbers them);
// - which kind File > New makes (requested kind, start-up template, left Shift / left Ctrl, or
//   ask), the caption with its "*", the close prompt and the Save As and Open dialogs.
enum class FileKind { Source = 0, Include = 1, Other = 2 };

class DocumentNaming
{
public:
    // Kind choices of the new-document dialog: 0 asm, 1 inc, 2 txt, 3 other.
    enum Choice { AsmChoice = 0, IncChoice = 1, TxtChoice = 2, OtherChoice = 3 };

    struct NewDocumentPlan
    {
        int choice = AsmChoice;      // meaningful unless askUser
        bool insertTemplate = false; // the start-up document: empty template, kind source
        bool askUser = false;        // show the kind dialog; its answer goes to choiceFromDialog()
    };

    static FileKind fileKind(const QString &pathOrTitle);
    static bool isColoured(FileKind kind) { return kind != FileKind::Other; }

    // requestedKind -1 means "ask"; windowActive is false only while the program starts.
    static NewDocumentPlan planNewDocument(int requestedKind,
                                           bool windowActive,
                                           bool leftShiftDown,
                                           bool leftCtrlDown);
    // A dialog answer outside 0..3 counts as "other".
    static int choiceFromDialog(int index);
    static QString untitledExtension(int choice);
    static QString untitledTitle(int number, int choice);

    // The process-wide counter: the title the next new document of this choice gets, and
    // taking it (the counter advances).

    // Path, or the title of an untitled document, with "*" while modified.
    static QString caption(const QString &pathOrTitle, bool modified);
    // "Save changes to: " and the name (Yes / No / Cancel, exclamation icon).
    static QString saveChangesQuestion(const QString &pathOrTitle);

    // Save As: default name "asmfile1", asm/inc/all filter, ".asm" added to a bare name.
    static QString saveAsClassicFilter();
    static FileDialogRequest saveAsRequest(const QString &folder);
    // Where Open and Insert File dialogs start: the folder of the active document's file, else
    // that of the open workspace's file, else the working folder. Empty paths stand for none.
    static QString dialogFolder(const QString &activeDocumentPath, const QString &workspaceFilePath);
    // A workspace file: its extension is ".qvw" in any letter case (a dropped one opens as a
    // workspace).
    static bool isWorkspaceFileName(const QString &path);
};
