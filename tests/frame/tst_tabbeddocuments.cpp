#include "TestSettings.h"
#include "base/CommandIds.h"
#include "frame/CommandRouter.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/TabbedDocuments.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>

// Window > Tabbed Documents: windows by default, tabs that close and move when chosen, and the
// choice kept for the next start.
class tst_TabbedDocuments : public QObject
{
    Q_OBJECT

private slots:
    void switchesAndIsKept();
};

void tst_TabbedDocuments::switchesAndIsKept()
{
    TestSettings settings;
    {
        CMainFrame frame;
        auto *tabs = new TabbedDocuments(&frame);
        for (const char *name : {"one", "two"})
            frame.mdiArea()->addSubWindow(new QPlainTextEdit(name))->showMaximized();
        frame.show();
        QCOMPARE(frame.mdiArea()->viewMode(), QMdiArea::SubWindowView);
        frame.router().refresh();
        QVERIFY(!frame.commandAction(ID_WINDOW_TABBED)->isChecked());

        QVERIFY(frame.router().dispatch(ID_WINDOW_TABBED));
        QVERIFY(tabs->isTabbed());
        QCOMPARE(frame.mdiArea()->viewMode(), QMdiArea::TabbedView);
        QVERIFY(frame.mdiArea()->tabsClosable());
        QVERIFY(frame.mdiArea()->tabsMovable());
        auto *bar = frame.mdiArea()->findChild<QTabBar *>();
        QVERIFY(bar);
        QCOMPARE(bar->count(), 2);
        frame.router().refresh();
        QVERIFY(frame.commandAction(ID_WINDOW_TABBED)->isChecked());
        QCOMPARE(settings.store().readInt("Settings", "tabbed", 0), 1);
    }
    {
        // The next frame starts as the last one was left, and switches back.
        CMainFrame frame;
        auto *tabs = new TabbedDocuments(&frame);
        QVERIFY(tabs->isTabbed());
        QVERIFY(frame.router().dispatch(ID_WINDOW_TABBED));
        QCOMPARE(frame.mdiArea()->viewMode(), QMdiArea::SubWindowView);
        QCOMPARE(settings.store().readInt("Settings", "tabbed", 1), 0);
    }
}

QTEST_MAIN(tst_TabbedDocuments)
#include "tst_tabbeddocuments.moc"
