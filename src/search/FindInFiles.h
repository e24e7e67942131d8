#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// One occurrence found on disk: written to the output pane as "path(line): text".
struct FindHit
{
    QString path;
    qint64 line = 0;
    QString text; // the whole line, without its break and leading white space
};

// Find in File(s), simple form: the search itself, without widgets or threads (FindInFilesEngine
// runs it on a worker thread).
namespace FindInFiles {

struct Request
{
    QString folder;       // ends in "/" (searchFolder() makes it so)
    QStringList patterns; // FileNamePattern::splitTypes() of the File Types text
    QString text;
    bool subFolders = false;
    bool matchCase = false;
    bool wholeWord = false;
    int maxLevels = 0; // folders below the start walked at most this deep; 0: no limit
    // Threads that read and search files beside the walk (the order of the hits stays the
    // walk's); 1 searches on the calling thread alone.
    int threads = defaultThreads();
    static int defaultThreads();
};

struct Summary
{
    qint64 count = 0; // occurrences handed to the sink
    bool cancelled = false;
};

using HitSink = std::function<void(QList<FindHit> &&batch)>;

// Per pattern in order: a folder's own files (file-system order) before its sub-folders, depth
// first, so the tree is walked once per pattern. A folder reached again through a symbolic link
// is not walked twice. Unreadable files are skipped without a word, and so are binary ones (a
// NUL byte). Hits reach the sink in that order, in batches; cancel stops between files (and
// between chunks of a large one), and the count covers what the sink was given.
Summary run(const Request &request, const HitSink &sink, const std::atomic<bool> *cancel = nullptr);

// The folder searched: the one typed, else the active document's folder (none for an untitled
// one), always ending in "/" (an empty folder becomes "/").
QString searchFolder(const QString &folder, const QString &activeDocumentPath);

// The pane's texts.
QString searchingLine(const QString &text); // "Searching for '%s'"
QString hitLine(const FindHit &hit);        // "%s(%i): " and the line
QString countLine(qint64 count);            // "%i occurrence(s) found."

} // namespace FindInFiles
