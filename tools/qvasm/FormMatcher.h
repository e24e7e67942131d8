#pragma once

#include "qvasm/Encoder.h"

#include <string>

namespace qvasm {

struct FormChoice
{
    const Form *form = nullptr; // the form to encode, or nullptr
    uint8_t error = 0;          // why none fits
    std::string detail;
};

// Picks the instruction form for a set of operands: the first of the table's forms (shortest
// first) that the operands fit and the CPU directives allow. A memory operand without a size
// fits any size, but only when the forms it fits all agree on one; otherwise its size must be
// written (34h).
class FormMatcher
{
public:
    static FormChoice choose(const EncodeRequest &req, Mn mn);

private:
    static FormChoice diagnose(const EncodeRequest &req);
};

} // namespace qvasm
