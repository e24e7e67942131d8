#include "frame/CommandTable.h"

#include "base/CommandIds.h"

#include <QHash>

#include <algorithm>

namespace {

struct Row
{
    int id;
    const char *prompt; // "status prompt\ntool tip", as one string like the program's string table
    const char *icon;   // file name under :/icons, or nullptr
};

// clang-format off
const Row kRows[] = {
    {ID_INTERNET_BLANK, "", nullptr},
    {ID_VIEWBAR_PLACEHOLDER, "", nullptr},
    {ID_WORKSPACE_OPEN, "Open an existing workspace\nOpen Workspace", "workspace-open.svg"},
    {ID_WORKSPACE_CLOSE, "Close the open workspace\nClose Workspace", nullptr},
    {ID_FILE_SAVE_ALL, "Save all open documents\nSave All", "save-all.svg"},
    {ID_WORKSPACE_SAVE, "Save the open workspace\nSave Workspace", nullptr},
    {ID_OUTPUT_BUILD, "View build output\nBuild output", "output.svg"},
    {ID_EDITOR_PROPERTIES, "Change the editor colours and options\nEditor Properties", nullptr},
    {ID_PROPERTIES, "Show the properties of the active document\nProperties", "properties.svg"},
    {ID_OUTPUT_DEBUG, "View debug output\nDebug output", nullptr},
    {ID_WORKSPACE_ADD_NEW_FILE, "Create a new file and add it to the workspace\nAdd new file", nullptr},
    {ID_WORKSPACE_REMOVE_FILE, "Remove a file from the workspace\nRemove file", nullptr},
    {ID_WORKSPACE_SETTINGS, "Change the workspace settings\nWorkspace settings", nullptr},
    {ID_MAKE_ASSEMBLE, "Assemble File\nAssemble", "assemble.svg"},
    {ID_MAKE_CHECK_SYNTAX, "Check syntax\nCheck syntax", "check-syntax.svg"},
    {ID_MAKE_BUILD, "Build Project\nBuild", "build.svg"},
    {ID_INTERNET_NEWS, "Read the QVASM news\nQVASM News", nullptr},
    {ID_INTERNET_DOWNLOAD, "Go to the download page\nDownload", nullptr},
    {ID_INTERNET_MAKER, "Visit Kestrelmoor Software\nKestrelmoor Software", nullptr},
    {ID_MAKE_EXECUTE, "Execute\nExecute", "execute.svg"},
    {ID_MAKE_SETTINGS, "Change build settings\nBuild settings", nullptr},
    {ID_WORKSPACE_NEW, "Create a new workspace\nNew Workspace", "workspace-new.svg"},
    {ID_OUTPUT_LISTING, "View Listing\nView Listing File", nullptr},
    {ID_VIEW_REFRESH, "Recolour the active document\nRefresh", "refresh.svg"},
    {ID_SCROLL_LINE_UP, "Scroll one line up\nLine up", nullptr},
    {ID_SCROLL_LINE_DOWN, "Scroll one line down\nLine down", nullptr},
    {ID_VIEW_WORDWRAP, "Wrap long lines\nWordwrap", nullptr},
    {ID_VIEW_LINE_NUMBERS, "Show line numbers beside the text\nLine Numbers", nullptr},
    {ID_VIEW_LISTING_GUTTER, "Show each line's offset and bytes from the listing\nListing Gutter", nullptr},
    {ID_MAKE_NEXT_ERROR, "Go to the next error of the last run\nNext Error", nullptr},
    {ID_MAKE_PREV_ERROR, "Go to the previous error of the last run\nPrevious Error", nullptr},
    {ID_WINDOW_TABBED, "Show the documents as tabs\nTabbed Documents", nullptr},
    {ID_FILE_CLOSE_ALL, "Close all documents\nClose All", "close-all.svg"},
    {ID_INSERT_FILE_TEXT, "Insert a file as text\nInsert file as text", "insert-text.svg"},
    {ID_HELP_TIP_OF_THE_DAY, "Show the tip of the day\nTip of the day", nullptr},
    {ID_EDIT_UPPERCASE, "Make the selection upper case\nUpper case", nullptr},
    {ID_EDIT_LOWERCASE, "Make the selection lower case\nLower case", nullptr},
    {ID_EDIT_VIEW_WHITESPACE, "Show blanks and tabs\nView Whitespaces", nullptr},
    {ID_EDIT_GOTO, "Go to Item", nullptr},
    {ID_BOOKMARK_GOTO, "Go to a bookmark\nGo to Bookmark", nullptr},
    {ID_BOOKMARK_INSERT, "Insert Bookmark", nullptr},
    {ID_BOOKMARK_DELETE, "Delet Bookmark", nullptr},
    {ID_HELP_CONTEXT, "Help on the word under the pointer\nContext Help", nullptr},
    {ID_SHIFT_CTRL_RIGHT_CLICK, "", nullptr},
    {ID_VIEW_FONT, "Choose the editor font\nFont", "font.svg"},
    {ID_EDIT_DETAILED_FIND, "Find text with all options\nDetailed Find", "find-detailed.svg"},
    {ID_FINDBAR_PLACEHOLDER, "", nullptr},
    {ID_TREEBAR_PLACEHOLDER, "", nullptr},
    {ID_TREE_OPEN, "Open the file\nOpen", "tree-open.svg"},
    {ID_VIEW_FIND_BAR, "Show or hide the Find bar\nFind Toolbar", nullptr},
    {ID_VIEW_TREE_BAR, "Show or hide the Tree bar\nTree Toolbar", nullptr},
    {ID_INSERT_COMMENT_BLOCK, "Insert a comment block\nComment Block", "comment-block.svg"},
    {ID_TREE_CLOSE, "Close the file\nClose", "tree-close.svg"},
    {ID_INTERNET_CHECK_VERSION, "Check for a newer version\nCheck Version", nullptr},
    {ID_INTERNET_NEWSLETTER, "Subscribe to the newsletter\nSubscribe", nullptr},
    {ID_VIEW_FORMATTING, "Turn syntax colouring on or off\nFormatting", nullptr},
    {ID_INSERT_SIGNATURE, "Insert your signature\nInsert Signature", "signature.svg"},
    {ID_VIEW_INSERT_BAR, "Show or hide the Insert bar\nInsert Toolbar", nullptr},
    {ID_FILE_NEW_FROM_CLIPBOARD, "Create a new document from the clipboard\nNew from Clipboard", "new-clipboard.svg"},
    {ID_SPECIAL_CLEAR_CLIPBOARD, "Empty the clipboard\nClear Clipboard", nullptr},
    {ID_SPECIAL_SAVE_TOOLBARS, "Save the layout of the bars now\nSave Toolbar Settings", nullptr},
    {ID_TOOLS_DUMP, "Dump\nDump", "dump.svg"},
    {ID_WORKSPACE_INSERT_FILES, "Insert existing files into the workspace\nInsert files", nullptr},
    {ID_SPECIAL_DELETE_SETTINGS, "Remove all QVASMIDE settings when the program ends\nDelete settings", nullptr},
    {ID_SPECIAL_CONFIGURATION, "Change the configuration options\nConfiguration Options", nullptr},
    {32883, "Open recent Work Space", nullptr},
    {32884, "Open recent Work Space", nullptr},
    {32885, "Open recent Work Space", nullptr},
    {32886, "Open recent Work Space", nullptr},
    {32887, "Open recent Work Space", nullptr},
    {32888, "Open recent Work Space", nullptr},
    {32889, "Open recent Work Space", nullptr},
    {32890, "Open recent Work Space", nullptr},
    {ID_INSERT_FILE_BINARY, "Insert a file as binary data\nInsert file as binary", "insert-binary.svg"},
    {ID_GOTO_DEFINITION, "Go to the definition of the word\nGoto Definition", nullptr},
    {ID_VIEW_VIEW_BAR, "Show or hide the View bar\nView Toolbar", nullptr},
    {ID_EDIT_UNTABIFY, "Turn tabs into blanks in the selection\nUntabify", nullptr},
    {ID_EDIT_FIND, "Find text\nFind", nullptr},
    {ID_EDIT_FIND_NEXT, "Find the next occurrence\nFind Next", nullptr},
    {ID_EDIT_TABIFY, "Turn leading blanks into tabs in the selection\nTabify", nullptr},
    {ID_HELP_ONLINE, "Open the online help\nOnline Help", nullptr},
    {ID_HELP_AT_CARET, "Help on the word at the caret\nHelp", nullptr},
    {ID_TOOLS_DISASSEMBLE, "Disassemble a file\nDisassemble a file", "disassemble.svg"},
    {ID_EDIT_CLEAN_TRAILING_SPACES, "Remove Trailing Spaces from all lines\nRemove Trailing Spaces from all lines", nullptr},
    {ID_FILE_NEW, "Create a new document\nNew", "new.svg"},
    {ID_FILE_OPEN, "Open an existing document\nOpen", "open.svg"},
    {ID_FILE_CLOSE, "Close the active document\nClose", "close.svg"},
    {ID_FILE_SAVE, "Save the active document\nSave", "save.svg"},
    {ID_FILE_SAVE_AS, "Save the active document under a new name\nSave As", nullptr},
    {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup", "print-setup.svg"},
    {ID_FILE_PRINT, "Print the active document\nPrint", "print.svg"},
    {ID_FILE_PRINT_PREVIEW, "Show the pages as they will print\nPrint Preview", "print-preview.svg"},
    {57616, "Open this document", nullptr},
    {57617, "Open this document", nullptr},
    {57618, "Open this document", nullptr},
    {57619, "Open this document", nullptr},
    {57620, "Open this document", nullptr},
    {57621, "Open this document", nullptr},
    {57622, "Open this document", nullptr},
    {57623, "Open this document", nullptr},
    {57624, "Open this document", nullptr},
    {57625, "Open this document", nullptr},
    {57626, "Open this document", nullptr},
    {57627, "Open this document", nullptr},
    {57628, "Open this document", nullptr},
    {57629, "Open this document", nullptr},
    {57630, "Open this document", nullptr},
    {57631, "Open this document", nullptr},
    {ID_EDIT_CLEAR, "Delete the selection\nDelete", nullptr},
    {ID_EDIT_COPY, "Copy the selection to the clipboard\nCopy", "copy.svg"},
    {ID_EDIT_CUT, "Cut the selection to the clipboard\nCut", "cut.svg"},
    {ID_EDIT_PASTE, "Insert the clipboard's text\nPaste", "paste.svg"},
    {ID_EDIT_REPLACE, "Replace text\nReplace", nullptr},
    {ID_EDIT_SELECT_ALL, "Select the whole document\nSelect All", nullptr},
    {ID_EDIT_UNDO, "Undo the last change\nUndo", "undo.svg"},
    {ID_EDIT_REDO, "Redo the change undone last\nRedo", "redo.svg"},
    {ID_WINDOW_ARRANGE, "Arrange the minimised windows\nArrange Icons", nullptr},
    {ID_WINDOW_CASCADE, "Arrange the windows overlapping\nCascade", nullptr},
    {ID_WINDOW_TILE, "Arrange the windows side by side\nTile", nullptr},
    {ID_APP_ABOUT, "Show the program's version\nAbout", "about.svg"},
    {ID_APP_EXIT, "Quit QVASMIDE\nExit", "exit.svg"},
    {ID_CONTEXT_HELP, "Help on a part of the window\nHelp", "context-help.svg"},
    {ID_HELP, "Help\nHelp", nullptr},
    {ID_NEXT_PANE, "Go to the next pane\nNext Pane", nullptr},
    {ID_PREV_PANE, "Go to the previous pane\nPrevious Pane", nullptr},
    {ID_FRAME_ALT_ENTER, "", nullptr},
    {ID_VIEW_BUTTON_BAR, "Show or hide the Button bar\nButton Toolbar", nullptr},
    {ID_VIEW_STATUS_BAR, "Show or hide the status line\nStatus Bar", nullptr},
};
// clang-format on

const QHash<int, const Row *> &index()
{
    static const QHash<int, const Row *> rows = [] {
        QHash<int, const Row *> h;
        for (const Row &r : kRows)
            h.insert(r.id, &r);
        return h;
    }();
    return rows;
}

} // namespace

const QList<int> &CommandTable::ids()
{
    static const QList<int> all = [] {
        QList<int> list;
        for (const Row &r : kRows)
            list.append(r.id);
        std::sort(list.begin(), list.end());
        return list;
    }();
    return all;
}

bool CommandTable::contains(int id)
{
    return index().contains(id);
}

CommandInfo CommandTable::info(int id)
{
    CommandInfo info;
    info.id = id;
    const Row *row = index().value(id);
    if (!row)
        return info;
    const QString text = QString::fromUtf8(row->prompt);
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    info.prompt = nl < 0 ? text : text.left(nl);
    info.toolTip = nl < 0 ? QString() : text.mid(nl + 1);
    if (row->icon)
        info.iconPath = QLatin1String(":/icons/") + QLatin1String(row->icon);
    return info;
}
