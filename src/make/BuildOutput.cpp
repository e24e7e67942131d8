#include "make/BuildOutput.h"

#include "make/ErrorCatalogue.h"
#include "make/ToolOutputDecoder.h"

#include <cstring>
#include <limits>

namespace {

constexpr QByteArrayView ErrorMarker("):  error ");
constexpr QByteArrayView DiagMarker("):   diag ");

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the line that starts at pos ends, and where the next one starts: CR LF, a lone CR or a
// lone LF each end a line.
qsizetype lineEnd(const char *data, qsizetype pos, qsizetype size)
{
    while (pos < size && data[pos] != '\r' && data[pos] != '\n')
        ++pos;
    return pos;
}

qsizetype afterLineBreak(const char *data, qsizetype end, qsizetype size)
{
    if (end >= size)
        return size;
    if (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
        return end + 2;
    return end + 1;
}

// "label: number": from pos, past the next ':' and the blanks after it, the decimal digits there.
// A missing colon reads as 0 and leaves pos at the end.
quint32 readTrailerNumber(const char *data, qsizetype &pos, qsizetype size)
{
    const void *colon = pos < size ? std::memchr(data + pos, ':', size_t(size - pos)) : nullptr;
    if (!colon) {
        pos = size;
        return 0;
    }
    pos = static_cast<const char *>(colon) - data + 1;
    while (pos < size && (data[pos] == ' ' || data[pos] == '\t'))
        ++pos;
    quint64 value = 0;
    while (pos < size && isDigit(data[pos])) {
        value = value * 10 + quint64(data[pos] - '0');
        if (value > std::numeric_limits<quint32>::max())
            value = std::numeric_limits<quint32>::max(); // saturate rather than wrap
        ++pos;
    }
    return quint32(value);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

BuildOutput BuildOutput::parse(const QByteArray &capture)
{
    BuildOutput out;
    out.m_bytes = capture;
    const char *data = capture.constData();
    // Readers treat the capture as a C string: a NUL ends it.
    const void *nul = std::memchr(data, '\0', size_t(capture.size()));
    const qsizetype size = nul ? static_cast<const char *>(nul) - data : capture.size();
    out.m_length = size;

    // The tool opens with one line break (CR LF); a bare LF or CR counts as one too.
    qsizetype pos = 2;
    if (size > 0 && (data[0] == '\n' || (data[0] == '\r' && (size < 2 || data[1] != '\n'))))
        pos = 1;
    pos = qMin(pos, size);

    while (pos < size) {
        const qsizetype end = lineEnd(data, pos, size);
        const qsizetype next = afterLineBreak(data, end, size);
        if (end - pos <= 2) {
            pos = next;
            break;
        }
        out.m_lines.push_back({pos, end - pos});
        pos = next;
    }

    out.m_symbolSpaceFree = readTrailerNumber(data, pos, size);
    pos = afterLineBreak(data, lineEnd(data, pos, size), size);
    out.m_totalErrors = readTrailerNumber(data, pos, size);
    pos = afterLineBreak(data, lineEnd(data, pos, size), size);
    out.m_totalDiagnostics = readTrailerNumber(data, pos, size);
    return out;
}

QByteArrayView BuildOutput::entryBytes(int row) const
{
    if (row < 0 || row >= count())
        return {};
    const Span &span = m_lines[size_t(row)];
    return QByteArrayView(m_bytes.constData() + span.offset, span.length);
}

QString BuildOutput::entry(int row) const
{
    return ToolOutputDecoder::decodeAll(entryBytes(row), ToolOutputDecoder::KeepLineEnds);
}

int BuildOutput::rowToSelect(int keptSelection) const
{
    if (keptSelection != -1)
        return keptSelection >= 0 && keptSelection < count() ? keptSelection : -1;
    // The assembler follows each error with its indented source line, so the last row is mostly
    // a continuation: the error it belongs to is what Go To and Enter should start on.
    const int last = count() - 1;
    for (int row = last; row >= 0; --row) {
        if (!isContinuation(row))
            return row;
    }
    return last;
}

bool BuildOutput::canGoTo(int row) const
{
    return row >= 0 && row < count() && canGoTo(entryBytes(row));
}

bool BuildOutput::isContinuation(int row) const
{
    return row >= 0 && row < count() && isContinuation(entryBytes(row));
}

std::optional<ErrorLocation> BuildOutput::goToTarget(int row) const
{
    if (row < 0 || row >= count())
        return std::nullopt;
    return goToTarget(entryBytes(row));
}

std::optional<ErrorInfoMessage> BuildOutput::errorInfo(int row) const
{
    if (row < 0 || row >= count())
        return std::nullopt;
    return errorInfo(entryBytes(row));
}

bool BuildOutput::canGoTo(QByteArrayView entry)
{
    return entry.indexOf(QByteArrayView("): ")) >= 0;
}

bool BuildOutput::isContinuation(QByteArrayView entry)
{
    return !entry.isEmpty() && entry.front() == ' ';
}

std::optional<ErrorLocation> BuildOutput::goToTarget(QByteArrayView entry)
{
    const qsizetype marker = entry.indexOf(QByteArrayView("):  "));
    if (marker < 0)
        return std::nullopt;

    // The line number: the digits just before the marker (the leading character is not one).
    qsizetype digits = marker;
    while (digits > 1 && isDigit(entry[digits - 1]))
        --digits;
    qint64 line = 0;
    for (qsizetype i = digits; i < marker; ++i) {
        line = line * 10 + (entry[i] - '0');
        if (line > std::numeric_limits<int>::max())
            line = std::numeric_limits<int>::max();
    }

    // The file: after the leading tab, up to the " (" that opens the line number. A path may hold
    // " (" itself, so the one right before the digits wins; failing that, the first one.
    qsizetype begin = 0;
    while (begin < entry.size() && (entry[begin] == '\t' || entry[begin] == ' '))
        ++begin;
    qsizetype end = -1;
    if (digits >= 2 && entry[digits - 1] == '(' && entry[digits - 2] == ' ')
        end = digits - 2;
    else
        end = entry.indexOf(QByteArrayView(" ("));
    if (end <= begin)
        return std::nullopt;

    ErrorLocation location;
    location.file = ToolOutputDecoder::decodeAll(entry.sliced(begin, end - begin),
                                                 ToolOutputDecoder::KeepLineEnds);
    location.line = int(line);
    return location;
}

int BuildOutput::errorCode(char high, char low)
{
    const int h = hexDigit(high);
    const int l = hexDigit(low);
    if (h < 0 || l < 0)
        return ErrorCatalogue::FallbackCode;
    return ErrorCatalogue::shownCode(h * 16 + l);
}

std::optional<ErrorInfoMessage> BuildOutput::errorInfo(QByteArrayView entry)
{
    bool diagnostic = false;
    qsizetype marker = entry.indexOf(ErrorMarker);
    if (marker < 0) {
        marker = entry.indexOf(DiagMarker);
        diagnostic = marker >= 0;
    }
    if (marker < 0) {
        const QString text = ToolOutputDecoder::decodeAll(entry, ToolOutputDecoder::KeepLineEnds);
        return ErrorInfoMessage{QStringLiteral("**** -1 [") + text + QLatin1Char(']'),
                                PromptIcon::None};
    }
    const qsizetype at = marker + ErrorMarker.size();
    if (at + 3 > entry.size() || entry[at + 2] != 'h')
        return std::nullopt;

    const int code = errorCode(entry[at], entry[at + 1]);
    QString text = QStringLiteral("QVASM error return information:\n");
    text += QString::asprintf(diagnostic ? "Diag:  %2Xh\n" : "Error:  %2Xh\n", code);
    text += ErrorCatalogue::text(code);
    return ErrorInfoMessage{text, PromptIcon::Information};
}

QString BuildOutput::returnCodeText(quint32 exitCode)
{
    return QString::asprintf("%.2Xh", exitCode);
}
