#pragma once

#include "qvasm/Encoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qvasm {

// A small-model module as an object file needs it: the code segment _TEXT, the data segment
// _DATA, an optional STACK, the group DGROUP of the last two, code segments of their own, the
// names shared with other modules and the places the linker completes.
struct ObjectModule
{
    struct Segment
    {
        std::vector<uint8_t> bytes; // initialised bytes from offset `start`
        uint32_t start = 0;         // offset of bytes[0]
        uint32_t length = 0;        // the segment's size (up to 64 KiB)
    };
    struct Fixup
    {
        uint32_t offset = 0; // in its segment
        FixupLoc loc = FixupLoc::Offset16;
        Reloc reloc;
        uint32_t extIndex = 0; // 1-based, for external targets
    };
    struct Public
    {
        std::string name;
        RelocTarget segment = RelocTarget::None; // Code, Data, or None for a number
        uint16_t section = 0;                    // Code: 0 _TEXT, k the k-th named segment
        uint32_t offset = 0;
    };
    // A code segment of its own (class CODE, word-aligned, public, in no group).
    struct NamedCode
    {
        std::string name;
        Segment segment;
        std::vector<Fixup> fixups;
    };

    std::string name; // the translator's module name: the source file's name
    Segment code, data;
    bool hasStack = false;
    uint32_t stackSize = 0;
    std::vector<Fixup> codeFixups, dataFixups;
    std::vector<NamedCode> namedCode; // the k-th is Reloc::section k
    std::vector<std::string> externals;
    std::vector<Public> publics;
    bool hasStart = false;
    uint32_t startOffset = 0; // in the code segment startSection (0: _TEXT)
    uint16_t startSection = 0;

    // SEGDEF index of a code segment: _TEXT, or the named ones after _DATA and STACK.
    uint32_t codeSegIndex(uint16_t section) const;
};

// The module as Intel OMF-86 records, each with its checksum.
std::vector<uint8_t> writeObject(const ObjectModule &m);

// Record types the writer uses.
namespace omf {
constexpr uint8_t THEADR = 0x80, COMENT = 0x88, MODEND = 0x8A, EXTDEF = 0x8C, PUBDEF = 0x90,
                  LNAMES = 0x96, SEGDEF = 0x98, GRPDEF = 0x9A, FIXUPP = 0x9C, LEDATA = 0xA0;
constexpr size_t MaxLedata = 1024; // data bytes in one LEDATA
// Segment indices in SEGDEF order, and the one group.
constexpr uint8_t SegText = 1, SegData = 2, SegStack = 3, GroupDgroup = 1;
constexpr uint8_t FirstNamedLname = 8; // names of the named code segments, after the fixed seven
constexpr uint8_t ClassCode = 4;
} // namespace omf

} // namespace qvasm
