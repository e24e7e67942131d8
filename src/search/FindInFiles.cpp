#include "search/FindInFiles.h"

#include "editor/SourceFileCodec.h"
#include "search/FileNamePattern.h"
#include "search/FileTextScanner.h"

#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

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

    // The folder's identity, so a link back up the tree does not walk it again.
    bool firstVisit(const QByteArray &path)
    {
        struct stat info
        {};
        if (::stat(path.constData(), &info) != 0)
            return false;
        return m_visited.insert({info.st_dev, info.st_ino}).second;
    }

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

    void folder(const QByteArray &path, const QString &pattern, int level)
    {
        if (!firstVisit(path.isEmpty() ? QByteArray("/") : path))
            return;
        std::vector<Entry> entries;
        if (DIR *dir = ::opendir(path.isEmpty() ? "/" : path.constData())) {
            while (const dirent *e = ::readdir(dir)) {
                if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                    continue;
                entries.push_back({QByteArray(e->d_name), e->d_type});
            }
            ::closedir(dir);
        } else {
            return;
        }
        for (const Entry &entry : entries) {
            if (cancelled())
                return;
            if (entry.type == DT_DIR)
                continue; // a folder matching the pattern is no file to read
            if (FileNamePattern::matches(QFile::decodeName(entry.name),
                                         pattern,
                                         m_request.matchCase))
                file(path + entry.name);
        }
        if (!m_request.subFolders)
            return;
        if (m_request.maxLevels > 0 && level + 1 > m_request.maxLevels)
            return;
        for (const Entry &entry : entries) {
            if (cancelled())
                return;
            const QByteArray sub = path + entry.name;
            if (isFolder(sub, entry.type))
                folder(sub + '/', pattern, level + 1);
        }
    }

    void file(const QByteArray &path)
    {
        m_hits.clear();
        if (m_scanner.scanFile(path.constData(), m_hits, m_cancel)
                != FileTextScanner::Result::Searched
            || m_hits.empty()) {
            maybeFlush();
            return;
        }
        const QString name = QFile::decodeName(path);
        for (FileTextScanner::Hit &hit : m_hits)
            m_batch.append({name, hit.line, lineText(hit.text)});
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
