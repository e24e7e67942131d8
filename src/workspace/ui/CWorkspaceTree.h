#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>

class CMainFrame;
class CQvasmDoc;
class QTreeView;
class WorkspaceTreeModel;

// The Tree bar's behaviour: it puts the WorkspaceTreeModel (three bold groups, the files by kind)
// into the main frame's tree control 105 and handles its notifications: a double-click opens or
// activates a file, a right-click shows "TreeBack", "TreeItemBold" or "TreeItem" of menu 159, the
// tree taking the focus hands it to the active document window. Commands 32848 Open and 32855
// Close go on the frame's command table. One per main frame; instance() is the program's.
//
// AddTreeFile/RemoveTreeFile are what documents and workspace commands call; the list of items
// has no fixed size.
class CWorkspaceTree : public QObject
{
    Q_OBJECT

public:
    explicit CWorkspaceTree(CMainFrame *frame);
    ~CWorkspaceTree() override;

    // The tree of the program's main frame, or nullptr before it exists.
    static CWorkspaceTree *instance();

    WorkspaceTreeModel *model() const { return m_model; }
    QTreeView *view() const;

    // Adds the file (replacing its item if it has one) under the group of its kind, sorted, and
    // expands the group. A document given with it takes the kind.
    void AddTreeFile(const QString &path, CQvasmDoc *document = nullptr);
    // Removes the item of exactly that path; nothing when there is none.
    void RemoveTreeFile(const QString &path);

    // Open on an item: a group does nothing; a file on disk opens (or its window comes to the
    // front); anything else (an untitled document's title) activates the window of that name.
    void openItem(const QModelIndex &index);
    // Command 32848: the item the context menu was opened on, else the selected item.
    void OnTreeOpen();
    // Command 32855: closes the window of the right-clicked item through the Close command.
    void OnTreeClose();
    // Right-click at a point of the tree's viewport; the selection stays as it was.
    void showContextMenu(const QPoint &position);
    // The tool tip at a point of the tree's viewport: a file item's path when the bar cuts its
    // label off, else nothing.
    QString toolTipAt(const QPoint &position) const;
    QModelIndex rightClickedItem() const { return m_rightClicked; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString pathOf(const QModelIndex &index) const;
    void activateWindowNamed(const QString &name);
    void registerCommands();

    QPointer<CMainFrame> m_frame;
    WorkspaceTreeModel *m_model;
    QPersistentModelIndex m_rightClicked;
};
