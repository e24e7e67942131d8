#include "app/RecentFileList.h"

#include "base/FolderPaths.h"
#include "base/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

RecentFileList::RecentFileList(const QString &section,
                               const QString &keyPrefix,
                               int maxSize,
                               const QString &emptyText,
                               int displayLength)
    : m_section(section)
    , m_keyPrefix(keyPrefix)
    , m_maxSize(maxSize)
    , m_emptyText(emptyText)
    , m_displayLength(displayLength)
{}

RecentFileList RecentFileList::workspaces()
{
    return RecentFileList(QStringLiteral("Recent Workspace List"),
                          QStringLiteral("WorkSpace"),
                          8,
                          QStringLiteral("No Workspaces"));
}

RecentFileList RecentFileList::files()
{
    return RecentFileList(QStringLiteral("Recent File List"),
                          QStringLiteral("File"),
                          16,
                          QStringLiteral("No Files"));
}

RecentFileList::SuspendAdds::SuspendAdds(RecentFileList &list)
    : m_list(list)
{
    ++m_list.m_suspended;
}

RecentFileList::SuspendAdds::~SuspendAdds()
{
    --m_list.m_suspended;
}

void RecentFileList::add(const QString &path)
{
    if (path.isEmpty() || addsSuspended())
        return;
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    m_paths.removeAll(full);
    m_paths.prepend(full);
    while (m_paths.size() > m_maxSize)
        m_paths.removeLast();
}

bool RecentFileList::remove(const QString &path)
{
    qsizetype i = m_paths.indexOf(path);
    if (i < 0)
        i = m_paths.indexOf(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (i < 0)
        return false;
    m_paths.removeAt(i);
    return true;
}

void RecentFileList::removeAt(int index)
{
    if (index >= 0 && index < m_paths.size())
        m_paths.removeAt(index);
}

void RecentFileList::read(const SettingsStore &settings)
{
    m_paths.clear();
    for (int i = 1; i <= m_maxSize; ++i) {
        const QString path = settings.readString(m_section, m_keyPrefix + QString::number(i));
        // Holes and repeats in a hand-edited file must not show as empty or double items.
        if (!path.isEmpty() && !m_paths.contains(path))
            m_paths << path;
    }
}

void RecentFileList::write(SettingsStore &settings) const
{
    for (int i = 0; i < m_maxSize; ++i) {
        const QString key = m_keyPrefix + QString::number(i + 1);
        if (i < m_paths.size())
            settings.writeString(m_section, key, m_paths.at(i));
        else
            settings.remove(m_section, key);
    }
}

QStringList RecentFileList::menuTexts(const QString &currentFolder) const
{
    QStringList texts;
    for (int i = 0; i < m_paths.size(); ++i)
        texts << menuText(i, currentFolder);
    return texts;
}

QString RecentFileList::menuText(int index, const QString &currentFolder) const
{
    if (index < 0 || index >= m_paths.size())
        return QString();
    QString name = displayName(m_paths.at(index), currentFolder, m_displayLength);
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 ").arg((index + 1) % 10) + name;
}

QString RecentFileList::displayName(const QString &path, const QString &currentFolder, int maxLength)
{
    const QString folder = FolderPaths::withSlash(QDir::cleanPath(currentFolder));
    if (path.startsWith(folder) && !path.mid(folder.size()).contains(QLatin1Char('/'))
        && path.size() > folder.size())
        return path.mid(folder.size());
    return abbreviatePath(path, maxLength);
}

QString RecentFileList::abbreviatePath(const QString &path, int maxLength)
{
    if (path.size() <= maxLength)
        return path;
    const qsizetype lastSlash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(lastSlash + 1);
    const QString root = path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    const QLatin1String ellipsis(".../");
    if (lastSlash < 0 || root.size() + ellipsis.size() + name.size() > maxLength)
        return name;
    // Drop whole folders after the root until the rest fits behind ".../".
    QString rest = path.mid(root.size());
    while (root.size() + ellipsis.size() + rest.size() > maxLength)
        rest = rest.mid(rest.indexOf(QLatin1Char('/')) + 1);
    return root + ellipsis + rest;
}
