#pragma once

#include "qvasm/Keywords.h"

#include <cstdint>

namespace qvasm {

enum class Distance : uint8_t { None, Short, Near, Far };

// What the linker has to supply for a value in an object file: nothing (a number), the offset
// of something in a segment or of an external name, or the paragraph of a segment or group.
enum class RelocTarget : uint8_t { None, Code, Data, Group, External };

struct Reloc
{
    enum class Kind : uint8_t { None, Offset, Base };
    Kind kind = Kind::None;
    RelocTarget target = RelocTarget::None;
    uint32_t ext = 0;     // name id of the external
    bool extData = false; // the external names data (framed by DGROUP), not code
    uint16_t section = 0; // Code: 0 for _TEXT, k for the k-th named code segment

    bool any() const { return kind != Kind::None; }
};

// An evaluated expression before it is classified: a number with the registers, segment,
// size and distance that came with it.
struct Value
{
    int64_t num = 0;
    Reg regs[3] = {RegNone, RegNone, RegNone};
    uint8_t scales[3] = {0, 0, 0}; // 0: not scaled
    uint8_t nregs = 0;
    Reg seg = RegNone;
    uint8_t size = 0;
    Distance dist = Distance::None;
    bool mem = false;       // a memory reference written as such: brackets, a segment
    bool variable = false;  // names a typed variable: memory while it stays an address
    bool undefined = false; // rests on a symbol without a value yet
    bool forward = false;   // rests on a symbol not yet defined in this pass
    // Addresses (labels, variables, $) added minus those subtracted: 1 is an address, 0 a
    // number (a difference of two addresses is one), anything else meaningless.
    int32_t relative = 0;
    bool farPtr = false;
    bool procFar = false;   // names a far procedure
    bool anon = false;      // names an @F/@B label
    bool sizeGiven = false; // size came from byte/word/... ptr
    bool typeOnly = false;  // names a structure type itself
    bool hasLength = false; // sizeof applies
    int64_t farSeg = 0;
    // Object output: how many data-segment and external addresses the sum holds (the rest of
    // `relative` are code addresses), the external, a segment base (@data, @code) and whether
    // arithmetic other than + and - touched an address.
    int32_t relData = 0;
    int32_t relExt = 0;
    uint32_t ext = 0;
    bool extData = false;
    RelocTarget base = RelocTarget::None;
    bool relocMath = false;
    // The segment base's own segment (Code) or external (External).
    uint16_t baseSeg = 0;
    uint32_t baseExt = 0;
    bool baseExtData = false;
    // Code addresses in a named code segment (counted like relData) and which segment that is.
    int32_t relNamed = 0;
    uint16_t codeSeg = 0;
    uint32_t structType = 0; // structure type of a variable, for member access
    uint32_t length = 0;     // sizeof: bytes of a variable, a type or a member

    bool memory() const { return mem || (variable && relative == 1); }
};

enum class OpKind : uint8_t { None, Reg, Mem, Imm, FarPtr };

// An operand as the encoder sees it.
struct Operand
{
    OpKind kind = OpKind::None;
    Reg reg = RegNone;
    Reg base = RegNone;
    Reg index = RegNone;
    uint8_t scale = 1;
    Reg seg = RegNone;
    bool addr32 = false;
    uint8_t size = 0; // memory size, or the size written before an immediate
    bool sizeGiven = false;
    int64_t value = 0; // immediate, displacement or far offset
    int64_t farSeg = 0;
    Reloc reloc;    // of the immediate, the displacement or a far pointer's offset
    Reloc farReloc; // of a far pointer's segment
    Distance dist = Distance::None;
    bool undefined = false;
    bool forward = false; // rests on a symbol defined later: its value is the previous pass's
    bool procFar = false;
    bool anon = false;

    bool isDirect() const { return kind == OpKind::Mem && base == RegNone && index == RegNone; }
};

} // namespace qvasm
