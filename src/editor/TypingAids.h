#pragma once

#include <QString>
#include <QStringView>

class QTextCursor;
class SettingsStore;

// The editor's typing aids that need no widget. The cursor functions work on the view's
// QTextCursor (a copy the view puts back with setTextCursor()) and its QTextDocument; the view
// keeps the auto-indent flag and decides which keys reach them.
class TypingAids
{
public:
    struct TabSettings
    {
        int tabstops = 2;
        bool tabsToSpaces = true;
    };
    // `tabstops` (2) and `tabstospaces` (1), read afresh at every key press.
    static TabSettings readTabSettings(const SettingsStore &store);
    // `usememberpopup`, 0 when missing.
    static bool memberPopupEnabled(const SettingsStore &store);

    // Characters that end a name: CR, LF, blank, tab, and , ; ( ) - + [ ]
    static bool isNameDelimiter(QChar c);

    // What Tab inserts: `tabstops` blanks (0 to 16 of them) or one tab.
    static QString indentUnit(const TabSettings &settings);
    // How many characters Shift+Tab removes from the start of a line: up to `tabstops` blanks,
    // or blanks ended by one tab.
    static int outdentCount(QStringView line, int tabstops);

    // Tab (shift false) or Shift+Tab. Within one line Tab replaces the selection with
    // indentUnit() and Shift+Tab outdents the line. Over several lines (a selection ending at
    // the start of a line leaves that line out) every line is indented or outdented as one undo
    // step, and the lines end up selected from the start of the first through the line break
    // after the last.
    static void tab(QTextCursor &cursor, const TabSettings &settings, bool shift);

    // The indentation Enter copies: the leading blanks and tabs of the text before the caret.
    static QString autoIndent(QStringView lineBeforeCaret);
    // Enter: replaces the selection with a line break and the indentation of the line, as one
    // undo step. True when an indentation was inserted (the view sets its auto-indent flag).
    static bool enter(QTextCursor &cursor);
    // Backspace while the auto-indent flag is set: deletes everything from the start of the line
    // to the caret at once, or nothing when the character before the caret is a tab. True when
    // the key was used up (the view clears the flag either way); false with a selection, which
    // Backspace deletes as usual.
    static bool backspaceAfterAutoIndent(QTextCursor &cursor);
};
