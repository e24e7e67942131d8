#include "qvasm/DataBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qvasm {

namespace {

void putLE(uint8_t *p, uint64_t v, int n)
{
    for (int i = 0; i < n; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

uint64_t saturatingMul(uint64_t a, uint64_t b)
{
    if (a == 0 || b == 0)
        return 0;
    return a > DataBuilder::MaxLength / b ? DataBuilder::MaxLength : a * b;
}

bool fitsElement(int64_t x, int elem)
{
    switch (elem) {
    case 1:
        return x >= -128 && x <= 255;
    case 2:
        return x >= -32768 && x <= 65535;
    case 4:
        return x >= INT32_MIN && x <= int64_t(UINT32_MAX);
    case 6:
        return x >= -(int64_t(1) << 47) && x < (int64_t(1) << 48);
    default:
        return true;
    }
}

} // namespace

DataBuilder::DataBuilder(const Statement &st, Evaluator &ev, const Reporter &report)
    : m_st(st)
    , m_ev(ev)
    , m_report(report)
{}

void DataBuilder::padTo(std::vector<uint8_t> &bytes, uint64_t length)
{
    const uint64_t want = std::min<uint64_t>(length, Cap);
    if (bytes.size() < want)
        bytes.resize(size_t(want), 0);
}

void DataBuilder::append(BuiltData &to, const BuiltData &item)
{
    for (const DataFixup &f : item.fixups) {
        if (to.length + f.pos < Cap)
            to.fixups.push_back({to.length + f.pos, f.loc, f.reloc});
    }
    if (item.initialized) {
        padTo(to.bytes, to.length);
        const size_t room = to.bytes.size() < Cap ? Cap - to.bytes.size() : 0;
        to.bytes.insert(to.bytes.end(),
                        item.bytes.begin(),
                        item.bytes.begin() + std::min(item.bytes.size(), room));
        to.initialized = true;
    }
    to.length = std::min(to.length + item.length, MaxLength);
    if (to.initialized)
        padTo(to.bytes, to.length);
}

bool DataBuilder::items(int elem, BuiltData &out)
{
    out = BuiltData{};
    if (m_st.operands.empty()) {
        m_report(0x19, {}, true);
        out.bytes.assign(size_t(elem), 0);
        out.length = uint64_t(elem);
        out.initialized = true;
        return true;
    }
    bool ok = true;
    BuiltData one;
    for (uint32_t root : m_st.operands) {
        one = BuiltData{};
        ok = item(root, elem, one) && ok;
        append(out, one);
    }
    return ok;
}

bool DataBuilder::floating(std::string_view text, int elem, uint8_t *out)
{
    const std::string s(text);
    if (elem != 4 && elem != 8) {
        m_report(0x23, s, false);
        return false;
    }
    char *end = nullptr;
    const double d = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size()) {
        m_report(0x45, s, false);
        return false;
    }
    if (elem == 4) {
        const float f = float(d);
        if (std::isinf(f)) {
            m_report(0x46, s, false);
            return false;
        }
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        putLE(out, bits, 4);
    } else {
        if (std::isinf(d)) {
            m_report(0x46, s, false);
            return false;
        }
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        putLE(out, bits, 8);
    }
    return true;
}

bool DataBuilder::item(uint32_t node, int elem, BuiltData &out)
{
    const ExprNode &n = m_st.nodes[node];
    switch (n.op) {
    case ExprOp::Question:
        out.length = uint64_t(elem);
        out.initialized = false;
        return true;
    case ExprOp::Str: {
        const std::string_view text(m_st.strings.data() + n.a, n.b);
        out.initialized = true;
        bool ok = true;
        if (text.size() > 128) {
            m_report(0x11, {}, false);
            ok = false;
        }
        if (elem == 1) {
            out.bytes.assign(text.begin(), text.end());
            out.length = text.size();
            return ok;
        }
        // In a word or more, a string is a number whose first character is the most
        // significant.
        if (text.size() > size_t(elem)) {
            m_report(0x78, std::string(text.substr(0, 32)), false);
            ok = false;
        }
        uint64_t v = 0;
        for (char c : text)
            v = (v << 8) | uint8_t(c);
        out.bytes.assign(size_t(elem), 0);
        putLE(out.bytes.data(), v, elem);
        out.length = uint64_t(elem);
        return ok;
    }
    case ExprOp::Float:
        out.bytes.assign(size_t(elem), 0);
        out.length = uint64_t(elem);
        out.initialized = true;
        return floating(std::string_view(m_st.strings.data() + n.a, n.b), elem, out.bytes.data());
    case ExprOp::Dup: {
        int64_t count = 0;
        if (!m_ev.constantNoForward(n.a, count))
            return false;
        if (count < 0 || count > MaxDupCount) {
            m_report(0x55, std::to_string(count), false);
            return false;
        }
        if (count == 0)
            m_report(0x51, {}, true);
        BuiltData inner, one;
        bool ok = true;
        for (uint32_t k = 0; k < uint32_t(n.value); ++k) {
            one = BuiltData{};
            ok = item(m_st.lists[n.b + k], elem, one) && ok;
            append(inner, one);
        }
        out.length = saturatingMul(inner.length, uint64_t(count));
        out.initialized = inner.initialized;
        if (!inner.fixups.empty()) {
            for (uint64_t k = 0; k < uint64_t(count) && k * inner.length < Cap; ++k) {
                for (const DataFixup &f : inner.fixups)
                    out.fixups.push_back({k * inner.length + f.pos, f.loc, f.reloc});
            }
        }
        if (inner.initialized && !inner.bytes.empty()) {
            const uint64_t want = std::min<uint64_t>(out.length, Cap);
            out.bytes.reserve(size_t(want));
            while (out.bytes.size() < want) {
                const size_t take = size_t(
                    std::min<uint64_t>(inner.bytes.size(), want - out.bytes.size()));
                out.bytes.insert(out.bytes.end(), inner.bytes.begin(), inner.bytes.begin() + take);
            }
        }
        return ok;
    }
    default:
        break;
    }
    out.bytes.assign(size_t(elem), 0);
    out.length = uint64_t(elem);
    out.initialized = true;
    Value v;
    if (!m_ev.eval(node, v))
        return false;
    if (v.nregs) {
        m_report(0x23, {}, false);
        return false;
    }
    Reloc reloc;
    if (!m_ev.checkAddresses(v) || !m_ev.relocation(v, reloc))
        return false;
    if (reloc.any()) {
        // A word takes an offset or a segment base, a double word a far pointer (segment and
        // offset); nothing else can hold what the linker fills in.
        const bool word = elem == 2 && !v.farPtr;
        const bool pointer = elem == 4 && !v.farPtr && reloc.kind == Reloc::Kind::Offset;
        if (!word && !pointer) {
            m_report(0x37, {}, false);
            return false;
        }
        FixupLoc loc = FixupLoc::Pointer32;
        if (word)
            loc = reloc.kind == Reloc::Kind::Base ? FixupLoc::Base16 : FixupLoc::Offset16;
        out.fixups.push_back({0, loc, reloc});
        if (pointer) {
            putLE(out.bytes.data(), uint64_t(v.num) & 0xFFFF, elem);
            return true;
        }
    }
    uint64_t value = uint64_t(v.num);
    if (v.farPtr) {
        if (elem == 4) {
            value = (uint64_t(v.farSeg) << 16) | (uint64_t(v.num) & 0xFFFF);
        } else if (elem == 6) {
            value = (uint64_t(v.farSeg) << 32) | (uint64_t(v.num) & 0xFFFFFFFF);
        } else {
            m_report(0x78, {}, false);
            return false;
        }
    } else if (!v.undefined && !fitsElement(v.num, elem)) {
        m_report(0x78, std::to_string(v.num), false);
        return false;
    }
    putLE(out.bytes.data(), value, elem);
    return true;
}

} // namespace qvasm
