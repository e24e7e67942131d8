#pragma once

#include "qvasm/Encoder.h"
#include "qvasm/Evaluator.h"
#include "qvasm/Statement.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qvasm {

// Bytes of data items: the whole list of a db/dw/... line, with dup repeated and ? reserved.
struct DataFixup
{
    uint64_t pos = 0; // from the first byte of the line
    FixupLoc loc = FixupLoc::Offset16;
    Reloc reloc;
};

struct BuiltData
{
    std::vector<uint8_t> bytes; // at most Cap of them; the rest of `length` is zero
    uint64_t length = 0;
    bool initialized = false;      // false when everything is "?": reserved, not written
    std::vector<DataFixup> fixups; // addresses the linker completes (object files)
};

class DataBuilder
{
public:
    static constexpr size_t Cap = 1u << 20;
    static constexpr int64_t MaxDupCount = 2097152;
    static constexpr uint64_t MaxLength = uint64_t(1) << 40;

    using Reporter = std::function<void(uint8_t code, const std::string &detail, bool diag)>;

    DataBuilder(const Statement &st, Evaluator &ev, const Reporter &report);

    // Every operand of the statement as items of `elem` bytes each.
    bool items(int elem, BuiltData &out);

    // Zeroes up to `length` (as far as the cap allows).
    static void padTo(std::vector<uint8_t> &bytes, uint64_t length);

private:
    bool item(uint32_t node, int elem, BuiltData &out);
    bool floating(std::string_view text, int elem, uint8_t *out);
    static void append(BuiltData &to, const BuiltData &item);

    const Statement &m_st;
    Evaluator &m_ev;
    const Reporter &m_report;
};

} // namespace qvasm
