#include "frame/ui/CFindBar.h"

#include "frame/CommandRouter.h"
#include "frame/MenuResources.h"
#include "frame/ui/CFindCombo.h"

CFindBar::CFindBar(CommandRouter &router, QWidget *parent)
    : QToolBar(QStringLiteral("Find Bar"), parent)
{
    setObjectName(QStringLiteral("FindBar"));
    setIconSize(QSize(16, 16));
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    for (int id : MenuResources::toolBarButtons(MenuResources::FindBar)) {
        if (QAction *action = router.action(id))
            addAction(action);
    }
    m_combo = new CFindCombo(this);
    m_combo->setModel(m_history.model());
    addWidget(m_combo);
    connect(m_combo, &QComboBox::activated, this, [this](int index) {
        m_history.moveToTop(index);
        m_combo->setCurrentIndex(0);
    });
    connect(m_combo, &CFindCombo::textTyped, this, [this] { m_state.findTextTyped = 1; });
}

void CFindBar::load(const SettingsStore &store, const QString &currentDirectory)
{
    m_history.load(store);
    if (m_history.count() > 0)
        m_combo->setCurrentIndex(0);
    m_state.load(store, currentDirectory);
}

void CFindBar::save(SettingsStore &store) const
{
    m_history.save(store);
    m_state.save(store);
}

void CFindBar::AddFindHistory(const QString &text)
{
    if (!m_history.add(text))
        return;
    m_combo->setCurrentIndex(0);
    m_combo->setEditText(m_combo->itemText(0));
}

void CFindBar::AddFindNextHistory(const QString &text)
{
    // Rows inserted or removed around the current one must not change what the box shows.
    const QString shown = m_combo->currentText();
    m_history.addKeepingPlace(text);
    if (m_combo->currentText() != shown)
        m_combo->setEditText(shown);
}
