#include "qvasm/Messages.h"

#include "make/ErrorCatalogueData.h"

namespace qvasm {

namespace {

constexpr size_t kMaxSourceEcho = 200;

// Control characters would confuse the Build Window's line reader.
std::string printable(std::string_view s, size_t limit)
{
    std::string r;
    r.reserve(std::min(s.size(), limit));
    for (char c : s) {
        if (r.size() >= limit)
            break;
        const unsigned char u = uint8_t(c);
        if (c == '\t')
            r.push_back(' ');
        else if (u < 0x20 || u == 0x7F)
            r.push_back('?');
        else
            r.push_back(c);
    }
    return r;
}

std::string hex2(uint8_t v)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[v >> 4], digits[v & 15]};
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == ':'))
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

void Messages::add(Message m)
{
    if (m.kind == MsgKind::Diag) {
        if (!m_diagsOn)
            return;
        ++m_diags;
    } else if (m.kind == MsgKind::Error) {
        ++m_errors;
    }
    if (m_items.size() >= MaxKept) {
        ++m_dropped;
        return;
    }
    m_items.push_back(std::move(m));
}

void Messages::count(MsgKind kind)
{
    if (kind == MsgKind::Diag) {
        if (!m_diagsOn)
            return;
        ++m_diags;
    } else if (kind == MsgKind::Error) {
        ++m_errors;
    }
    ++m_dropped;
}

void Messages::merge(const Messages &other)
{
    for (const Message &m : other.m_items) {
        if (m_items.size() < MaxKept)
            m_items.push_back(m);
        else
            ++m_dropped;
    }
    m_errors += other.m_errors;
    m_diags += other.m_diags;
    m_dropped += other.m_dropped;
}

void Messages::clear()
{
    m_items.clear();
    m_errors = m_diags = m_dropped = 0;
}

std::string Messages::hexText(int64_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    // A negative value reads as the source wrote it, not as its 64-bit two's complement.
    uint64_t u = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    std::string s;
    do {
        s.insert(s.begin(), digits[u & 15]);
        u >>= 4;
    } while (u);
    if (s[0] > '9')
        s.insert(s.begin(), '0');
    return (value < 0 ? "-" : "") + s + "h";
}

std::string Messages::text(uint8_t code, std::string_view detail)
{
    const char *raw = code < ErrorCatalogue::CodeCount
                          ? ErrorCatalogue::Texts[code]
                          : ErrorCatalogue::Texts[ErrorCatalogue::FallbackCode];
    std::string_view all(raw);
    // First line; a sentence the catalogue wrapped onto its second line is joined back.
    const size_t nl = all.find('\n');
    std::string_view first = all.substr(0, nl);
    while (!first.empty() && (first.front() == ':' || first.front() == ' '))
        first.remove_prefix(1);
    std::string msg(first);
    if (nl != std::string_view::npos && !first.empty() && first.back() == ' ') {
        std::string_view second = all.substr(nl + 1);
        second = second.substr(0, second.find('\n'));
        if (second.find("Example") == std::string_view::npos)
            msg += std::string(trim(second));
    }
    if (detail.empty()) {
        while (!msg.empty() && msg.back() == ' ')
            msg.pop_back();
        if (!msg.empty() && msg.back() == '(')
            msg.pop_back();
        while (!msg.empty() && (msg.back() == ' ' || msg.back() == ':'))
            msg.pop_back();
        return msg;
    }
    if (msg.empty())
        return std::string(detail);
    if (msg.back() == '(')
        return msg + std::string(detail) + ")";
    if (msg.back() == ' ')
        return msg + std::string(detail);
    return msg + ":  " + std::string(detail);
}

std::string Messages::format(const std::vector<std::string> &files,
                             uint64_t symbolSpaceFree,
                             const std::vector<std::string> &extraLines) const
{
    std::string out = "\r\n";
    for (const Message &m : m_items) {
        if (m.kind == MsgKind::Print) {
            // Shown as a continuation line: never shorter than three characters, since a
            // short line would end the Build Window's list.
            std::string line = " " + printable(m.detail, 1000);
            while (line.size() < 3)
                line.push_back(' ');
            out += line + "\r\n";
            continue;
        }
        const std::string path = m.file == NoFile || m.file >= files.size() ? std::string("-")
                                                                            : files[m.file];
        out += "\t" + printable(path, 4096) + " (" + std::to_string(m.line) + "):";
        out += m.kind == MsgKind::Error ? "  error " : "   diag ";
        out += hex2(m.code) + "h " + printable(text(m.code, m.detail), 1000) + "\r\n";
        std::string_view src = m.source;
        while (!src.empty() && (src.front() == ' ' || src.front() == '\t'))
            src.remove_prefix(1);
        while (!src.empty() && (src.back() == ' ' || src.back() == '\t' || src.back() == '\r'))
            src.remove_suffix(1);
        if (!src.empty())
            out += "        " + printable(src, kMaxSourceEcho) + "\r\n";
    }
    if (m_dropped)
        out += " (" + std::to_string(m_dropped) + " further messages not listed)\r\n";
    out += "\r\n";
    out += "Symbol space free:   " + std::to_string(symbolSpaceFree) + "\r\n";
    out += "Total errors:        " + std::to_string(m_errors) + "\r\n";
    out += "Total diags:         " + std::to_string(m_diags) + "\r\n";
    for (const std::string &l : extraLines)
        out += l + "\r\n";
    return out;
}

int Messages::exitCode() const
{
    return int(std::min<size_t>(255, m_errors + m_diags));
}

Message Messages::lineZero(uint8_t code, std::string detail, uint32_t file, MsgKind kind)
{
    Message m;
    m.kind = kind;
    m.code = code;
    m.file = file;
    m.line = 0;
    m.detail = std::move(detail);
    return m;
}

} // namespace qvasm
