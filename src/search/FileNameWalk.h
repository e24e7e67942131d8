#pragma once

#include <QByteArray>
#include <QString>

#include <set>
#include <utility>
#include <vector>

#include <sys/types.h>

// Find in File(s), advanced form: walks a folder one matching file name at a time (Find File,
// then Next File). Folders are entered as they are met, at most 16 levels deep; a folder reached
// again through a symbolic link is not entered twice.
class FileNameWalk
{
public:
    static constexpr int MaxLevels = 16;

    inline static const QString kFindFile = QStringLiteral("F&ind File");
    inline static const QString kNextFile = QStringLiteral("&Next File");
    inline static const QString kNoMore = QStringLiteral(" No More ");
    inline static const QString kNoMoreFiles = QStringLiteral(
        "No more files matching the search field.");

    FileNameWalk() = default;
    ~FileNameWalk() { close(); }
    FileNameWalk(const FileNameWalk &) = delete;
    FileNameWalk &operator=(const FileNameWalk &) = delete;

    // The next click starts again at folder (the dialog's fields changed).
    void restart() { m_restart = true; }
    bool restartPending() const { return m_restart; }
    // Closes every open folder (Find and Close do this).
    void close();

    // The next file whose name matches pattern (FileNamePattern::matches), as a full path;
    // empty when the walk is over. folder ends in "/" (or is empty: the current folder).
    QString next(const QString &folder, const QString &pattern, bool subFolders, bool matchCase);

private:
    struct Level
    {
        void *dir = nullptr; // DIR *
        QByteArray path;     // ends in "/"
    };
    bool enter(const QByteArray &path);

    std::vector<Level> m_levels;
    std::set<std::pair<dev_t, ino_t>> m_visited;
    bool m_restart = true;
};
