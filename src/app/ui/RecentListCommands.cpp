#include "app/ui/RecentListCommands.h"

#include "base/CommandIds.h"
#include "base/CommandMap.h"
#include "base/SettingsStore.h"

#include <QDir>
#include <QPointer>

RecentListCommands::RecentListCommands(CommandMap &commands, QObject *parent)
    : QObject(parent)
{
    // The command table may outlive this object (tests tear down in any order).
    const QPointer<RecentListCommands> self(this);
    commands.onRange(ID_RECENT_WORKSPACE_FIRST, ID_RECENT_WORKSPACE_LAST, [self](int id) {
        if (self)
            self->openRecentWorkspace(id - ID_RECENT_WORKSPACE_FIRST);
    });
    commands.onUpdateRange(ID_RECENT_WORKSPACE_FIRST,
                           ID_RECENT_WORKSPACE_LAST,
                           [self](CommandUpdate &u) {
                               if (self)
                                   updateItem(self->m_workspaces,
                                              u.id() - ID_RECENT_WORKSPACE_FIRST,
                                              bool(self->m_workspaceOpener),
                                              u);
                           });
    commands.onRange(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, [self](int id) {
        if (self)
            self->openRecentFile(id - ID_FILE_MRU_FIRST);
    });
    commands.onUpdateRange(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, [self](CommandUpdate &u) {
        if (self)
            updateItem(self->m_files, u.id() - ID_FILE_MRU_FIRST, bool(self->m_fileOpener), u);
    });
}

RecentListCommands::~RecentListCommands() = default;

void RecentListCommands::read(const SettingsStore &settings)
{
    m_workspaces.read(settings);
    m_files.read(settings);
}

void RecentListCommands::write(SettingsStore &settings) const
{
    m_workspaces.write(settings);
    m_files.write(settings);
}

void RecentListCommands::setWorkspaceOpener(std::function<void(const QString &)> opener)
{
    m_workspaceOpener = std::move(opener);
}

void RecentListCommands::setFileOpener(std::function<bool(const QString &)> opener)
{
    m_fileOpener = std::move(opener);
}

void RecentListCommands::openRecentWorkspace(int index)
{
    const QString path = m_workspaces.at(index);
    // Open Workspace itself drops an entry that can't be opened and moves the rest up.
    if (!path.isEmpty() && m_workspaceOpener)
        m_workspaceOpener(path);
}

void RecentListCommands::openRecentFile(int index)
{
    const QString path = m_files.at(index);
    if (path.isEmpty() || !m_fileOpener)
        return;
    // The opener has said why it failed; an entry that leads nowhere goes.
    if (!m_fileOpener(path))
        m_files.remove(path);
}

void RecentListCommands::updateItem(const RecentFileList &list,
                                    int index,
                                    bool canOpen,
                                    CommandUpdate &u)
{
    if (list.isEmpty()) {
        // The first item stands for the empty list.
        u.setVisible(index == 0);
        if (index == 0)
            u.setText(list.emptyText());
        u.enable(false);
        return;
    }
    if (index >= list.size()) {
        u.setVisible(false);
        u.enable(false);
        return;
    }
    u.setVisible(true);
    u.setText(list.menuText(index, QDir::currentPath()));
    u.enable(canOpen);
}
