#include "search/FindInFiles.h"

#include "editor/SourceFileCodec.h"
#include "search/FileNamePattern.h"
#include "search/FileTextScanner.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
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

// Reads and searches files on helper threads while the walk goes on; the results are handed
// out strictly in the walk's order, so the pane reads as a search on one thread would fill it.
class ScanPool
{
public:
    struct Job
    {
        QByteArray path;
        QList<FindHit> hits;
        bool done = false;
    };

    ScanPool(const Request &request, const std::atomic<bool> *cancel, int threads)
        : m_cancel(cancel)
    {
        for (int i = 0; i < threads; ++i) {
            m_threads.emplace_back([this, &request] {
                FileTextScanner scanner(request.text.toUtf8(), request.matchCase, request.wholeWord);
                std::vector<FileTextScanner::Hit> hits;
                work(scanner, hits);
            });
        }
    }

    ~ScanPool()
    {
        {
            std::lock_guard lock(m_mutex);
            m_walkDone = true;
        }
        m_jobReady.notify_all();
        for (std::thread &t : m_threads)
            t.join();
    }

    void add(QByteArray path)
    {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back({std::move(path), {}, false});
        }
        m_jobReady.notify_one();
    }

    void walkDone()
    {
        {
            std::lock_guard lock(m_mutex);
            m_walkDone = true;
        }
        m_jobReady.notify_all();
    }

    // Hands the finished jobs at the front to out, in order; with wait, all of them.
    template<typename Out>
    void deliver(bool wait, Out &&out)
    {
        std::unique_lock lock(m_mutex);
        while (!m_jobs.empty()) {
            Job &job = m_jobs.front();
            if (!job.done) {
                if (!wait)
                    return;
                m_jobDone.wait(lock, [&] { return job.done; });
            }
            QList<FindHit> hits = std::move(job.hits);
            m_jobs.pop_front();
            --m_next;
            lock.unlock();
            out(std::move(hits));
            lock.lock();
        }
    }

private:
    void work(FileTextScanner &scanner, std::vector<FileTextScanner::Hit> &hits)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_jobReady.wait(lock, [&] { return m_next < m_jobs.size() || m_walkDone; });
            if (m_next >= m_jobs.size())
                return;
            Job &job = m_jobs[m_next++]; // a deque keeps it in place while others are added
            lock.unlock();
            hits.clear();
            QList<FindHit> found;
            if (scanner.scanFile(job.path.constData(), hits, m_cancel)
                    == FileTextScanner::Result::Searched
                && !hits.empty()) {
                const QString path = QFile::decodeName(job.path);
                found.reserve(qsizetype(hits.size()));
                for (FileTextScanner::Hit &hit : hits)
                    found.append({path, hit.line, lineText(hit.text)});
            }
            lock.lock();
            job.hits = std::move(found);
            job.done = true;
            m_jobDone.notify_all();
        }
    }

    const std::atomic<bool> *m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_jobReady;
    std::condition_variable m_jobDone;
    std::deque<Job> m_jobs; // from the oldest not handed out
    size_t m_next = 0;      // the first job no thread has taken, counted from the front
    bool m_walkDone = false;
    std::vector<std::thread> m_threads;
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
        std::optional<ScanPool> pool;
        if (m_request.threads > 1)
            pool.emplace(m_request, m_cancel, m_request.threads);
        m_pool = pool ? &*pool : nullptr;
        const QByteArray root = QFile::encodeName(m_request.folder);
        for (const QString &pattern : m_request.patterns) {
            m_visited.clear();
            folder(root, pattern, 0);
            if (cancelled())
                break;
        }
        if (m_pool) {
            m_pool->walkDone();
            deliverFromPool(true);
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
        if (m_pool)
            deliverFromPool(false);
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

    void deliverFromPool(bool wait)
    {
        m_pool->deliver(wait, [this](QList<FindHit> &&hits) {
            // Once cancelled, nothing more goes out: the count stays what was handed out.
            if (hits.isEmpty() || cancelled())
                return;
            m_count += hits.size();
            m_batch.append(std::move(hits));
            maybeFlush();
        });
    }

    void file(int folderFd, const QByteArray &folderPath, const QByteArray &name)
    {
        if (m_pool) {
            m_pool->add(folderPath + name);
            return;
        }
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
    ScanPool *m_pool = nullptr;
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

int FindInFiles::Request::defaultThreads()
{
    // Past a few threads the disk and the page cache, not the search, set the pace.
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}
