#pragma once

#include "base/FileStamp.h"
#include "editor/SourceFileCodec.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The unsaved text of one document, kept on disk so that a kill, a crash or a lost session does
// not take the user's edits with it.
struct RecoveryRecord
{
    QString path;  // the document's file; empty while untitled
    QString title; // what an untitled document was called
    SourceFileFormat format;
    LineBreaks otherBreaks;
    FileStamp diskStamp; // the file as the document had last read or saved it
    QDateTime written;
    qint64 pid = 0;     // the program that keeps the record up to date
    qint64 started = 0; // when that program started (ticks after boot); 0 when not known
    QString text;       // "\n" for every line break

    friend bool operator==(const RecoveryRecord &, const RecoveryRecord &) = default;
};

// A private folder (0700) of recovery records, one file each, written atomically. A record is
// "left over" when the program that wrote it is no longer running: only those are offered back,
// so two running copies never take each other's. A process number alone does not say that: once
// the writer has ended, or the machine restarted, the number goes to other programs, and a record
// hidden behind one of them would never come back. The writer's start time tells them apart.
class RecoveryStore
{
public:
    explicit RecoveryStore(const QString &folder);
    // $XDG_DATA_HOME/qvasmide/recovery (~/.local/share/... by default).
    static QString defaultFolder();

    QString folder() const { return m_folder; }
    // Writes (or replaces) the record under a name of the caller's; false when it could not.
    bool write(const QString &name, const RecoveryRecord &record, QString *errorString = nullptr);
    void remove(const QString &name);
    struct Found
    {
        QString name;
        RecoveryRecord record;
    };
    // Records whose writer has ended, oldest first; unreadable records are skipped.
    QList<Found> leftOver() const;

    // The start of a running process, in clock ticks after boot; 0 when it can't be read.
    static qint64 processStart(qint64 pid);
    // Whether the program that wrote the record still runs.
    static bool writerRuns(const RecoveryRecord &record);

    static QByteArray serialize(const RecoveryRecord &record);
    static std::optional<RecoveryRecord> parse(const QByteArray &bytes);

private:
    bool ensureFolder(QString *errorString);
    QString m_folder;
};
