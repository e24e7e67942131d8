#include "search/FileTextScanner.h"

#include <emmintrin.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Tables
{
    unsigned char lower[256];
    bool word[256];
    Tables()
    {
        for (int c = 0; c < 256; ++c) {
            lower[c] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c);
            word[c] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                      || c == '.' || c == '_' || c >= 0x80;
        }
    }
};
const Tables kTables;

bool isBreak(char c)
{
    return c == '\n' || c == '\r';
}

// Line breaks in p[from, to): LF, and a CR not followed by LF (the editor ends a line there too,
// so the numbers agree with the line a jump lands on). size bounds the look at the next byte.
qint64 countBreaks(const char *p, qsizetype from, qsizetype to, qsizetype size)
{
    qint64 n = 0;
    qsizetype i = from;
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    // Each break subtracts -1 from its byte's counter; the counters are summed before they can
    // wrap (255 rounds).
    while (i + 16 <= to && i + 17 <= size) {
        __m128i counters = zero;
        for (int round = 0; round < 255 && i + 16 <= to && i + 17 <= size; ++round, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i + 1));
            const __m128i lone = _mm_andnot_si128(_mm_cmpeq_epi8(w, lf), _mm_cmpeq_epi8(v, cr));
            counters = _mm_sub_epi8(counters, _mm_or_si128(_mm_cmpeq_epi8(v, lf), lone));
        }
        const __m128i sums = _mm_sad_epu8(counters, zero);
        n += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
    for (; i < to; ++i) {
        if (p[i] == '\n' || (p[i] == '\r' && (i + 1 >= size || p[i + 1] != '\n')))
            ++n;
    }
    return n;
}

// One past the last complete line of p[from, size); -1 when there is none. A CR in the last
// byte may be the first half of a CR LF, so it does not end a line yet.
qsizetype completeLinesEnd(const char *p, qsizetype from, qsizetype size)
{
    for (qsizetype i = size - 1; i >= from; --i) {
        if (p[i] == '\n' || (p[i] == '\r' && i + 1 < size))
            return i + 1;
    }
    return -1;
}

QByteArray trimmedLine(const char *begin, const char *end)
{
    while (begin < end && (*begin == ' ' || *begin == '\t' || *begin == '\v' || *begin == '\f'))
        ++begin;
    return QByteArray(begin, end - begin);
}

} // namespace

struct FileTextScanner::State
{
    qint64 line = 1;       // the line number at position counted
    qsizetype counted = 0; // breaks before this position are in line
    // A line longer than the buffer: its number and its first bytes, shown for its hits.
    bool inLongLine = false;
    qint64 longLine = 0;
    QByteArray longLineText;
    // The line of the last hit in this region, so a second hit on it is not looked up again.
    qint64 cachedLine = -1;
    QByteArray cachedText;
};

bool FileTextScanner::isWordByte(unsigned char c)
{
    return kTables.word[c];
}

FileTextScanner::FileTextScanner(const QByteArray &text,
                                 bool matchCase,
                                 bool wholeWord,
                                 Limits limits)
    : m_text(text)
    , m_matchCase(matchCase)
    , m_wholeWord(wholeWord)
    , m_limits(limits)
{
    m_folded = text;
    if (!matchCase) {
        for (char &c : m_folded)
            c = char(kTables.lower[static_cast<unsigned char>(c)]);
    }
    m_limits.chunk = std::max<qsizetype>(m_limits.chunk, 1);
    m_limits.maxHitText = std::max<qsizetype>(m_limits.maxHitText, 1);
}

bool FileTextScanner::equalsAt(const char *p) const
{
    const qsizetype n = m_folded.size();
    if (m_matchCase)
        return std::memcmp(p, m_folded.constData(), size_t(n)) == 0;
    const unsigned char *s = reinterpret_cast<const unsigned char *>(p);
    const char *t = m_folded.constData();
    for (qsizetype k = 0; k < n; ++k) {
        if (kTables.lower[s[k]] != static_cast<unsigned char>(t[k]))
            return false;
    }
    return true;
}

qsizetype FileTextScanner::nextCandidate(const char *p, qsizetype from, qsizetype lastStart) const
{
    // Sixteen places at a time: the first and the last byte of the text must fit before the
    // whole text is compared. For a letter, OR 20h folds both cases onto the lower one.
    const qsizetype n = m_folded.size();
    const unsigned char first = static_cast<unsigned char>(m_folded.at(0));
    const unsigned char last = static_cast<unsigned char>(m_folded.at(n - 1));
    const bool foldFirst = !m_matchCase && first >= 'a' && first <= 'z';
    const bool foldLast = !m_matchCase && last >= 'a' && last <= 'z';
    const __m128i vf = _mm_set1_epi8(char(first));
    const __m128i vl = _mm_set1_epi8(char(last));
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i zero = _mm_setzero_si128();
    qsizetype i = from;
    while (i + 15 <= lastStart) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i + n - 1));
        a = _mm_or_si128(a, foldFirst ? caseBit : zero);
        b = _mm_or_si128(b, foldLast ? caseBit : zero);
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, vf), _mm_cmpeq_epi8(b, vl))));
        while (mask) {
            const qsizetype at = i + __builtin_ctz(mask);
            if (equalsAt(p + at))
                return at;
            mask &= mask - 1;
        }
        i += 16;
    }
    for (; i <= lastStart; ++i) {
        if (equalsAt(p + i))
            return i;
    }
    return -1;
}

qsizetype FileTextScanner::scanRegion(
    State &st, qsizetype from, qsizetype end, qsizetype size, bool atEnd, std::vector<Hit> &hits)
{
    const char *p = m_buffer.get();
    const qsizetype n = m_text.size();
    // Without the file's end in sight, the byte after an occurrence must be here already.
    const qsizetype lastStart = (end == size && !atEnd) ? end - n - 1 : end - n;
    st.cachedLine = -1;
    qsizetype at = from;
    while (at <= lastStart) {
        const qsizetype found = nextCandidate(p, at, lastStart);
        if (found < 0)
            return lastStart + 1;
        at = found;
        if (m_wholeWord) {
            const bool before = at > 0 && isWordByte(static_cast<unsigned char>(p[at - 1]));
            const bool after = at + n < size && isWordByte(static_cast<unsigned char>(p[at + n]));
            if (before || after) {
                ++at;
                continue;
            }
        }
        st.line += countBreaks(p, st.counted, at, size);
        st.counted = at;
        if (st.line != st.cachedLine) {
            st.cachedLine = st.line;
            if (st.inLongLine && st.line == st.longLine) {
                st.cachedText = st.longLineText;
            } else {
                qsizetype s = at;
                while (s > 0 && !isBreak(p[s - 1]))
                    --s;
                const qsizetype limit = std::min(size, s + m_limits.maxHitText);
                qsizetype e = std::min(at, limit); // an occurrence past the cut is not shown
                while (e < limit && !isBreak(p[e]))
                    ++e;
                st.cachedText = trimmedLine(p + s, p + e);
            }
        }
        hits.push_back({st.line, st.cachedText});
        at += n; // occurrences do not overlap
    }
    return std::max(at, lastStart + 1);
}

FileTextScanner::Result FileTextScanner::scanBytes(const char *data,
                                                   qsizetype size,
                                                   std::vector<Hit> &hits)
{
    if (std::memchr(data, 0, size_t(size)))
        return Result::Binary;
    if (m_text.isEmpty() || m_text.contains('\n') || m_text.contains('\r'))
        return Result::Searched;
    m_buffer.reset(new char[size_t(size) + 1]);
    m_bufferSize = size + 1;
    std::memcpy(m_buffer.get(), data, size_t(size));
    State st;
    scanRegion(st, 0, size, size, true, hits);
    return Result::Searched;
}

FileTextScanner::Result FileTextScanner::scanFileAt(int folderFd,
                                                    const char *name,
                                                    std::vector<Hit> &hits,
                                                    const std::atomic<bool> *cancel)
{
    // O_NONBLOCK: a named pipe must not hold the search up until some writer comes.
    const int fd = ::openat(folderFd, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return Result::Unreadable;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result::Unreadable;
    }
    const size_t firstHit = hits.size();
    const qsizetype n = m_text.size();
    const bool searchable = n > 0 && !m_text.contains('\n') && !m_text.contains('\r');
    // Room for a line's first maxHitText bytes behind the kept break, and for the tail of a
    // long line that is kept while the next chunk comes.
    const qsizetype capacity = std::max(2 * m_limits.chunk, m_limits.maxHitText + 2 * n + 2);
    if (m_bufferSize < capacity) {
        m_buffer.reset(new char[size_t(capacity)]);
        m_bufferSize = capacity;
    }
    char *p = m_buffer.get();

    State st;
    qsizetype size = 0;     // bytes in the buffer
    qsizetype scanFrom = 0; // where the unsearched bytes begin
    qint64 total = 0;
    auto fail = [&](Result result) {
        hits.resize(firstHit);
        ::close(fd);
        return result;
    };
    for (bool atEnd = false; !atEnd;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return fail(Result::Cancelled);
        const qsizetype want = std::min(m_limits.chunk, capacity - size);
        const ssize_t got = ::read(fd, p + size, size_t(want));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(Result::Unreadable);
        }
        if (std::memchr(p + size, 0, size_t(got)))
            return fail(Result::Binary);
        size += got;
        total += got;
        // The size at open is where the search ends; a read that reaches it spares the one
        // more read that would say so.
        atEnd = got == 0 || (info.st_size > 0 && total >= info.st_size);
        if (!searchable) {
            size = 0;
            continue;
        }
        const qsizetype end = atEnd ? size : completeLinesEnd(p, scanFrom, size);
        if (end >= 0) {
            scanRegion(st, scanFrom, end, size, atEnd, hits);
            if (atEnd)
                break;
            st.line += countBreaks(p, st.counted, end, size);
            st.inLongLine = false;
            // Keep the rest of the unfinished line and the line break before it.
            std::memmove(p, p + end - 1, size_t(size - end + 1));
            size -= end - 1;
            scanFrom = 1;
            st.counted = 1;
        } else if (size == capacity) {
            // One line fills the buffer: search what can be decided and keep the tail.
            if (!st.inLongLine) {
                st.inLongLine = true;
                st.longLine = st.line;
                st.longLineText = trimmedLine(p + scanFrom,
                                              p + std::min(size, scanFrom + m_limits.maxHitText));
            }
            const qsizetype next = scanRegion(st, scanFrom, size, size, false, hits);
            const qsizetype keepFrom = next - 1; // and the byte before, for whole words
            std::memmove(p, p + keepFrom, size_t(size - keepFrom));
            size -= keepFrom;
            scanFrom = 1;
            st.counted = 1;
        }
    }
    ::close(fd);
    return Result::Searched;
}
