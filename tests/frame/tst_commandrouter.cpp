#include "base/CommandIds.h"
#include "frame/AcceleratorTables.h"
#include "frame/CommandRouter.h"
#include "frame/CommandTable.h"
#include "frame/MenuResources.h"

#include <QAction>
#include <QHash>
#include <QSet>
#include <QTest>

// The route of a command through its owners, the states the update handlers decide, and the
// command resources every menu and tool bar is built from.
class tst_CommandRouter : public QObject
{
    Q_OBJECT

private slots:
    void firstOwnerOnTheRouteRuns_data();
    void firstOwnerOnTheRouteRuns();
    void stateComesFromFirstUpdaterElseFromHandlers_data();
    void stateComesFromFirstUpdaterElseFromHandlers();
    void disabledCommandDoesNotRun();
    void refreshCarriesStateToTheAction();
    void rangesServeEveryIdInThem();
    void everyReferencedIdHasAnAction();
    void acceleratorTables_data();
    void acceleratorTables();
    void effectiveKeysMapToOneCommandEach();
    void menuTextsWithoutMnemonics();
    void promptsOfTheCommands_data();
    void promptsOfTheCommands();
    void menuKeysComeFromTheAcceleratorTables();
    void menuTextsWithKeys_data();
    void menuTextsWithKeys();
};

namespace {
// Five owners as the route has them: view, document, child frame, main frame, application.
struct Route
{
    CommandMap maps[5];
    QList<const CommandMap *> chain() const
    {
        return {&maps[0], &maps[1], &maps[2], &maps[3], &maps[4]};
    }
};
} // namespace

void tst_CommandRouter::firstOwnerOnTheRouteRuns_data()
{
    QTest::addColumn<QList<int>>("handlers"); // owners (0 view .. 4 application) with a handler
    QTest::addColumn<int>("runs");            // the owner expected to run; -1 none
    QTest::newRow("view-before-everyone") << QList<int>{0, 1, 2, 3, 4} << 0;
    QTest::newRow("document-before-frames") << QList<int>{1, 3, 4} << 1;
    QTest::newRow("child-frame-before-main-frame") << QList<int>{2, 3} << 2;
    QTest::newRow("application-last") << QList<int>{4} << 4;
    QTest::newRow("nobody") << QList<int>{} << -1;
}

void tst_CommandRouter::firstOwnerOnTheRouteRuns()
{
    QFETCH(QList<int>, handlers);
    QFETCH(int, runs);
    Route route;
    QList<int> ran;
    for (int owner : handlers)
        route.maps[owner].on(ID_FILE_SAVE, [&ran, owner] { ran << owner; });
    CommandRouter router;
    router.setOwnerChain([&route] { return route.chain(); });
    QCOMPARE(router.dispatch(ID_FILE_SAVE), runs >= 0);
    QCOMPARE(ran, runs >= 0 ? QList<int>{runs} : QList<int>{});
}

void tst_CommandRouter::stateComesFromFirstUpdaterElseFromHandlers_data()
{
    QTest::addColumn<int>("handlerOwner"); // -1: none
    QTest::addColumn<int>("updaterOwner"); // -1: none
    QTest::addColumn<int>("updaterSays");  // 1 enable, 0 disable, -1 leaves it alone
    QTest::addColumn<bool>("enabled");
    QTest::newRow("no-handler-is-disabled") << -1 << -1 << -1 << false;
    QTest::newRow("handler-alone-enables") << 3 << -1 << -1 << true;
    QTest::newRow("updater-disables-handled") << 3 << 0 << 0 << false;
    QTest::newRow("updater-enables-unhandled") << -1 << 4 << 1 << true;
    QTest::newRow("silent-updater-falls-back-to-handler") << 4 << 0 << -1 << true;
    QTest::newRow("silent-updater-without-handler") << -1 << 0 << -1 << false;
}

void tst_CommandRouter::stateComesFromFirstUpdaterElseFromHandlers()
{
    QFETCH(int, handlerOwner);
    QFETCH(int, updaterOwner);
    QFETCH(int, updaterSays);
    QFETCH(bool, enabled);
    Route route;
    if (handlerOwner >= 0)
        route.maps[handlerOwner].on(ID_EDIT_COPY, [] {});
    bool laterAsked = false;
    if (updaterOwner >= 0) {
        route.maps[updaterOwner].onUpdate(ID_EDIT_COPY, [updaterSays](CommandUpdate &u) {
            if (updaterSays >= 0)
                u.enable(updaterSays == 1);
        });
        // An owner further down the route is never asked once an earlier one has an updater.
        for (int later = updaterOwner + 1; later < 5; ++later) {
            route.maps[later].onUpdate(ID_EDIT_COPY, [&laterAsked](CommandUpdate &u) {
                laterAsked = true;
                u.enable(true);
            });
        }
    }
    CommandRouter router;
    router.setOwnerChain([&route] { return route.chain(); });
    QCOMPARE(router.isEnabled(ID_EDIT_COPY), enabled);
    router.refresh();
    QCOMPARE(router.action(ID_EDIT_COPY)->isEnabled(), enabled);
    QVERIFY(!laterAsked);
}

void tst_CommandRouter::disabledCommandDoesNotRun()
{
    // A key press may arrive before the button was redrawn: the command is asked again.
    CommandMap frame;
    bool allowed = true;
    int runs = 0;
    frame.on(ID_MAKE_BUILD, [&runs] { ++runs; });
    frame.onUpdate(ID_MAKE_BUILD, [&allowed](CommandUpdate &u) { u.enable(allowed); });
    CommandRouter router;
    router.setOwnerChain([&frame] { return QList<const CommandMap *>{&frame}; });
    router.refresh();
    allowed = false;
    QVERIFY(!router.dispatch(ID_MAKE_BUILD));
    QCOMPARE(runs, 0);
    allowed = true;
    QVERIFY(router.dispatch(ID_MAKE_BUILD));
    QCOMPARE(runs, 1);
}

void tst_CommandRouter::refreshCarriesStateToTheAction()
{
    CommandMap frame;
    bool shown = true;
    frame.on(ID_VIEW_FIND_BAR, [&shown] { shown = !shown; });
    frame.onUpdate(ID_VIEW_FIND_BAR, [&shown](CommandUpdate &u) {
        u.enable();
        u.setCheck(shown);
    });
    CommandRouter router;
    router.setOwnerChain([&frame] { return QList<const CommandMap *>{&frame}; });
    router.refresh();
    QAction *bar = router.action(ID_VIEW_FIND_BAR);
    QVERIFY(bar->isEnabled() && bar->isCheckable() && bar->isChecked());
    bar->trigger();
    router.refresh();
    QVERIFY(!shown);
    QVERIFY(!bar->isChecked());
    // A queued refresh happens once control returns to the event loop.
    shown = true;
    router.requestRefresh();
    router.requestRefresh();
    QVERIFY(!bar->isChecked());
    QTRY_VERIFY(bar->isChecked());
}

void tst_CommandRouter::rangesServeEveryIdInThem()
{
    CommandMap app;
    QList<int> opened;
    app.onRange(ID_RECENT_WORKSPACE_FIRST, ID_RECENT_WORKSPACE_LAST, [&opened](int id) {
        opened << id;
    });
    app.onUpdateRange(ID_RECENT_WORKSPACE_FIRST, ID_RECENT_WORKSPACE_LAST, [](CommandUpdate &u) {
        u.enable(u.id() != ID_RECENT_WORKSPACE_LAST);
    });
    CommandRouter router;
    router.setOwnerChain([&app] { return QList<const CommandMap *>{&app}; });
    QVERIFY(router.dispatch(ID_RECENT_WORKSPACE_FIRST + 2));
    QVERIFY(!router.dispatch(ID_RECENT_WORKSPACE_LAST));
    QVERIFY(!router.dispatch(ID_RECENT_WORKSPACE_LAST + 1));
    QCOMPARE(opened, QList<int>{ID_RECENT_WORKSPACE_FIRST + 2});
}

void tst_CommandRouter::everyReferencedIdHasAnAction()
{
    CommandRouter router;
    for (int id : MenuResources::referencedIds()) {
        QVERIFY2(router.action(id), qPrintable(QString::number(id)));
        QCOMPARE(CommandRouter::commandId(router.action(id)), id);
    }
    for (int t : {AcceleratorTables::Frame, AcceleratorTables::Document}) {
        for (const Accelerator &a : AcceleratorTables::table(t))
            QVERIFY2(router.action(a.id), qPrintable(QString::number(a.id)));
    }
    // Nothing starts enabled before the owners speak.
    for (QAction *a : router.actions())
        QVERIFY(!a->isEnabled());
}

void tst_CommandRouter::acceleratorTables_data()
{
    QTest::addColumn<bool>("document");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("id"); // 0: no command
    QTest::newRow("f7-checks-syntax")
        << true << QKeySequence(Qt::Key_F7) << int(ID_MAKE_CHECK_SYNTAX);
    QTest::newRow("no-f7-without-document") << false << QKeySequence(Qt::Key_F7) << 0;
    QTest::newRow("alt-enter-document")
        << true << QKeySequence(Qt::AltModifier | Qt::Key_Return) << int(ID_PROPERTIES);
    QTest::newRow("alt-enter-frame")
        << false << QKeySequence(Qt::AltModifier | Qt::Key_Return) << int(ID_FRAME_ALT_ENTER);
    QTest::newRow("frame-table-behind-document")
        << true << QKeySequence(Qt::ControlModifier | Qt::Key_Insert) << int(ID_EDIT_COPY);
    QTest::newRow("ctrl-w-needs-document")
        << false << QKeySequence(Qt::ControlModifier | Qt::Key_W) << 0;
}

void tst_CommandRouter::acceleratorTables()
{
    QFETCH(bool, document);
    QFETCH(QKeySequence, keys);
    QFETCH(int, id);
    int found = 0;
    for (const Accelerator &a : AcceleratorTables::effective(document)) {
        if (a.keys == keys)
            found = a.id;
    }
    QCOMPARE(found, id);
}

void tst_CommandRouter::effectiveKeysMapToOneCommandEach()
{
    for (bool document : {false, true}) {
        CommandRouter router;
        router.setAccelerators(AcceleratorTables::effective(document));
        QSet<QKeySequence> seen;
        for (QAction *a : router.actions()) {
            for (const QKeySequence &k : a->shortcuts()) {
                QVERIFY2(!seen.contains(k), qPrintable(k.toString()));
                seen.insert(k);
            }
        }
        QCOMPARE(seen.size(), AcceleratorTables::effective(document).size());
    }
}

void tst_CommandRouter::menuTextsWithoutMnemonics()
{
    QCOMPARE(MenuResources::plainText(QStringLiteral("Recent Wo&rkspac&es")),
             QStringLiteral("Recent Workspaces"));
    QCOMPARE(MenuResources::plainText(QStringLiteral("Save && &Run\tF5")),
             QStringLiteral("Save & Run"));
}

void tst_CommandRouter::promptsOfTheCommands_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("prompt"); // status prompt, then the tool tip after a line break

    QTest::newRow("32777 build output") << 32777 << "View build output\nBuild output";
    QTest::newRow("32780 debug output") << 32780 << "View debug output\nDebug output";
    QTest::newRow("32784 assemble") << 32784 << "Assemble File\nAssemble";
    QTest::newRow("32785 check syntax") << 32785 << "Check syntax\nCheck syntax";
    QTest::newRow("32786 build") << 32786 << "Build Project\nBuild";
    QTest::newRow("32804 listing") << 32804 << "View Listing\nView Listing File";
    QTest::newRow("32795 execute") << 32795 << "Execute\nExecute";
    QTest::newRow("32800 make settings") << 32800 << "Change build settings\nBuild settings";
    QTest::newRow("32873 dump") << 32873 << "Dump\nDump";
    QTest::newRow("32902 disassemble") << 32902 << "Disassemble a file\nDisassemble a file";
    QTest::newRow("32905 clean trailing spaces")
        << 32905 << "Remove Trailing Spaces from all lines\nRemove Trailing Spaces from all lines";
    QTest::newRow("32820 go to") << 32820 << "Go to Item";
    QTest::newRow("32824 insert bookmark") << 32824 << "Insert Bookmark";
    QTest::newRow("32825 delete bookmark, as spelled") << 32825 << "Delet Bookmark";
    for (int id = 32883; id <= 32890; ++id)
        QTest::addRow("%d recent workspace", id) << id << "Open recent Work Space";
}

void tst_CommandRouter::promptsOfTheCommands()
{
    QFETCH(int, id);
    QFETCH(QString, prompt);
    const CommandInfo info = CommandTable::info(id);
    QCOMPARE(info.prompt, prompt.section('\n', 0, 0));
    QCOMPARE(info.toolTip, prompt.section('\n', 1));
    // The status line shows the prompt, the button its tip.
    CommandRouter router;
    QCOMPARE(router.action(id)->statusTip(), info.prompt);
}

namespace {

// Every command item of a menu, with the path of pop-up titles that leads to it.
void collectItems(const QList<MenuNode> &nodes,
                  const QString &path,
                  QList<QPair<QString, MenuNode>> &out)
{
    for (const MenuNode &n : nodes) {
        const QString at = path + '/' + MenuResources::plainText(n.text);
        if (n.kind == MenuNode::Command)
            out.append({at, n});
        collectItems(n.items, at, out);
    }
}

} // namespace

void tst_CommandRouter::menuKeysComeFromTheAcceleratorTables()
{
    for (const bool document : {false, true}) {
        const int menu = document ? MenuResources::DocumentMenu : MenuResources::FrameMenu;
        QHash<int, QString> bound; // the first key the tables in force give each command
        for (const Accelerator &a : AcceleratorTables::effective(document)) {
            if (!bound.contains(a.id))
                bound.insert(a.id, a.keys.toString(QKeySequence::PortableText));
        }
        bound.insert(ID_EDIT_CLEAR, "Del"); // the editor's own key, not a shortcut
        QList<QPair<QString, MenuNode>> items;
        collectItems(MenuResources::menuBar(menu), QString::number(menu), items);
        int withKeys = 0;
        for (const auto &[path, item] : items) {
            const qsizetype tab = item.text.indexOf('\t');
            const QString shown = tab < 0 ? QString() : item.text.mid(tab + 1);
            // Context Help at the pointer names the key of help at the caret, its neighbour.
            const int keyOf = item.id == ID_HELP_CONTEXT ? int(ID_HELP_AT_CARET) : item.id;
            QVERIFY2(shown == bound.value(keyOf),
                     qPrintable(path + ": shows '" + shown + "', bound '" + bound.value(keyOf)
                                + "'"));
            withKeys += !shown.isEmpty();
        }
        QVERIFY(withKeys >= (document ? 25 : 2));
    }
}

void tst_CommandRouter::menuTextsWithKeys_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text"); // the first item of that command in the menu

    const int doc = MenuResources::DocumentMenu;
    QTest::newRow("new") << doc << int(ID_FILE_NEW) << "&New\tCtrl+N";
    QTest::newRow("new without document")
        << int(MenuResources::FrameMenu) << int(ID_FILE_NEW) << "&New\tCtrl+N";
    QTest::newRow("delete: editor's key") << doc << int(ID_EDIT_CLEAR) << "&Delete\tDel";
    QTest::newRow("select all: frame's table")
        << doc << int(ID_EDIT_SELECT_ALL) << "Select A&ll\tCtrl+A";
    QTest::newRow("upper case: two modifiers")
        << doc << int(ID_EDIT_UPPERCASE) << "Make Selection Upper\tCtrl+Shift+U";
    QTest::newRow("find next: first of two keys")
        << doc << int(ID_EDIT_FIND_NEXT) << "Find Next\tF3";
    QTest::newRow("properties") << doc << int(ID_PROPERTIES) << "&Properties\tAlt+Enter";
    QTest::newRow("check syntax") << doc << int(ID_MAKE_CHECK_SYNTAX) << "Check S&yntax\tF7";
    QTest::newRow("assemble") << doc << int(ID_MAKE_ASSEMBLE) << "&Assemble\tF8";
    QTest::newRow("build") << doc << int(ID_MAKE_BUILD) << "&Build\tF9";
    QTest::newRow("execute") << doc << int(ID_MAKE_EXECUTE) << "&Execute...\tF10";
    QTest::newRow("context help") << doc << int(ID_HELP_CONTEXT) << "Conte&xt Help\tShift+F1";
    QTest::newRow("no key") << doc << int(ID_FILE_SAVE_AS) << "Save &As...";
    QTest::newRow("context menu asks for its key")
        << int(MenuResources::ContextMenus) << int(ID_PROPERTIES) << "Properties\tAlt+Enter";
    QTest::newRow("context menu without keys")
        << int(MenuResources::ContextMenus) << int(ID_FILE_NEW) << "&New";
}

void tst_CommandRouter::menuTextsWithKeys()
{
    QFETCH(int, menu);
    QFETCH(int, id);
    QFETCH(QString, text);
    QList<QPair<QString, MenuNode>> items;
    if (menu == MenuResources::ContextMenus) {
        for (int i = 0; i < MenuResources::ContextMenuCount; ++i)
            collectItems(MenuResources::contextMenu(i).items, QString(), items);
    } else {
        collectItems(MenuResources::menuBar(menu), QString(), items);
    }
    const auto it = std::find_if(items.cbegin(), items.cend(), [id](const auto &item) {
        return item.second.id == id;
    });
    QVERIFY(it != items.cend());
    QCOMPARE(it->second.text, text);
}

QTEST_MAIN(tst_CommandRouter)
#include "tst_commandrouter.moc"
