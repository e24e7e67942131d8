#include "editor/ui/DocumentRecovery.h"

#include "base/Prompts.h"
#include "editor/CQvasmDoc.h"
#include "editor/ui/CQvasmDocTemplate.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTextDocument>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The signal handler only writes a byte here; the event loop does the rest.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[0], &byte, 1);
}

} // namespace

DocumentRecovery::DocumentRecovery(CQvasmDocTemplate *documents,
                                   const QString &folder,
                                   QObject *parent)
    : QObject(parent)
    , m_documents(documents)
    , m_store(folder)
{
    m_worker.setMaxThreadCount(1);
    m_started = RecoveryStore::processStart(QCoreApplication::applicationPid());
    // Process numbers come back: a copy left over by an earlier program with this number, kept
    // for a later start, must not be replaced by ours.
    m_runTag = QString::number(QRandomGenerator::system()->generate(), 16);
    for (CQvasmDoc *doc : documents->documents())
        track(doc);
    connect(documents, &CQvasmDocTemplate::documentAdded, this, &DocumentRecovery::track);
}

DocumentRecovery::~DocumentRecovery()
{
    m_worker.waitForDone();
}

void DocumentRecovery::track(CQvasmDoc *doc)
{
    if (m_tracked.contains(doc))
        return;
    Tracked &t = m_tracked[doc];
    t.name = QStringLiteral("%1-%2-%3")
                 .arg(QCoreApplication::applicationPid())
                 .arg(m_runTag)
                 .arg(++m_serial);
    t.timer = new QTimer(this);
    t.timer->setSingleShot(true);
    connect(t.timer, &QTimer::timeout, this, [this, doc] { writeCopy(doc, false); });
    // The text object changes when a large file finishes loading: follow the document instead.
    auto watchText = [this, doc] {
        const auto it = m_tracked.find(doc);
        if (it == m_tracked.end())
            return;
        disconnect(it->edits);
        it->edits = connect(doc->textDocument(), &QTextDocument::contentsChanged, this, [this, doc] {
            scheduleWrite(doc);
        });
    };
    watchText();
    connect(doc, &CQvasmDoc::loaded, this, watchText);
    connect(doc, &CQvasmDoc::modifiedChanged, this, [this, doc](bool modified) {
        if (modified)
            scheduleWrite(doc);
        else
            removeCopy(doc); // saved, or undone back to what is on disk
    });
    connect(doc, &QObject::destroyed, this, [this, doc] { untrack(doc); });
    if (doc->IsModified())
        scheduleWrite(doc);
}

void DocumentRecovery::untrack(CQvasmDoc *doc)
{
    const auto it = m_tracked.find(doc);
    if (it == m_tracked.end())
        return;
    const Tracked t = it.value();
    m_tracked.erase(it);
    delete t.timer;
    // Closed by the user (after the save question) the copy has done its work; ended from
    // outside it is the one thing left of the edits.
    if (!m_ending && t.written) {
        const QString name = t.name;
        RecoveryStore store = m_store;
        m_worker.start([store, name]() mutable { store.remove(name); });
    }
}

void DocumentRecovery::scheduleWrite(CQvasmDoc *doc)
{
    const auto it = m_tracked.find(doc);
    if (it != m_tracked.end() && !m_ending)
        it->timer->start(m_idleDelay);
}

void DocumentRecovery::writeCopy(CQvasmDoc *doc, bool wait)
{
    const auto it = m_tracked.find(doc);
    if (it == m_tracked.end() || doc->isLoading() || !doc->IsModified())
        return;
    it->timer->stop();
    RecoveryRecord record;
    record.path = doc->GetPathName();
    record.title = doc->GetTitle();
    record.format = doc->fileFormat();
    record.otherBreaks = SourceFileCodec::attachedLineBreaks(*doc->textDocument());
    record.diskStamp = doc->diskStamp();
    record.written = QDateTime::currentDateTimeUtc();
    record.pid = QCoreApplication::applicationPid();
    record.started = m_started;
    record.text = doc->fileText();
    it->written = true;
    RecoveryStore store = m_store;
    const QString name = it->name;
    auto job = [this, store, name, record = std::move(record)]() mutable {
        QString error;
        if (store.write(name, record, &error))
            return;
        const QString message = QStringLiteral("Unsaved changes of %1 could not be kept for "
                                               "recovery: %2")
                                    .arg(record.path.isEmpty() ? record.title : record.path, error);
        // Delivered on this object's thread, and dropped if it is gone by then.
        QMetaObject::invokeMethod(
            this, [this, message] { emit copyFailed(message); }, Qt::QueuedConnection);
    };
    if (wait) {
        m_worker.waitForDone();
        job();
    } else {
        m_worker.start(std::move(job));
    }
}

void DocumentRecovery::removeCopy(CQvasmDoc *doc)
{
    const auto it = m_tracked.find(doc);
    if (it == m_tracked.end())
        return;
    it->timer->stop();
    if (!it->written || m_ending)
        return;
    it->written = false;
    RecoveryStore store = m_store;
    const QString name = it->name;
    m_worker.start([store, name]() mutable { store.remove(name); });
}

void DocumentRecovery::writeAllNow()
{
    for (auto it = m_tracked.begin(); it != m_tracked.end(); ++it)
        writeCopy(it.key(), true);
    m_worker.waitForDone();
}

void DocumentRecovery::waitForWrites()
{
    m_worker.waitForDone();
}

QString DocumentRecovery::restoreQuestion(const RecoveryRecord &record)
{
    const QString name = record.path.isEmpty() ? record.title : record.path;
    QString disk;
    if (!record.path.isEmpty()) {
        const FileStamp now = FileStamp::of(record.path);
        if (!now.exists)
            disk = QStringLiteral("\n\nThe file no longer exists.");
        else if (now != record.diskStamp)
            disk = QStringLiteral("\n\nThe file on disk has changed since.");
    }
    return QStringLiteral("%1 has unsaved changes from %2 that were kept when the program ended "
                          "without saving them.%3\n\nRestore them? Yes opens them, No discards "
                          "them, Cancel keeps them for the next start.")
        .arg(name,
             record.written.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
             disk);
}

void DocumentRecovery::offerLeftOver()
{
    for (const RecoveryStore::Found &found : m_store.leftOver()) {
        const RecoveryRecord &record = found.record;
        const PromptAnswer answer = Prompts::instance().message(restoreQuestion(record),
                                                                PromptButtons::YesNoCancel,
                                                                PromptIcon::Question);
        if (answer == PromptAnswer::No) {
            m_store.remove(found.name);
            continue;
        }
        if (answer != PromptAnswer::Yes)
            continue;
        CQvasmDoc *doc = nullptr;
        if (!record.path.isEmpty() && QFileInfo(record.path).isFile())
            doc = m_documents->openDocument(record.path);
        // Two copies of one file (the program ended twice before a save), or edits made since:
        // the second goes into a window of its own rather than over the first.
        if (doc && doc->IsModified())
            doc = nullptr;
        else if (doc && !doc->isLoading())
            doc->restoreText(record.text, record.format, record.otherBreaks);
        if (!doc)
            doc = m_documents->createDocumentWithText(record.path.isEmpty()
                                                          ? record.title
                                                          : QFileInfo(record.path).fileName(),
                                                      record.text);
        // Kept under the document's new name from now on: written there before the old copy
        // goes, so that no moment is without one.
        if (doc && !doc->isLoading()) {
            writeCopy(doc, true);
            m_store.remove(found.name);
        }
    }
}

void DocumentRecovery::handleTerminationSignals()
{
    if (g_signalPipe[0] < 0
        && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &DocumentRecovery::onTerminationSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    // Ctrl+C in the terminal the program was started from.
    ::sigaction(SIGINT, &action, nullptr);
}

void DocumentRecovery::onTerminationSignal()
{
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[1], &byte, 1);
    writeAllNow();
    m_ending = true;
    QCoreApplication::exit(0);
    // exit() ends only the loops running now: a dialog's loop ends, but a start-up step that
    // shows it may go on to the main loop, which would then run on. Keep asking until it ends.
    if (!m_exitRepeater) {
        m_exitRepeater = new QTimer(this);
        connect(m_exitRepeater, &QTimer::timeout, this, [] { QCoreApplication::exit(0); });
        m_exitRepeater->start(100);
    }
    // After the exit is asked and repeated, so that a message box shown meanwhile can't hold
    // the program open.
    emit endingFromOutside();
}
