#pragma once

#include "qvasm/InstructionTable.h"
#include "qvasm/Operand.h"

#include <functional>
#include <string>
#include <vector>

namespace qvasm {

// CPU and coprocessor directives in force.
struct CpuState
{
    uint8_t level = 0; // 0 8086, 1 186, 2 286, 3 386, 4 486, 5 586
    bool priv = false; // protected-mode instructions allowed
    uint8_t fpu = 0;   // 0 none, 1 8087, 2 80287, 3 80187, 4 80387
    bool all = false;  // .x86: everything
};

// Choices an instruction made in earlier passes. Sizes only grow from pass to pass, so the
// passes always settle.
enum SiteFlag : uint8_t {
    SiteDispMask = 3, // 0 none, 1 disp8, 2 full displacement
    SiteImmLong = 4,  // the immediate needed its full size
    SiteJmpLong = 8,  // the jump needed its near form
};

// Where an instruction left a value for the linker to complete, counted from its first byte.
enum class FixupLoc : uint8_t { Offset16, Base16, Pointer32, SelfRel16 };

struct EncodedFixup
{
    uint32_t pos = 0;
    FixupLoc loc = FixupLoc::Offset16;
    Reloc reloc;
};

struct EncodeRequest
{
    const MnemonicInfo *mi = nullptr;
    Operand ops[3];
    int nops = 0;
    const std::vector<uint16_t> *prefixes = nullptr; // from the statement
    CpuState cpu;
    bool optimize = false;
    bool jumps = false;
    int64_t address = 0; // $ of the instruction
    // How far the instruction moved since the previous pass. A forward target still has its
    // previous-pass address and has moved at least as far.
    int64_t moved = 0;
    uint8_t site = 0;
    bool object = false;  // an object file: far transfers to labels, externals
    uint16_t section = 0; // the code segment the instruction is in (0: _TEXT)
    // section for an instruction in an object's _DATA, where no code label is near
    static constexpr uint16_t DataSegment = 0xFFFF;
};

// Encodes one instruction from its evaluated operands.
class Encoder
{
public:
    using Reporter = std::function<void(uint8_t code, const std::string &detail, bool diag)>;

    explicit Encoder(const Reporter &report);

    // Appends the instruction's bytes to out; returns false after an error (out then holds a
    // stand-in of a plausible size so the addresses after it stay meaningful).
    bool encode(EncodeRequest &req, std::vector<uint8_t> &out);

    static uint8_t cpuError(Req req, const CpuState &cpu);

    // The fixups of the last instruction encoded.
    const std::vector<EncodedFixup> &fixups() const { return m_fixups; }

private:
    struct Bytes
    {
        uint8_t b[40];
        int n = 0;
        void put(uint8_t v) { b[n++] = v; }
        void put16(uint64_t v)
        {
            put(uint8_t(v));
            put(uint8_t(v >> 8));
        }
        void put32(uint64_t v)
        {
            put16(v);
            put16(v >> 16);
        }
    };

    bool applyForcedSize(EncodeRequest &req);
    bool checkRegisters(const EncodeRequest &req);
    bool encodeTable(EncodeRequest &req, Mn mn, std::vector<uint8_t> &out);
    bool encodeBranch(EncodeRequest &req, std::vector<uint8_t> &out);
    bool encodeString(EncodeRequest &req, std::vector<uint8_t> &out);
    bool encodeIndirect(EncodeRequest &req, bool far, uint8_t nearDigit, std::vector<uint8_t> &out);
    void putPrefixes(const EncodeRequest &req, Bytes &b, Reg memSeg, bool addr32, bool o32);
    bool putModRM(Bytes &b, const Operand &rm, int regField, EncodeRequest &req);
    int prefixCount(const EncodeRequest &req) const;
    void jumpRange(int64_t rel, bool anon);
    void error(uint8_t code, const std::string &detail = {}) { m_report(code, detail, false); }
    void diag(uint8_t code, const std::string &detail = {}) { m_report(code, detail, true); }

    // Records a fixup for the value about to be put at b's end; false (37h reported) when the
    // value cannot be completed there.
    bool note(const Bytes &b, const Reloc &r, FixupLoc loc);

    const Reporter &m_report;
    std::vector<EncodedFixup> m_fixups;
};

} // namespace qvasm
