#include "frame/ui/TabbedDocuments.h"

#include "base/CommandIds.h"
#include "base/SettingsStore.h"
#include "frame/ui/CMainFrame.h"

#include <QMdiArea>
#include <QMdiSubWindow>

TabbedDocuments::TabbedDocuments(CMainFrame *frame)
    : QObject(frame)
    , m_frame(frame)
{
    setObjectName(QStringLiteral("tabbedDocuments"));
    QMdiArea *area = frame->mdiArea();
    area->setTabsClosable(true);
    area->setTabsMovable(true);
    area->setDocumentMode(true);
    if (SettingsStore::instance().readInt(Section, Key, 0) != 0)
        area->setViewMode(QMdiArea::TabbedView);
    CommandMap &c = frame->commands();
    c.on(ID_WINDOW_TABBED, [this] { setTabbed(!isTabbed()); });
    c.onUpdate(ID_WINDOW_TABBED, [this](CommandUpdate &u) {
        u.enable();
        u.setCheck(isTabbed());
    });
}

bool TabbedDocuments::isTabbed() const
{
    return m_frame && m_frame->mdiArea()->viewMode() == QMdiArea::TabbedView;
}

void TabbedDocuments::setTabbed(bool on)
{
    if (!m_frame)
        return;
    QMdiArea *area = m_frame->mdiArea();
    QMdiSubWindow *active = area->activeSubWindow();
    area->setViewMode(on ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    if (!on && active)
        active->showMaximized(); // document windows open maximised
    SettingsStore::instance().writeInt(Section, Key, on ? 1 : 0);
    m_frame->requestCommandUpdate();
}
