#include "search/FileNameWalk.h"

#include "search/FileNamePattern.h"

#include <QFile>

#include <cstring>

#include <dirent.h>
#include <sys/stat.h>

void FileNameWalk::close()
{
    for (Level &level : m_levels)
        ::closedir(static_cast<DIR *>(level.dir));
    m_levels.clear();
}

bool FileNameWalk::enter(const QByteArray &path)
{
    const char *name = path.isEmpty() ? "." : path.constData();
    struct stat info
    {};
    if (::stat(name, &info) != 0 || !m_visited.insert({info.st_dev, info.st_ino}).second)
        return false;
    DIR *dir = ::opendir(name);
    if (!dir)
        return false;
    m_levels.push_back({dir, path});
    return true;
}

QString FileNameWalk::next(const QString &folder,
                           const QString &pattern,
                           bool subFolders,
                           bool matchCase)
{
    if (m_restart) {
        m_restart = false;
        close();
        m_visited.clear();
        enter(QFile::encodeName(folder));
    }
    while (!m_levels.empty()) {
        Level &level = m_levels.back();
        const dirent *entry = ::readdir(static_cast<DIR *>(level.dir));
        if (!entry) {
            ::closedir(static_cast<DIR *>(level.dir));
            m_levels.pop_back();
            continue;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const QByteArray path = level.path + entry->d_name;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info
            {};
            isFolder = ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder) {
            // The deepest level skips its folders: 16 levels at most.
            if (subFolders && int(m_levels.size()) < MaxLevels)
                enter(path + '/');
            continue;
        }
        if (FileNamePattern::matches(QFile::decodeName(entry->d_name), pattern, matchCase))
            return QFile::decodeName(path);
    }
    return {};
}
