#include "editor/SyntaxScanner.h"

#include "editor/KeywordIndex.h"

#include <algorithm>

namespace {

using Mode = SyntaxLineState::Mode;

// "comment " in lower case with one blank opens a comment block wherever it stands outside a
// comment, even inside a word or a string.
bool opensCommentBlock(const char16_t *p, qsizetype n, qsizetype i)
{
    static constexpr char16_t word[] = u"comment ";
    return n - i >= 8 && std::equal(word, word + 8, p + i);
}

SyntaxLineState scan(const KeywordIndex &keywords,
                     const char16_t *p,
                     qsizetype n,
                     bool lineEnd,
                     const SyntaxLineState &in,
                     QList<SyntaxSpan> &spans)
{
    Mode mode = in.mode;
    bool hasCloser = in.hasCloser;
    char16_t closer = in.closer;
    qsizetype spanStart = 0; // a string or comment carried in from the previous line opens here
    qsizetype i = 0;
    bool lineEndTaken = false; // the line end was the closer of a block opened on this line
    const int firstCategory = keywords.firstCategory();

    auto addSpan = [&spans](qsizetype from, qsizetype to, SyntaxFormat format) {
        if (to > from)
            spans.append(SyntaxSpan{int(from), int(to - from), format});
    };
    // The backslash rule of line comments looks two characters back from the line end; before
    // this line that is the end of the previous one, and before a range nothing.
    auto backslashTwoBefore = [&](qsizetype pos) {
        return pos >= 2 ? p[pos - 2] == u'\\' : (pos == 0 && in.backslashBefore);
    };

    while (i < n) {
        if (mode == Mode::LineComment) {
            i = std::find(p + i, p + n, u'\r') - p;
            if (i == n)
                break;
            if (!backslashTwoBefore(i)) {
                addSpan(spanStart, i + 1, SyntaxFormat::Comment);
                mode = Mode::Normal;
            }
            ++i;
            continue;
        }
        if (mode == Mode::CommentBlock) {
            if (!hasCloser) {
                i = n;
                break;
            }
            i = std::find(p + i, p + n, closer) - p;
            if (i == n)
                break;
            // The rest of the closing line belongs to the same comment.
            mode = Mode::LineComment;
            ++i;
            continue;
        }

        const char16_t c = p[i];
        if (c == u'c' && opensCommentBlock(p, n, i)) {
            // A string cut short by the block keeps its colour up to here.
            if (mode != Mode::Normal)
                addSpan(spanStart, i, SyntaxFormat::String);
            if (firstCategory >= 0)
                addSpan(i, i + 7, SyntaxFormat(firstCategory));
            mode = Mode::CommentBlock;
            spanStart = i + 8;
            if (i + 8 < n) {
                closer = p[i + 8];
                hasCloser = true;
                i += 9;
            } else {
                // The closer is the line end, or there is none at the very end of the text.
                hasCloser = lineEnd;
                closer = lineEnd ? u'\r' : 0;
                lineEndTaken = lineEnd;
                i = n;
            }
            continue;
        }

        if (mode == Mode::Normal) {
            if (c == u'"') {
                mode = Mode::DoubleString;
                spanStart = i;
            } else if (c == u'\'') {
                mode = Mode::SingleString;
                spanStart = i;
            } else if (c == u';') {
                mode = Mode::LineComment;
                spanStart = i;
            } else if (keywords.startsKeyword(KeywordIndex::lower(c))
                       && (i == 0 || KeywordIndex::isDelimiter(p[i - 1]))) {
                const KeywordIndex::Match match = keywords.matchAt(p, n, i);
                if (match.length > 0) {
                    addSpan(i, i + match.length, SyntaxFormat(match.category));
                    i += match.length; // the delimiter after it is examined in turn
                    continue;
                }
            }
            ++i;
            continue;
        }

        // Inside a string.
        if (c == u'"') {
            if (mode == Mode::DoubleString) {
                addSpan(spanStart, i + 1, SyntaxFormat::String);
                mode = Mode::Normal;
            }
        } else if (c == u'\'') {
            const bool escaped = i >= 1 && p[i - 1] == u'\\' && i + 1 < n && p[i + 1] == u'\'';
            if (!escaped && mode == Mode::SingleString) {
                addSpan(spanStart, i + 1, SyntaxFormat::String);
                mode = Mode::Normal;
            }
        }
        ++i;
    }

    // The line end is one '\r': it can end a line comment or be a block's closer.
    if (lineEnd && !lineEndTaken) {
        if (mode == Mode::LineComment) {
            if (!backslashTwoBefore(n)) {
                addSpan(spanStart, n, SyntaxFormat::Comment);
                mode = Mode::Normal;
            }
        } else if (mode == Mode::CommentBlock && hasCloser && closer == u'\r') {
            mode = Mode::LineComment;
        }
    }

    // Whatever is still open is coloured to the end: of the text, or of this line, in which case
    // it goes on in the next one.
    if (mode == Mode::DoubleString || mode == Mode::SingleString)
        addSpan(spanStart, n, SyntaxFormat::String);
    else if (mode == Mode::LineComment || mode == Mode::CommentBlock)
        addSpan(spanStart, n, SyntaxFormat::Comment);

    SyntaxLineState out;
    out.mode = mode;
    if (mode == Mode::CommentBlock) {
        out.hasCloser = hasCloser;
        out.closer = hasCloser ? closer : 0;
    } else if (mode == Mode::LineComment) {
        out.backslashBefore = n >= 1 && p[n - 1] == u'\\';
    }
    return out;
}

const char16_t *chars(QStringView text)
{
    return reinterpret_cast<const char16_t *>(text.data());
}

} // namespace

int SyntaxLineState::toUserState() const
{
    return int(mode) | (hasCloser ? 1 << 3 : 0) | (backslashBefore ? 1 << 4 : 0)
           | (int(closer) << 5);
}

SyntaxLineState SyntaxLineState::fromUserState(int state)
{
    SyntaxLineState s;
    if (state < 0 || (state & 7) > CommentBlock)
        return s;
    s.mode = Mode(state & 7);
    s.hasCloser = state & (1 << 3);
    s.backslashBefore = state & (1 << 4);
    s.closer = char16_t((state >> 5) & 0xFFFF);
    return s;
}

QList<SyntaxSpan> SyntaxScanner::scanRange(QStringView text) const
{
    QList<SyntaxSpan> spans;
    scanRange(text, spans);
    return spans;
}

void SyntaxScanner::scanRange(QStringView text, QList<SyntaxSpan> &spans) const
{
    scan(m_keywords, chars(text), text.size(), false, SyntaxLineState(), spans);
}

SyntaxLineState SyntaxScanner::scanLine(QStringView line,
                                        SyntaxLineState state,
                                        bool lineEnd,
                                        QList<SyntaxSpan> &spans) const
{
    return scan(m_keywords, chars(line), line.size(), lineEnd, state, spans);
}
