#pragma once

#include "qvlink/ObjectModule.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qvlink {

struct LinkMessage
{
    bool error = true; // else a diagnostic (a warning)
    uint8_t code = 0;  // the error catalogue's code
    size_t module = 0; // which object file it is about
    std::string detail;
};

struct LinkedSegment
{
    std::string name;
    std::string className;
    uint32_t start = 0; // from the start of the load image
    uint32_t length = 0;
};

struct LinkedSymbol
{
    std::string name;
    uint16_t frame = 0; // paragraph, from the start of the load image unless absolute
    uint16_t offset = 0;
    bool absolute = false;
};

struct LinkResult
{
    std::vector<uint8_t> exe; // header and load image; empty with errors
    std::vector<LinkMessage> messages;
    std::vector<LinkedSegment> segments;                    // in memory order
    std::vector<std::pair<std::string, uint16_t>> groups;   // name and frame
    std::vector<LinkedSymbol> publics;                      // in link order
    std::vector<std::pair<uint16_t, uint16_t>> relocations; // segment:offset of each patched word
    uint16_t cs = 0, ip = 0, ss = 0, sp = 0;
    uint32_t imageBytes = 0;  // the part of memory the file holds
    uint32_t memoryBytes = 0; // everything, uninitialized segments at the end included

    size_t errors() const;
    size_t diags() const;
};

// Links read object modules into an MZ executable: segments combined by name and class in link
// order and placed class by class, groups, publics and externals, fixups, relocations, the start
// address and the stack.
class Linker
{
public:
    static constexpr uint32_t MaxMemory = 0x100000;
    static constexpr uint32_t MaxSegments = 16384; // after combining
    static constexpr uint32_t MaxRelocations = 0xFFFF;

    static LinkResult link(const std::vector<ObjectModule> &modules);

    // The map file's text: segments, groups, publics by name and by value, entry point.
    static std::string mapText(const LinkResult &result);
};

} // namespace qvlink
