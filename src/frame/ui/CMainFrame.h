#pragma once

#include "base/CommandMap.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <optional>

class BusyIndicator;
class CFindBar;
class CFindCombo;
class FindHistory;
struct FindState;
class CStatusLine;
class MainWindowTitle;
class CommandMenu;
class CommandRouter;
class DocumentWindow;
class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class QTreeView;

// The main window: the document area (a QMdiArea), the Button, Find and Insert tool bars, the
// Tree and View bars, the status line, the menus of both states, and the frame's own commands.
// It owns the command router every owner hangs its handlers on, and the find state.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    // Commands ---------------------------------------------------------------------------
    CommandRouter &router() const { return *m_router; }
    QAction *commandAction(int id) const;
    // The frame's own command table, asked after the active document window's owners.
    CommandMap &commands() { return m_commands; }
    // The application's table, asked last; nullptr for none.
    void setApplicationCommands(const CommandMap *commands);
    // Recomputes enabled/checked states when control returns to the event loop; owners call it
    // when something their update handlers look at has changed.
    void requestCommandUpdate();
    // Whether the key event is one of the accelerator keys now in force (editors that handle
    // keys themselves let these through to the commands).
    bool isAcceleratorKey(const QKeyEvent *event) const;

    // Document windows ---------------------------------------------------------------------
    QMdiArea *mdiArea() const { return m_mdiArea; }
    // The current document window (kept while another program has the focus), or nullptr.
    QMdiSubWindow *activeDocumentFrame() const;
    DocumentWindow *activeDocumentWindow() const;
    // Walks the document windows, topmost first: reset, then call NextDocFrame until it returns
    // nullptr. Windows closed during the walk are skipped.
    void resetDocFrameWalk();
    QMdiSubWindow *NextDocFrame();
    // Kind of the next new document: -1 asks the user.
    int requestedKind() const { return m_requestedKind; }
    void setRequestedKind(int kind) { m_requestedKind = kind; }
    // True while the menu bar of document windows (129) is shown.
    bool isDocumentMenuShown() const { return m_documentMenuShown; }

    // Bars -------------------------------------------------------------------------------------
    QToolBar *buttonBar() const { return m_buttonBar; }
    CFindBar *findBar() const { return m_findBar; }
    QToolBar *insertBar() const { return m_insertBar; }
    QDockWidget *treeBar() const { return m_treeBar; }
    QDockWidget *viewBar() const { return m_viewBar; }
    // Control 105 on the Tree bar, filled by the workspace tree.
    QTreeView *treeControl() const { return m_tree; }
    // Control 107 on the View bar; setOutputPane replaces the placeholder (the frame takes it).
    QWidget *outputPane() const;
    void setOutputPane(QWidget *pane);
    CStatusLine *statusLine() const { return m_statusLine; }
    // The layout record stored under Settings/ToolbarState.
    QByteArray barState() const;
    // Applies a saved layout record; false, with the default layout, when it is not a whole one.
    bool restoreBarState(const QByteArray &record);
    // Writes the layout under Settings/ToolbarState.
    void saveBarState();

    // Menus ------------------------------------------------------------------------------------
    // Sub-menu of the context menu resource 159 (MenuResources::ContextMenuPosition), built on
    // first use and kept.
    CommandMenu *contextMenu(int position);
    // Shows it at a screen position; texts replace the resource texts for this showing only.
    void popupContextMenu(int position,
                          const QPoint &globalPos,
                          const QHash<int, QString> &texts = {});
    // Puts the tool-bar images on the menu's items (the actions carry them for every menu).
    void ApplyMenuImages(QMenu *menu);

    // Find bar ---------------------------------------------------------------------------------
    FindState &findState();
    FindHistory &findHistory();
    CFindCombo *findCombo() const;
    void AddFindHistory(const QString &text);
    // Find Next's variant: a listed text stays put, and the box's text is left alone.
    void AddFindNextHistory(const QString &text);
    void saveFindState();

    // Status line ------------------------------------------------------------------------------
    void ShowStatusMessage(int pane, const QString &text, const QColor &colour);
    static QColor menuBarColour();
    static QColor activeCaptionColour();
    void StartBusyAnimation(BusyIndicator &indicator);
    void StopBusyAnimation(BusyIndicator &indicator);
    bool overwriteMode() const;

    // Services ---------------------------------------------------------------------------------
    int CopyFileConfirm(const QString &source, const QString &destination);

    // Seams for other owners -------------------------------------------------------------------
    // Runs on close after the bar layout is saved and before the find state is (workspace,
    // recent workspaces), in the order added.
    void addCloseStep(std::function<void()> step);
    // Asked last on close (unsaved documents); false keeps the frame open.
    void setCloseGuard(std::function<bool()> canClose);
    // What closing the frame keeps, without the guard's questions: the bar layout, the close
    // steps, the find state, all on disk. Also for a program ended from outside.
    void saveClosingState();
    // Opens a file as a document (File > Open); without one File > Open is disabled.
    void setDocumentOpener(std::function<void(const QString &)> opener);
    // The folder File > Open starts in; without one, the working folder.
    void setOpenFolder(std::function<QString()> folder);
    QString openFolder() const;
    // Receives dropped local files; without one the frame accepts no drops.
    void setDropHandler(std::function<void(const QStringList &)> handler);

signals:
    void activeDocumentWindowChanged(QMdiSubWindow *window);
    // Insert (without Ctrl or Shift) flips the program's overwrite state.
    void overwriteModeChanged(bool on);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void placeOnScreen();
    void createMenus();
    void createBars();
    void createStatusLine();
    void placeBarsByDefault();
    QList<QToolBar *> topBars() const;
    void registerCommands();
    void loadFindState();
    QList<const CommandMap *> commandOwners() const;
    void onSubWindowActivated();
    void updateMenuBar(bool documentActive);
    void updateStatusPanes();
    QString composeTitle() const;
    void fillWindowMenu(QMenu *menu);
    void toggle(QWidget *bar);
    void newFromClipboard();
    void openFiles();
    void arrangeIcons();

    CommandRouter *m_router = nullptr;
    CommandMap m_commands;
    const CommandMap *m_appCommands = nullptr;

    QMdiArea *m_mdiArea = nullptr;
    QList<QPointer<QMdiSubWindow>> m_walk;
    int m_walkPos = -1;
    int m_requestedKind = -1;

    QList<QMenu *> m_frameMenus;
    QList<QMenu *> m_documentMenus;
    bool m_documentMenuShown = false;
    QList<QAction *> m_windowListActions;
    CommandMenu *m_contextMenus[8] = {};

    QToolBar *m_buttonBar = nullptr;
    CFindBar *m_findBar = nullptr;
    QToolBar *m_insertBar = nullptr;
    QDockWidget *m_treeBar = nullptr;
    QDockWidget *m_viewBar = nullptr;
    QTreeView *m_tree = nullptr;
    CStatusLine *m_statusLine = nullptr;
    MainWindowTitle *m_title = nullptr;

    bool m_destroying = false;
    std::optional<bool> m_clipboardHasText;
    QPointer<QMdiSubWindow> m_followed; // window whose editor signals are connected
    QList<QMetaObject::Connection> m_followConnections;

    QList<std::function<void()>> m_closeSteps;
    std::function<bool()> m_closeGuard;
    std::function<void(const QString &)> m_documentOpener;
    std::function<QString()> m_openFolder;
    std::function<void(const QStringList &)> m_dropHandler;
};
