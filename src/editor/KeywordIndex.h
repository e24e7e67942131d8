#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <vector>

// The colouring's keyword list. Entries are kept in ascending order of their text (UTF-16 code
// units, case-sensitive); adding an entry whose text is already present replaces it, so the
// later definition wins with its category. matchAt() answers which entry colours the text at a
// position: the first entry in list order whose text equals the ASCII-lower-cased text there and
// is followed by a delimiter (or the end). It finds it through a hash of whole words plus a short
// per-character list of the few entries that contain delimiters, so its cost depends on the word,
// not on how many keywords there are.
//
// Entries are stored as given: one holding an upper-case letter never matches. Empty entries
// and entries holding a carriage return (a line end of the editor text) are not added.
class KeywordIndex
{
public:
    enum Category { Directives = 0, Instructions = 1, Registers = 2, Symbols = 3 };

    struct Match
    {
        int length = 0; // 0: no entry matches
        int category = -1;
    };

    KeywordIndex() = default;
    // The built-in lists, added as the colouring engine always has: instructions, directives,
    // registers.
    static KeywordIndex withBuiltIns();

    static QStringList builtInDirectives();   // 86 entries
    static QStringList builtInInstructions(); // 400 entries
    static QStringList builtInRegisters();    // 54 entries

    // Splits at commas only (blanks, tabs and line breaks belong to the entries) and adds each
    // entry with the category. Returns how many entries were added or replaced.
    int addKeywords(QStringView commaSeparated, int category);
    // The user keyword file: its whole text (decoded, CR LF read as LF) split at commas, every
    // entry a directive. Returns the number of entries added, -1 when the file can't be read (no
    // error: the built-in lists stay as they are).
    int addKeywordFile(const QString &path);
    // The user keyword file's name in the program folder.
    static QString userKeywordFileName() { return QStringLiteral("userdat.dat"); }

    int size() const { return int(m_entries.size()); }
    // Entries in list order.
    QString text(int rank) const { return m_entries[size_t(rank)].text; }
    int category(int rank) const { return m_entries[size_t(rank)].category; }
    // Category of the entry that sorts first (it colours the word of a comment block); -1 when
    // the list is empty.
    int firstCategory() const { return m_entries.empty() ? -1 : m_entries.front().category; }

    // True when some entry begins with this (lower-cased) character, i.e. it is worth calling
    // matchAt() there. Quotes and ';' never qualify: they keep starting strings and comments.
    bool startsKeyword(char16_t lowered) const
    {
        return lowered < m_starts.size() ? m_starts[lowered] : startsKeywordWide(lowered);
    }

    // The entry that matches text[i...] with a delimiter (or the end of text) right after it.
    // The caller has checked that the character before i is a delimiter or that i is the start.
    Match matchAt(const char16_t *text, qsizetype length, qsizetype i) const;
    Match matchAt(QStringView text, qsizetype i) const
    {
        return matchAt(reinterpret_cast<const char16_t *>(text.data()), text.size(), i);
    }

    // The 19 characters that may stand before and after a keyword.
    static bool isDelimiter(char16_t c) { return c < 128 && delimiterTable()[c]; }
    static char16_t lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

private:
    struct Entry
    {
        QString text;
        int category = 0;
        quint32 hash = 0;
        bool plain = true; // holds no delimiter: can only match a whole word
    };

    static const std::array<bool, 128> &delimiterTable();
    static quint32 hashStep(quint32 h, char16_t c) { return (h ^ c) * 0x01000193u; }
    static constexpr quint32 hashSeed = 0x811C9DC5u;
    bool startsKeywordWide(char16_t c) const;
    bool matchesEntry(const Entry &e, const char16_t *text, qsizetype length, qsizetype i) const;
    void insert(std::vector<Entry> added);
    void rebuild();

    std::vector<Entry> m_entries; // list order
    std::vector<int> m_slots;     // open-addressing hash of plain entries by text; -1 empty
    std::array<bool, 256> m_starts{};
    std::vector<char16_t> m_wideStarts;                 // sorted first characters >= 256
    std::array<std::vector<int>, 256> m_withDelimiters; // ranks by first character, ascending
    std::vector<std::pair<char16_t, int>> m_wideWithDelimiters; // (first character, rank)
    int m_maxPlainLength = 0;
};
