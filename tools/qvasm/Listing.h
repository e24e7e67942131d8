#pragma once

#include <string>

namespace qvasm {

class Assembler;

// The /x and /X listing: line number, address, bytes and source of every line, the messages
// under the line that caused them, and the symbol table at the end.
class Listing
{
public:
    static std::string render(const Assembler &a, const std::string &sourcePath, bool pageBreaks);
};

} // namespace qvasm
