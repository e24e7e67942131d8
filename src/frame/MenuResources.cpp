#include "frame/MenuResources.h"

#include "base/CommandIds.h"
#include "frame/AcceleratorTables.h"

#include <QSet>

#include <algorithm>
#include <initializer_list>
#include <span>

namespace {

constexpr int Pop = -1;
constexpr int Sep = 0;

// Which command's key an item shows after its text: OwnKey its own (every item of a menu bar),
// NoKey none (context menus unless an item asks), else that id's.
constexpr int OwnKey = -1;
constexpr int NoKey = 0;

struct Line
{
    int depth;
    int id;           // Pop: a pop-up titled text; Sep: a separator
    const char *text; // without the key: that comes from the accelerator tables
    int key = OwnKey;
};

// clang-format off
// What the two menu bars share: the head of View (the bar toggles) and the whole of Tools and
// Special.
const Line kViewMenuHead[] = {
    {0, Pop, "&View"},
    {1, ID_VIEW_BUTTON_BAR, "&Button Toolbar"},
    {1, ID_VIEW_FIND_BAR, "&Find Toolbar"},
    {1, ID_VIEW_INSERT_BAR, "&Insert Toolbar"},
    {1, ID_VIEW_TREE_BAR, "&Tree Toolbar"},
    {1, ID_VIEW_VIEW_BAR, "&View Toolbar"},
    {1, ID_VIEW_STATUS_BAR, "&Status Bar"},
    {1, Sep, ""},
};

const Line kToolsMenu[] = {
    {0, Pop, "&Tools"},
    {1, ID_TOOLS_DUMP, "&Dump"},
    {1, ID_TOOLS_DISASSEMBLE, "Dis&assemble File..."},
};

const Line kSpecialMenu[] = {
    {0, Pop, "&Special"},
    {1, ID_SPECIAL_CLEAR_CLIPBOARD, "Clear &Clipboard"},
    {1, ID_SPECIAL_SAVE_TOOLBARS, "Save &Toolbar Settings"},
    {1, ID_SPECIAL_DELETE_SETTINGS, "Delete QVASMIDE from &registry"},
    {1, Sep, ""},
    {1, ID_SPECIAL_CONFIGURATION, "Configuration &Options"},
};

// Menu 129, with a document window active.
const Line kDocumentFileAndEdit[] = {
    {0, Pop, "&File"},
    {1, ID_FILE_NEW, "&New"},
    {1, ID_FILE_NEW_FROM_CLIPBOARD, "New from Clip&board"},
    {1, ID_FILE_OPEN, "&Open..."},
    {1, ID_FILE_CLOSE, "&Close"},
    {1, ID_FILE_CLOSE_ALL, "Close All"},
    {1, ID_FILE_SAVE, "&Save"},
    {1, ID_FILE_SAVE_AS, "Save &As..."},
    {1, ID_FILE_SAVE_ALL, "Save A&ll"},
    {1, Sep, ""},
    {1, ID_FILE_PRINT, "&Print..."},
    {1, ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
    {1, ID_FILE_PRINT_SETUP, "P&rint Setup..."},
    {1, Sep, ""},
    {1, Pop, "Recent File"},
    {1, Pop, "Recent Workspaces"},
    {1, Sep, ""},
    {1, ID_APP_EXIT, "E&xit"},
    {0, Pop, "&Edit"},
    {1, ID_EDIT_UNDO, "&Undo"},
    {1, ID_EDIT_REDO, "&Redo"},
    {1, Sep, ""},
    {1, ID_EDIT_CUT, "Cu&t"},
    {1, ID_EDIT_COPY, "&Copy"},
    {1, ID_EDIT_PASTE, "&Paste"},
    {1, ID_EDIT_CLEAR, "&Delete"},
    {1, ID_EDIT_SELECT_ALL, "Select A&ll"},
    {1, Sep, ""},
    {1, ID_EDIT_FIND, "&Find..."},
    {1, ID_EDIT_FIND_NEXT, "Find Next"},
    {1, ID_EDIT_DETAILED_FIND, "Detailed F&ind"},
    {1, ID_EDIT_REPLACE, "R&eplace"},
    {1, Sep, ""},
    {1, ID_EDIT_GOTO, "Go  to..."},
    {1, Pop, "Bookmarks"},
    {2, ID_BOOKMARK_INSERT, "&Insert"},
    {2, ID_BOOKMARK_DELETE, "&Delete"},
    {1, Sep, ""},
    {1, ID_EDIT_UPPERCASE, "Make Selection Upper"},
    {1, ID_EDIT_LOWERCASE, "Make Selection Lower"},
    {1, ID_EDIT_UNTABIFY, "Unta&bify Selection"},
    {1, ID_EDIT_TABIFY, "Tabify Selecti&on"},
    {1, ID_EDIT_CLEAN_TRAILING_SPACES, "Clean Trailing &Spaces"},
    {1, ID_EDIT_VIEW_WHITESPACE, "View &Whitespaces"},
};

const Line kDocumentViewToMake[] = {
    {1, Pop, "Output"},
    {2, ID_OUTPUT_BUILD, "&Build"},
    {2, ID_OUTPUT_DEBUG, "&Debug"},
    {2, ID_OUTPUT_LISTING, "&Listing"},
    {1, ID_EDITOR_PROPERTIES, "&Editor Properties"},
    {1, ID_VIEW_FONT, "&Font..."},
    {1, Sep, ""},
    {1, ID_VIEW_WORDWRAP, "&Wordwrap"},
    {1, ID_VIEW_FORMATTING, "Formattin&g"},
    {1, ID_VIEW_REFRESH, "Refres&h"},
    {1, ID_VIEW_LINE_NUMBERS, "Line &Numbers"},
    {1, ID_VIEW_LISTING_GUTTER, "Listing &Gutter"},
    {1, Sep, ""},
    {1, ID_PROPERTIES, "&Properties"},
    {0, Pop, "&Insert"},
    {1, ID_INSERT_FILE_TEXT, "&File as Text"},
    {1, ID_INSERT_FILE_BINARY, "File as &Binary"},
    {1, Sep, ""},
    {1, ID_INSERT_COMMENT_BLOCK, "&Comment Block"},
    {1, ID_INSERT_SIGNATURE, "Insert &Signature"},
    {0, Pop, "Wor&kspace"},
    {1, ID_WORKSPACE_NEW, "&New Workspace"},
    {1, ID_WORKSPACE_OPEN, "Open &Workspace"},
    {1, ID_WORKSPACE_SAVE, "Save Workspace"},
    {1, ID_WORKSPACE_CLOSE, "Close Wor&kspace"},
    {1, Sep, ""},
    {1, ID_WORKSPACE_ADD_NEW_FILE, "&Add new file to workspace"},
    {1, ID_WORKSPACE_INSERT_FILES, "&Insert file(s) into workspace"},
    {1, ID_WORKSPACE_REMOVE_FILE, "&Remove file from workspace"},
    {1, Sep, ""},
    {1, ID_WORKSPACE_SETTINGS, "Workspace &settings..."},
    {0, Pop, "&Make"},
    {1, ID_MAKE_SETTINGS, "&Settings"},
    {1, Sep, ""},
    {1, ID_MAKE_CHECK_SYNTAX, "Check S&yntax"},
    {1, ID_MAKE_ASSEMBLE, "&Assemble"},
    {1, ID_MAKE_BUILD, "&Build"},
    {1, ID_MAKE_NEXT_ERROR, "&Next Error"},
    {1, ID_MAKE_PREV_ERROR, "&Previous Error"},
    {1, Sep, ""},
    {1, ID_MAKE_EXECUTE, "&Execute..."},
};

const Line kDocumentWindowToHelp[] = {
    {0, Pop, "&Window"},
    {1, ID_FILE_CLOSE, "Cl&ose"},
    {1, ID_FILE_CLOSE_ALL, "Close Al&l"},
    {1, Sep, ""},
    {1, ID_WINDOW_CASCADE, "&Cascade"},
    {1, ID_WINDOW_TILE, "&Tile"},
    {1, ID_WINDOW_ARRANGE, "&Arrange Icons"},
    {1, ID_WINDOW_TABBED, "&Tabbed Documents"},
    {0, Pop, "I&nternet"},
    {1, ID_INTERNET_NEWS, "QVASM &News"},
    {1, ID_INTERNET_DOWNLOAD, "&Download Page"},
    {1, ID_INTERNET_MAKER, "&Kestrelmoor Software"},
    {1, ID_INTERNET_NEWSLETTER, "&Subscribe to Newsletter"},
    {1, ID_INTERNET_BLANK, ""},
    {1, ID_INTERNET_CHECK_VERSION, "Check &Version"},
    {0, Pop, "&Help"},
    {1, ID_HELP_ONLINE, "Online &Help"},
    {1, ID_HELP_TIP_OF_THE_DAY, "&Tip of the day"},
    {1, Sep, ""},
    // Help at the pointer, from the menu; its key asks for help at the caret.
    {1, ID_HELP_CONTEXT, "Conte&xt Help", ID_HELP_AT_CARET},
    {1, Sep, ""},
    {1, ID_APP_ABOUT, "&About qvasm..."},
};

// Menu 128, with no document window.
const Line kFrameFile[] = {
    {0, Pop, "&File"},
    {1, ID_FILE_NEW, "&New"},
    {1, ID_FILE_NEW_FROM_CLIPBOARD, "New from Clip&board"},
    {1, ID_FILE_OPEN, "&Open..."},
    {1, Sep, ""},
    {1, ID_WORKSPACE_NEW, "New &Workspace"},
    {1, ID_WORKSPACE_OPEN, "Open Workspace"},
    {1, Sep, ""},
    {1, ID_FILE_PRINT_SETUP, "&Print Setup..."},
    {1, Sep, ""},
    {1, Pop, "Recent &Files"},
    {1, Pop, "Recent Wo&rkspac&es"},
    {1, Sep, ""},
    {1, ID_APP_EXIT, "E&xit"},
};

const Line kFrameViewTail[] = {
    {1, ID_EDITOR_PROPERTIES, "&Editor Properties"},
};

const Line kFrameMake[] = {
    {0, Pop, "&Make"},
    {1, ID_MAKE_SETTINGS, "&Settings"},
};

const Line kFrameInternetAndHelp[] = {
    {0, Pop, "&Internet"},
    {1, ID_INTERNET_NEWS, "QVASM &News"},
    {1, ID_INTERNET_DOWNLOAD, "&Download QVASM"},
    {1, ID_INTERNET_MAKER, "&Kestrelmoor Software"},
    {1, ID_INTERNET_NEWSLETTER, "&Subscribe to Newsletter"},
    {1, ID_INTERNET_BLANK, ""},
    {1, ID_INTERNET_CHECK_VERSION, "Check &Version"},
    {0, Pop, "&Help"},
    {1, ID_HELP_ONLINE, "Online &Help"},
    {1, ID_HELP_TIP_OF_THE_DAY, "&Tip of the Day"},
    {1, Sep, ""},
    {1, ID_APP_ABOUT, "&About qvasm..."},
};

// Sub-menus of the context menu resource, each a depth-0 pop-up.
const Line kContextMenus[] = {
    {0, Pop, "standard"},
    {1, ID_FILE_NEW, "&New"},
    {1, ID_FILE_CLOSE, "Cl&ose"},
    {1, Sep, ""},
    {1, ID_EDIT_CUT, "Cu&t"},
    {1, ID_EDIT_COPY, "&Copy"},
    {1, ID_EDIT_PASTE, "&Paste"},
    {1, ID_EDIT_CLEAR, "Cl&ear"},
    {1, ID_EDIT_SELECT_ALL, "Select &All"},
    {1, Sep, ""},
    {1, ID_EDIT_LOWERCASE, "&Lowercase"},
    {1, ID_EDIT_UPPERCASE, "&Uppercase"},
    {1, ID_EDIT_UNTABIFY, "Untabify Selection"},
    {1, ID_EDIT_TABIFY, "Tabify Selection"},
    {1, Sep, ""},
    {1, Pop, "Insert"},
    {2, ID_INSERT_FILE_TEXT, "&Insert file here"},
    {2, ID_INSERT_FILE_BINARY, "Insert &Binary here"},
    {2, ID_INSERT_COMMENT_BLOCK, "&Comment Block"},
    {2, ID_INSERT_SIGNATURE, "Insert &Signature"},
    {2, Sep, ""},
    {2, ID_BOOKMARK_INSERT, "Insert Bookmark"},
    {2, ID_BOOKMARK_DELETE, "Delete Bookmark"},
    {1, Sep, ""},
    {1, ID_PROPERTIES, "Properties", ID_PROPERTIES},
    {0, Pop, "Shift"},
    {1, ID_HELP_CONTEXT, "Help on item"},
    {1, ID_GOTO_DEFINITION, "&Goto Definition"},
    {0, Pop, "Ctrl"},
    {1, ID_EDITOR_PROPERTIES, "Editor Properties"},
    {1, ID_VIEW_FONT, "Font..."},
    {1, ID_VIEW_REFRESH, "&Refresh", ID_VIEW_REFRESH},
    {1, ID_VIEW_FORMATTING, "Formattin&g"},
    {1, Sep, ""},
    {1, ID_VIEW_WORDWRAP, "&Wordwrap"},
    {0, Pop, "Shift+Ctrl"},
    {1, ID_SHIFT_CTRL_RIGHT_CLICK, "Shift+Ctrl+Right Click"},
    {0, Pop, "MDIClient"},
    {1, ID_FILE_NEW, "&New"},
    {1, ID_FILE_OPEN, "&Open"},
    {1, ID_FILE_CLOSE_ALL, "Close &All"},
    {1, Sep, ""},
    {1, ID_EDITOR_PROPERTIES, "&Editor Properties"},
    {0, Pop, "TreeBack"},
    {1, ID_VIEW_TREE_BAR, "Hide"},
    {0, Pop, "TreeItemBold"},
    {1, ID_WORKSPACE_ADD_NEW_FILE, "Insert File..."},
    {1, Sep, ""},
    {1, ID_VIEW_TREE_BAR, "Hide..."},
    {0, Pop, "TreeItem"},
    {1, ID_TREE_OPEN, "&Open"},
    {1, ID_TREE_CLOSE, "&Close"},
    {1, Sep, ""},
    {1, ID_VIEW_TREE_BAR, "Hide..."},
};
// clang-format on

// The parts are read as one table, in order. Items show the key the accelerator tables in force
// give them (with a document window active or not), so a menu never names a key that does
// something else; keysByDefault says whether an item without a key of its own asking shows one.
QList<MenuNode> parse(std::initializer_list<std::span<const Line>> parts,
                      bool documentActive,
                      bool keysByDefault)
{
    // A stack of the pop-ups being filled; the bottom is the menu bar itself.
    QList<MenuNode> root;
    QList<QList<MenuNode> *> stack{&root};
    for (const std::span<const Line> part : parts) {
        for (const Line &line : part) {
            while (stack.size() > line.depth + 1)
                stack.removeLast();
            MenuNode node;
            node.text = QString::fromUtf8(line.text);
            node.id = line.id > 0 ? line.id : 0;
            node.kind = line.id == Pop ? MenuNode::Popup
                                       : (line.id == Sep ? MenuNode::Separator : MenuNode::Command);
            const int keyId = line.key == OwnKey ? (keysByDefault ? node.id : NoKey) : line.key;
            if (node.kind == MenuNode::Command && keyId > 0) {
                const QString key = AcceleratorTables::keyText(keyId, documentActive);
                if (!key.isEmpty())
                    node.text += QLatin1Char('\t') + key;
            }
            QList<MenuNode> *into = stack.constLast();
            into->append(node);
            if (node.kind == MenuNode::Popup)
                stack.append(&into->last().items);
        }
    }
    return root;
}

// The recent lists grow inside their pop-ups: one item per id of the range, the first as the
// placeholder that shows while the list is empty.
void addRecentItems(QList<MenuNode> &bar)
{
    for (MenuNode &top : bar) {
        for (MenuNode &sub : top.items) {
            if (sub.kind != MenuNode::Popup || !sub.items.isEmpty())
                continue;
            const bool files = MenuResources::plainText(sub.text).startsWith(
                QLatin1String("Recent F"));
            const int first = files ? int(ID_FILE_MRU_FIRST) : int(ID_RECENT_WORKSPACE_FIRST);
            const int last = files ? int(ID_FILE_MRU_LAST) : int(ID_RECENT_WORKSPACE_LAST);
            for (int id = first; id <= last; ++id) {
                MenuNode item;
                item.id = id;
                if (id == first)
                    item.text = files ? QStringLiteral("Recent File")
                                      : QStringLiteral("Recent Workspace");
                sub.items.append(item);
            }
        }
    }
}

void collectIds(const QList<MenuNode> &nodes, QSet<int> &ids)
{
    for (const MenuNode &n : nodes) {
        if (n.kind == MenuNode::Command)
            ids.insert(n.id);
        collectIds(n.items, ids);
    }
}

} // namespace

const QList<MenuNode> &MenuResources::menuBar(int menuId)
{
    static const QList<MenuNode> frame = [] {
        QList<MenuNode> bar = parse({kFrameFile,
                                     kViewMenuHead,
                                     kFrameViewTail,
                                     kSpecialMenu,
                                     kFrameMake,
                                     kToolsMenu,
                                     kFrameInternetAndHelp},
                                    false,
                                    true);
        addRecentItems(bar);
        return bar;
    }();
    static const QList<MenuNode> document = [] {
        QList<MenuNode> bar = parse({kDocumentFileAndEdit,
                                     kViewMenuHead,
                                     kDocumentViewToMake,
                                     kToolsMenu,
                                     kSpecialMenu,
                                     kDocumentWindowToHelp},
                                    true,
                                    true);
        addRecentItems(bar);
        return bar;
    }();
    return menuId == DocumentMenu ? document : frame;
}

const MenuNode &MenuResources::contextMenu(int position)
{
    // They show over the editor, where the document table is in force.
    static const QList<MenuNode> menus = parse({kContextMenus}, true, false);
    Q_ASSERT(menus.size() == ContextMenuCount);
    return menus.at(qBound(0, position, int(menus.size()) - 1));
}

const QList<int> &MenuResources::toolBarButtons(int toolBarId)
{
    // clang-format off
    static const QList<int> button = {
        ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_ALL, 0,
        ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
        ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, 0,
        ID_EDIT_UNDO, ID_EDIT_REDO, 0,
        ID_VIEW_REFRESH, 0,
        ID_MAKE_CHECK_SYNTAX, ID_MAKE_ASSEMBLE, ID_MAKE_BUILD, ID_MAKE_EXECUTE, 0,
        ID_OUTPUT_BUILD, 0,
        ID_APP_ABOUT, ID_CONTEXT_HELP};
    // The find-history combo box covers the placeholders that follow Detailed Find.
    static const QList<int> find = {ID_EDIT_DETAILED_FIND};
    static const QList<int> insert = {
        ID_INSERT_FILE_TEXT, ID_INSERT_FILE_BINARY, ID_INSERT_COMMENT_BLOCK, ID_INSERT_SIGNATURE};
    static const QList<int> images = {
        ID_FILE_NEW, ID_FILE_NEW_FROM_CLIPBOARD, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_CLOSE_ALL,
        ID_FILE_SAVE, ID_FILE_SAVE_ALL, ID_WORKSPACE_NEW, ID_WORKSPACE_OPEN, ID_FILE_PRINT,
        ID_FILE_PRINT_SETUP, ID_FILE_PRINT_PREVIEW, ID_APP_EXIT, 0,
        ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
        ID_MAKE_CHECK_SYNTAX, ID_MAKE_ASSEMBLE, ID_MAKE_BUILD, ID_MAKE_EXECUTE, 0,
        ID_TOOLS_DUMP, ID_TOOLS_DISASSEMBLE, 0,
        ID_APP_ABOUT, ID_CONTEXT_HELP, 0,
        ID_TREE_CLOSE, ID_TREE_OPEN, ID_VIEW_REFRESH, ID_PROPERTIES, ID_VIEW_FONT};
    // clang-format on
    static const QList<int> none;
    switch (toolBarId) {
    case ButtonBar:
        return button;
    case FindBar:
        return find;
    case InsertBar:
        return insert;
    case MenuImages:
        return images;
    }
    return none;
}

QList<int> MenuResources::referencedIds()
{
    QSet<int> ids;
    collectIds(menuBar(FrameMenu), ids);
    collectIds(menuBar(DocumentMenu), ids);
    for (int i = 0; i < ContextMenuCount; ++i)
        collectIds(contextMenu(i).items, ids);
    for (int bar : {ButtonBar, FindBar, InsertBar, MenuImages}) {
        for (int id : toolBarButtons(bar)) {
            if (id)
                ids.insert(id);
        }
    }
    QList<int> list(ids.begin(), ids.end());
    std::sort(list.begin(), list.end());
    return list;
}

QString MenuResources::plainText(const QString &menuText)
{
    QString text = menuText.left(menuText.indexOf(QLatin1Char('\t')));
    // "&&" is a literal ampersand; a lone '&' marks the mnemonic.
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
                out += QLatin1Char('&');
            ++i;
            if (i >= text.size())
                break;
            if (text.at(i) == QLatin1Char('&'))
                continue;
        }
        out += text.at(i);
    }
    return out;
}
