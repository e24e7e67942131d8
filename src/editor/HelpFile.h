#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

#include <optional>

// The context help text file, qvasmide.hlt in the program folder. An entry is "[>", the
// keyword, "<]", then its text between the next '{' and the next '}' after it; anything else
// is ignored. Keywords compare without regard to ASCII case and the first entry of a keyword
// wins; keywords of 255 characters or more are passed over; a "[>" inside an entry's text is a
// keyword marker too. Tabs in a text read as two blanks, line breaks as "\n".
//
// The file is read at the first request and kept for the whole run; a file that could not be
// read then stays unavailable for the whole run, and every request answers with
// missingFileMessage().
class HelpFile
{
public:
    static QString fileName() { return QStringLiteral("qvasmide.hlt"); }

    explicit HelpFile(const QString &path);
    static HelpFile fromContent(const QByteArray &content); // already loaded, for tests

    QString path() const { return m_path; }
    // Loads the file if this is the first request; false when it is unavailable.
    bool ensureLoaded();
    // "Could not find: [<full path>]"
    QString missingFileMessage() const;

    // The entry's text for a word; nothing when no entry matches or the matching entry has no
    // braces before the end of the file. A pop-up is no reader for a book: past MaxEntryChars
    // characters or MaxEntryLines lines the text is cut and ends in "...".
    std::optional<QString> entry(QStringView word) const;
    static constexpr qsizetype MaxEntryChars = 16384;
    static constexpr qsizetype MaxEntryLines = 200;
    // What the pop-up shows: the entry, or "Could not find "<word>" in help file...".
    QString popupText(QStringView word) const;

    // The word under the caret: the run of non-delimiters (TypingAids::isNameDelimiter, and NUL)
    // around column, which must stand on the word or at its first character; at most 250
    // characters; empty when there is none.
    static QString wordAt(QStringView line, qsizetype column);

private:
    void index(const QByteArray &content);

    QString m_path;
    enum class State { NotLoaded, Loaded, Unavailable } m_state = State::NotLoaded;
    QString m_text;
    QHash<QString, qsizetype> m_entries; // lower-cased keyword -> position after its "<]"
};
