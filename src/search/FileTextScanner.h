#pragma once

#include <QByteArray>

#include <atomic>
#include <fcntl.h>
#include <memory>
#include <vector>

// Finds a text in one file's bytes, line by line, as Find in File(s) reports it: the line
// number of each occurrence and the line holding it. The file is read in chunks into one buffer
// that is reused from file to file, never whole and never as a QString.
class FileTextScanner
{
public:
    struct Hit
    {
        qint64 line = 0; // from 1
        QByteArray text; // the line without its break and leading white space
    };
    enum class Result { Searched, Unreadable, Binary, Cancelled };
    // Tests shrink these to reach the chunk and long-line paths with small files.
    struct Limits
    {
        qsizetype chunk = 1 << 14; // bytes read at a time: small reads stay in the CPU's cache
        qsizetype maxHitText = 64 * 1024; // a longer line is shown cut to this length
    };

    // The text as the bytes to look for (UTF-8). Without matchCase, A-Z and a-z are the same;
    // with wholeWord, the bytes either side may not be letters, digits, "." or "_" (bytes from
    // 80h up count as letters: they are parts of non-ASCII letters).
    FileTextScanner(const QByteArray &text, bool matchCase, bool wholeWord, Limits limits);
    FileTextScanner(const QByteArray &text, bool matchCase, bool wholeWord)
        : FileTextScanner(text, matchCase, wholeWord, Limits())
    {}

    // Appends the file's hits to hits. Only a regular file that can be read is searched;
    // a file holding a NUL byte is binary and gives no hits. cancel is looked at between chunks.
    Result scanFile(const char *path,
                    std::vector<Hit> &hits,
                    const std::atomic<bool> *cancel = nullptr)
    {
        return scanFileAt(AT_FDCWD, path, hits, cancel);
    }
    // The same for a name in the open folder folderFd (spares the walk down the whole path).
    Result scanFileAt(int folderFd,
                      const char *name,
                      std::vector<Hit> &hits,
                      const std::atomic<bool> *cancel = nullptr);
    // The same over bytes already in memory (as though they were a whole file).
    Result scanBytes(const char *data, qsizetype size, std::vector<Hit> &hits);

    static bool isWordByte(unsigned char c);

private:
    struct State;
    // Searches the buffer's [from, end); an occurrence must be followed by a byte that is
    // present, or by the file's end (atEnd). Returns where the next search would begin.
    qsizetype scanRegion(State &state,
                         qsizetype from,
                         qsizetype end,
                         qsizetype size,
                         bool atEnd,
                         std::vector<Hit> &hits);
    qsizetype nextCandidate(const char *buf, qsizetype from, qsizetype lastStart) const;
    bool equalsAt(const char *p) const;

    QByteArray m_text;
    QByteArray m_folded; // the text with A-Z as a-z when case does not count
    bool m_matchCase;
    bool m_wholeWord;
    Limits m_limits;
    std::unique_ptr<char[]> m_buffer; // not cleared: only what a read fills is looked at
    qsizetype m_bufferSize = 0;
};
