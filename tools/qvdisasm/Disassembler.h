#pragma once

#include "InstructionText.h"
#include "Options.h"
#include "OutputBuffer.h"
#include "RoundTrip.h"

#include <capstone/capstone.h>

#include <memory>
#include <string>

namespace qvdisasm {

class EncodingOracle;

// Decodes bytes fed to it in order and writes the listing: one line per instruction with the
// offset and bytes columns the options ask for, or, with both off, a source qvasm assembles back
// to the same bytes.
class Disassembler
{
public:
    // `oracle` (may be null) checks the source form's texts; it must outlive the disassembler.
    Disassembler(const Options &options, OutputBuffer &out, EncodingOracle *oracle = nullptr);
    ~Disassembler();

    Disassembler(const Disassembler &) = delete;
    Disassembler &operator=(const Disassembler &) = delete;

    // False when the decoder could not start; error() says why.
    bool isValid() const { return m_handle != 0; }
    const std::string &error() const { return m_error; }

    // The source form's first lines.
    void writeHeader();
    // Decodes from the start of `data` and returns how many bytes it used. Unless `last`, stops
    // short of the final 15 bytes, so an instruction is never cut at the end of a chunk.
    size_t feed(const uint8_t *data, size_t size, bool last);
    // The banner.
    void writeFooter();

    const RoundTrip *roundTrip() const { return m_roundTrip.get(); }

private:
    void writeInstruction(const cs_insn &insn);
    void writeData(const uint8_t *bytes, size_t size, std::string_view comment);
    void writeColumns(const uint8_t *bytes, size_t size);
    // The source form's line where the IP wraps to 0, 64 KB past org.
    void writeWrap();
    // Bytes that run across that line, as data on either side of it.
    void writeSplitData(const uint8_t *bytes, size_t size, std::string_view comment);

    Options m_options;
    OutputBuffer &m_out;
    csh m_handle = 0;
    cs_insn *m_insn = nullptr;
    InstructionText m_text;
    std::unique_ptr<RoundTrip> m_roundTrip;
    uint32_t m_address;
    uint64_t m_fed = 0; // bytes decoded so far
    std::string m_error;
    std::string m_scratch;
};

// The banner line that closes every listing (without its line end).
std::string bannerLine();

} // namespace qvdisasm
