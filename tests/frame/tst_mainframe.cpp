#include "base/CommandIds.h"
#include "base/ProgramValues.h"
#include "frame/CommandRouter.h"
#include "frame/FindHistory.h"
#include "frame/FindState.h"
#include "frame/MenuResources.h"
#include "frame/ui/BusyIndicator.h"
#include "frame/ui/CFindBar.h"
#include "frame/ui/CFindCombo.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "frame/ui/CommandMenu.h"
#include "frame/ui/DocumentWindow.h"

#include "DocWindowStub.h"
#include "ScriptedPrompts.h"
#include "TestSettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

class tst_MainFrame : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartLayout();
    void layoutAndFindHistorySurviveRestart();
    void unusableBarLayoutIsIgnored_data();
    void unusableBarLayoutIsIgnored();
    void closeSavesInOrderAndCanBeCancelled();
    void menuAndKeysFollowActiveDocument();
    void titleNamesTheDocumentOnce();
    void commandsRouteThroughActiveWindow();
    void barToggles_data();
    void barToggles();
    void lineColumnPane();
    void overwritePane();
    void findBar();
    void busyAnimationStartsAndStopsOnce();
    void nextDocFrameWalk();
    void contextMenusBuiltOnceWithOneOffTexts();
    void newFromClipboardPastesOnlyIntoNewWindow();
    void fileOpenOpensEachChosenFile();

private:
    std::unique_ptr<CMainFrame> makeFrame();
    DocWindowStub *addWindow(CMainFrame &frame, const QString &title);

    std::unique_ptr<TestSettings> m_settings;
};

void tst_MainFrame::init()
{
    m_settings = std::make_unique<TestSettings>();
    ProgramValues::instance() = ProgramValues();
}

void tst_MainFrame::cleanup()
{
    m_settings.reset();
}

std::unique_ptr<CMainFrame> tst_MainFrame::makeFrame()
{
    auto frame = std::make_unique<CMainFrame>();
    frame->show();
    QApplication::setActiveWindow(frame.get());
    if (!QTest::qWaitForWindowActive(frame.get()))
        qWarning("main frame not active");
    return frame;
}

DocWindowStub *tst_MainFrame::addWindow(CMainFrame &frame, const QString &title)
{
    auto *w = new DocWindowStub(title);
    frame.mdiArea()->addSubWindow(w);
    w->show();
    frame.mdiArea()->setActiveSubWindow(w);
    return w;
}

void tst_MainFrame::firstStartLayout()
{
    auto frame = makeFrame();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(frame->pos(), screen.topLeft() + QPoint(30, 30));
    QCOMPARE(frame->size(), screen.size() - QSize(60, 60));

    // Button, Find and Insert at the top in that order, the tree left, the output at the bottom.
    QList<QToolBar *> bars{frame->buttonBar(), frame->findBar(), frame->insertBar()};
    for (int i = 0; i < bars.size(); ++i) {
        QCOMPARE(frame->toolBarArea(bars[i]), Qt::TopToolBarArea);
        QVERIFY(bars[i]->isVisible());
        if (i > 0)
            QVERIFY(bars[i - 1]->geometry().x() < bars[i]->geometry().x()
                    || bars[i - 1]->geometry().y() < bars[i]->geometry().y());
    }
    QCOMPARE(frame->dockWidgetArea(frame->treeBar()), Qt::LeftDockWidgetArea);
    QCOMPARE(frame->dockWidgetArea(frame->viewBar()), Qt::BottomDockWidgetArea);

    QCOMPARE(frame->statusLine()->paneText(CStatusLine::MessagePane), QStringLiteral("Ready..."));

    // The output pane can be replaced by the real one; it keeps the font.
    QPointer<QWidget> placeholder = frame->outputPane();
    auto *pane = new QPlainTextEdit;
    frame->setOutputPane(pane);
    QCOMPARE(frame->outputPane(), pane);
    QCOMPARE(pane->font().pointSizeF(), 9.5);
    QTRY_VERIFY(!placeholder);
}

void tst_MainFrame::layoutAndFindHistorySurviveRestart()
{
    {
        auto frame = makeFrame();
        frame->findBar()->hide();
        frame->addDockWidget(Qt::RightDockWidgetArea, frame->treeBar());
        frame->router().dispatch(ID_SPECIAL_SAVE_TOOLBARS);
        QVERIFY(!m_settings->store().readBinary("Settings", "ToolbarState").isEmpty());
        // Close saves again, so the layout at close wins over the one saved before.
        frame->insertBar()->hide();
        for (int i = 0; i < 21; ++i)
            frame->AddFindHistory(QStringLiteral("t%1").arg(i));
        frame->findState().matchWord = true;
        frame->close();
    }
    auto frame = makeFrame();
    QVERIFY(frame->findBar()->isHidden());
    QVERIFY(frame->insertBar()->isHidden());
    QVERIFY(!frame->buttonBar()->isHidden());
    QCOMPARE(frame->dockWidgetArea(frame->treeBar()), Qt::RightDockWidgetArea);
    QCOMPARE(frame->findHistory().count(), 20);
    QCOMPARE(frame->findCombo()->currentText(), QStringLiteral("t20"));
    QVERIFY(frame->findState().matchWord);
}

void tst_MainFrame::unusableBarLayoutIsIgnored_data()
{
    QTest::addColumn<QByteArray>("state");
    QByteArray valid;
    {
        CMainFrame frame;
        frame.findBar()->hide();
        valid = frame.barState();
    }
    QTest::newRow("garbage") << QByteArray("\x00\xff\x13garbage-garbage", 18);
    QTest::newRow("truncated") << valid.left(valid.size() / 2);
    QByteArray flipped = valid;
    flipped[flipped.size() - 3] = char(flipped[flipped.size() - 3] ^ 0x40);
    QTest::newRow("one-byte-damaged") << flipped;
    QTest::newRow("bare-qt-record") << valid.mid(13);
}

void tst_MainFrame::unusableBarLayoutIsIgnored()
{
    QFETCH(QByteArray, state);
    m_settings->store().writeBinary("Settings", "ToolbarState", state);
    auto frame = makeFrame();
    QVERIFY(!frame->findBar()->isHidden());
    QCOMPARE(frame->dockWidgetArea(frame->treeBar()), Qt::LeftDockWidgetArea);
    QVERIFY(!frame->restoreBarState(state));
}

void tst_MainFrame::closeSavesInOrderAndCanBeCancelled()
{
    auto frame = makeFrame();
    SettingsStore &s = m_settings->store();
    frame->AddFindHistory("needle");
    QStringList seen;
    frame->addCloseStep([&] {
        seen << QStringLiteral("step1 layout=%1 find=%2")
                    .arg(!s.readBinary("Settings", "ToolbarState").isEmpty())
                    .arg(s.contains("FindBar", "item00"));
    });
    frame->addCloseStep([&] { seen << "step2"; });
    bool allow = false;
    frame->setCloseGuard([&] {
        seen << QStringLiteral("guard find=%1").arg(s.readString("FindBar", "item00"));
        return allow;
    });
    QVERIFY(!frame->close());
    QVERIFY(frame->isVisible());
    QCOMPARE(seen, QStringList({"step1 layout=1 find=0", "step2", "guard find=needle"}));
    allow = true;
    QVERIFY(frame->close());
}

void tst_MainFrame::menuAndKeysFollowActiveDocument()
{
    auto frame = makeFrame();
    QAction *checkSyntax = frame->commandAction(ID_MAKE_CHECK_SYNTAX);
    QVERIFY(checkSyntax->shortcuts().isEmpty());

    DocWindowStub *w = addWindow(*frame, "a.asm");
    QTRY_VERIFY(frame->isDocumentMenuShown());
    QCOMPARE(checkSyntax->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::Key_F7)});

    // F7 runs Check Syntax when its owner handles it.
    int checks = 0;
    w->view.on(ID_MAKE_CHECK_SYNTAX, [&checks] { ++checks; });
    w->editor->setFocus();
    QTest::keyClick(w->editor, Qt::Key_F7);
    QCOMPARE(checks, 1);

    // The Window menu lists the open document windows, the current one checked.
    DocWindowStub *second = addWindow(*frame, "b&c.inc");
    QMenu *windowMenu = frame->menuBar()->actions().at(8)->menu();
    emit windowMenu->aboutToShow();
    QStringList listed;
    for (QAction *a : windowMenu->actions()) {
        if (a->text().startsWith('&') && a->isCheckable())
            listed << a->text() + (a->isChecked() ? "*" : "");
    }
    QCOMPARE(listed, QStringList({"&1 a.asm", "&2 b&&c.inc*"}));
    second->close();

    w->close();
    QTRY_VERIFY(!frame->isDocumentMenuShown());
    QVERIFY(checkSyntax->shortcuts().isEmpty());
}

void tst_MainFrame::titleNamesTheDocumentOnce()
{
    // A maximised window's buttons go into the menu bar, and with them its caption would go into
    // the title a second time.
    auto frame = makeFrame();
    DocWindowStub *a = addWindow(*frame, "/p/a.asm");
    a->showMaximized();
    QTRY_COMPARE(frame->windowTitle(), QStringLiteral("QVASMIDE - [/p/a.asm]"));
    a->setWindowTitle("/p/a.asm*");
    QTRY_COMPARE(frame->windowTitle(), QStringLiteral("QVASMIDE - [/p/a.asm*]"));
    DocWindowStub *b = addWindow(*frame, "/p/b.inc");
    b->showMaximized();
    QTRY_COMPARE(frame->windowTitle(), QStringLiteral("QVASMIDE - [/p/b.inc]"));
    b->showNormal();
    QTRY_COMPARE(frame->windowTitle(), QStringLiteral("QVASMIDE - [/p/b.inc]"));
    b->close();
    QTRY_COMPARE(frame->windowTitle(), QStringLiteral("QVASMIDE - [/p/a.asm*]"));
    a->close();
    QTRY_COMPARE(frame->windowTitle(), QStringLiteral("QVASMIDE"));
}

void tst_MainFrame::commandsRouteThroughActiveWindow()
{
    auto frame = makeFrame();
    QStringList ran;
    frame->commands().on(ID_FILE_SAVE, [&ran] { ran << "frame"; });
    frame->router().refresh();
    DocWindowStub *a = addWindow(*frame, "a.asm");
    DocWindowStub *b = addWindow(*frame, "b.asm");
    a->doc.on(ID_FILE_SAVE, [&ran] { ran << "a.doc"; });
    b->child.on(ID_FILE_SAVE, [&ran] { ran << "b.child"; });
    b->view.onUpdate(ID_FILE_SAVE, [](CommandUpdate &u) { u.enable(false); });

    QTRY_COMPARE(frame->activeDocumentFrame(), b);
    QVERIFY(!frame->router().dispatch(ID_FILE_SAVE)); // b's view disables it
    frame->router().refresh();
    QVERIFY(!frame->commandAction(ID_FILE_SAVE)->isEnabled());

    frame->mdiArea()->setActiveSubWindow(a);
    QTRY_COMPARE(frame->activeDocumentFrame(), a);
    QTRY_VERIFY(frame->commandAction(ID_FILE_SAVE)->isEnabled());
    frame->commandAction(ID_FILE_SAVE)->trigger();
    a->close();
    b->close();
    QTRY_VERIFY(!frame->activeDocumentFrame());
    frame->commandAction(ID_FILE_SAVE)->trigger();
    QCOMPARE(ran, QStringList({"a.doc", "frame"}));
}

void tst_MainFrame::barToggles_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("bar");
    QTest::newRow("tool-bar") << int(ID_VIEW_FIND_BAR) << "FindBar";
    QTest::newRow("dock") << int(ID_VIEW_TREE_BAR) << "TreeBar";
    QTest::newRow("status") << int(ID_VIEW_STATUS_BAR) << "statusLine";
    QTest::newRow("escape-for-view") << 0 << "ViewBar";
}

void tst_MainFrame::barToggles()
{
    QFETCH(int, id);
    QFETCH(QString, bar);
    auto frame = makeFrame();
    QWidget *widget = frame->findChild<QWidget *>(bar);
    QVERIFY(widget);
    DocWindowStub *w = addWindow(*frame, "a.asm");
    w->editor->setFocus();
    QAction *action = frame->commandAction(id ? id : ID_VIEW_VIEW_BAR);
    for (bool shown : {false, true}) {
        if (id)
            action->trigger();
        else
            QTest::keyClick(w->editor, Qt::Key_Escape);
        QCOMPARE(!widget->isHidden(), shown);
        frame->router().refresh();
        QCOMPARE(action->isChecked(), shown);
    }
}

void tst_MainFrame::lineColumnPane()
{
    auto frame = makeFrame();
    CStatusLine *status = frame->statusLine();
    frame->router().refresh();
    QCOMPARE(status->paneText(CStatusLine::LineColumnPane), QString());

    DocWindowStub *w = addWindow(*frame, "a.asm");
    QTRY_COMPARE(status->paneText(CStatusLine::LineColumnPane), QStringLiteral("Line 1, Col 1"));
    w->editor->setPlainText("mov ax, 1\n\tint 21h\n");
    QTextCursor c = w->editor->textCursor();
    c.setPosition(13); // line 2, after the tab and "int"
    w->editor->setTextCursor(c);
    QTRY_COMPARE(status->paneText(CStatusLine::LineColumnPane), QStringLiteral("Line 2, Col 4"));
    // Selected on one line, caret at its end: the column of the selection's start.
    c.setPosition(11);
    c.setPosition(14, QTextCursor::KeepAnchor);
    w->editor->setTextCursor(c);
    QTRY_COMPARE(status->paneText(CStatusLine::LineColumnPane), QStringLiteral("Line 2, Col 2"));
    // Selected from an earlier line down to the caret: the caret's own column.
    c.setPosition(4);
    c.setPosition(13, QTextCursor::KeepAnchor);
    w->editor->setTextCursor(c);
    QTRY_COMPARE(status->paneText(CStatusLine::LineColumnPane), QStringLiteral("Line 2, Col 4"));
    w->close();
    QTRY_COMPARE(status->paneText(CStatusLine::LineColumnPane), QString());
}

void tst_MainFrame::overwritePane()
{
    auto frame = makeFrame();
    DocWindowStub *w = addWindow(*frame, "a.asm");
    w->editor->setFocus();
    QSignalSpy spy(frame.get(), &CMainFrame::overwriteModeChanged);
    CStatusLine *status = frame->statusLine();
    QCOMPARE(status->paneText(CStatusLine::OverwritePane), QString());
    // Ctrl+Insert is Copy, not a switch of mode.
    QTest::keyClick(w->editor, Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(w->editor, Qt::Key_Insert);
    QVERIFY(frame->overwriteMode());
    QCOMPARE(spy.size(), 1);
    QTRY_COMPARE(status->paneText(CStatusLine::OverwritePane), QStringLiteral("OVR"));
    QTest::keyClick(w->editor, Qt::Key_Insert);
    QVERIFY(!frame->overwriteMode());
    QTRY_COMPARE(status->paneText(CStatusLine::OverwritePane), QString());
}

void tst_MainFrame::findBar()
{
    auto frame = makeFrame();
    CFindCombo *combo = frame->findCombo();
    frame->router().refresh();
    QVERIFY(!combo->isEnabled());
    DocWindowStub *w = addWindow(*frame, "a.asm");
    QTRY_VERIFY(combo->isEnabled());

    // The box shows what Find adds, not what Find Next adds.
    frame->AddFindHistory("beta");
    frame->AddFindHistory("alpha");
    frame->AddFindNextHistory("delta");
    QCOMPARE(combo->currentText(), QStringLiteral("alpha"));
    // Picking an older entry makes it the newest.
    combo->setFocus();
    emit combo->activated(2);
    QCOMPARE(combo->currentText(), QStringLiteral("beta"));

    // Typing marks the text as typed; Enter neither adds nor picks anything.
    QCOMPARE(frame->findState().findTextTyped, 0);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "mov");
    QCOMPARE(frame->findState().findTextTyped, 1);
    QSignalSpy picked(combo, &QComboBox::activated);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QCOMPARE(picked.size(), 0);
    QCOMPARE(frame->findHistory().count(), 3);
    QCOMPARE(combo->currentText(), QStringLiteral("mov"));
    w->close();
    QTRY_VERIFY(!combo->isEnabled());
}

void tst_MainFrame::busyAnimationStartsAndStopsOnce()
{
    auto frame = makeFrame();
    QLabel *pane = frame->statusLine()->pane(CStatusLine::BusyPane);
    BusyIndicator first;
    BusyIndicator second;
    const auto animations = [pane] { return pane->findChildren<QWidget *>("busy").size(); };
    frame->StartBusyAnimation(first);
    frame->StartBusyAnimation(first);
    frame->StartBusyAnimation(second);
    QCOMPARE(animations(), 2);
    frame->StopBusyAnimation(first);
    frame->StopBusyAnimation(first);
    QVERIFY(!first.isRunning() && second.isRunning());
    QCOMPARE(animations(), 1);
    frame->StopBusyAnimation(second);
    QCOMPARE(animations(), 0);
}

void tst_MainFrame::nextDocFrameWalk()
{
    auto frame = makeFrame();
    DocWindowStub *a = addWindow(*frame, "a");
    auto *plain = new QMdiSubWindow; // not a document window: never returned
    frame->mdiArea()->addSubWindow(plain);
    plain->show();
    DocWindowStub *b = addWindow(*frame, "b");
    DocWindowStub *c = addWindow(*frame, "c");
    frame->mdiArea()->setActiveSubWindow(c);

    frame->resetDocFrameWalk();
    QList<QMdiSubWindow *> seen;
    // Bounded: a walk that never ends must fail the count below, not hang.
    for (int step = 0; step < 10; ++step) {
        QMdiSubWindow *w = frame->NextDocFrame();
        if (!w)
            break;
        seen << w;
    }
    QCOMPARE(seen.size(), 3);
    QCOMPARE(seen.first(), c); // topmost first
    QVERIFY(seen.contains(a) && seen.contains(b));
    QVERIFY(!frame->NextDocFrame());

    // Closing windows while walking is safe: closed ones are skipped.
    frame->resetDocFrameWalk();
    QMdiSubWindow *first = frame->NextDocFrame();
    QMdiSubWindow *second = frame->NextDocFrame();
    QMdiSubWindow *third = seen.at(2);
    second->close();
    third->close();
    QTest::qWait(0);
    QVERIFY(!frame->NextDocFrame());
    frame->resetDocFrameWalk();
    QCOMPARE(frame->NextDocFrame(), first);
    QVERIFY(!frame->NextDocFrame());
}

void tst_MainFrame::contextMenusBuiltOnceWithOneOffTexts()
{
    auto frame = makeFrame();
    CommandMenu *shift = frame->contextMenu(MenuResources::EditorShift);
    QCOMPARE(frame->contextMenu(MenuResources::EditorShift), shift);
    QVERIFY(!frame->contextMenu(MenuResources::ContextMenuCount));
    QAction *help = frame->commandAction(ID_HELP_CONTEXT);

    frame->popupContextMenu(MenuResources::EditorShift,
                            frame->mapToGlobal(QPoint(50, 50)),
                            {{ID_HELP_CONTEXT, "Help on \"mov\""}});
    QTRY_VERIFY(shift->isVisible());
    QCOMPARE(help->text(), QStringLiteral("Help on \"mov\""));
    shift->hide();
    frame->popupContextMenu(MenuResources::EditorShift, frame->mapToGlobal(QPoint(50, 50)));
    QTRY_VERIFY(shift->isVisible());
    QCOMPARE(help->text(), QStringLiteral("Help on item"));
    shift->hide();

    // The same action reads as the Help menu has it when that menu shows.
    addWindow(*frame, "a.asm");
    QTRY_VERIFY(frame->isDocumentMenuShown());
    QMenu *helpMenu = frame->menuBar()->actions().last()->menu();
    emit helpMenu->aboutToShow();
    QCOMPARE(help->text(), QStringLiteral("Conte&xt Help\tShift+F1"));
}

void tst_MainFrame::newFromClipboardPastesOnlyIntoNewWindow()
{
    auto frame = makeFrame();
    QGuiApplication::clipboard()->setText("org 100h");
    QAction *fromClipboard = frame->commandAction(ID_FILE_NEW_FROM_CLIPBOARD);
    QTRY_VERIFY(!fromClipboard->isEnabled()); // New has no handler yet

    CommandMap app;
    bool makeOne = true;
    app.on(ID_FILE_NEW, [&] {
        if (makeOne)
            addWindow(*frame, "untitled1.asm");
    });
    frame->setApplicationCommands(&app);
    QTRY_VERIFY(fromClipboard->isEnabled());
    fromClipboard->trigger();
    DocWindowStub *created = dynamic_cast<DocWindowStub *>(frame->activeDocumentFrame());
    QVERIFY(created);
    QCOMPARE(created->editor->toPlainText(), QStringLiteral("org 100h"));

    // New made nothing (cancelled): the window that was active stays untouched.
    makeOne = false;
    QTRY_VERIFY(fromClipboard->isEnabled());
    fromClipboard->trigger();
    QCOMPARE(created->editor->toPlainText(), QStringLiteral("org 100h"));

    QGuiApplication::clipboard()->clear();
    QTRY_VERIFY(!fromClipboard->isEnabled());
}

void tst_MainFrame::fileOpenOpensEachChosenFile()
{
    auto frame = makeFrame();
    frame->router().refresh();
    QVERIFY(!frame->commandAction(ID_FILE_OPEN)->isEnabled());
    QStringList opened;
    frame->setDocumentOpener([&opened](const QString &path) { opened << path; });
    QTRY_VERIFY(frame->commandAction(ID_FILE_OPEN)->isEnabled());
    ScriptedPrompts prompts;
    prompts.answerOpenFiles({"/p/c.asm", "/p/a.inc", "/p/b.txt"});
    frame->commandAction(ID_FILE_OPEN)->trigger();
    QCOMPARE(opened, QStringList({"/p/c.asm", "/p/a.inc", "/p/b.txt"}));
    const FileDialogRequest &r = prompts.asked().first().file;
    QVERIFY(r.multiple && r.filter.startsWith(".asm files (.asm) (*.asm)"));
}

QTEST_MAIN(tst_MainFrame)
#include "tst_mainframe.moc"
