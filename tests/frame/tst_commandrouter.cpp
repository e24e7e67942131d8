#include "frame/AcceleratorTables.h"
#include "frame/CommandIds.h"
#include "frame/CommandRouter.h"
#include "frame/CommandTable.h"
#include "frame/MenuResources.h"

#include <QAction>
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

QTEST_MAIN(tst_CommandRouter)
#include "tst_commandrouter.moc"
