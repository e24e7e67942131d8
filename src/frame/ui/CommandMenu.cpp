#include "frame/ui/CommandMenu.h"

#include "frame/CommandRouter.h"

#include <QAction>

CommandMenu::CommandMenu(const MenuNode &popup, CommandRouter *router, QWidget *parent)
    : QMenu(popup.text, parent)
    , m_router(router)
{
    setObjectName(QStringLiteral("menu_") + MenuResources::plainText(popup.text).remove(' '));
    for (const MenuNode &item : popup.items) {
        switch (item.kind) {
        case MenuNode::Separator:
            addSeparator();
            break;
        case MenuNode::Popup:
            addMenu(new CommandMenu(item, router, this));
            break;
        case MenuNode::Command:
            if (QAction *action = router->action(item.id)) {
                addAction(action);
                m_texts.append({action, item.text});
                // Until an owner of a recent list says otherwise, only its placeholder shows.
                if (item.text.isEmpty() && item.id != 1)
                    action->setVisible(false);
                if (action->text().isEmpty())
                    action->setText(item.text);
            }
            break;
        }
    }
    connect(this, &QMenu::aboutToShow, this, &CommandMenu::prepare);
}

void CommandMenu::setNextTextOverrides(const QHash<int, QString> &texts)
{
    m_overrides = texts;
}

QString CommandMenu::resourceText(int id) const
{
    for (const auto &t : m_texts) {
        if (CommandRouter::commandId(t.first) == id)
            return t.second;
    }
    for (QAction *a : actions()) {
        if (auto *sub = qobject_cast<CommandMenu *>(a->menu())) {
            const QString text = sub->resourceText(id);
            if (!text.isEmpty())
                return text;
        }
    }
    return QString();
}

void CommandMenu::showPlain(int id)
{
    QAction *command = m_router->action(id);
    if (!command || !actions().contains(command))
        return;
    QString text;
    for (qsizetype i = 0; i < m_texts.size(); ++i) {
        if (m_texts.at(i).first == command) {
            text = m_texts.takeAt(i).second;
            break;
        }
    }
    auto *item = new QAction(text, this);
    item->setObjectName(QStringLiteral("plain_%1").arg(id));
    item->setIcon(command->icon());
    item->setEnabled(command->isEnabled());
    insertAction(command, item);
    removeAction(command);
    connect(item, &QAction::triggered, command, &QAction::trigger);
    m_plain.append(qMakePair(item, command));
}

void CommandMenu::prepare()
{
    for (const auto &t : m_texts) {
        if (!t.second.isEmpty() && t.first->text() != t.second)
            t.first->setText(t.second);
    }
    m_router->refresh();
    for (const auto &p : std::as_const(m_plain)) {
        p.first->setEnabled(p.second->isEnabled());
        p.first->setVisible(p.second->isVisible());
    }
    for (auto it = m_overrides.cbegin(); it != m_overrides.cend(); ++it) {
        if (QAction *action = m_router->action(it.key()))
            action->setText(it.value());
    }
    m_overrides.clear();
}
