#include "frame/CommandRouter.h"

#include "frame/CommandTable.h"

#include <QAction>
#include <QIcon>
#include <QMetaObject>

namespace {
const char kIdProperty[] = "qvasmideCommandId";
}

CommandRouter::CommandRouter(QObject *parent)
    : QObject(parent)
{
    for (int id : CommandTable::ids()) {
        const CommandInfo info = CommandTable::info(id);
        auto *action = new QAction(this);
        action->setObjectName(QStringLiteral("cmd_%1").arg(id));
        action->setProperty(kIdProperty, id);
        action->setEnabled(false);
        action->setStatusTip(info.prompt);
        action->setToolTip(info.toolTip.isEmpty() ? info.prompt : info.toolTip);
        // Menu texts carry their own shortcut text; context menus show exactly theirs.
        action->setShortcutVisibleInContextMenu(false);
        if (!info.iconPath.isEmpty())
            action->setIcon(QIcon(info.iconPath));
        connect(action, &QAction::triggered, this, &CommandRouter::onTriggered);
        m_actions.insert(id, action);
    }
}

CommandRouter::~CommandRouter() = default;

QAction *CommandRouter::action(int id) const
{
    return m_actions.value(id);
}

QList<QAction *> CommandRouter::actions() const
{
    QList<QAction *> list;
    list.reserve(m_actions.size());
    for (int id : CommandTable::ids())
        list.append(m_actions.value(id));
    return list;
}

int CommandRouter::commandId(const QAction *action)
{
    return action ? action->property(kIdProperty).toInt() : 0;
}

void CommandRouter::setOwnerChain(OwnerChain chain)
{
    m_chain = std::move(chain);
}

QList<const CommandMap *> CommandRouter::owners() const
{
    if (!m_chain)
        return {};
    QList<const CommandMap *> list = m_chain();
    list.removeAll(nullptr);
    return list;
}

void CommandRouter::setExceptionHandler(ExceptionHandler handler)
{
    m_exceptionHandler = std::move(handler);
}

void CommandRouter::handleException(std::exception_ptr e, int id)
{
    if (!m_exceptionHandler)
        std::rethrow_exception(e);
    m_exceptionHandler(e, id);
}

static CommandUpdate queryOwners(const QList<const CommandMap *> &owners, int id)
{
    CommandUpdate update(id);
    for (const CommandMap *map : owners) {
        if (map->update(update))
            break;
    }
    if (!update.enabledChanged()) {
        bool handled = false;
        for (const CommandMap *map : owners) {
            if (map->handles(id)) {
                handled = true;
                break;
            }
        }
        update.enable(handled);
    }
    return update;
}

CommandUpdate CommandRouter::query(int id) const
{
    return queryOwners(owners(), id);
}

bool CommandRouter::dispatch(int id)
{
    bool ran = false;
    try {
        const QList<const CommandMap *> chain = owners();
        // A command may have become disabled since its button was drawn: ask again first.
        CommandUpdate update(id);
        for (const CommandMap *map : chain) {
            if (map->update(update))
                break;
        }
        if (update.enabledChanged() && !update.isEnabled())
            return false;
        for (const CommandMap *map : chain) {
            if (map->execute(id)) {
                ran = true;
                break;
            }
        }
    } catch (...) {
        handleException(std::current_exception(), id);
    }
    if (ran)
        emit dispatched(id);
    requestRefresh();
    return ran;
}

void CommandRouter::onTriggered()
{
    if (auto *action = qobject_cast<QAction *>(sender()))
        dispatch(commandId(action));
}

void CommandRouter::refresh()
{
    m_refreshPending = false;
    const QList<const CommandMap *> chain = owners();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        QAction *action = it.value();
        CommandUpdate update(it.key());
        try {
            update = queryOwners(chain, it.key());
        } catch (...) {
            handleException(std::current_exception(), it.key());
            continue;
        }
        action->setEnabled(update.isEnabled());
        if (update.checked()) {
            if (!action->isCheckable())
                action->setCheckable(true);
            action->setChecked(*update.checked());
        }
        if (update.text())
            action->setText(*update.text());
        if (update.visible())
            action->setVisible(*update.visible());
    }
    emit refreshed();
}

void CommandRouter::requestRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_refreshPending)
                refresh();
        },
        Qt::QueuedConnection);
}

void CommandRouter::setAccelerators(const QList<Accelerator> &keys)
{
    QHash<int, QList<QKeySequence>> byId;
    for (const Accelerator &a : keys)
        byId[a.id].append(a.keys);
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const QList<QKeySequence> wanted = byId.value(it.key());
        if (it.value()->shortcuts() != wanted)
            it.value()->setShortcuts(wanted);
    }
}
