#include "search/FindInFiles.h"

#include "editor/SourceFileCodec.h"
#include "search/FileNamePattern.h"
#include "search/FileTextScanner.h"

#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FindInFiles {

namespace {

using Clock = std::chrono::steady_clock;

QString lineText(const QByteArray &bytes)
{
    if (SourceFileCodec::isValidUtf8(bytes.constData(), bytes.size()))
        return QString::fromUtf8(bytes);
    return SourceFileCodec::decode(bytes).text;
}

struct Entry
{
    QByteArray name;
    unsigned char type = DT_UNKNOWN;
};

class Walk
{
public:
    Walk(const Request &request, const HitSink &sink, const std::atomic<bool> *cancel)
        : m_request(request)
        , m_sink(sink)
        , m_cancel(cancel)
        , m_scanner(request.text.toUtf8(), request.matchCase, request.wholeWord)
    {}

    Summary run()
    {
        const QByteArray root = QFile::encodeName(m_request.folder);
        for (const QString &pattern : m_request.patterns) {
            m_visited.clear();
            folder(root, pattern, 0);
            if (cancelled())
                break;
        }
        flush();
        return {m_count, cancelled()};
    }

private:
    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

    static bool isFolder(const QByteArray &path, unsigned char type)
    {
        if (type == DT_DIR)
            return true;
        if (type != DT_LNK && type != DT_UNKNOWN)
            return false;
        struct stat info
        {};
        return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    // A folder's entries in file-system order; with more than one pattern they are kept, so
    // each folder is read once however many patterns walk it. Otherwise they go into own.
    const std::vector<Entry> *listing(const QByteArray &path,
                                      int folderFd,
                                      DIR **opened,
                                      std::vector<Entry> &own)
    {
        const bool keep = m_request.patterns.size() > 1;
        if (keep) {
            const auto cached = m_listings.find(path);
            if (cached != m_listings.end())
                return &cached->second;
        }
        DIR *dir = ::fdopendir(folderFd);
        if (!dir)
            return nullptr;
        *opened = dir;
        std::vector<Entry> &entries = keep ? m_listings[path] : own;
        while (const dirent *e = ::readdir(dir)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            entries.push_back({QByteArray(e->d_name), e->d_type});
        }
        return &entries;
    }

    void folder(const QByteArray &path, const QString &pattern, int level)
    {
        const int folderFd = ::open(path.isEmpty() ? "/" : path.constData(),
                                    O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0)
            return;
        // The folder's identity, so a link back up the tree does not walk it again.
        struct stat info
        {};
        if (::fstat(folderFd, &info) != 0 || !m_visited.insert({info.st_dev, info.st_ino}).second) {
            ::close(folderFd);
            return;
        }
        DIR *opened = nullptr;
        std::vector<Entry> own;
        const std::vector<Entry> *found = listing(path, folderFd, &opened, own);
        if (!found) {
            ::close(folderFd);
            return;
        }
        const std::vector<Entry> &list = *found; // std::map keeps it in place while we recurse
        for (const Entry &entry : list) {
            if (cancelled())
                break;
            if (entry.type == DT_DIR)
                continue; // a folder matching the pattern is no file to read
            if (FileNamePattern::matches(QFile::decodeName(entry.name),
                                         pattern,
                                         m_request.matchCase))
                file(folderFd, path, entry.name);
        }
        // Closed before going down, so a deep tree does not run out of descriptors.
        if (opened)
            ::closedir(opened);
        else
            ::close(folderFd);
        if (cancelled() || !m_request.subFolders)
            return;
        if (m_request.maxLevels > 0 && level + 1 > m_request.maxLevels)
            return;
        for (const Entry &entry : list) {
            if (cancelled())
                return;
            const QByteArray sub = path + entry.name;
            if (isFolder(sub, entry.type))
                folder(sub + '/', pattern, level + 1);
        }
    }

    void file(int folderFd, const QByteArray &folderPath, const QByteArray &name)
    {
        m_hits.clear();
        if (m_scanner.scanFileAt(folderFd, name.constData(), m_hits, m_cancel)
                != FileTextScanner::Result::Searched
            || m_hits.empty()) {
            maybeFlush();
            return;
        }
        const QString path = QFile::decodeName(folderPath + name);
        for (FileTextScanner::Hit &hit : m_hits)
            m_batch.append({path, hit.line, lineText(hit.text)});
        m_count += qint64(m_hits.size());
        maybeFlush();
    }

    // Hits go out in batches: often enough for the pane to fill while the search runs, seldom
    // enough that handing them over costs nothing next to the search.
    void maybeFlush()
    {
        if (m_batch.isEmpty())
            return;
        if (m_batch.size() >= 1024 || Clock::now() - m_lastFlush > std::chrono::milliseconds(50))
            flush();
    }

    void flush()
    {
        m_lastFlush = Clock::now();
        if (m_batch.isEmpty())
            return;
        if (m_sink)
            m_sink(std::move(m_batch));
        m_batch = {};
    }

    const Request &m_request;
    const HitSink &m_sink;
    const std::atomic<bool> *m_cancel;
    FileTextScanner m_scanner;
    std::vector<FileTextScanner::Hit> m_hits;
    std::set<std::pair<dev_t, ino_t>> m_visited;
    std::map<QByteArray, std::vector<Entry>> m_listings;
    QList<FindHit> m_batch;
    Clock::time_point m_lastFlush = Clock::now();
    qint64 m_count = 0;
};

} // namespace

Summary run(const Request &request, const HitSink &sink, const std::atomic<bool> *cancel)
{
    if (request.text.isEmpty() || request.patterns.isEmpty())
        return {0, cancel && cancel->load()};
    return Walk(request, sink, cancel).run();
}

QString searchFolder(const QString &folder, const QString &activeDocumentPath)
{
    QString result = folder;
    if (result.isEmpty() && !activeDocumentPath.isEmpty())
        result = QFileInfo(activeDocumentPath).absolutePath();
    if (!result.endsWith(u'/'))
        result += u'/';
    return result;
}

QString searchingLine(const QString &text)
{
    return QStringLiteral("Searching for '%1'").arg(text);
}

QString hitLine(const FindHit &hit)
{
    return hit.path + u'(' + QString::number(hit.line) + QStringLiteral("): ") + hit.text;
}

QString countLine(qint64 count)
{
    return QStringLiteral("%1 occurrence(s) found.").arg(count);
}

} // namespace FindInFiles
