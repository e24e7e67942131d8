#pragma once

#include <QString>

class QTextDocument;
class QTextCursor;
struct FindState;

// Searching inside one source document: Find, Find Next (F3, Shift+F3), Replace and Replace All.
// Positions are character positions of the QTextDocument, as QTextCursor counts them.
namespace DocumentSearch {

struct Options
{
    bool matchCase = false;
    bool wholeWord = false;
};

enum class Outcome {
    Found,   // after the selection (before it, backwards): paint "Ready..."
    Wrapped, // found only past the end (the start, backwards): paint "Passed end of file"
    NotFound // paint "Ready..." and say "No more found!"
};

struct Result
{
    Outcome outcome = Outcome::NotFound;
    int start = -1; // the occurrence to select; -1 when none
    int end = -1;
};

inline const QString kReady = QStringLiteral("Ready...");
inline const QString kPassedEnd = QStringLiteral("Passed end of file");
inline const QString kNoMoreFound = QStringLiteral("No more found!");

// Word characters of whole-word matching: letters, digits, "." and "_".
bool isWordChar(QChar c);

// The text a Find, Replace or Find in Files dialog starts with. The Find bar's text wins when
// part of it is selected or the user typed into it since the last dialog; else the editor's
// selection, else the Find bar's text. Line breaks are removed (a selection over two lines
// joins them). Clears the typed flag, as every dialog that takes its starting text does.
QString takeStartingText(FindState &state,
                         const QString &comboText,
                         bool comboHasSelectedText,
                         const QString &viewSelection);

// Backwards only for Find Next (allowReverse) with Shift held and no forced direction.
inline bool runsBackward(bool allowReverse, bool shiftHeld, bool forceForward)
{
    return allowReverse && shiftHeld && !forceForward;
}

// One search from the selection [selStart, selEnd), wrapping once. Forwards: the first
// occurrence starting at or after selEnd, else (wrapped) the first in the document. Backwards:
// the nearest occurrence starting before selStart, else (wrapped) the last in the document. An
// empty text finds nothing.
Result find(const QTextDocument &document,
            const QString &text,
            int selStart,
            int selEnd,
            const Options &options,
            bool backward);

// Replace: an existing selection is replaced by replaceText (whatever it holds); then searches
// forwards from the cursor as Find Next does. The cursor selects what was found.
Result replaceAndFind(QTextCursor &cursor,
                      const QString &text,
                      const QString &replaceText,
                      const Options &options);

// Replace All: every occurrence in the document, in one pass from the start, so a replace text
// that contains the find text cannot make it go on forever. One undo step takes it all back.
// The cursor ends selecting the last replacement (untouched when there was none). Returns the
// number of replacements.
int replaceAll(QTextCursor &cursor,
               const QString &text,
               const QString &replaceText,
               const Options &options);

} // namespace DocumentSearch
