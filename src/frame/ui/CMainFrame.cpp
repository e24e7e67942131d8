#include "frame/ui/CMainFrame.h"

#include "base/AppInfo.h"
#include "base/CommandIds.h"
#include "base/ProgramValues.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "frame/AcceleratorTables.h"
#include "frame/CommandRouter.h"
#include "frame/CommandTable.h"
#include "frame/CopyFileConfirm.h"
#include "frame/LineColumnText.h"
#include "frame/MenuResources.h"
#include "frame/ui/BusyIndicator.h"
#include "frame/ui/CFindBar.h"
#include "frame/ui/CFindCombo.h"
#include "frame/ui/CStatusLine.h"
#include "frame/ui/CommandMenu.h"
#include "frame/ui/DocumentWindow.h"
#include "frame/ui/MainWindowTitle.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSet>
#include <QTextBlock>
#include <QToolBar>
#include <QTreeView>

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kToolbarState = QStringLiteral("ToolbarState");
// Bumped when the bars change so that an older saved layout is ignored, not misapplied.
constexpr int kBarStateVersion = 1;
const QByteArray kBarStateMagic = QByteArrayLiteral("QVBARS1");

QToolBar *makeToolBar(const QString &name, const QString &title, CommandRouter &router, int id)
{
    auto *bar = new QToolBar(title);
    bar->setObjectName(name);
    bar->setIconSize(QSize(16, 16));
    for (int cmd : MenuResources::toolBarButtons(id)) {
        if (cmd == 0)
            bar->addSeparator();
        else if (QAction *action = router.action(cmd))
            bar->addAction(action);
    }
    return bar;
}

// Qt's system menu of a sub-window binds the close keys (Ctrl+W among them) to its own Close. A
// key held by two actions is ambiguous and runs neither, so the accelerators keep theirs alone.
void yieldAcceleratorKeys(QMdiSubWindow *window)
{
    QMenu *menu = window->systemMenu();
    if (!menu)
        return;
    QSet<QKeySequence> ours;
    for (int table : {AcceleratorTables::Frame, AcceleratorTables::Document}) {
        for (const Accelerator &a : AcceleratorTables::table(table))
            ours.insert(a.keys);
    }
    for (QAction *action : menu->actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        if (keys.removeIf([&ours](const QKeySequence &k) { return ours.contains(k); }) > 0)
            action->setShortcuts(keys);
    }
}

} // namespace

CMainFrame::CMainFrame(QWidget *parent)
    : QMainWindow(parent)
    , m_router(new CommandRouter(this))
{
    setObjectName(QLatin1String(AppInfo::WindowClassName));
    setWindowTitle(QLatin1String(AppInfo::DisplayName));
    setWindowIcon(QIcon(QLatin1String(AppInfo::IconPath)));
    placeOnScreen();

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiClient"));
    setCentralWidget(m_mdiArea);
    m_title = new MainWindowTitle(this, [this] { return composeTitle(); });
    m_mdiArea->viewport()->installEventFilter(this);

    m_router->setOwnerChain([this] { return commandOwners(); });
    // Every action lives on the window, so its shortcut works wherever the focus is in it.
    addActions(m_router->actions());

    createMenus();
    createBars();
    createStatusLine();
    placeBarsByDefault();
    registerCommands();

    restoreBarState(SettingsStore::instance().readBinary(kSettings, kToolbarState));
    loadFindState();
    setAcceptDrops(true);

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);
    connect(m_router, &CommandRouter::refreshed, this, &CMainFrame::updateStatusPanes);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::requestCommandUpdate);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        m_clipboardHasText.reset();
        requestCommandUpdate();
    });
    qApp->installEventFilter(this);

    m_router->setAccelerators(AcceleratorTables::effective(false));
    m_router->refresh();
}

CMainFrame::~CMainFrame()
{
    // The base destructors still hide and delete the document windows and bars, which emit
    // signals; none of them may reach this half-destroyed frame.
    m_destroying = true;
    qApp->removeEventFilter(this);
    delete m_title; // the closing document windows write the title last
    m_title = nullptr;
    for (const auto &c : std::as_const(m_followConnections))
        disconnect(c);
    const QList<QObject *> senders{m_mdiArea,
                                   qApp,
                                   QGuiApplication::clipboard(),
                                   m_router,
                                   m_statusLine,
                                   m_treeBar,
                                   m_viewBar,
                                   m_buttonBar,
                                   m_findBar,
                                   m_insertBar};
    for (QObject *sender : senders)
        disconnect(sender, nullptr, this, nullptr);
}

void CMainFrame::placeOnScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect g = screen->geometry();
    resize(qMax(g.width() - 60, 200), qMax(g.height() - 60, 150));
    move(g.topLeft() + QPoint(30, 30));
}

// Commands ----------------------------------------------------------------------------------

QAction *CMainFrame::commandAction(int id) const
{
    return m_router->action(id);
}

void CMainFrame::setApplicationCommands(const CommandMap *commands)
{
    m_appCommands = commands;
    requestCommandUpdate();
}

void CMainFrame::requestCommandUpdate()
{
    if (!m_destroying)
        m_router->requestRefresh();
}

bool CMainFrame::isAcceleratorKey(const QKeyEvent *event) const
{
    const QKeySequence keys(event->keyCombination());
    for (const Accelerator &a : AcceleratorTables::effective(m_documentMenuShown)) {
        if (a.keys == keys)
            return true;
    }
    return false;
}

QList<const CommandMap *> CMainFrame::commandOwners() const
{
    QList<const CommandMap *> owners;
    if (DocumentWindow *window = activeDocumentWindow())
        owners << window->viewCommands() << window->documentCommands() << window->frameCommands();
    owners << &m_commands << m_appCommands;
    return owners;
}

void CMainFrame::registerCommands()
{
    CommandMap &c = m_commands;
    const auto barToggle = [this, &c](int id, QWidget *bar) {
        c.on(id, [this, bar] { toggle(bar); });
        c.onUpdate(id, [bar](CommandUpdate &u) {
            u.enable();
            u.setCheck(!bar->isHidden());
        });
    };
    barToggle(ID_VIEW_BUTTON_BAR, m_buttonBar);
    barToggle(ID_VIEW_FIND_BAR, m_findBar);
    barToggle(ID_VIEW_INSERT_BAR, m_insertBar);
    barToggle(ID_VIEW_TREE_BAR, m_treeBar);
    barToggle(ID_VIEW_VIEW_BAR, m_viewBar);
    barToggle(ID_VIEW_STATUS_BAR, m_statusLine);

    c.on(ID_FILE_NEW_FROM_CLIPBOARD, [this] { newFromClipboard(); });
    c.onUpdate(ID_FILE_NEW_FROM_CLIPBOARD, [this](CommandUpdate &u) {
        if (!m_clipboardHasText) {
            const QMimeData *data = QGuiApplication::clipboard()->mimeData();
            m_clipboardHasText = data && data->hasText();
        }
        // Enabled only when New itself can run, so the command never pretends to work.
        u.enable(*m_clipboardHasText && m_router->isEnabled(ID_FILE_NEW));
    });
    c.on(ID_SPECIAL_CLEAR_CLIPBOARD, [] { QGuiApplication::clipboard()->clear(); });
    c.on(ID_SPECIAL_SAVE_TOOLBARS, [this] { saveBarState(); });
    c.on(ID_SPECIAL_DELETE_SETTINGS, [] {
        const PromptAnswer answer = Prompts::instance().message(
            QStringLiteral("By pressing the OK button, QVASMIDE will delete the\nRegistry key for "
                           "QVASMIDE when you exit QVASMIDE"),
            PromptButtons::OkCancel,
            PromptIcon::Exclamation);
        if (answer == PromptAnswer::Ok)
            ProgramValues::instance().deleteSettingsAtExit = true;
    });
    c.on(ID_FILE_OPEN, [this] { openFiles(); });
    c.onUpdate(ID_FILE_OPEN, [this](CommandUpdate &u) { u.enable(bool(m_documentOpener)); });
    // The editor view does the work; the frame only keeps the command enabled on its route.
    c.on(ID_GOTO_DEFINITION, [] {});

    const auto windowCommand = [this, &c](int id, std::function<void()> run) {
        c.on(id, std::move(run));
        c.onUpdate(id,
                   [this](CommandUpdate &u) { u.enable(!m_mdiArea->subWindowList().isEmpty()); });
    };
    windowCommand(ID_WINDOW_CASCADE, [this] { m_mdiArea->cascadeSubWindows(); });
    windowCommand(ID_WINDOW_TILE, [this] { m_mdiArea->tileSubWindows(); });
    windowCommand(ID_WINDOW_ARRANGE, [this] { arrangeIcons(); });
}

void CMainFrame::toggle(QWidget *bar)
{
    bar->setVisible(bar->isHidden());
    requestCommandUpdate();
}

void CMainFrame::newFromClipboard()
{
    const QMdiSubWindow *before = activeDocumentFrame();
    if (!m_router->dispatch(ID_FILE_NEW))
        return;
    // Paste only into the window New has just made, never into one that was active before (New
    // may have been cancelled).
    QMdiSubWindow *after = activeDocumentFrame();
    if (!after || after == before)
        return;
    if (QPlainTextEdit *editor = activeDocumentWindow()->editorView())
        editor->insertPlainText(QGuiApplication::clipboard()->text());
}

void CMainFrame::openFiles()
{
    if (!m_documentOpener)
        return;
    FileDialogRequest request;
    request.caption = QStringLiteral("Open");
    request.defaultSuffix = QStringLiteral("asm");
    request.multiple = true;
    request.filter = Prompts::filterFromClassic(
        QStringLiteral(".asm files (.asm)|*.asm|.asm files (.inc)|*.inc|All Files (*.*)|*.*||"));
    request.directory = openFolder();
    for (const QString &path : Prompts::instance().openFiles(request))
        m_documentOpener(path);
}

void CMainFrame::arrangeIcons()
{
    // Minimised windows line up along the bottom of the document area, left to right.
    int x = 0;
    int y = m_mdiArea->viewport()->height();
    int rowHeight = 0;
    for (QMdiSubWindow *w : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized())
            continue;
        const QSize s = w->size();
        if (x > 0 && x + s.width() > m_mdiArea->viewport()->width()) {
            x = 0;
            y -= rowHeight;
            rowHeight = 0;
        }
        rowHeight = qMax(rowHeight, s.height());
        w->move(x, y - s.height());
        x += s.width();
    }
}

// Document windows ------------------------------------------------------------------------------

QMdiSubWindow *CMainFrame::activeDocumentFrame() const
{
    // currentSubWindow, not activeSubWindow: the document stays current while another program
    // or one of our dialogs has the focus.
    QMdiSubWindow *w = m_mdiArea->currentSubWindow();
    return dynamic_cast<DocumentWindow *>(w) ? w : nullptr;
}

DocumentWindow *CMainFrame::activeDocumentWindow() const
{
    return dynamic_cast<DocumentWindow *>(m_mdiArea->currentSubWindow());
}

void CMainFrame::resetDocFrameWalk()
{
    m_walk.clear();
    m_walkPos = -1;
}

QMdiSubWindow *CMainFrame::NextDocFrame()
{
    if (m_walkPos < 0) {
        // A snapshot, topmost first, so that closing windows while walking is safe.
        const QList<QMdiSubWindow *> stack = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
        m_walk.clear();
        for (auto it = stack.crbegin(); it != stack.crend(); ++it)
            m_walk.append(*it);
        m_walkPos = 0;
    }
    while (m_walkPos < m_walk.size()) {
        QMdiSubWindow *w = m_walk.at(m_walkPos++);
        if (w && dynamic_cast<DocumentWindow *>(w))
            return w;
    }
    return nullptr;
}

void CMainFrame::onSubWindowActivated()
{
    for (QMdiSubWindow *window : m_mdiArea->subWindowList())
        yieldAcceleratorKeys(window);
    QMdiSubWindow *current = activeDocumentFrame();
    if (current != m_followed) {
        for (const auto &c : m_followConnections)
            disconnect(c);
        m_followConnections.clear();
        m_followed = current;
        const auto update = [this] { requestCommandUpdate(); };
        DocumentWindow *window = activeDocumentWindow();
        if (QPlainTextEdit *editor = window ? window->editorView() : nullptr) {
            m_followConnections << connect(editor,
                                           &QPlainTextEdit::cursorPositionChanged,
                                           this,
                                           update)
                                << connect(editor, &QPlainTextEdit::selectionChanged, this, update)
                                << connect(editor,
                                           &QPlainTextEdit::modificationChanged,
                                           this,
                                           update)
                                << connect(editor, &QPlainTextEdit::undoAvailable, this, update)
                                << connect(editor, &QPlainTextEdit::redoAvailable, this, update)
                                << connect(editor, &QPlainTextEdit::copyAvailable, this, update);
        }
        if (current)
            m_followConnections << connect(current, &QWidget::windowTitleChanged, this, update);
        emit activeDocumentWindowChanged(current);
    }
    updateMenuBar(current != nullptr);
    requestCommandUpdate();
}

// Menus ------------------------------------------------------------------------------------

void CMainFrame::createMenus()
{
    for (const MenuNode &top : MenuResources::menuBar(MenuResources::FrameMenu))
        m_frameMenus.append(new CommandMenu(top, m_router, this));
    updateMenuBar(false);
}

void CMainFrame::updateMenuBar(bool documentActive)
{
    if (documentActive && m_documentMenus.isEmpty()) {
        // Built on the first document window, not at start-up.
        for (const MenuNode &top : MenuResources::menuBar(MenuResources::DocumentMenu)) {
            auto *menu = new CommandMenu(top, m_router, this);
            if (menu->objectName() == QLatin1String("menu_Window"))
                connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillWindowMenu(menu); });
            m_documentMenus.append(menu);
        }
    }
    if (documentActive == m_documentMenuShown && !menuBar()->actions().isEmpty())
        return;
    m_documentMenuShown = documentActive;
    QMenuBar *bar = menuBar();
    bar->clear();
    for (QMenu *menu : documentActive ? m_documentMenus : m_frameMenus)
        bar->addMenu(menu);
    m_router->setAccelerators(AcceleratorTables::effective(documentActive));
}

void CMainFrame::fillWindowMenu(QMenu *menu)
{
    for (QAction *a : std::as_const(m_windowListActions)) {
        menu->removeAction(a);
        a->deleteLater();
    }
    m_windowListActions.clear();
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    m_windowListActions.append(menu->addSeparator());
    int n = 0;
    for (QMdiSubWindow *w : windows) {
        ++n;
        QString title = w->windowTitle();
        title.replace(QLatin1String("[*]"), w->isWindowModified() ? QStringLiteral("*") : QString());
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        const QString text = n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title)
                                    : QStringLiteral("%1 %2").arg(n).arg(title);
        QAction *a = menu->addAction(text);
        a->setCheckable(true);
        a->setChecked(w == m_mdiArea->currentSubWindow());
        QPointer<QMdiSubWindow> target(w);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdiArea->setActiveSubWindow(target);
        });
        m_windowListActions.append(a);
    }
}

CommandMenu *CMainFrame::contextMenu(int position)
{
    if (position < 0 || position >= MenuResources::ContextMenuCount)
        return nullptr;
    if (!m_contextMenus[position]) {
        m_contextMenus[position] = new CommandMenu(MenuResources::contextMenu(position),
                                                   m_router,
                                                   this);
    }
    return m_contextMenus[position];
}

void CMainFrame::popupContextMenu(int position,
                                  const QPoint &globalPos,
                                  const QHash<int, QString> &texts)
{
    CommandMenu *menu = contextMenu(position);
    if (!menu)
        return;
    ApplyMenuImages(menu);
    menu->setNextTextOverrides(texts);
    menu->popup(globalPos);
}

void CMainFrame::ApplyMenuImages(QMenu *menu)
{
    if (!menu)
        return;
    const auto apply = [this](QAction *a) {
        const int id = CommandRouter::commandId(a);
        if (id && a->icon().isNull()) {
            const QString path = CommandTable::info(id).iconPath;
            if (!path.isEmpty())
                a->setIcon(QIcon(path));
        }
    };
    for (QAction *a : menu->actions()) {
        apply(a);
        if (QMenu *sub = a->menu()) {
            for (QAction *b : sub->actions())
                apply(b);
        }
    }
}

// Bars -----------------------------------------------------------------------------------------

void CMainFrame::createBars()
{
    m_buttonBar = makeToolBar(QStringLiteral("ButtonBar"),
                              QStringLiteral("Button Bar"),
                              *m_router,
                              MenuResources::ButtonBar);
    m_findBar = new CFindBar(*m_router, this);
    m_insertBar = makeToolBar(QStringLiteral("InsertBar"),
                              QStringLiteral("Insert Bar"),
                              *m_router,
                              MenuResources::InsertBar);
    m_insertBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);

    // A view: the workspace tree's model fills it (src/workspace).
    m_tree = new QTreeView;
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_treeBar = new QDockWidget(QStringLiteral("Workspace"), this);
    m_treeBar->setObjectName(QStringLiteral("TreeBar"));
    m_treeBar->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_treeBar->setWidget(m_tree);

    auto *output = new QPlainTextEdit;
    output->setReadOnly(true);
    m_viewBar = new QDockWidget(QStringLiteral("Output"), this);
    m_viewBar->setObjectName(QStringLiteral("ViewBar"));
    // It starts at the bottom, so it may always go back there besides the two sides.
    m_viewBar->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea
                               | Qt::BottomDockWidgetArea);
    setOutputPane(output);

    for (QToolBar *bar : topBars())
        connect(bar, &QToolBar::visibilityChanged, this, &CMainFrame::requestCommandUpdate);
    for (QDockWidget *dock : {m_treeBar, m_viewBar})
        connect(dock, &QDockWidget::visibilityChanged, this, &CMainFrame::requestCommandUpdate);
}

QList<QToolBar *> CMainFrame::topBars() const
{
    return {m_buttonBar, m_findBar, m_insertBar};
}

QWidget *CMainFrame::outputPane() const
{
    return m_viewBar->widget();
}

void CMainFrame::setOutputPane(QWidget *pane)
{
    if (!pane)
        return;
    if (pane->objectName().isEmpty())
        pane->setObjectName(QStringLiteral("output"));
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(9.5);
    pane->setFont(font);
    QWidget *old = m_viewBar->widget();
    m_viewBar->setWidget(pane);
    if (old && old != pane)
        old->deleteLater();
}

QByteArray CMainFrame::barState() const
{
    // Qt's own record takes a cut-off copy for a good one and loses bars over it, so the stored
    // record carries its length and a checksum.
    const QByteArray state = saveState(kBarStateVersion);
    QByteArray record = kBarStateMagic;
    const quint32 n = quint32(state.size());
    const quint16 sum = qChecksum(state);
    for (int shift : {24, 16, 8, 0})
        record += char(n >> shift);
    record += char(sum >> 8);
    record += char(sum);
    return record + state;
}

bool CMainFrame::restoreBarState(const QByteArray &record)
{
    const qsizetype header = kBarStateMagic.size() + 6;
    if (record.size() < header || !record.startsWith(kBarStateMagic))
        return false;
    const auto byte = [&record](qsizetype i) { return quint32(quint8(record.at(i))); };
    const qsizetype at = kBarStateMagic.size();
    const quint32 n = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
    const quint16 sum = quint16(byte(at + 4) << 8 | byte(at + 5));
    const QByteArray state = record.mid(header);
    if (quint32(state.size()) != n || qChecksum(state) != sum)
        return false;
    bool whole = restoreState(state, kBarStateVersion);
    for (QToolBar *bar : topBars()) {
        if (toolBarArea(bar) == Qt::NoToolBarArea)
            whole = false;
    }
    if (!whole) // half applied before it was found out: start over from the default
        placeBarsByDefault();
    return whole;
}

void CMainFrame::placeBarsByDefault()
{
    for (QToolBar *bar : topBars())
        removeToolBar(bar);
    for (QToolBar *bar : topBars()) {
        addToolBar(Qt::TopToolBarArea, bar);
        bar->show();
    }
    for (QDockWidget *dock : {m_treeBar, m_viewBar})
        dock->setFloating(false);
    addDockWidget(Qt::LeftDockWidgetArea, m_treeBar);
    addDockWidget(Qt::BottomDockWidgetArea, m_viewBar);
    m_treeBar->show();
    m_viewBar->show();
    m_statusLine->show();
    resizeDocks({m_treeBar}, {200}, Qt::Horizontal);
    resizeDocks({m_viewBar}, {100}, Qt::Vertical);
}

void CMainFrame::saveBarState()
{
    SettingsStore::instance().writeBinary(kSettings, kToolbarState, barState());
}

// Find bar ---------------------------------------------------------------------------------

FindState &CMainFrame::findState()
{
    return m_findBar->state();
}

FindHistory &CMainFrame::findHistory()
{
    return m_findBar->history();
}

CFindCombo *CMainFrame::findCombo() const
{
    return m_findBar->combo();
}

void CMainFrame::loadFindState()
{
    m_findBar->load(SettingsStore::instance(), QDir::currentPath());
}

void CMainFrame::saveFindState()
{
    m_findBar->save(SettingsStore::instance());
}

void CMainFrame::AddFindHistory(const QString &text)
{
    m_findBar->AddFindHistory(text);
}

void CMainFrame::AddFindNextHistory(const QString &text)
{
    m_findBar->AddFindNextHistory(text);
}

// Status line ------------------------------------------------------------------------------

void CMainFrame::createStatusLine()
{
    m_statusLine = new CStatusLine(this);
    setStatusBar(m_statusLine);
    connect(m_statusLine, &CStatusLine::overwriteModeChanged, this, [this](bool on) {
        emit overwriteModeChanged(on);
    });
    ShowStatusMessage(CStatusLine::MessagePane, CStatusLine::readyText(), menuBarColour());
}

void CMainFrame::ShowStatusMessage(int pane, const QString &text, const QColor &colour)
{
    m_statusLine->showColouredMessage(pane, text, colour);
}

QColor CMainFrame::menuBarColour()
{
    return QApplication::palette("QMenuBar").color(QPalette::Window);
}

QColor CMainFrame::activeCaptionColour()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

void CMainFrame::StartBusyAnimation(BusyIndicator &indicator)
{
    m_statusLine->startBusyAnimation(indicator);
}

void CMainFrame::StopBusyAnimation(BusyIndicator &indicator)
{
    m_statusLine->stopBusyAnimation(indicator);
}

bool CMainFrame::overwriteMode() const
{
    return m_statusLine->overwriteMode();
}

void CMainFrame::updateStatusPanes()
{
    QString lineColumn;
    if (DocumentWindow *window = activeDocumentWindow()) {
        if (const QPlainTextEdit *editor = window->editorView()) {
            const QTextCursor cursor = editor->textCursor();
            const QTextBlock block = cursor.block();
            lineColumn = lineColumnText(cursor.selectionStart(),
                                        cursor.position(),
                                        block.position(),
                                        block.blockNumber());
        }
    }
    m_statusLine->setLineColumn(lineColumn);
    m_findBar->combo()->setEnabled(activeDocumentFrame() != nullptr);
    if (m_title)
        m_title->update();
}

QString CMainFrame::composeTitle() const
{
    QMdiSubWindow *w = activeDocumentFrame();
    return MainWindowTitle::compose(QLatin1String(AppInfo::DisplayName),
                                    w ? w->windowTitle() : QString(),
                                    w && w->isWindowModified());
}

// Services ---------------------------------------------------------------------------------

int CMainFrame::CopyFileConfirm(const QString &source, const QString &destination)
{
    return ::CopyFileConfirm(source, destination);
}

void CMainFrame::addCloseStep(std::function<void()> step)
{
    m_closeSteps.append(std::move(step));
}

void CMainFrame::setCloseGuard(std::function<bool()> canClose)
{
    m_closeGuard = std::move(canClose);
}

void CMainFrame::setDocumentOpener(std::function<void(const QString &)> opener)
{
    m_documentOpener = std::move(opener);
    requestCommandUpdate();
}

QString CMainFrame::openFolder() const
{
    return m_openFolder ? m_openFolder() : QDir::currentPath();
}

void CMainFrame::setOpenFolder(std::function<QString()> folder)
{
    m_openFolder = std::move(folder);
}

void CMainFrame::setDropHandler(std::function<void(const QStringList &)> handler)
{
    m_dropHandler = std::move(handler);
}

// Events -----------------------------------------------------------------------------------

void CMainFrame::saveClosingState()
{
    saveBarState();
    for (const auto &step : std::as_const(m_closeSteps))
        step();
    saveFindState();
    SettingsStore::instance().sync();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    saveClosingState();
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    event->accept();
}

static QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_dropHandler && !localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (!m_dropHandler || files.isEmpty())
        return;
    event->acceptProposedAction();
    m_dropHandler(files);
}

bool CMainFrame::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        m_statusLine->refreshKeyLocks();
        requestCommandUpdate();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // Shortcuts of disabled actions do not fire: bring the states up to date before the key
        // is matched, for keys that can be accelerators at all.
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        const int k = key->key();
        if (watched == QGuiApplication::focusObject()
            && ((mods & (Qt::ControlModifier | Qt::AltModifier))
                || (k >= Qt::Key_F1 && k <= Qt::Key_F12) || k == Qt::Key_Escape
                || k == Qt::Key_Insert || k == Qt::Key_Delete)) {
            m_router->refresh();
        }
        break;
    }
    case QEvent::ContextMenu:
        if (watched == m_mdiArea->viewport()) {
            auto *menuEvent = static_cast<QContextMenuEvent *>(event);
            if (!m_mdiArea->viewport()->childAt(menuEvent->pos())) {
                popupContextMenu(MenuResources::MdiClient, menuEvent->globalPos());
                return true;
            }
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
