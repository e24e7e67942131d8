#include "DocumentFixture.h"
#include "ScriptedPrompts.h"
#include "base/CommandIds.h"
#include "frame/CommandRouter.h"
#include "frame/MenuResources.h"
#include "frame/ui/CommandMenu.h"
#include "workspace/WorkspaceTreeModel.h"

#include <QDockWidget>
#include <QHelpEvent>
#include <QToolTip>
#include <QTreeView>

// The Tree bar over real documents: what gets listed where, what stays when windows close, and
// what a double-click, the context menus and their commands do.
class tst_WorkspaceTree : public QObject
{
    Q_OBJECT

private slots:
    void documentsAreListedByKind();
    void closingKeepsOnlyWorkspaceMembers();
    void doubleClickOpensOrActivates();
    void contextMenusFollowTheItem_data();
    void contextMenusFollowTheItem();
    void rightClickKeepsTheSelection();
    void hideItemsArePlainAndHide_data();
    void hideItemsArePlainAndHide();
    void cutOffLabelsShowThePath_data();
    void cutOffLabelsShowThePath();
    void menuCommandsActOnTheClickedItem();
    void focusGoesBackToTheEditor();
};

namespace {

QStringList childLabels(const WorkspaceTreeModel &model, FileKind kind)
{
    QStringList labels;
    const QModelIndex group = model.groupIndex(kind);
    for (int r = 0; r < model.rowCount(group); ++r)
        labels << model.index(r, 0, group).data().toString();
    return labels;
}

void doubleClick(QTreeView *tree, const QModelIndex &index)
{
    tree->scrollTo(index);
    const QPoint at = tree->visualRect(index).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

void tst_WorkspaceTree::documentsAreListedByKind()
{
    DocumentFixture f;
    const WorkspaceTreeModel &model = *f.tree->model();
    for (const char *name : {"main.asm", "data.inc", "MAIN.ASM"})
        f.documents->openDocument(f.write(QLatin1String(name), "x\r\n"));
    f.documents->openDocument(f.path("main.asm")); // again: still one item
    f.modifiers = Qt::ShiftModifier;
    f.documents->createNewDocument();

    // Each document once, in its group; the groups' rules are the model's own test.
    QCOMPARE(childLabels(model, FileKind::Source),
             (QStringList{"main.asm -- (" + f.path("main.asm") + ")",
                          "untitled0.asm -- (untitled0.asm)"}));
    QCOMPARE(model.filePaths().size(), 4);
    QVERIFY(f.tree->view()->isExpanded(model.groupIndex(FileKind::Other)));
}

void tst_WorkspaceTree::closingKeepsOnlyWorkspaceMembers()
{
    DocumentFixture f;
    const QString member = f.write(QStringLiteral("member.asm"), "x\r\n");
    const QString other = f.write(QStringLiteral("other.asm"), "x\r\n");
    WorkspaceRecord &record = WorkspaceRecord::instance();
    record.setOpen(true);
    // Members are matched ignoring case when their window closes.
    record.appendEntry(WorkspaceEntry(f.dir.path() + QStringLiteral("/MEMBER.asm")));
    f.documents->openDocument(member)->CloseWithPrompt();
    f.documents->openDocument(other)->CloseWithPrompt();
    f.settle();
    QCOMPARE(f.tree->model()->filePaths(), QStringList{member});
    // Without an open workspace nothing is a member.
    record.markClosed();
    f.documents->openDocument(member)->CloseWithPrompt();
    f.settle();
    QVERIFY(f.tree->model()->filePaths().isEmpty());
}

void tst_WorkspaceTree::doubleClickOpensOrActivates()
{
    DocumentFixture f;
    QTreeView *tree = f.tree->view();
    const WorkspaceTreeModel &model = *f.tree->model();
    const QString onDisk = f.write(QStringLiteral("disk.asm"), "x\r\n");
    f.tree->AddTreeFile(onDisk);
    f.modifiers = Qt::ShiftModifier;
    CQvasmDoc *untitled = f.documents->createNewDocument();
    CQvasmDoc *other = f.documents->openDocument(f.write(QStringLiteral("b.asm"), "b\r\n"));
    QCOMPARE(f.documents->activeDocument(), other);

    // A listed file that is not open opens.
    doubleClick(tree, model.indexOfFile(onDisk));
    QCOMPARE(f.documents->activeDocument()->GetPathName(), onDisk);
    // An untitled document's window is found by its name.
    doubleClick(tree, model.indexOfFile(QStringLiteral("untitled0.asm")));
    QCOMPARE(f.documents->activeDocument(), untitled);
    QCOMPARE(f.windowCount(), 3);
    // A group only folds.
    const QModelIndex group = model.groupIndex(FileKind::Source);
    QVERIFY(tree->isExpanded(group));
    doubleClick(tree, group);
    QVERIFY(!tree->isExpanded(group));
    QCOMPARE(f.windowCount(), 3);
    // An untitled item whose window is gone opens nothing.
    f.tree->AddTreeFile(QStringLiteral("untitled9.asm"));
    f.tree->openItem(model.indexOfFile(QStringLiteral("untitled9.asm")));
    QCOMPARE(f.windowCount(), 3);
}

void tst_WorkspaceTree::contextMenusFollowTheItem_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("menu");
    QTest::addColumn<bool>("treeHidden");

    QTest::newRow("empty space") << "" << int(MenuResources::TreeBack) << false;
    QTest::newRow("group") << "group" << int(MenuResources::TreeItemBold) << false;
    QTest::newRow("file") << "file" << int(MenuResources::TreeItem) << false;
    QTest::newRow("tree bar hidden") << "file" << -1 << true;
}

void tst_WorkspaceTree::contextMenusFollowTheItem()
{
    QFETCH(QString, target);
    QFETCH(int, menu);
    QFETCH(bool, treeHidden);
    DocumentFixture f;
    QTreeView *tree = f.tree->view();
    const QString path = f.write(QStringLiteral("a.asm"), "x\r\n");
    f.tree->AddTreeFile(path);
    QModelIndex index;
    if (target == QLatin1String("group"))
        index = f.tree->model()->groupIndex(FileKind::Include);
    else if (target == QLatin1String("file"))
        index = f.tree->model()->indexOfFile(path);
    const QPoint at = index.isValid() ? tree->visualRect(index).center()
                                      : QPoint(5, tree->viewport()->height() - 5);
    f.frame->treeBar()->setHidden(treeHidden);
    f.tree->showContextMenu(at);
    QCOMPARE(f.tree->rightClickedItem(), QModelIndex(index));
    for (int position :
         {MenuResources::TreeBack, MenuResources::TreeItemBold, MenuResources::TreeItem}) {
        CommandMenu *shown = f.frame->contextMenu(position);
        QCOMPARE(shown->isVisible(), position == menu);
        shown->close();
    }
    QVERIFY(!tree->selectionModel()->hasSelection()); // a right-click selects nothing
}

void tst_WorkspaceTree::rightClickKeepsTheSelection()
{
    DocumentFixture f;
    QTreeView *tree = f.tree->view();
    const WorkspaceTreeModel &model = *f.tree->model();
    const QString a = f.write(QStringLiteral("a.asm"), "a\r\n");
    const QString b = f.write(QStringLiteral("b.asm"), "b\r\n");
    f.tree->AddTreeFile(a);
    f.tree->AddTreeFile(b);
    const QModelIndex selected = model.indexOfFile(b);
    tree->setCurrentIndex(selected);

    // A real right button press on a, through the window as the mouse gives it.
    const QPoint at = tree->viewport()->mapTo(f.frame.get(),
                                              tree->visualRect(model.indexOfFile(a)).center());
    QTest::mouseClick(f.frame->windowHandle(), Qt::RightButton, {}, at);
    CommandMenu *menu = f.frame->contextMenu(MenuResources::TreeItem);
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    QCOMPARE(f.tree->rightClickedItem(), QModelIndex(model.indexOfFile(a)));
    QCOMPARE(tree->currentIndex(), selected);
    QCOMPARE(tree->selectionModel()->selectedIndexes(), QModelIndexList{selected});
}

void tst_WorkspaceTree::hideItemsArePlainAndHide_data()
{
    QTest::addColumn<int>("menu");
    QTest::newRow("TreeBack") << int(MenuResources::TreeBack);
    QTest::newRow("TreeItemBold") << int(MenuResources::TreeItemBold);
    QTest::newRow("TreeItem") << int(MenuResources::TreeItem);
}

void tst_WorkspaceTree::hideItemsArePlainAndHide()
{
    QFETCH(int, menu);
    DocumentFixture f;
    CommandMenu *shown = f.frame->contextMenu(menu);
    shown->popup(QPoint(10, 10));
    QAction *hide = nullptr;
    for (QAction *a : shown->actions()) {
        if (a->text().startsWith(QLatin1String("Hide")))
            hide = a;
    }
    QVERIFY(hide);
    QCOMPARE(hide->text(), MenuResources::contextMenu(menu).items.constLast().text);
    QVERIFY(hide->isEnabled());
    QVERIFY(!hide->isCheckable() && !hide->isChecked());
    // The View menu's own item still shows the bar's state.
    QVERIFY(f.frame->commandAction(ID_VIEW_TREE_BAR)->isChecked());
    hide->trigger();
    shown->close();
    QVERIFY(f.frame->treeBar()->isHidden());
}

void tst_WorkspaceTree::cutOffLabelsShowThePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("tip");
    QTest::newRow("label fits the bar: no tip") << "" << false;
    QTest::newRow("label cut off by the bar: its path")
        << "a-folder-name-far-too-long-for-the-tree-bar-to-show-in-full" << true;
}

void tst_WorkspaceTree::cutOffLabelsShowThePath()
{
    QFETCH(QString, folder);
    QFETCH(bool, tip);
    DocumentFixture f;
    QTreeView *tree = f.tree->view();
    // A bar as wide as the shortest label needs, so the longer one is surely cut.
    const QString shortPath = QStringLiteral("/a.asm");
    f.tree->AddTreeFile(shortPath);
    const QModelIndex shortItem = f.tree->model()->indexOfFile(shortPath);
    f.frame->resizeDocks({f.frame->treeBar()}, {400}, Qt::Horizontal);
    QTRY_VERIFY(tree->viewport()->width()
                >= tree->visualRect(shortItem).left() + tree->sizeHintForIndex(shortItem).width());
    const QString path = folder.isEmpty() ? shortPath : "/" + folder + "/" + folder + "/a.asm";
    if (!folder.isEmpty())
        f.tree->AddTreeFile(path);
    const QModelIndex index = f.tree->model()->indexOfFile(path);
    const QPoint at = tree->visualRect(index).center();
    QCOMPARE(f.tree->toolTipAt(at), tip ? path : QString());

    QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(tree->viewport(), &help);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip ? path : QString());
    QToolTip::hideText();
}

void tst_WorkspaceTree::menuCommandsActOnTheClickedItem()
{
    DocumentFixture f;
    ScriptedPrompts prompts;
    QTreeView *tree = f.tree->view();
    const WorkspaceTreeModel &model = *f.tree->model();
    CQvasmDoc *a = f.documents->openDocument(f.write(QStringLiteral("a.asm"), "a\r\n"));
    CQvasmDoc *b = f.documents->openDocument(f.write(QStringLiteral("b.asm"), "b\r\n"));
    tree->setCurrentIndex(model.indexOfFile(b->GetPathName()));

    // Open on the menu of a, with b selected, brings a to the front.
    f.tree->showContextMenu(tree->visualRect(model.indexOfFile(a->GetPathName())).center());
    f.frame->contextMenu(MenuResources::TreeItem)->close();
    QVERIFY(f.frame->router().dispatch(ID_TREE_OPEN));
    QCOMPARE(f.documents->activeDocument(), a);

    // Close on b's item closes b through the Close command's question.
    QTest::keyClick(CChildFrame::viewOf(b), Qt::Key_Z);
    f.tree->showContextMenu(tree->visualRect(model.indexOfFile(b->GetPathName())).center());
    f.frame->contextMenu(MenuResources::TreeItem)->close();
    prompts.answerMessage(PromptAnswer::No);
    QVERIFY(f.frame->router().dispatch(ID_TREE_CLOSE));
    f.settle();
    QCOMPARE(f.documents->documents(), QList<CQvasmDoc *>{a});
    QCOMPARE(prompts.messagesAsked().value(0).left(17), QStringLiteral("Save changes to: "));
    QVERIFY(prompts.allAnswered());
}

void tst_WorkspaceTree::focusGoesBackToTheEditor()
{
    DocumentFixture f;
    CQvasmDoc *doc = f.documents->openDocument(f.write(QStringLiteral("a.asm"), "a\r\n"));
    f.tree->view()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(CChildFrame::viewOf(doc)));
}

QTEST_MAIN(tst_WorkspaceTree)
#include "tst_workspacetree.moc"
