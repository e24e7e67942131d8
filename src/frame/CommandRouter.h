#pragma once

#include "base/CommandMap.h"
#include "frame/AcceleratorTables.h"

#include <QHash>
#include <QObject>

#include <exception>
#include <functional>

class QAction;

// One QAction per command id, shared by menus, tool bars, context menus and shortcuts, and the
// route a command takes through its owners: the active view, its document, its child frame, the
// main frame, the application. The first owner whose map handles an id runs it. The first owner
// with an update handler for an id decides its state; with none, the id is enabled exactly when
// some owner handles it, so an id nobody handles shows disabled.
class CommandRouter : public QObject
{
    Q_OBJECT

public:
    // The owners to ask, in routing order; recomputed at every dispatch and refresh, since the
    // active document window changes.
    using OwnerChain = std::function<QList<const CommandMap *>()>;
    using ExceptionHandler = std::function<void(std::exception_ptr, int id)>;

    explicit CommandRouter(QObject *parent = nullptr);
    ~CommandRouter() override;

    // The action of a known id (object name "cmd_<id>"), nullptr for an unknown one.
    QAction *action(int id) const;
    QList<QAction *> actions() const;
    static int commandId(const QAction *action); // 0 for actions that are no command

    void setOwnerChain(OwnerChain chain);
    QList<const CommandMap *> owners() const;
    // Where exceptions escaping handlers go; without one they propagate to the caller.
    void setExceptionHandler(ExceptionHandler handler);

    // Routes the command as a menu pick would. A command whose update handler disables it does
    // not run; false when it did not run.
    bool dispatch(int id);
    // What the update handlers decide now, without touching the action.
    CommandUpdate query(int id) const;
    bool isEnabled(int id) const { return query(id).isEnabled(); }

    // Brings every action's enabled, checked, text and visible state up to date.
    void refresh();
    // The same, once, when control returns to the event loop; cheap to call often.
    void requestRefresh();
    // Gives the actions the shortcuts of the accelerator keys, each key to one action.
    void setAccelerators(const QList<Accelerator> &keys);

signals:
    void refreshed();
    void dispatched(int id);

private:
    void onTriggered();
    void handleException(std::exception_ptr e, int id);

    QHash<int, QAction *> m_actions;
    OwnerChain m_chain;
    ExceptionHandler m_exceptionHandler;
    bool m_refreshPending = false;
};
