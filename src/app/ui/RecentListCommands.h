#pragma once

#include "app/RecentFileList.h"

#include <QObject>

#include <functional>

class CommandMap;
class CommandUpdate;
class SettingsStore;

// File > Recent Files (16) and Recent Workspaces (8): the two lists, the application's commands
// 57616..57631 and 32883..32890 with their menu texts ("&1 name", "No Files" / "No Workspaces"
// while empty), and the recent-file sink that keeps workspace members out (the application's
// recent-file switch). The lists are read once the settings are open and written on close.
class RecentListCommands : public QObject
{
    Q_OBJECT

public:
    // Registers on the given command table (the application's); one per program.
    explicit RecentListCommands(CommandMap &commands, QObject *parent = nullptr);
    ~RecentListCommands() override;

    RecentFileList &workspaces() { return m_workspaces; }
    RecentFileList &files() { return m_files; }

    void read(const SettingsStore &settings);
    void write(SettingsStore &settings) const;

    // Open Workspace, called with the path of a chosen entry; without one the entries stay
    // disabled.
    void setWorkspaceOpener(std::function<void(const QString &)> opener);
    // Opens a recent file as a document; false when it could not be opened.
    void setFileOpener(std::function<bool(const QString &)> opener);

    void openRecentWorkspace(int index);
    void openRecentFile(int index);

    // The state of one item of either sub-menu.
    static void updateItem(const RecentFileList &list, int index, bool canOpen, CommandUpdate &u);

private:
    RecentFileList m_workspaces = RecentFileList::workspaces();
    RecentFileList m_files = RecentFileList::files();
    std::function<void(const QString &)> m_workspaceOpener;
    std::function<bool(const QString &)> m_fileOpener;
};
