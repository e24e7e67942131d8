#pragma once

#include "search/FindInFiles.h"

#include <QObject>

#include <atomic>
#include <thread>

// Runs FindInFiles::run on a worker thread so the window keeps painting and Esc or Cancel can
// stop it. Signals arrive on the thread that owns the engine, hits in the search's order.
class FindInFilesEngine : public QObject
{
    Q_OBJECT

public:
    explicit FindInFilesEngine(QObject *parent = nullptr);
    ~FindInFilesEngine() override; // stops a running search and waits for its thread

    // False (nothing started) while a search runs.
    bool start(const FindInFiles::Request &request);
    // Stops after the file being read; finished() follows with cancelled set.
    void cancel();
    bool isRunning() const { return m_running; }

signals:
    void hitsFound(const QList<FindHit> &hits);
    // count: the hits handed out through hitsFound, all of which came before this.
    void finished(qint64 count, bool cancelled);

private:
    void joinWorker();

    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
};
