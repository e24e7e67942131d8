#include "search/FindInFilesEngine.h"

FindInFilesEngine::FindInFilesEngine(QObject *parent)
    : QObject(parent)
{}

FindInFilesEngine::~FindInFilesEngine()
{
    m_cancel = true;
    joinWorker();
}

void FindInFilesEngine::joinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

bool FindInFilesEngine::start(const FindInFiles::Request &request)
{
    if (m_running)
        return false;
    joinWorker();
    m_cancel = false;
    m_running = true;
    m_worker = std::thread([this, request] {
        // The engine is the context of every hand-over: once it is gone, nothing more arrives.
        const FindInFiles::Summary summary = FindInFiles::run(
            request,
            [this](QList<FindHit> &&batch) {
                QMetaObject::invokeMethod(
                    this,
                    [this, hits = std::move(batch)] { emit hitsFound(hits); },
                    Qt::QueuedConnection);
            },
            &m_cancel);
        QMetaObject::invokeMethod(
            this,
            [this, summary] {
                joinWorker();
                m_running = false;
                emit finished(summary.count, summary.cancelled);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void FindInFilesEngine::cancel()
{
    m_cancel = true;
}
