#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace qvdisasm {

// Something that assembles one line of 16-bit code the way qvasm does, so the disassembler can
// check that the text it prints gives the bytes back.
class EncodingOracle
{
public:
    virtual ~EncodingOracle() = default;

    // Assembles `line` at `address`. True when it assembled without an error or a diagnostic,
    // with the bytes in `bytes`.
    virtual bool assemble(std::string_view line, uint32_t address, std::vector<uint8_t> &bytes) = 0;
};

// qvasm's own encoder when the tools were built together with it; nullptr otherwise.
std::unique_ptr<EncodingOracle> createAssemblerOracle();

} // namespace qvdisasm
