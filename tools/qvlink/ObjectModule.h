#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvlink {

// One object file as read: its names, segments, groups, symbols, data and fixups, with every
// index already checked and turned into a 0-based position in the lists below.
struct ObjSegment
{
    std::string name;
    std::string className;
    uint8_t align = 1;   // 0 absolute, 1 byte, 2 word, 3 paragraph, 4 page, 5 dword, 6 4K page
    uint8_t combine = 0; // 0 private, 2/4/7 public, 5 stack, 6 common
    uint32_t length = 0;
    uint16_t absoluteFrame = 0;  // align 0 only
    std::vector<uint8_t> data;   // `length` bytes; what no data record wrote stays zero
    uint32_t initializedEnd = 0; // one past the last byte a data record wrote

    bool isAbsolute() const { return align == 0; }
    bool isStack() const { return combine == 5; }
    bool isCommon() const { return combine == 6; }
    bool isPublic() const { return combine == 2 || combine == 4 || combine == 7; }
};

struct ObjGroup
{
    std::string name;
    std::vector<uint32_t> segments;
};

struct ObjPublic
{
    std::string name;
    int32_t group = -1;   // -1: none
    int32_t segment = -1; // -1: an absolute frame
    uint16_t frame = 0;   // segment -1 only
    uint32_t offset = 0;
    bool local = false; // LPUBDEF: seen by this module's LEXTDEFs only
};

struct ObjExternal
{
    std::string name;
    bool local = false;
};

// Frame and target methods as the records number them; the datum is a 0-based position in the
// segment, group or external list.
enum FrameMethod : uint8_t {
    FrameSegment = 0,
    FrameGroup = 1,
    FrameExternal = 2,
    FrameLocation = 4,
    FrameTarget = 5,
};
enum TargetMethod : uint8_t { TargetSegment = 0, TargetGroup = 1, TargetExternal = 2 };

enum Location : uint8_t {
    LocLowByte = 0,
    LocOffset16 = 1,
    LocBase = 2,
    LocPointer = 3,
    LocHighByte = 4,
    LocOffset16Loader = 5,
    LocOffset32 = 9,
    LocOffset32Loader = 13,
};

struct ObjFixup
{
    uint32_t segment = 0; // the segment the patched bytes are in
    uint32_t offset = 0;  // where in it
    bool segmentRelative = true;
    uint8_t location = LocOffset16;
    uint8_t frameMethod = FrameTarget;
    uint32_t frameDatum = 0;
    uint8_t targetMethod = TargetSegment;
    uint32_t targetDatum = 0;
    uint32_t displacement = 0;
    uint32_t recordOffset = 0; // of the FIXUPP record in the file, for messages
};

struct ObjStart
{
    bool present = false;
    uint8_t frameMethod = FrameTarget;
    uint32_t frameDatum = 0;
    uint8_t targetMethod = TargetSegment;
    uint32_t targetDatum = 0;
    uint32_t displacement = 0;
};

struct ObjectModule
{
    std::string path;
    std::string moduleName;
    std::vector<ObjSegment> segments;
    std::vector<ObjGroup> groups;
    std::vector<ObjExternal> externals;
    std::vector<ObjPublic> publics;
    std::vector<ObjFixup> fixups;
    ObjStart start;
    uint32_t recordCount = 0;
};

// How many bytes a fixup at `location` patches; 0 for a location this linker does not know.
inline uint32_t locationWidth(uint8_t location)
{
    switch (location) {
    case LocLowByte:
    case LocHighByte:
        return 1;
    case LocOffset16:
    case LocOffset16Loader:
    case LocBase:
        return 2;
    case LocPointer:
    case LocOffset32:
    case LocOffset32Loader:
        return 4;
    default:
        return 0;
    }
}

} // namespace qvlink
