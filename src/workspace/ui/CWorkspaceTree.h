#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>

class CMainFrame;
class CQvasmDoc;
class CQvasmDocTemplate;
class QTreeView;
class WorkspaceTreeModel;

// The Tree bar's behaviour: it puts the WorkspaceTreeModel (three bold groups, the files by kind)
// into the main frame's tree control 105 and handles its notifications: a double-click opens or
// activates a file, a right-click shows "TreeBack", "TreeItemBold" or "TreeItem" of menu 159, the
// tree taking the focus hands it to the active document window. Commands 32848 Open and 32855
// Close go on the frame's command table. One per main frame, made by the installer.
//
// It listens to the documents of its template: a name a document registers is added, a name it
// lets go of is removed (unless the file is a member of the open workspace). The workspace
// commands call AddTreeFile/RemoveTreeFile directly; the list of items has no fixed size.
class CWorkspaceTree : public QObject
{
    Q_OBJECT

public:
    CWorkspaceTree(CMainFrame *frame, CQvasmDocTemplate *documents);
    ~CWorkspaceTree() override;

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
    void follow(CQvasmDoc *document);

    QPointer<CMainFrame> m_frame;
    QPointer<CQvasmDocTemplate> m_documents;
    WorkspaceTreeModel *m_model;
    QPersistentModelIndex m_rightClicked;
};
