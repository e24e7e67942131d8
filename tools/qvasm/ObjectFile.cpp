#include "qvasm/ObjectFile.h"

#include <algorithm>

namespace qvasm {

namespace {

using Bytes = std::vector<uint8_t>;

// Records stay well below the 1,024-byte limit older linkers read.
constexpr size_t kMaxRecordBody = 1000;

void put16(Bytes &b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void putIndex(Bytes &b, uint32_t index)
{
    if (index < 0x80) {
        b.push_back(uint8_t(index));
    } else {
        b.push_back(uint8_t(0x80 | (index >> 8)));
        b.push_back(uint8_t(index));
    }
}

void putName(Bytes &b, const std::string &name)
{
    const size_t n = std::min<size_t>(name.size(), 255);
    b.push_back(uint8_t(n));
    b.insert(b.end(), name.begin(), name.begin() + long(n));
}

void record(Bytes &out, uint8_t type, const Bytes &body)
{
    const size_t start = out.size();
    out.push_back(type);
    put16(out, uint32_t(body.size() + 1));
    out.insert(out.end(), body.begin(), body.end());
    uint8_t sum = 0;
    for (size_t i = start; i < out.size(); ++i)
        sum = uint8_t(sum + out[i]);
    out.push_back(uint8_t(0x100 - sum));
}

// Frame and target of a fixup: data and DGROUP are framed by the group, so offsets come out
// relative to what DS holds; code, and externals of code, by their own segment.
void putFixData(Bytes &b, const ObjectModule &m, const ObjectModule::Fixup &f)
{
    const Reloc &r = f.reloc;
    switch (r.target) {
    case RelocTarget::Data:
        b.push_back(0x14); // frame F1 (group), target T0 (segment), no displacement
        putIndex(b, omf::GroupDgroup);
        putIndex(b, omf::SegData);
        return;
    case RelocTarget::Group:
        b.push_back(0x55); // frame F5 (the target's), target T1 (group)
        putIndex(b, omf::GroupDgroup);
        return;
    case RelocTarget::External:
        if (r.extData && f.loc != FixupLoc::SelfRel16) {
            b.push_back(0x16); // frame F1 (group), target T2 (external)
            putIndex(b, omf::GroupDgroup);
        } else {
            b.push_back(0x56); // frame F5, target T2 (external)
        }
        putIndex(b, f.extIndex);
        return;
    case RelocTarget::Code:
    case RelocTarget::None:
        break;
    }
    b.push_back(0x54); // frame F5, target T0 (segment)
    putIndex(b, m.codeSegIndex(r.section));
}

void writeSegment(Bytes &out,
                  const ObjectModule &m,
                  uint32_t index,
                  const ObjectModule::Segment &seg,
                  const std::vector<ObjectModule::Fixup> &fixups)
{
    const auto width = [](FixupLoc loc) { return loc == FixupLoc::Pointer32 ? 4u : 2u; };
    // Only fixups on the bytes written: the assembler places every one there.
    std::vector<ObjectModule::Fixup> sorted;
    for (const ObjectModule::Fixup &f : fixups) {
        if (f.offset >= seg.start && f.offset - seg.start + width(f.loc) <= seg.bytes.size())
            sorted.push_back(f);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) {
        return a.offset < b.offset;
    });
    size_t next = 0; // first fixup not yet written
    size_t pos = 0;
    while (pos < seg.bytes.size()) {
        size_t end = std::min(seg.bytes.size(), pos + omf::MaxLedata);
        // No location may straddle two records: end the record before it.
        for (size_t k = next; k < sorted.size(); ++k) {
            const size_t at = sorted[k].offset - seg.start;
            if (at >= end)
                break;
            if (at + width(sorted[k].loc) > end && at > pos)
                end = at;
        }
        Bytes body;
        putIndex(body, index);
        put16(body, uint32_t(seg.start + pos));
        body.insert(body.end(), seg.bytes.begin() + long(pos), seg.bytes.begin() + long(end));
        record(out, omf::LEDATA, body);
        Bytes fix;
        while (next < sorted.size() && sorted[next].offset - seg.start < end) {
            const ObjectModule::Fixup &f = sorted[next++];
            const uint32_t at = uint32_t(f.offset - seg.start - pos);
            uint8_t loc = 1;
            if (f.loc == FixupLoc::Base16)
                loc = 2;
            else if (f.loc == FixupLoc::Pointer32)
                loc = 3;
            const uint8_t mode = f.loc == FixupLoc::SelfRel16 ? 0 : 0x40;
            Bytes one;
            one.push_back(uint8_t(0x80 | mode | (loc << 2) | (at >> 8)));
            one.push_back(uint8_t(at));
            putFixData(one, m, f);
            if (fix.size() + one.size() > kMaxRecordBody) {
                record(out, omf::FIXUPP, fix);
                fix.clear();
            }
            fix.insert(fix.end(), one.begin(), one.end());
        }
        if (!fix.empty())
            record(out, omf::FIXUPP, fix);
        pos = end;
    }
}

void putSegdef(Bytes &out, uint8_t acbp, uint32_t length, uint32_t name, uint32_t cls)
{
    Bytes b;
    // A segment of exactly 64 KiB says so with the B bit and a length of 0.
    b.push_back(uint8_t(acbp | (length >= 0x10000 ? 0x02 : 0)));
    put16(b, length >= 0x10000 ? 0 : length);
    putIndex(b, name);
    putIndex(b, cls);
    putIndex(b, 1); // overlay: the empty name
    record(out, omf::SEGDEF, b);
}

} // namespace

uint32_t ObjectModule::codeSegIndex(uint16_t section) const
{
    if (section == 0 || section > namedCode.size())
        return omf::SegText;
    return (hasStack ? omf::SegStack : omf::SegData) + uint32_t(section);
}

std::vector<uint8_t> writeObject(const ObjectModule &m)
{
    Bytes out;
    {
        Bytes b;
        putName(b, m.name);
        record(out, omf::THEADR, b);
    }
    {
        Bytes b{0x00, 0x00}; // no purge, no list; class 0: the translator
        const std::string who = "QVASM 00.24.35";
        b.insert(b.end(), who.begin(), who.end());
        record(out, omf::COMENT, b);
    }
    {
        // 1 "" (overlay), 2 DGROUP, 3 _TEXT, 4 CODE, 5 _DATA, 6 DATA, 7 STACK (name and class),
        // then the named code segments' names.
        Bytes b;
        for (const char *n : {"", "DGROUP", "_TEXT", "CODE", "_DATA", "DATA", "STACK"})
            putName(b, n);
        for (const ObjectModule::NamedCode &c : m.namedCode) {
            Bytes one;
            putName(one, c.name);
            if (b.size() + one.size() > kMaxRecordBody) {
                record(out, omf::LNAMES, b);
                b.clear();
            }
            b.insert(b.end(), one.begin(), one.end());
        }
        record(out, omf::LNAMES, b);
    }
    // Word-aligned public code and data, a paragraph-aligned stack that combines as one.
    putSegdef(out, 0x48, m.code.length, 3, 4);
    putSegdef(out, 0x48, m.data.length, 5, 6);
    if (m.hasStack)
        putSegdef(out, 0x74, m.stackSize, 7, 7);
    for (size_t k = 0; k < m.namedCode.size(); ++k)
        putSegdef(out,
                  0x48,
                  m.namedCode[k].segment.length,
                  uint32_t(omf::FirstNamedLname + k),
                  omf::ClassCode);
    {
        Bytes b;
        putIndex(b, 2);
        b.push_back(0xFF);
        putIndex(b, omf::SegData);
        if (m.hasStack) {
            b.push_back(0xFF);
            putIndex(b, omf::SegStack);
        }
        record(out, omf::GRPDEF, b);
    }
    // Publics, one record per base: _TEXT, data (in DGROUP), numbers, the named code segments.
    struct Base
    {
        RelocTarget target;
        uint16_t section;
    };
    std::vector<Base> bases{{RelocTarget::Code, 0}, {RelocTarget::Data, 0}, {RelocTarget::None, 0}};
    for (size_t k = 1; k <= m.namedCode.size(); ++k)
        bases.push_back({RelocTarget::Code, uint16_t(k)});
    for (const Base base : bases) {
        Bytes head;
        if (base.target == RelocTarget::Code) {
            head = {0x00};
            putIndex(head, m.codeSegIndex(base.section));
        } else if (base.target == RelocTarget::Data) {
            head = {omf::GroupDgroup, omf::SegData};
        } else {
            head = {0x00, 0x00, 0x00, 0x00}; // no group, no segment, frame 0
        }
        Bytes b = head;
        for (const ObjectModule::Public &p : m.publics) {
            if (p.segment != base.target
                || (base.target == RelocTarget::Code && p.section != base.section))
                continue;
            Bytes one;
            putName(one, p.name);
            put16(one, p.offset);
            one.push_back(0x00); // no type
            if (b.size() + one.size() > kMaxRecordBody) {
                record(out, omf::PUBDEF, b);
                b = head;
            }
            b.insert(b.end(), one.begin(), one.end());
        }
        if (b.size() > head.size())
            record(out, omf::PUBDEF, b);
    }
    {
        Bytes b;
        for (const std::string &name : m.externals) {
            Bytes one;
            putName(one, name);
            one.push_back(0x00);
            if (b.size() + one.size() > kMaxRecordBody) {
                record(out, omf::EXTDEF, b);
                b.clear();
            }
            b.insert(b.end(), one.begin(), one.end());
        }
        if (!b.empty())
            record(out, omf::EXTDEF, b);
    }
    writeSegment(out, m, omf::SegText, m.code, m.codeFixups);
    writeSegment(out, m, omf::SegData, m.data, m.dataFixups);
    for (size_t k = 0; k < m.namedCode.size(); ++k)
        writeSegment(out,
                     m,
                     m.codeSegIndex(uint16_t(k + 1)),
                     m.namedCode[k].segment,
                     m.namedCode[k].fixups);
    {
        Bytes b;
        if (m.hasStart) {
            // Main module with a start: frame F0 and target T0, both its code segment, and the
            // offset.
            b = {0xC1, 0x00};
            putIndex(b, m.codeSegIndex(m.startSection));
            putIndex(b, m.codeSegIndex(m.startSection));
            put16(b, m.startOffset);
        } else {
            b = {0x00};
        }
        record(out, omf::MODEND, b);
    }
    return out;
}

} // namespace qvasm
