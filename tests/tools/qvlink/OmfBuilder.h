#pragma once

// Builds OMF-86 object files record by record, so the reader and linker tests can say exactly
// which bytes a case is about. Records get a correct length and checksum unless told otherwise.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

struct OmfBuilder
{
    std::string bytes;

    static std::string w(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
    static std::string idx(uint32_t v)
    {
        if (v < 0x80)
            return {char(v)};
        return {char(0x80 | (v >> 8)), char(v & 0xFF)};
    }
    static std::string name(const std::string &s) { return char(s.size()) + s; }

    // One record: type, length, body, checksum (0: "not computed").
    OmfBuilder &record(uint8_t type, const std::string &body, bool checksum = true)
    {
        std::string r;
        r += char(type);
        r += w(uint32_t(body.size() + 1));
        r += body;
        uint8_t sum = 0;
        for (char c : r)
            sum = uint8_t(sum + uint8_t(c));
        r += char(checksum ? uint8_t(-sum) : 0);
        bytes += r;
        return *this;
    }

    OmfBuilder &theadr(const std::string &module = "t.asm") { return record(0x80, name(module)); }
    OmfBuilder &lnames(std::initializer_list<std::string> names)
    {
        std::string b;
        for (const std::string &n : names)
            b += name(n);
        return record(0x96, b);
    }
    // acbp: alignment << 5 | combine << 2; names are LNAMES indexes.
    OmfBuilder &segdef(uint8_t acbp, uint32_t length, uint32_t nameIndex, uint32_t classIndex)
    {
        return record(0x98,
                      std::string(1, char(acbp)) + w(length) + idx(nameIndex) + idx(classIndex)
                          + idx(1));
    }
    OmfBuilder &grpdef(uint32_t nameIndex, std::initializer_list<uint32_t> segments)
    {
        std::string b = idx(nameIndex);
        for (uint32_t s : segments)
            b += char(0xFF) + idx(s);
        return record(0x9A, b);
    }
    OmfBuilder &extdef(std::initializer_list<std::string> names)
    {
        std::string b;
        for (const std::string &n : names)
            b += name(n) + idx(0);
        return record(0x8C, b);
    }
    OmfBuilder &pubdef(uint32_t group,
                       uint32_t segment,
                       std::initializer_list<std::pair<std::string, uint32_t>> symbols)
    {
        std::string b = idx(group) + idx(segment);
        if (group == 0 && segment == 0)
            b += w(0);
        for (const auto &[n, offset] : symbols)
            b += name(n) + w(offset) + idx(0);
        return record(0x90, b);
    }
    OmfBuilder &ledata(uint32_t segment, uint32_t offset, const std::string &data)
    {
        return record(0xA0, idx(segment) + w(offset) + data);
    }
    OmfBuilder &lidata(uint32_t segment, uint32_t offset, const std::string &blocks)
    {
        return record(0xA2, idx(segment) + w(offset) + blocks);
    }
    // A repeat block of plain bytes, and one of nested blocks.
    static std::string repeat(uint32_t count, const std::string &data)
    {
        return w(count) + w(0) + char(data.size()) + data;
    }
    static std::string repeatBlocks(uint32_t count, std::initializer_list<std::string> blocks)
    {
        std::string b = w(count) + w(uint32_t(blocks.size()));
        for (const std::string &x : blocks)
            b += x;
        return b;
    }
    // One FIXUP subrecord: M (segment-relative), location, offset in the data record, then the
    // fix data byte and its datums as given.
    static std::string fixup(bool segmentRelative,
                             uint8_t location,
                             uint32_t at,
                             const std::string &fixData)
    {
        const uint8_t first = uint8_t(0x80 | (segmentRelative ? 0x40 : 0) | (location << 2)
                                      | ((at >> 8) & 3));
        return std::string(1, char(first)) + char(at & 0xFF) + fixData;
    }
    // Fix data: frame method F (0 seg, 1 group, 2 external, 4 location, 5 target) and target
    // method T (0 seg, 1 group, 2 external) with their datums; displacement when given.
    static std::string fixData(uint8_t frame,
                               uint32_t frameDatum,
                               uint8_t target,
                               uint32_t targetDatum,
                               int32_t displacement = -1)
    {
        const bool noDisp = displacement < 0;
        std::string b(1, char((frame << 4) | (noDisp ? 4 : 0) | target));
        if (frame < 3)
            b += idx(frameDatum);
        b += idx(targetDatum);
        if (!noDisp)
            b += w(uint32_t(displacement));
        return b;
    }
    OmfBuilder &fixupp(const std::string &subrecords) { return record(0x9C, subrecords); }
    OmfBuilder &modend() { return record(0x8A, std::string(1, char(0))); }
    // A main module's end with a start address: frame and target as in fixData.
    OmfBuilder &modendStart(
        uint8_t frame, uint32_t frameDatum, uint8_t target, uint32_t targetDatum, uint32_t disp)
    {
        return record(0x8A,
                      std::string(1, char(0xC1))
                          + fixData(frame, frameDatum, target, targetDatum, int32_t(disp)));
    }
};
