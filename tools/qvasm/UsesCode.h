#pragma once

#include "qvasm/Encoder.h"

#include <vector>

namespace qvasm {

// The code a procedure's "uses" list stands for: pushes at its start, pops (in reverse) before
// each return. all, allf, alld and alldf are pusha, pusha+pushf, pushad, pushad+pushfd.
class UsesCode
{
public:
    // Error code for a register that cannot be in the list under these CPU directives, 0 if it
    // can (cs can be pushed but never popped).
    static uint8_t check(Reg r, const CpuState &cpu);
    // Bytes for a list of registers that passed check().
    static void pushes(const std::vector<Reg> &uses, std::vector<uint8_t> &out);
    static void pops(const std::vector<Reg> &uses, std::vector<uint8_t> &out);
};

} // namespace qvasm
