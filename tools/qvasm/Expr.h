#pragma once

#include <cstdint>

namespace qvasm {

// One node of a parsed operand or data item. Nodes live in the statement's node array and
// refer to each other by index, so parsing a line allocates nothing once the arrays are warm.
enum class ExprOp : uint8_t {
    Num,      // value
    Sym,      // a: name id
    Dollar,   // the location counter at the start of the statement
    Reg,      // a: Reg
    Str,      // a, b: offset and length in the statement's string arena
    Float,    // a, b: offset and length of the constant's text in the string arena
    Question, // ? (uninitialised)
    AnonF,    // @F
    AnonB,    // @B
    AnonBare, // @@ used as an operand
    Builtin,  // a: Dir of %ver, %line, %year, %month, %day
    Neg,
    Pos,
    Not,
    Offset,
    Sizeof,
    Ptr, // a: child, b: size in bytes (1, 2, 4, 6, 8)
    Short,
    Near,
    Far,
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    Shl,
    Shr,
    And,
    Or,
    Xor,
    Bracket, // a: child
    Member,  // a: child, b: member name id
    Seg,     // a: child, b: segment Reg
    FarPtr,  // a: segment expression, b: offset expression
    Dup,     // a: count, b: first item in the statement's list array, value: item count
    SegOf,   // a: child ("seg x")
};

struct ExprNode
{
    ExprOp op = ExprOp::Num;
    uint32_t a = 0;
    uint32_t b = 0;
    int64_t value = 0;
};

} // namespace qvasm
