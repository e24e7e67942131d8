#include "workspace/ui/CWorkspaceTree.h"

#include "base/CommandIds.h"
#include "base/InternalFailure.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CQvasmDocTemplate.h"
#include "frame/CommandRouter.h"
#include "frame/MenuResources.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CommandMenu.h"
#include "frame/ui/DocumentWindow.h"
#include "workspace/WorkspaceRecord.h"
#include "workspace/WorkspaceRules.h"
#include "workspace/WorkspaceTreeModel.h"

#include <QDockWidget>
#include <QEvent>
#include <QHelpEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>

namespace {

// Codes the error report shows for a tree in a state it should never be in.
enum TreeFailure : quint32 { NoItem = 0, NoPathInLabel = 2 };

} // namespace

CWorkspaceTree::CWorkspaceTree(CMainFrame *frame, CQvasmDocTemplate *documents)
    : QObject(frame)
    , m_frame(frame)
    , m_documents(documents)
    , m_model(new WorkspaceTreeModel(this))
{
    m_model->setImages({QIcon(QStringLiteral(":/icons/tree-group.svg")),
                        QIcon(QStringLiteral(":/icons/tree-source.svg")),
                        QIcon(QStringLiteral(":/icons/tree-include.svg")),
                        QIcon(QStringLiteral(":/icons/tree-other.svg"))});
    QTreeView *tree = frame->treeControl();
    tree->setModel(m_model);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(true);
    tree->setItemsExpandable(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QTreeView::doubleClicked, this, [this](const QModelIndex &index) {
        openItem(index);
    });
    connect(tree, &QWidget::customContextMenuRequested, this, &CWorkspaceTree::showContextMenu);
    tree->installEventFilter(this);
    tree->viewport()->installEventFilter(this);
    // "Hide" says what it does; a check mark beside it would read as the opposite.
    for (int menu :
         {MenuResources::TreeBack, MenuResources::TreeItemBold, MenuResources::TreeItem}) {
        if (CommandMenu *m = frame->contextMenu(menu))
            m->showPlain(ID_VIEW_TREE_BAR);
    }
    registerCommands();
    if (documents) {
        for (CQvasmDoc *document : documents->documents())
            follow(document);
        connect(documents, &CQvasmDocTemplate::documentAdded, this, &CWorkspaceTree::follow);
    }
}

CWorkspaceTree::~CWorkspaceTree() = default;

void CWorkspaceTree::follow(CQvasmDoc *document)
{
    connect(document, &CQvasmDoc::nameRegistered, this, [this, document](const QString &name) {
        AddTreeFile(name, document);
    });
    connect(document, &CQvasmDoc::nameReleased, this, [this](const QString &name) {
        // A member of the open workspace stays listed under its own path.
        if (!WorkspaceRules::keepsTreeItemOnClose(WorkspaceRecord::instance(), name))
            RemoveTreeFile(name);
    });
}

QTreeView *CWorkspaceTree::view() const
{
    return m_frame ? m_frame->treeControl() : nullptr;
}

void CWorkspaceTree::registerCommands()
{
    // The frame's table outlives this object while the frame is being destroyed.
    const QPointer<CWorkspaceTree> self(this);
    m_frame->commands().on(ID_TREE_OPEN, [self] {
        if (self)
            self->OnTreeOpen();
    });
    m_frame->commands().on(ID_TREE_CLOSE, [self] {
        if (self)
            self->OnTreeClose();
    });
}

// Items -------------------------------------------------------------------------------------------

void CWorkspaceTree::AddTreeFile(const QString &path, CQvasmDoc *document)
{
    if (path.isEmpty())
        return;
    const QModelIndex index = m_model->addFile(path);
    if (document)
        document->setFileKind(DocumentNaming::fileKind(path));
    if (QTreeView *tree = view())
        tree->expand(index.parent());
}

void CWorkspaceTree::RemoveTreeFile(const QString &path)
{
    m_model->removeFile(path);
}

QString CWorkspaceTree::pathOf(const QModelIndex &index) const
{
    const std::optional<QString> path = WorkspaceTreeModel::pathFromLabel(
        index.data(Qt::DisplayRole).toString());
    if (!path)
        InternalFailure::raise(NoPathInLabel);
    return *path;
}

// Open and close ------------------------------------------------------------------------------------

void CWorkspaceTree::activateWindowNamed(const QString &name)
{
    if (!m_frame)
        return;
    m_frame->resetDocFrameWalk();
    while (QMdiSubWindow *window = m_frame->NextDocFrame()) {
        auto *child = qobject_cast<CChildFrame *>(window);
        if (child && child->document()->name() == name) {
            m_frame->mdiArea()->setActiveSubWindow(child);
            return;
        }
    }
}

void CWorkspaceTree::openItem(const QModelIndex &index)
{
    if (!index.isValid())
        InternalFailure::raise(NoItem);
    if (m_model->isGroup(index))
        return;
    const QString path = pathOf(index);
    CQvasmDocTemplate *documents = m_documents;
    if (!documents)
        return;
    // A window of that name comes to the front (an untitled document has only its title); a file
    // on disk opens; anything else is gone and nothing happens.
    if (CQvasmDoc *open = documents->findDocument(path))
        activateWindowNamed(open->name());
    else if (WorkspaceRules::treeItemOpensFromDisk(path))
        documents->openDocument(path);
}

void CWorkspaceTree::OnTreeOpen()
{
    // The menu's Open acts on the item it was opened on, not on an unrelated selection.
    QModelIndex index = m_rightClicked;
    if (!index.isValid() && view() && view()->selectionModel())
        index = view()->selectionModel()->selectedIndexes().value(0);
    openItem(index);
}

void CWorkspaceTree::OnTreeClose()
{
    const QModelIndex index = m_rightClicked;
    if (!index.isValid() || m_model->isGroup(index) || !m_frame)
        return;
    const QString path = pathOf(index);
    m_frame->resetDocFrameWalk();
    while (QMdiSubWindow *window = m_frame->NextDocFrame()) {
        auto *child = qobject_cast<CChildFrame *>(window);
        if (child && child->document()->name() == path) {
            m_frame->mdiArea()->setActiveSubWindow(child);
            m_frame->router().dispatch(ID_FILE_CLOSE);
            return;
        }
    }
}

void CWorkspaceTree::showContextMenu(const QPoint &position)
{
    QTreeView *tree = view();
    if (!tree || !m_frame)
        return;
    m_rightClicked = QPersistentModelIndex();
    const QModelIndex index = tree->indexAt(position);
    int menu = MenuResources::TreeBack;
    if (index.isValid()) {
        m_rightClicked = index;
        menu = m_model->isGroup(index) ? MenuResources::TreeItemBold : MenuResources::TreeItem;
    }
    if (m_frame->treeBar() && !m_frame->treeBar()->isHidden())
        m_frame->popupContextMenu(menu, tree->viewport()->mapToGlobal(position));
}

QString CWorkspaceTree::toolTipAt(const QPoint &position) const
{
    QTreeView *tree = view();
    const QModelIndex index = tree ? tree->indexAt(position) : QModelIndex();
    if (!index.isValid() || m_model->isGroup(index))
        return QString();
    const int needed = tree->sizeHintForIndex(index).width();
    const QRect item = tree->visualRect(index);
    if (item.left() >= 0 && item.left() + needed <= tree->viewport()->width())
        return QString();
    return index.data(WorkspaceTreeModel::PathRole).toString();
}

bool CWorkspaceTree::eventFilter(QObject *watched, QEvent *event)
{
    QTreeView *tree = view();
    if (tree && watched == tree->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // The right button only asks for the menu: Open keeps acting on the selection.
            if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
                return true;
            break;
        case QEvent::ToolTip: {
            // Only a label the bar cuts off needs its path spelled out.
            auto *help = static_cast<QHelpEvent *>(event);
            const QString text = toolTipAt(help->pos());
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(),
                                   text,
                                   tree->viewport(),
                                   tree->visualRect(tree->indexAt(help->pos())));
            return true;
        }
        default:
            break;
        }
    }
    if (event->type() == QEvent::FocusIn && watched == view()) {
        // The tree is for the mouse: the keys stay with the document being edited.
        QTimer::singleShot(0, this, [this] {
            DocumentWindow *window = m_frame ? m_frame->activeDocumentWindow() : nullptr;
            if (QPlainTextEdit *editor = window ? window->editorView() : nullptr)
                editor->setFocus();
        });
    }
    return QObject::eventFilter(watched, event);
}
