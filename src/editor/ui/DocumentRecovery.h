#pragma once

#include "editor/RecoveryStore.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

class CQvasmDoc;
class CQvasmDocTemplate;
class QTimer;

// Keeps a copy of every modified document's text in the recovery store: a few seconds after the
// last edit (the text is taken on this thread, written by a worker, so typing never waits for the
// disk), removed again when the document is saved, back to its saved state or closed. SIGTERM,
// SIGHUP and SIGINT write every copy and end the program without questions. At the next start
// the copies a program left behind are offered back.
class DocumentRecovery : public QObject
{
    Q_OBJECT

public:
    DocumentRecovery(CQvasmDocTemplate *documents, const QString &folder, QObject *parent = nullptr);
    ~DocumentRecovery() override;

    RecoveryStore &store() { return m_store; }
    void setIdleDelay(int milliseconds) { m_idleDelay = milliseconds; }
    // Writes the copy of every modified document now and waits for it.
    void writeAllNow();
    // Waits until the writes and removals handed to the worker are done.
    void waitForWrites();
    // The copies left by a program that ended: each is offered (Yes restores it as a modified
    // document, No discards it, Cancel keeps it for the next start).
    void offerLeftOver();
    // SIGTERM, SIGHUP and SIGINT: every copy written, then the event loop ends (no questions).
    void handleTerminationSignals();

    static QString restoreQuestion(const RecoveryRecord &record);

signals:
    // Ended from outside (SIGTERM, SIGHUP, SIGINT): the copies are written and the event loop
    // is told to end; what else a close keeps can be kept now.
    void endingFromOutside();
    // A copy could not be written (full disk, a folder that is not the user's): the edits it
    // should keep are not safe from a kill until it can.
    void copyFailed(const QString &message);

private:
    struct Tracked
    {
        QString name;
        QTimer *timer = nullptr;
        QMetaObject::Connection edits;
        bool written = false;
    };
    void track(CQvasmDoc *doc);
    void untrack(CQvasmDoc *doc);
    void scheduleWrite(CQvasmDoc *doc);
    void writeCopy(CQvasmDoc *doc, bool wait);
    void removeCopy(CQvasmDoc *doc);
    void onTerminationSignal();

    CQvasmDocTemplate *m_documents;
    RecoveryStore m_store;
    QHash<CQvasmDoc *, Tracked> m_tracked;
    QThreadPool m_worker; // one thread: writes and removals of a copy land in the order asked
    int m_idleDelay = 3000;
    qint64 m_started = 0; // this program's start, written with every copy
    QString m_runTag;     // part of every copy's name
    int m_serial = 0;
    bool m_ending = false; // copies stay when the program is ended from outside
    QTimer *m_exitRepeater = nullptr;
};
