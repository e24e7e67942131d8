#pragma once

#include "qvasm/Keywords.h"

#include <cstdint>

namespace qvasm {

enum class Distance : uint8_t { None, Short, Near, Far };

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
    bool mem = false;       // a memory reference (brackets or a variable)
    bool undefined = false; // rests on a symbol without a value yet
    bool forward = false;   // rests on a symbol not yet defined in this pass
    bool address = false;   // rests on a label or $
    bool farPtr = false;
    bool procFar = false;   // names a far procedure
    bool anon = false;      // names an @F/@B label
    bool sizeGiven = false; // size came from byte/word/... ptr
    bool typeOnly = false;  // names a structure type itself
    bool hasLength = false; // sizeof applies
    int64_t farSeg = 0;
    uint32_t structType = 0; // structure type of a variable, for member access
    uint32_t length = 0;     // sizeof: bytes of a variable, a type or a member
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
    Distance dist = Distance::None;
    bool undefined = false;
    bool procFar = false;
    bool anon = false;

    bool isDirect() const { return kind == OpKind::Mem && base == RegNone && index == RegNone; }
};

} // namespace qvasm
