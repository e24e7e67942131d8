#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// A most-recently-used list of paths, entry 0 the most recent, kept in a settings section with
// one key per entry ("WorkSpace1".."WorkSpace8", "File1".."File16"). The program has two:
// workspaces() (8) and files() (16). Adding puts a path first, drops its earlier copy and cuts
// the list to its size. While adds are suspended (the members of a workspace being opened) the
// file list ignores them. menuTexts() gives the submenu's item texts: "&1 name" ... with every
// "&" in the name doubled; an empty list shows its one disabled emptyText() item instead.
class RecentFileList
{
public:
    RecentFileList(const QString &section,
                   const QString &keyPrefix,
                   int maxSize,
                   const QString &emptyText,
                   int displayLength = 30);

    static RecentFileList workspaces();
    static RecentFileList files();

    // Keeps adds off for as long as it lives; nests.
    class SuspendAdds
    {
    public:
        explicit SuspendAdds(RecentFileList &list);
        ~SuspendAdds();
        SuspendAdds(const SuspendAdds &) = delete;
        SuspendAdds &operator=(const SuspendAdds &) = delete;

    private:
        RecentFileList &m_list;
    };

    QString section() const { return m_section; }
    int maxSize() const { return m_maxSize; }
    QString emptyText() const { return m_emptyText; }
    QStringList paths() const { return m_paths; }
    int size() const { return int(m_paths.size()); }
    bool isEmpty() const { return m_paths.isEmpty(); }
    QString at(int index) const { return m_paths.value(index); }

    bool addsSuspended() const { return m_suspended > 0; }
    // Relative paths are made absolute. Does nothing while adds are suspended.
    void add(const QString &path);
    // Removes the entry equal to path (file names are case-sensitive here); false when none.
    bool remove(const QString &path);
    void removeAt(int index);
    void clear() { m_paths.clear(); }

    void read(const SettingsStore &settings);
    void write(SettingsStore &settings) const;

    // Item texts for the submenu; empty when the list is empty (show emptyText(), disabled).
    QStringList menuTexts(const QString &currentFolder) const;
    // The text of item index alone; empty past the end.
    QString menuText(int index, const QString &currentFolder) const;
    // A path as the menu shows it: the bare name when it lies in currentFolder, else the path
    // shortened to maxLength characters as "/.../folder/name".
    static QString displayName(const QString &path, const QString &currentFolder, int maxLength);
    static QString abbreviatePath(const QString &path, int maxLength);

private:
    QString m_section;
    QString m_keyPrefix;
    int m_maxSize;
    QString m_emptyText;
    int m_displayLength;
    QStringList m_paths;
    int m_suspended = 0;
};
