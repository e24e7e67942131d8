#include "qvasm/Listing.h"

#include "qvasm/Assembler.h"

#include <algorithm>

namespace qvasm {

namespace {

constexpr int kLinesPerPage = 60;
constexpr size_t kBytesPerRow = 8;

std::string hex(uint64_t v, int digits)
{
    static const char d[] = "0123456789ABCDEF";
    std::string s(size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i, v >>= 4)
        s[size_t(i)] = d[v & 15];
    return s;
}

std::string pad(std::string s, size_t width)
{
    if (s.size() < width)
        s.append(width - s.size(), ' ');
    return s;
}

std::string padLeft(const std::string &s, size_t width)
{
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

const char *kindName(SymKind k)
{
    switch (k) {
    case SymKind::Label:
        return "label";
    case SymKind::Data:
        return "data";
    case SymKind::Equ:
        return "equ";
    case SymKind::Assign:
        return "=";
    case SymKind::Proc:
        return "proc";
    case SymKind::Struct:
        return "struct";
    case SymKind::External:
        return "extern";
    case SymKind::None:
        break;
    }
    return "";
}

class Pager
{
public:
    Pager(std::string &out, bool pageBreaks)
        : m_out(out)
        , m_breaks(pageBreaks)
    {}
    void line(const std::string &text)
    {
        if (m_breaks && m_count > 0 && m_count % kLinesPerPage == 0)
            m_out += "\f";
        std::string t = text;
        while (!t.empty() && t.back() == ' ')
            t.pop_back();
        m_out += t + "\r\n";
        ++m_count;
    }

private:
    std::string &m_out;
    bool m_breaks;
    int m_count = 0;
};

} // namespace

std::string Listing::render(const Assembler &a, const std::string &sourcePath, bool pageBreaks)
{
    std::string out;
    Pager p(out, pageBreaks);
    p.line("QVASM listing of " + sourcePath + (a.title().empty() ? "" : "    " + a.title()));
    p.line("");
    p.line("  Line  Addr  Bytes                     Source");
    p.line("");

    const auto &messages = a.messages().items();
    std::vector<bool> shown(messages.size(), false);
    auto printMessage = [&p](const Message &m) {
        if (m.kind == MsgKind::Print)
            return;
        p.line(std::string("*****  ") + (m.kind == MsgKind::Error ? "error " : "diag ")
               + hex(m.code, 2) + "h " + Messages::text(m.code, m.detail));
    };

    uint32_t currentFile = 0;
    for (const ListingLine &l : a.listing()) {
        if (l.file != currentFile) {
            p.line("        ---- " + a.files()[l.file].substr(0, 260));
            currentFile = l.file;
        }
        std::string head = padLeft(std::to_string(l.line), 6) + "  ";
        head += l.hasAddress ? hex(uint64_t(l.address) & 0xFFFF, 4) + "  " : std::string(6, ' ');
        std::string bytes;
        for (size_t i = 0; i < std::min(l.bytes.size(), kBytesPerRow); ++i)
            bytes += hex(l.bytes[i], 2) + " ";
        if (l.byteCount > l.bytes.size() && l.bytes.size() <= kBytesPerRow)
            bytes += "+";
        std::string text = l.text;
        std::replace(text.begin(), text.end(), '\t', ' ');
        p.line(head + pad(bytes, 26) + text);
        if (l.bytes.size() > kBytesPerRow) {
            std::string more;
            for (size_t i = kBytesPerRow; i < l.bytes.size(); ++i)
                more += hex(l.bytes[i], 2) + " ";
            if (l.byteCount > l.bytes.size())
                more += "+";
            p.line(std::string(14, ' ') + more);
        }
        // The messages this very line caused (an included file's line may be listed often).
        for (uint32_t i = l.firstMessage; i < l.endMessage && i < messages.size(); ++i) {
            printMessage(messages[i]);
            shown[i] = true;
        }
    }
    // Messages found only at the end (a missing .end, an open procedure).
    bool first = true;
    for (size_t i = 0; i < messages.size(); ++i) {
        if (shown[i] || messages[i].kind == MsgKind::Print)
            continue;
        if (first)
            p.line("");
        first = false;
        p.line("        ---- "
               + (messages[i].file < a.files().size() ? a.files()[messages[i].file].substr(0, 260)
                                                      : std::string("-"))
               + " (" + std::to_string(messages[i].line) + ")");
        printMessage(messages[i]);
    }

    if (a.listing().size() >= 1000000)
        p.line("        ---- (the listing stops here: a million lines)");
    p.line("");
    p.line("Symbols:");
    p.line("");
    p.line(pad("Name", 32) + pad("Kind", 8) + "Value     Size");
    std::vector<std::pair<std::string, uint32_t>> names;
    const NameTable &nt = a.names();
    for (uint32_t id = 1; id < nt.size(); ++id) {
        const Symbol *s = a.symbols().find(id);
        if (s && s->kind != SymKind::None && s->definedPass > 0)
            names.emplace_back(std::string(nt.spelling(id)), id);
    }
    std::sort(names.begin(), names.end(), [](const auto &x, const auto &y) {
        std::string lx = x.first, ly = y.first;
        std::transform(lx.begin(), lx.end(), lx.begin(), ::tolower);
        std::transform(ly.begin(), ly.end(), ly.begin(), ::tolower);
        return lx < ly;
    });
    for (const auto &[name, id] : names) {
        const Symbol &s = *a.symbols().find(id);
        const uint64_t v = uint64_t(s.value);
        const std::string value = v > 0xFFFF ? hex(v, 8) : hex(v, 4);
        const uint32_t size = s.kind == SymKind::Data || s.kind == SymKind::Struct ? s.length : 0;
        p.line(pad(name, 31) + " " + pad(kindName(s.kind), 8) + pad(value, 10)
               + (size ? std::to_string(size) : std::string()));
    }
    p.line("");
    p.line(std::to_string(a.messages().errors()) + " errors, "
           + std::to_string(a.messages().diags()) + " diagnostics");
    return out;
}

} // namespace qvasm
