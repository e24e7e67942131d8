#pragma once

#include "qvasm/DataBuilder.h"
#include "qvasm/Directives.h"
#include "qvasm/Encoder.h"
#include "qvasm/Evaluator.h"
#include "qvasm/Messages.h"
#include "qvasm/NameTable.h"
#include "qvasm/ObjectFile.h"
#include "qvasm/Section.h"
#include "qvasm/SourceLoader.h"
#include "qvasm/SourceReader.h"
#include "qvasm/Statement.h"
#include "qvasm/StatementParser.h"
#include "qvasm/StructureBuilder.h"
#include "qvasm/SymbolTable.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace qvasm {

struct AssemblerOptions
{
    bool optimize = false;                // /o
    bool jumps = false;                   // /j
    bool diagnostics = true;              // /d turns them off
    bool snippet = false;                 // a few lines: no .model/.code/.end needed, every CPU on
    uint32_t origin = 0x100;              // where code starts unless org says otherwise
    bool listing = false;                 // record what the listing needs
    std::vector<std::string> includeDirs; // /i folders, searched after the source's own
};

// One line of the listing: where it came from, where it went, what it produced.
struct ListingLine
{
    uint32_t file = 0;
    uint32_t line = 0;
    bool hasAddress = false;
    int64_t address = 0;
    std::vector<uint8_t> bytes; // the first bytes the line produced
    uint64_t byteCount = 0;
    std::string text;
    uint32_t firstMessage = 0; // the messages this line caused: [firstMessage, endMessage)
    uint32_t endMessage = 0;
};

// Assembles one source (with its includes) into a .COM image. Passes repeat until no label
// moves; every pass reads the source again, so memory stays proportional to the source and the
// symbols, whatever the source does.
class Assembler final : private Directives::Host
{
public:
    explicit Assembler(AssemblerOptions options, SourceLoader *loader = nullptr);
    ~Assembler();

    // Back to the state of a new assembler, keeping allocations: for many small runs.
    void reset();
    void setOrigin(uint32_t origin) { m_options.origin = origin; }

    void assembleFile(const std::string &path);
    void assembleText(std::string_view text, const std::string &name);

    const Messages &messages() const { return m_messages; }
    const std::vector<std::string> &files() const { return m_reader.names(); }
    // The target's bytes: the .COM image, or the object file of a small-model source.
    std::vector<uint8_t> image() const;
    std::vector<uint8_t> comImage() const;
    // The small-model module as the object writer takes it.
    ObjectModule objectModule() const;
    int64_t origin() const { return m_code.start(); }
    bool smallModel() const { return m_directives.model() == Directives::Model::Small; }
    const std::string &outfile() const { return m_directives.outfile(); }
    const std::string &title() const { return m_directives.title(); }
    const std::vector<ListingLine> &listing() const { return m_listing; }
    const SymbolTable &symbols() const { return m_symbols; }
    const NameTable &names() const { return m_names; }
    uint64_t symbolSpaceFree() const;
    int passes() const { return m_passesNeeded; }
    uint64_t linesAssembled() const { return m_reader.linesRead(); }

private:
    struct ProcState
    {
        bool open = false;
        uint32_t name = 0;
        bool far = false;
        bool lastWasReturn = false;
        bool noret = false;
        std::vector<Reg> uses;
    };

    void run(uint32_t mainFile);
    void runPass();
    void endOfPass();
    bool nextLine(std::string_view &line);
    void filterUses(std::vector<Reg> &uses);
    void processLine(std::string_view line);
    void execute();
    void executeInstruction();
    void executeData();
    void executeDupBytes();
    void executeProc();
    void executeEndp();
    void executeStructStart();
    void executeStructEnd();
    void executeInstance();
    void executeEqu(bool assign);
    void executeOrg(bool fill);
    void executeStructMember();

    void emitBuilt(const BuiltData &b);

    void defineLabel(uint32_t id,
                     SymKind kind,
                     int64_t value,
                     uint8_t size = 0,
                     uint32_t length = 0,
                     uint32_t structType = 0,
                     bool far = false);
    Section &section() { return m_inData ? m_data : codeSection(); }
    Section &codeSection() { return m_codeSeg ? m_namedCode[m_codeSeg - 1].section : m_code; }
    void emit(std::initializer_list<uint8_t> bytes);
    void noteEmission(uint64_t count, bool initialized);
    void checkLimit();

    // Directives::Host
    void error(uint8_t code, std::string detail = {}) override;
    void diag(uint8_t code, std::string detail = {}) override;
    void print(std::string text) override;
    bool requireCode() override;
    int64_t here() override { return section().address(); }
    void emitBytes(const std::vector<uint8_t> &bytes) override;
    bool inData() const override { return m_inData; }
    void selectData(bool data) override { m_inData = data; }
    void selectCodeSegment(uint32_t name) override;
    EvalEnv env() override;
    const Evaluator::Reporter &reporter() const override { return m_reporter; }
    uint32_t lineFile() const override { return m_lineFile; }
    bool markProcNoret() override;
    void markProcReturned() override;
    void smallModelChosen() override;
    void declareExternal(std::string_view name, uint8_t size, bool far) override;
    void markStart() override;
    bool object() const { return m_directives.model() == Directives::Model::Small; }
    void noteFixups(int64_t at, const std::vector<EncodedFixup> &fixups);
    void noteFixups(int64_t at, const std::vector<DataFixup> &fixups);
    void messageAt(MsgKind kind, uint8_t code, std::string detail, uint32_t file, uint32_t line);

    AssemblerOptions m_options;
    SourceLoader m_diskLoader;
    SourceReader m_reader;
    NameTable m_names;
    SymbolTable m_symbols;
    StatementParser m_parser;
    Statement m_st;
    Messages m_messages;
    Evaluator::Reporter m_reporter;
    Encoder::Reporter m_encoderReporter; // also the data builder's

    std::unique_ptr<Encoder> m_encoder;

    // Per pass.
    uint32_t m_mainFile = 0;
    uint16_t m_pass = 0;
    int m_passesNeeded = 0;
    bool m_changed = false;
    bool m_forceLong = false;
    bool m_recordListing = false;
    std::string_view m_lineText;
    uint32_t m_lineFile = 0;
    uint32_t m_lineNo = 0;
    bool m_inComment = false;
    char m_commentDelim = 0;
    uint32_t m_commentFile = 0, m_commentLine = 0;
    Section m_code;
    Section m_data;
    bool m_inData = false;
    int64_t m_dataBase = 0; // address .data starts at (code end of the previous pass)
    int64_t m_prevCodeEnd = 0;
    bool m_limitReported = false;
    bool m_statementSeen = false; // the first one decides whether the source is flat
    bool m_modelReported = false;
    bool m_segmentReported = false;
    Directives m_directives;
    ProcState m_proc;
    StructureBuilder m_struct;
    std::vector<int64_t> m_anonPrev, m_anonCur;
    bool m_anonForwardUsed = false;
    std::vector<uint8_t> m_sites;
    std::vector<int64_t> m_siteAddresses; // where each instruction was in the previous pass
    uint32_t m_siteIndex = 0;
    bool m_grew = false; // some instruction chose a longer form in this pass
    std::vector<uint8_t> m_scratch;
    // An uninitialised "dup n,?" must end the image: the first later data is an error.
    bool m_uninitDupCode = false, m_uninitDupData = false;
    bool m_dataInitialized = false;
    uint32_t m_firstDataFile = 0, m_firstDataLine = 0;

    // Equ definitions of this pass with the symbols their values were made from; the ones found
    // on a cycle at the end of a pass are reported on their lines in the next one.
    struct EquDefinition
    {
        uint32_t symbol;
        std::vector<uint32_t> uses;
    };
    std::vector<EquDefinition> m_equDefinitions;
    std::vector<uint32_t> m_circularEqus; // sorted
    bool m_circularReported = false;
    void findCircularEqus();

    // Object output, per pass: the fixups of each segment, the names .external gave in order,
    // where .start stood.
    struct SectionFixup
    {
        uint32_t offset;
        FixupLoc loc;
        Reloc reloc;
    };
    std::vector<SectionFixup> m_codeFixups, m_dataFixups;
    std::vector<SectionFixup> &fixupList(); // of the segment open
    bool &uninitDupCode()
    {
        return m_codeSeg ? m_namedCode[m_codeSeg - 1].uninitDup : m_uninitDupCode;
    }
    // Code segments of their own (".code NAME"), in the order a pass first opens them; a
    // symbol's codeSeg is the position here plus one. A deque keeps each section in place.
    struct NamedCode
    {
        uint32_t name = 0;
        Section section;
        std::vector<SectionFixup> fixups;
        bool uninitDup = false; // as m_uninitDupCode, for this segment's own image
    };
    std::deque<NamedCode> m_namedCode;
    uint16_t m_codeSeg = 0; // the code segment open: 0 for _TEXT
    bool m_segmentLimitReported = false;
    std::vector<uint32_t> m_declared;
    bool m_startMarked = false;
    bool m_exitOutsideProc = false; // the program ends here: without .start, it starts here too
    int64_t m_startAddress = 0;
    uint16_t m_startSeg = 0, m_exitSeg = 0; // the code segments of .start and that .exit
    bool m_externalLimitReported = false;

    std::vector<ListingLine> m_listing;
    int64_t m_year = 0, m_month = 0, m_day = 0;
};

} // namespace qvasm
