#pragma once

#include "frame/MenuResources.h"

#include <QHash>
#include <QMenu>

class CommandRouter;

// A menu built from a menu resource over the router's shared actions. Menus that share an action
// may give it different texts, so each menu puts its own texts on its actions just before it
// shows, and then lets the update handlers decide the states.
class CommandMenu : public QMenu
{
    Q_OBJECT

public:
    CommandMenu(const MenuNode &popup, CommandRouter *router, QWidget *parent = nullptr);

    // Texts that replace the resource texts the next time this menu shows (and only then).
    void setNextTextOverrides(const QHash<int, QString> &texts);
    // The resource text of a command in this menu or its pop-ups; empty if it has none here.
    QString resourceText(int id) const;
    // Shows the command in this menu (not its pop-ups) as a plain item: its own text, enabled
    // as the command is, and no check mark (a "Hide" item is not a state). Nothing when the
    // menu does not hold it.
    void showPlain(int id);

private:
    void prepare();

    CommandRouter *m_router;
    QList<QPair<QAction *, QString>> m_texts; // this menu's own items, not its pop-ups'
    QHash<int, QString> m_overrides;
    QList<QPair<QAction *, QAction *>> m_plain; // item shown, command it runs
};
