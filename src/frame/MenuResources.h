#pragma once

#include <QList>
#include <QString>

// One entry of a menu resource: a command with its text (which may carry "\t" and the shortcut
// text to show), a separator, or a pop-up holding further entries.
struct MenuNode
{
    enum Kind { Command, Separator, Popup };
    Kind kind = Command;
    int id = 0;
    QString text;
    QList<MenuNode> items; // pop-ups only
};

// The program's menus and tool-bar button lists, as data, so the widgets only build what these
// describe and tests can read them without a window.
namespace MenuResources {
enum MenuId {
    FrameMenu = 128,    // no document window open
    DocumentMenu = 129, // a document window active
    ContextMenus = 159,
};
enum ContextMenuPosition {
    EditorStandard = 0,
    EditorShift = 1,
    EditorCtrl = 2,
    EditorShiftCtrl = 3,
    MdiClient = 4,
    TreeBack = 5,
    TreeItemBold = 6,
    TreeItem = 7,
    ContextMenuCount = 8,
};
enum ToolBarId {
    ButtonBar = 128,
    FindBar = 160,
    InsertBar = 176,
    MenuImages = 187,
};

// The top-level pop-ups of menu 128 or 129.
const QList<MenuNode> &menuBar(int menuId);
// One sub-menu of the context menu resource 159 (its items).
const MenuNode &contextMenu(int position);
// Button ids of a tool-bar resource in order; 0 is a separator.
const QList<int> &toolBarButtons(int toolBarId);
// Every command id that a menu, context menu or tool bar above refers to, once each.
QList<int> referencedIds();
// The menu text without '&' markers and without the shortcut text after a tab.
QString plainText(const QString &menuText);
} // namespace MenuResources
