#pragma once

#include "qvasm/Conditionals.h"
#include "qvasm/Encoder.h"
#include "qvasm/Evaluator.h"
#include "qvasm/Statement.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qvasm {

struct AssemblerOptions;
class SourceReader;

// The dot-directives, include and the message directives, with the settings they change as a
// pass goes on: the model, the segment, the CPU, the jump and optimiser switches, the nesting of
// conditional blocks. The assembler asks it what is in force; it asks the assembler, through
// Host, for what belongs to the assembler (messages, the location counter, bytes, procedures).
class Directives
{
public:
    enum class Model { None, Tiny, Small };

    class Host
    {
    public:
        virtual void error(uint8_t code, std::string detail = {}) = 0;
        virtual void diag(uint8_t code, std::string detail = {}) = 0;
        virtual void print(std::string text) = 0;
        // Reports a code line where there is no .model or segment yet.
        virtual bool requireCode() = 0;
        virtual int64_t here() = 0;
        virtual void emitBytes(const std::vector<uint8_t> &bytes) = 0;
        virtual bool inData() const = 0;
        virtual void selectData(bool data) = 0;
        // ".code NAME": a code segment of its own (an object file's); 0 for _TEXT.
        virtual void selectCodeSegment(uint32_t name) = 0;
        virtual EvalEnv env() = 0;
        virtual const Evaluator::Reporter &reporter() const = 0;
        virtual uint32_t lineFile() const = 0;
        // .noret: false when no procedure is open, so it waits for the next one.
        virtual bool markProcNoret() = 0;
        // .exit counts as the way out of the open procedure, if any.
        virtual void markProcReturned() = 0;
        // Object files: .model small lays the segments out from 0; .external names; .start.
        virtual void smallModelChosen() = 0;
        virtual void declareExternal(std::string_view name, uint8_t size, bool far) = 0;
        virtual void markStart() = 0;

    protected:
        ~Host() = default;
    };

    Directives(Host &host, SourceReader &reader, const AssemblerOptions &options);

    void beginPass();
    // A source whose first statement is org is a flat binary: a .COM-style image in the code
    // segment without .model, .code or .end, as a disassembly or a boot sector is written.
    void beginFlatSource();
    bool flat() const { return m_flat; }
    // Runs a statement of kind Directive.
    void execute(const Statement &st);
    // .if and its kin: they also run on lines that do not assemble, to keep the nesting.
    void executeConditional(const Statement &st);
    static bool isConditional(Dir d);

    Model model() const { return m_model; }
    bool segmentSeen() const { return m_segmentSeen; }
    bool ended() const { return m_ended; }
    void endSource() { m_ended = true; }
    bool startUsed() const { return m_startUsed; }
    // .stack: its size, 0 when the source has none.
    uint32_t stackSize() const { return m_stackSize; }
    static constexpr uint32_t DefaultStack = 1024;
    static constexpr size_t MaxPublicName = 64;
    const CpuState &cpu() const { return m_cpu; }
    bool jumps() const { return m_jumps; }
    bool optimize() const { return m_optimize; }
    bool popadBug() const { return m_popadBug; }
    // A .noret given outside a procedure applies to the next one: taking it clears it.
    bool takePendingNoret();
    const Conditionals &conditionals() const { return m_conds; }
    const std::string &outfile() const { return m_outfile; }
    const std::string &title() const { return m_title; }

private:
    bool optionalValue(const Statement &st, int64_t &v);
    void executeInclude(const Statement &st);
    void executeExternal(const Statement &st);

    Host &m_host;
    SourceReader &m_reader;
    const AssemblerOptions &m_options;

    Model m_model = Model::None;
    bool m_flat = false;
    bool m_segmentSeen = false;
    bool m_ended = false;
    bool m_startUsed = false;
    uint32_t m_stackSize = 0;
    bool m_popadBug = false;
    bool m_jumps = false;
    bool m_optimize = false;
    bool m_pendingNoret = false;
    CpuState m_cpu;
    Conditionals m_conds;
    uint32_t m_includesThisPass = 0;
    std::string m_outfile;
    std::string m_title;
};

} // namespace qvasm
