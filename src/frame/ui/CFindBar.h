#pragma once

#include "frame/FindHistory.h"
#include "frame/FindState.h"

#include <QToolBar>

class CFindCombo;
class CommandRouter;
class SettingsStore;

// The Find bar (160): Detailed Find, then the find-history box (control 106), together with the
// find state every search shares. The main frame loads it at creation and saves it on close.
class CFindBar : public QToolBar
{
    Q_OBJECT

public:
    explicit CFindBar(CommandRouter &router, QWidget *parent = nullptr);

    CFindCombo *combo() const { return m_combo; }
    FindState &state() { return m_state; }
    FindHistory &history() { return m_history; }

    // currentDirectory is the default of "Last Path".
    void load(const SettingsStore &store, const QString &currentDirectory);
    void save(SettingsStore &store) const;

    // Records a search text as the newest entry and shows it in the box.
    void AddFindHistory(const QString &text);
    // Find Next's variant: a listed text stays put, and the box's text is left alone.
    void AddFindNextHistory(const QString &text);

private:
    CFindCombo *m_combo = nullptr;
    FindState m_state;
    FindHistory m_history;
};
