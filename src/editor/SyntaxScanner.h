#pragma once

#include <QList>
#include <QStringView>

class KeywordIndex;

// What a coloured span shows. The first four are the keyword categories (same numbers).
enum class SyntaxFormat : quint8 {
    Directive = 0,
    Instruction = 1,
    Register = 2,
    Symbol = 3,
    Comment = 4,
    String = 5,
};

// Characters [start, start + length) take the format; characters in no span stay black.
struct SyntaxSpan
{
    int start = 0;
    int length = 0;
    SyntaxFormat format = SyntaxFormat::Directive;

    friend bool operator==(const SyntaxSpan &, const SyntaxSpan &) = default;
};

// The scan's state at a line end, carried into the next line. Packs into a non-negative int
// for QTextBlock::userState(); -1 (a block never scanned) reads as the plain start state.
struct SyntaxLineState
{
    enum Mode : quint8 { Normal, DoubleString, SingleString, LineComment, CommentBlock };

    Mode mode = Normal;
    bool hasCloser = false;       // CommentBlock: its closing character is known
    char16_t closer = 0;          // CommentBlock: the closing character
    bool backslashBefore = false; // LineComment: the previous line ended in a backslash

    int toUserState() const;
    static SyntaxLineState fromUserState(int state);
    friend bool operator==(const SyntaxLineState &, const SyntaxLineState &) = default;
};

// The colouring scan: text in, coloured spans out, no widgets.
//
// scanRange() colours a piece of text as the editor reads it (line ends as single '\r'),
// starting in the plain state at a delimiter; what is still open at the end (a string, a line
// comment, a comment block) is coloured to the end.
//
// scanLine() colours one line (without its line end) from the state at its start and returns
// the state at its end. Scanning the lines of a text one after another, each with the state the
// previous one returned and lineEnd true for all but the last, gives every character the format
// a scanRange() of the whole text gives it; spans never cover the line end itself. That lets the
// editor colour lazily, block by block, the way QSyntaxHighlighter does.
//
// Spans come in ascending order and never overlap. Any input is safe: unterminated strings and
// comment blocks, NUL characters, very long lines, any UTF-16.
class SyntaxScanner
{
public:
    explicit SyntaxScanner(const KeywordIndex &keywords)
        : m_keywords(keywords)
    {}

    QList<SyntaxSpan> scanRange(QStringView text) const;
    // Appends to spans, positions relative to text.
    void scanRange(QStringView text, QList<SyntaxSpan> &spans) const;

    // Appends to spans, positions relative to line.
    SyntaxLineState scanLine(QStringView line,
                             SyntaxLineState state,
                             bool lineEnd,
                             QList<SyntaxSpan> &spans) const;

private:
    const KeywordIndex &m_keywords;
};
