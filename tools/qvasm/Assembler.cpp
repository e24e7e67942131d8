#include "qvasm/Assembler.h"

#include "qvasm/ExprParser.h"
#include "qvasm/UsesCode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <unordered_map>

namespace qvasm {

namespace {

constexpr int kMaxPasses = 24;
constexpr int kForceLongAfter = 16;
constexpr int kMaxPassesLarge = 8; // for sources of more than a million lines
constexpr uint64_t kMaxLinesAllPasses = 10000000;
constexpr uint64_t kMaxLinesPerPass = 1u << 24;
constexpr uint64_t kMaxBytesPerPass = 256u * 1024 * 1024;
constexpr uint64_t kSymbolSpace = 64u * 1024 * 1024;
constexpr uint64_t kSymbolCost = 32; // bytes a definition costs besides its name
constexpr size_t kListingBytes = 16;
// A listing is for reading: a million lines of 256 characters is more than anyone reads.
constexpr size_t kMaxListingLines = 1000000;
constexpr size_t kMaxListingText = 256;
constexpr uint8_t kAllLong = 2 | SiteImmLong | SiteJmpLong;
// Code segments besides _TEXT: well within what an object's indices and a linker take.
constexpr size_t kMaxNamedCode = 1024;
constexpr size_t kMaxSegmentName = 64;

int elementSize(Dir d)
{
    switch (d) {
    case Dir::Db:
    case Dir::Byte:
        return 1;
    case Dir::Dw:
    case Dir::Word:
        return 2;
    case Dir::Dd:
    case Dir::Dword:
        return 4;
    case Dir::Df:
    case Dir::Fword:
        return 6;
    case Dir::Dq:
    case Dir::Qword:
        return 8;
    default:
        return 0;
    }
}

} // namespace

Assembler::Assembler(AssemblerOptions options, SourceLoader *loader)
    : m_options(std::move(options))
    , m_reader(loader ? loader : &m_diskLoader)
    , m_parser(m_names)
    , m_directives(*this, m_reader, m_options)
    , m_struct(m_symbols)
{
    m_reporter = [this](uint8_t code, const std::string &detail) { error(code, detail); };
    m_encoderReporter = [this](uint8_t code, const std::string &detail, bool isDiag) {
        if (isDiag)
            diag(code, detail);
        else
            error(code, detail);
    };
    m_encoder = std::make_unique<Encoder>(m_encoderReporter);
    // %year, %month, %day: the date is read once per process.
    static const std::tm today = [] {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        return tm;
    }();
    m_year = today.tm_year + 1900;
    m_month = today.tm_mon + 1;
    m_day = today.tm_mday;
}

void Assembler::reset()
{
    m_names.clear();
    m_symbols.clear();
    m_messages.clear();
    m_reader.clear();
    m_pass = 0;
    m_passesNeeded = 0;
    m_changed = false;
    m_forceLong = false;
    m_prevCodeEnd = 0;
    m_sites.clear();
    m_siteAddresses.clear();
    m_anonPrev.clear();
    m_anonCur.clear();
    m_listing.clear();
}

Assembler::~Assembler() = default;

uint64_t Assembler::symbolSpaceFree() const
{
    const uint64_t used = m_names.bytes() + kSymbolCost * m_symbols.definedCount();
    return used >= kSymbolSpace ? 0 : kSymbolSpace - used;
}

// ---- files ---------------------------------------------------------------------------------

void Assembler::assembleFile(const std::string &path)
{
    const std::string abs = SourceLoader::absolutePath(path);
    uint32_t id = 0;
    uint8_t failure = 0;
    std::string detail;
    if (!m_reader.load(abs, id, failure, detail)) {
        messageAt(MsgKind::Error, failure, detail, m_reader.addName(abs), 0);
        return;
    }
    run(id);
}

void Assembler::assembleText(std::string_view text, const std::string &name)
{
    run(m_reader.addText(text, name));
}

// ---- passes --------------------------------------------------------------------------------

void Assembler::run(uint32_t mainFile)
{
    m_mainFile = mainFile;
    // A pass in which some instruction grew is progress: choices only grow, so such passes
    // run out. Only passes that move labels without it count against the limit, and the
    // lines all passes read are bounded.
    int limit = std::numeric_limits<int>::max();
    int stalled = 0;
    uint64_t totalLines = 0;
    for (m_pass = 1;; ++m_pass) {
        runPass();
        m_passesNeeded = m_pass;
        totalLines += m_reader.linesRead();
        if (m_reader.linesRead() > 1000000)
            limit = std::min(limit, kMaxPassesLarge);
        // A reported cycle of equs is final: more passes would only move its values on.
        if (!m_changed || m_circularReported)
            break;
        if (!m_grew)
            ++stalled;
        // Passes cost the lines they read: however many lines includes expand to, the passes
        // together read a bounded number.
        if (totalLines > kMaxLinesAllPasses)
            limit = std::min(limit, m_pass + 2);
        if (m_pass >= limit || stalled >= kMaxPasses) {
            error(0x20, "labels still move after " + std::to_string(m_pass) + " passes");
            return;
        }
        if (stalled == kForceLongAfter || m_pass + 2 == limit)
            m_forceLong = true; // every choice long: addresses must settle now
    }
    if (m_options.listing) {
        // One more pass, identical to the last, that keeps what the listing shows.
        m_recordListing = true;
        ++m_pass;
        runPass();
        m_recordListing = false;
    }
}

void Assembler::runPass()
{
    m_changed = false;
    m_messages.clear();
    m_messages.setDiagnosticsCounted(m_options.diagnostics);
    m_reader.begin(m_mainFile);
    m_inComment = false;
    m_code.reset(m_options.origin);
    m_dataBase = m_pass == 1 ? m_options.origin : m_prevCodeEnd;
    m_data.reset(m_dataBase);
    m_inData = false;
    m_limitReported = false;
    m_modelReported = false;
    m_segmentReported = false;
    m_directives.beginPass();
    m_statementSeen = false;
    m_proc = ProcState{};
    m_struct.clear();
    m_anonPrev.swap(m_anonCur);
    m_anonCur.clear();
    m_anonForwardUsed = false;
    m_siteIndex = 0;
    m_grew = false;
    m_uninitDupCode = m_uninitDupData = false;
    m_dataInitialized = false;
    m_listing.clear();
    m_equDefinitions.clear();
    m_circularReported = false;
    m_codeFixups.clear();
    m_dataFixups.clear();
    m_namedCode.clear();
    m_codeSeg = 0;
    m_segmentLimitReported = false;
    m_startSeg = m_exitSeg = 0;
    for (uint32_t id : m_declared)
        m_symbols[id].declared = false;
    m_declared.clear();
    m_startMarked = false;
    m_exitOutsideProc = false;
    m_startAddress = 0;
    m_externalLimitReported = false;

    std::string_view line;
    while (!m_directives.ended() && nextLine(line)) {
        processLine(line);
        if (m_reader.linesRead() > kMaxLinesPerPass || m_reader.bytesRead() > kMaxBytesPerPass) {
            // Only repeated inclusion gets here: no single source is that large.
            error(0x0F,
                  "included text beyond " + std::to_string(kMaxLinesPerPass) + " lines or "
                      + std::to_string(kMaxBytesPerPass >> 20) + " MiB");
            m_directives.endSource();
        }
    }
    endOfPass();
}

bool Assembler::nextLine(std::string_view &line)
{
    for (;;) {
        switch (m_reader.next(line)) {
        case SourceReader::Event::Line:
            m_lineFile = m_reader.file();
            m_lineNo = m_reader.line();
            m_lineText = line;
            return true;
        case SourceReader::Event::FileEnd:
            if (m_inComment && m_commentFile == m_reader.file()) {
                messageAt(MsgKind::Error, 0x92, {}, m_commentFile, m_commentLine);
                m_inComment = false;
            }
            if (m_reader.depth() == 0) {
                // The end of the main file: where its end-of-source messages go.
                m_lineFile = m_reader.file();
                m_lineNo = m_reader.line();
                m_lineText = {};
            }
            continue;
        case SourceReader::Event::Done:
            return false;
        }
    }
}

void Assembler::endOfPass()
{
    m_lineText = {};
    findCircularEqus();
    if (m_struct.open())
        error(0x59, std::string(m_names.spelling(m_struct.name())));
    if (m_proc.open)
        error(0x6A, std::string(m_names.spelling(m_proc.name)));
    if (m_directives.conditionals().open())
        error(0x1B);
    if (!m_options.snippet && !m_directives.flat() && !m_directives.ended())
        error(0x18);
    // Only a .COM image puts the data after the code; an object's segments are apart.
    if (m_uninitDupCode && m_dataInitialized && !object())
        messageAt(MsgKind::Error, 0x5C, {}, m_firstDataFile, m_firstDataLine);
    const int64_t codeEnd = m_code.address();
    // In an object file the data has a segment of its own, from offset 0.
    if (m_data.touched() && m_dataBase != codeEnd && !object())
        m_changed = true;
    m_prevCodeEnd = codeEnd;
    if (m_anonForwardUsed && m_anonCur != m_anonPrev)
        m_changed = true;
}

// An equ whose value is made, at some remove, from itself never settles ("a equ b", "b equ a"
// give both whatever the previous pass left). Found here without recursion, so a chain of any
// length costs no stack; reported on the lines of the cycle in the next pass.
void Assembler::findCircularEqus()
{
    std::unordered_map<uint32_t, uint32_t> index; // symbol -> its definition in this pass
    index.reserve(m_equDefinitions.size());
    for (uint32_t i = 0; i < m_equDefinitions.size(); ++i)
        index.emplace(m_equDefinitions[i].symbol, i);
    // Strongly connected components (Tarjan's), walked with an explicit stack.
    constexpr uint32_t Unseen = UINT32_MAX;
    const size_t n = m_equDefinitions.size();
    std::vector<uint32_t> order(n, Unseen), low(n, 0);
    std::vector<bool> onStack(n, false), selfUse(n, false), circular(n, false);
    std::vector<uint32_t> component;
    struct Step
    {
        uint32_t node;
        size_t next; // the next use of the node to follow
    };
    std::vector<Step> path;
    uint32_t counter = 0;
    const auto visit = [&](uint32_t v) {
        order[v] = low[v] = counter++;
        component.push_back(v);
        onStack[v] = true;
        path.push_back({v, 0});
    };
    for (uint32_t start = 0; start < n; ++start) {
        if (order[start] != Unseen)
            continue;
        visit(start);
        while (!path.empty()) {
            Step &top = path.back();
            const uint32_t v = top.node;
            const std::vector<uint32_t> &uses = m_equDefinitions[v].uses;
            if (top.next < uses.size()) {
                const auto it = index.find(uses[top.next++]);
                if (it == index.end())
                    continue;
                const uint32_t w = it->second;
                if (w == v)
                    selfUse[v] = true;
                if (order[w] == Unseen)
                    visit(w);
                else if (onStack[w])
                    low[v] = std::min(low[v], order[w]);
                continue;
            }
            path.pop_back();
            if (!path.empty())
                low[path.back().node] = std::min(low[path.back().node], low[v]);
            if (low[v] != order[v])
                continue;
            const size_t first = size_t(std::find(component.rbegin(), component.rend(), v).base()
                                        - component.begin())
                                 - 1;
            const bool cycle = component.size() - first > 1 || selfUse[v];
            for (size_t k = first; k < component.size(); ++k) {
                onStack[component[k]] = false;
                circular[component[k]] = cycle;
            }
            component.resize(first);
        }
    }
    std::vector<uint32_t> found;
    for (uint32_t i = 0; i < circular.size(); ++i) {
        if (circular[i])
            found.push_back(m_equDefinitions[i].symbol);
    }
    std::sort(found.begin(), found.end());
    if (found != m_circularEqus) {
        m_circularEqus = std::move(found);
        m_changed = true; // one more pass puts the errors on their lines
    }
}

// ---- messages ------------------------------------------------------------------------------

void Assembler::messageAt(
    MsgKind kind, uint8_t code, std::string detail, uint32_t file, uint32_t line)
{
    if (m_messages.full()) {
        m_messages.count(kind); // past the kept ones, a count is all that is needed
        return;
    }
    Message m;
    m.kind = kind;
    m.code = code;
    m.file = file;
    m.line = line;
    m.detail = std::move(detail);
    if (kind != MsgKind::Print && file == m_lineFile && line == m_lineNo)
        m.source = std::string(m_lineText.substr(0, 512));
    m_messages.add(std::move(m));
}

void Assembler::error(uint8_t code, std::string detail)
{
    messageAt(MsgKind::Error, code, std::move(detail), m_lineFile, m_lineNo);
}

void Assembler::diag(uint8_t code, std::string detail)
{
    messageAt(MsgKind::Diag, code, std::move(detail), m_lineFile, m_lineNo);
}

void Assembler::print(std::string text)
{
    messageAt(MsgKind::Print, 0, std::move(text), m_lineFile, m_lineNo);
}

// ---- lines ---------------------------------------------------------------------------------

EvalEnv Assembler::env()
{
    EvalEnv e;
    e.symbols = &m_symbols;
    e.names = &m_names;
    e.pass = m_pass;
    e.dollar = here();
    e.line = m_lineNo;
    e.anonPrev = &m_anonPrev;
    e.anonCur = &m_anonCur;
    e.anonForwardUsed = &m_anonForwardUsed;
    e.year = m_year;
    e.month = m_month;
    e.day = m_day;
    e.object = object();
    e.dollarInData = m_inData;
    e.dollarSeg = m_codeSeg;
    return e;
}

void Assembler::processLine(std::string_view line)
{
    ListingLine *rec = nullptr;
    if (m_recordListing && m_listing.size() < kMaxListingLines) {
        m_listing.push_back({});
        rec = &m_listing.back();
        rec->file = m_lineFile;
        rec->line = m_lineNo;
        rec->text = std::string(line.substr(0, kMaxListingText));
        rec->firstMessage = rec->endMessage = uint32_t(m_messages.items().size());
    }
    if (m_inComment) {
        if (line.find(m_commentDelim) != std::string_view::npos)
            m_inComment = false;
        return;
    }
    // An unterminated comment reports on its opening line: keep the listing's tie to it.
    struct TieMessages
    {
        Assembler &a;
        bool on;
        ~TieMessages()
        {
            if (on)
                a.m_listing.back().endMessage = uint32_t(a.m_messages.items().size());
        }
    } tie{*this, rec != nullptr};
    size_t delim = 0;
    if (StatementParser::isCommentStart(line, delim)) {
        if (delim == std::string_view::npos) {
            error(0x22, "comment");
            return;
        }
        if (line.find(line[delim], delim + 1) == std::string_view::npos) {
            m_inComment = true;
            m_commentDelim = line[delim];
            m_commentFile = m_lineFile;
            m_commentLine = m_lineNo;
        }
        return;
    }
    m_parser.parse(line, m_st);
    if (!m_directives.conditionals().active()) {
        // Faulty lines too: blocks pair up whatever their lines hold.
        if (m_st.kind == StmtKind::Directive && Directives::isConditional(m_st.dir))
            m_directives.executeConditional(m_st);
        return;
    }
    Section *before = &section();
    const int64_t addr = before->address();
    const uint64_t len = before->length();
    execute();
    if (rec) {
        rec = &m_listing.back();
        rec->endMessage = uint32_t(m_messages.items().size());
        rec->hasAddress = m_st.kind != StmtKind::Empty || m_st.label || m_st.anonLabel;
        rec->address = addr;
        if (m_st.kind == StmtKind::Directive && m_st.dir == Dir::Model && object())
            rec->address = here(); // the segments of an object file start at 0
        if (&section() == before && before->length() > len) {
            rec->byteCount = before->length() - len;
            const auto &bytes = before->bytes();
            for (uint64_t i = len; i < bytes.size() && i < len + kListingBytes; ++i)
                rec->bytes.push_back(bytes[size_t(i)]);
        }
    }
}

void Assembler::execute()
{
    if (!m_statementSeen && (m_st.kind != StmtKind::Empty || m_st.label || m_st.anonLabel)) {
        m_statementSeen = true;
        if (!m_options.snippet && m_st.kind == StmtKind::Instruction && !m_st.label
            && !m_st.anonLabel && mnemonicInfo(m_st.mnemonic).base == Mn_org)
            m_directives.beginFlatSource();
    }
    if (m_st.error) {
        if (m_st.labelColon && m_st.label && !m_struct.open())
            defineLabel(m_st.label, SymKind::Label, here());
        error(m_st.error, std::string(m_st.detail));
        if (m_st.kind == StmtKind::Directive && Directives::isConditional(m_st.dir))
            m_directives.executeConditional(m_st);
        return;
    }
    if (m_struct.open() && m_st.kind != StmtKind::Ends) {
        // Directives that emit nothing keep working inside a structure; .end ends it all.
        const bool emits = m_st.dir == Dir::Exit || m_st.dir == Dir::Even || m_st.dir == Dir::Para
                           || m_st.dir == Dir::Adsize || m_st.dir == Dir::Opsize;
        if (m_st.kind == StmtKind::Directive && !emits)
            m_directives.execute(m_st);
        else
            executeStructMember();
        return;
    }
    if (m_st.labelColon && m_st.label) {
        requireCode();
        defineLabel(m_st.label, SymKind::Label, here());
    }
    if (m_st.anonLabel) {
        requireCode();
        m_anonCur.push_back(here());
    }
    switch (m_st.kind) {
    case StmtKind::Empty:
        return;
    case StmtKind::Prefix: {
        requireCode();
        std::vector<uint8_t> bytes;
        for (uint16_t p : m_st.prefixes) {
            if (p & 0x8000) {
                static constexpr uint8_t kSeg[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65};
                bytes.push_back(kSeg[(p & 0xFF) - RegES]);
            } else {
                const Mn b = mnemonicInfo(p).base;
                bytes.push_back(b == Mn_lock ? 0xF0 : (b == Mn_repne ? 0xF2 : 0xF3));
            }
        }
        emitBytes(bytes);
        return;
    }
    case StmtKind::Instruction:
        executeInstruction();
        return;
    case StmtKind::Directive:
        m_directives.execute(m_st);
        return;
    case StmtKind::Data:
        executeData();
        return;
    case StmtKind::DupBytes:
        executeDupBytes();
        return;
    case StmtKind::Equ:
        executeEqu(false);
        return;
    case StmtKind::Assign:
        executeEqu(true);
        return;
    case StmtKind::Proc:
        executeProc();
        return;
    case StmtKind::Endp:
        executeEndp();
        return;
    case StmtKind::Struct:
        executeStructStart();
        return;
    case StmtKind::Ends:
        executeStructEnd();
        return;
    case StmtKind::Instance:
        executeInstance();
        return;
    }
}

bool Assembler::requireCode()
{
    if (m_options.snippet)
        return true;
    if (m_directives.model() == Directives::Model::None && !m_modelReported) {
        m_modelReported = true;
        error(0x7C);
    }
    if (!m_directives.segmentSeen() && !m_segmentReported) {
        m_segmentReported = true;
        error(0x52);
    }
    return true;
}

void Assembler::defineLabel(uint32_t id,
                            SymKind kind,
                            int64_t value,
                            uint8_t size,
                            uint32_t length,
                            uint32_t structType,
                            bool far)
{
    if (!id)
        return;
    const uint16_t segHere = m_inData ? 0 : m_codeSeg;
    Symbol &s = m_symbols[id];
    if (s.definedPass == m_pass && s.kind == SymKind::External) {
        // Named by .external before its definition here: it is public, not external, and
        // the uses before this line assumed otherwise.
        m_changed = true;
        s.definedPass = m_pass - 1;
    }
    if (s.definedPass == m_pass) {
        if (kind == SymKind::Assign && s.kind == SymKind::Assign) {
            s.value = value;
            s.size = size;
            return;
        }
        if (kind == SymKind::Equ && s.kind == SymKind::Equ && s.value == value)
            return;
        const std::string name(m_names.spelling(id));
        if (kind != s.kind)
            error(0x26, name);
        else if (kind == SymKind::Equ)
            error(0x1E, name);
        else
            error(0x1F, name);
        return;
    }
    if (s.definedPass == 0) {
        if (symbolSpaceFree() < kSymbolCost) {
            error(0x10, std::string(m_names.spelling(id)));
            return;
        }
        m_symbols.countDefinition();
    } else if (kind != SymKind::Assign
               && (s.value != value || s.kind != kind || s.size != size || s.far != far)) {
        m_changed = true;
    } else if (kind != SymKind::Equ && kind != SymKind::Assign && s.codeSeg != segHere) {
        m_changed = true; // the same offset in another segment is another address
    }
    if (s.pendingPass == m_pass)
        m_changed = true;
    s.kind = kind;
    s.value = value;
    s.size = size;
    s.length = length;
    s.structType = structType;
    s.far = far;
    s.memory = false;
    s.relative = false;
    s.inData = m_inData;
    s.codeSeg = segHere;
    s.definedPass = m_pass;
    s.file = m_lineFile;
    s.line = m_lineNo;
}

// ".code NAME" opens the segment NAME, a new one the first time; "_TEXT" and plain ".code" are
// the first code segment. The names of the data group's segments are not code segments.
void Assembler::selectCodeSegment(uint32_t name)
{
    if (!name) {
        m_codeSeg = 0;
        return;
    }
    std::string upper(m_names.spelling(name));
    for (char &c : upper)
        c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    if (upper == "_TEXT") {
        m_codeSeg = 0;
        return;
    }
    if (upper == "_DATA" || upper == "STACK" || upper == "DGROUP") {
        error(0x22, upper + " is not a code segment");
        return;
    }
    if (upper.size() > kMaxSegmentName) {
        error(0x6F, upper);
        return;
    }
    for (size_t i = 0; i < m_namedCode.size(); ++i) {
        if (m_namedCode[i].name == name) {
            m_codeSeg = uint16_t(i + 1);
            return;
        }
    }
    if (m_namedCode.size() >= kMaxNamedCode) {
        if (!m_segmentLimitReported)
            error(0x6E, "more than " + std::to_string(kMaxNamedCode) + " code segments");
        m_segmentLimitReported = true;
        return;
    }
    m_namedCode.emplace_back();
    m_namedCode.back().name = name;
    m_namedCode.back().section.reset(0);
    m_codeSeg = uint16_t(m_namedCode.size());
}

// ---- emission ------------------------------------------------------------------------------

void Assembler::checkLimit()
{
    // Snippets stand for single instructions anywhere in a bigger file: no 64 KiB image. orgnf
    // can set the counter back and go on, but no further than the bytes a section holds: past
    // them the image would lose bytes.
    if (!m_limitReported && !m_options.snippet
        && (section().address() > 0x10000 || section().length() > Section::Cap)) {
        m_limitReported = true;
        error(0x1A);
    }
}

void Assembler::noteEmission(uint64_t count, bool initialized)
{
    checkLimit();
    if (!initialized || count == 0)
        return;
    if (m_inData) {
        if (m_uninitDupData) {
            m_uninitDupData = false;
            error(0x5C);
        }
        if (!m_dataInitialized) {
            m_dataInitialized = true;
            m_firstDataFile = m_lineFile;
            m_firstDataLine = m_lineNo;
        }
    } else if (uninitDupCode()) {
        uninitDupCode() = false;
        error(0x5C);
    }
}

void Assembler::emit(std::initializer_list<uint8_t> bytes)
{
    section().emit(bytes.begin(), bytes.size());
    noteEmission(bytes.size(), true);
}

void Assembler::emitBytes(const std::vector<uint8_t> &bytes)
{
    section().emit(bytes);
    noteEmission(bytes.size(), true);
}

std::vector<Assembler::SectionFixup> &Assembler::fixupList()
{
    if (m_inData)
        return m_dataFixups;
    return m_codeSeg ? m_namedCode[m_codeSeg - 1].fixups : m_codeFixups;
}

void Assembler::noteFixups(int64_t at, const std::vector<EncodedFixup> &fixups)
{
    auto &list = fixupList();
    for (const EncodedFixup &f : fixups)
        list.push_back({uint32_t(at + f.pos), f.loc, f.reloc});
}

void Assembler::noteFixups(int64_t at, const std::vector<DataFixup> &fixups)
{
    auto &list = fixupList();
    for (const DataFixup &f : fixups) {
        if (uint64_t(at) + f.pos < 0x10000)
            list.push_back({uint32_t(uint64_t(at) + f.pos), f.loc, f.reloc});
    }
}

void Assembler::emitBuilt(const BuiltData &b)
{
    noteFixups(here(), b.fixups);
    if (b.initialized)
        section().emitLong(b.bytes.data(), b.bytes.size(), b.length);
    else
        section().reserve(b.length);
    noteEmission(b.length, b.initialized);
}

// ---- instructions --------------------------------------------------------------------------

void Assembler::executeInstruction()
{
    requireCode();
    const MnemonicInfo *mi = &mnemonicInfo(m_st.mnemonic);
    const Mn base = mi->base;
    if (base == Mn_org || base == Mn_orgnf) {
        executeOrg(base == Mn_org);
        return;
    }
    if (m_st.operands.size() > 3) {
        error(0x14);
        return;
    }
    const bool isReturn = base == Mn_ret || base == Mn_retf;
    const bool isIret = base == Mn_iret || base == Mn_iretd;
    // An interrupt handler saves registers with "uses" too: they come back before iret.
    std::vector<uint8_t> pops;
    if (m_proc.open && (isIret || isReturn))
        UsesCode::pops(m_proc.uses, pops);
    emitBytes(pops);
    if (isReturn) {
        if (!m_proc.open && m_directives.startUsed())
            error(0x8B);
        if (m_proc.open) {
            if (base == Mn_ret && m_proc.far) {
                static const uint16_t retf = lookupKeyword("retf")->id;
                mi = &mnemonicInfo(retf);
            }
        }
    }
    EncodeRequest req;
    req.mi = mi;
    req.nops = int(m_st.operands.size());
    const EvalEnv e = env();
    Evaluator ev(m_st, e, m_reporter);
    for (int i = 0; i < req.nops; ++i) {
        Value v;
        if (!ev.eval(m_st.operands[size_t(i)], v) || !ev.toOperand(v, req.ops[i]))
            return;
    }
    req.prefixes = &m_st.prefixes;
    req.cpu = m_directives.cpu();
    req.optimize = m_directives.optimize();
    req.jumps = m_directives.jumps();
    req.address = here();
    if (m_siteIndex >= m_sites.size()) {
        m_sites.resize(m_siteIndex + 1, 0);
        m_siteAddresses.resize(m_siteIndex + 1, req.address);
    }
    req.moved = req.address - m_siteAddresses[m_siteIndex];
    m_siteAddresses[m_siteIndex] = req.address;
    req.site = m_forceLong ? kAllLong : m_sites[m_siteIndex];
    req.object = object();
    // In a .COM image .data follows the code in the one segment; in an object it is a segment
    // of its own, which no near transfer leaves.
    req.section = !m_inData ? m_codeSeg : object() ? EncodeRequest::DataSegment : 0;
    m_scratch.clear();
    m_encoder->encode(req, m_scratch);
    noteFixups(req.address, m_encoder->fixups());
    if (!m_forceLong) {
        m_grew = m_grew || req.site != m_sites[m_siteIndex];
        m_sites[m_siteIndex] = req.site;
    }
    ++m_siteIndex;
    emitBytes(m_scratch);
    if (base == Mn_popad && m_directives.popadBug())
        emit({0x90}); // the 386's popad erratum: the next instruction must not use eax
    if (m_proc.open) {
        m_proc.lastWasReturn = isReturn || isIret || (base == Mn_jmp && req.nops == 1);
    }
}

void Assembler::executeOrg(bool fill)
{
    if (m_inData) {
        error(0x22, "org in .data");
        return;
    }
    if (m_st.operands.size() != 1) {
        error(m_st.operands.empty() ? 0x2E : 0x14);
        return;
    }
    const EvalEnv e = env();
    Evaluator ev(m_st, e, m_reporter);
    int64_t v = 0;
    if (!ev.constantNoForward(m_st.operands[0], v))
        return;
    if (v < 0 || v > 0xFFFF) {
        error(0x17, std::to_string(v));
        return;
    }
    Section &code = codeSection();
    if (code.length() == 0) {
        // Nothing emitted yet: this is where the image starts.
        code.setStart(v);
        return;
    }
    if (!fill) {
        if (object()) {
            // An object file's records place bytes by their offsets: no counter apart from them.
            error(0x53, "orgnf");
            return;
        }
        code.moveTo(v);
        return;
    }
    if (v < here()) {
        error(0x22, "org below the current location");
        return;
    }
    code.reserve(uint64_t(v - here()));
    noteEmission(0, false);
}

// ---- data ----------------------------------------------------------------------------------

void Assembler::executeData()
{
    requireCode();
    const int elem = elementSize(m_st.dir);
    const int64_t at = here();
    if (m_st.label && !m_st.labelColon) {
        // Defined before the items are read, so an item may name its own variable.
        const Symbol &prev = m_symbols[m_st.label];
        defineLabel(m_st.label, SymKind::Data, at, uint8_t(elem), prev.definedPass ? prev.length : 0);
    }
    const EvalEnv e = env();
    Evaluator ev(m_st, e, m_reporter);
    BuiltData b;
    DataBuilder(m_st, ev, m_encoderReporter).items(elem, b);
    if (m_st.label && !m_st.labelColon) {
        Symbol &s = m_symbols[m_st.label];
        const uint32_t length = uint32_t(std::min<uint64_t>(b.length, UINT32_MAX));
        if (s.definedPass == m_pass && s.kind == SymKind::Data && s.value == at) {
            if (s.length != length)
                m_changed = true;
            s.length = length;
        }
    }
    emitBuilt(b);
}

void Assembler::executeDupBytes()
{
    if (!m_struct.open())
        requireCode();
    const EvalEnv e = env();
    Evaluator ev(m_st, e, m_reporter);
    int64_t count = 0;
    if (!ev.constantNoForward(m_st.operands[0], count))
        return;
    if (count < 0 || count > DataBuilder::MaxDupCount) {
        error(0x55, std::to_string(count));
        return;
    }
    if (count == 0)
        diag(0x51);
    const ExprNode &valueNode = m_st.nodes[m_st.operands[1]];
    BuiltData b;
    b.length = uint64_t(count);
    if (valueNode.op != ExprOp::Question) {
        int64_t v = 0;
        if (!ev.constant(m_st.operands[1], v))
            return;
        if (v < 0 || v > 255) {
            error(0x55, std::to_string(v));
            return;
        }
        b.initialized = true;
        b.bytes.assign(size_t(count), uint8_t(v));
    }
    if (m_struct.open()) {
        if (const uint8_t e = m_struct.addData(m_st.label, 1, b))
            error(e);
        return;
    }
    if (m_st.label)
        defineLabel(m_st.label, SymKind::Data, here(), 1, uint32_t(count));
    emitBuilt(b);
    if (!b.initialized && count > 0) {
        if (m_inData)
            m_uninitDupData = true;
        else
            uninitDupCode() = true;
    }
}

void Assembler::executeEqu(bool assign)
{
    if (m_st.operands.size() != 1) {
        error(0x2E);
        return;
    }
    const uint32_t id = m_st.label;
    if (!assign && id && std::binary_search(m_circularEqus.begin(), m_circularEqus.end(), id)) {
        error(0x28, "circular definition of " + std::string(m_names.spelling(id)));
        m_circularReported = true;
    }
    const EvalEnv e = env();
    Evaluator ev(m_st, e, m_reporter);
    std::vector<uint32_t> uses;
    if (!assign)
        ev.recordSymbols(&uses);
    Value v;
    const bool ok = ev.eval(m_st.operands[0], v);
    if (!assign && id && m_symbols[id].definedPass != m_pass)
        m_equDefinitions.push_back({id, std::move(uses)});
    if (!ok)
        return;
    if (v.nregs || v.farPtr || v.typeOnly) {
        error(0x38);
        return;
    }
    Reloc reloc;
    if (!ev.checkAddresses(v) || !ev.relocation(v, reloc))
        return;
    const Symbol &before = m_symbols[id];
    const bool redefined = before.definedPass && before.definedPass != m_pass;
    const bool wasMemory = before.memory, wasRelative = before.relative;
    const RelocTarget wasTarget = before.relocTarget, wasBase = before.base;
    const uint32_t wasExt = before.relocExt;
    const uint16_t wasSeg = before.codeSeg;
    defineLabel(id, assign ? SymKind::Assign : SymKind::Equ, v.num, v.size, v.length, v.structType);
    Symbol &s = m_symbols[id];
    if (s.definedPass == m_pass) {
        s.memory = v.memory();
        s.relative = v.relative == 1;
        s.length = v.length;
        s.relocTarget = reloc.kind == Reloc::Kind::Offset ? reloc.target : RelocTarget::None;
        s.relocExt = reloc.ext;
        s.relocExtData = reloc.extData;
        s.codeSeg = reloc.target == RelocTarget::Code ? reloc.section : 0;
        s.base = reloc.kind == Reloc::Kind::Base ? reloc.target : RelocTarget::None;
        if (!object())
            s.relocTarget = s.base = RelocTarget::None;
        // A use before this line took the previous pass's kind of operand.
        if (redefined
            && (s.memory != wasMemory || s.relative != wasRelative || s.relocTarget != wasTarget
                || s.base != wasBase || s.relocExt != wasExt || s.codeSeg != wasSeg))
            m_changed = true;
    }
}

// ---- procedures and structures ---------------------------------------------------------------

void Assembler::executeProc()
{
    if (m_proc.open) {
        error(0x57);
        return;
    }
    requireCode();
    const bool far = m_st.distance == Dir::Far;
    defineLabel(m_st.label, SymKind::Proc, here(), 0, 0, 0, far);
    m_proc = ProcState{};
    m_proc.open = true;
    m_proc.name = m_st.label;
    m_proc.far = far;
    m_proc.noret = m_directives.takePendingNoret();
    m_proc.uses = m_st.uses;
    filterUses(m_proc.uses);
    std::vector<uint8_t> pushes;
    UsesCode::pushes(m_proc.uses, pushes);
    emitBytes(pushes);
}

void Assembler::filterUses(std::vector<Reg> &uses)
{
    // Registers the CPU directives do not allow (or cs, which cannot be popped) are reported
    // here, once, and left out of the pushes and the pops.
    std::vector<Reg> kept;
    for (Reg r : uses) {
        if (const uint8_t e = UsesCode::check(r, m_directives.cpu()))
            error(e, e == 0x23 ? "cs" : std::string());
        else
            kept.push_back(r);
    }
    uses.swap(kept);
}

void Assembler::executeEndp()
{
    if (!m_proc.open) {
        error(0x75);
        return;
    }
    if (m_st.typeName && m_st.typeName != m_proc.name)
        error(0x93, std::string(m_names.spelling(m_st.typeName)));
    if (!m_proc.lastWasReturn && !m_proc.noret)
        error(0x72, std::string(m_names.spelling(m_proc.name)));
    m_proc = ProcState{};
}

bool Assembler::markProcNoret()
{
    if (!m_proc.open)
        return false;
    m_proc.noret = true;
    return true;
}

void Assembler::markProcReturned()
{
    if (m_proc.open) {
        m_proc.lastWasReturn = true;
    } else if (!m_exitOutsideProc) {
        m_exitOutsideProc = true;
        m_exitSeg = m_inData ? 0 : m_codeSeg;
    }
}

void Assembler::smallModelChosen()
{
    // Each segment of an object file starts at offset 0 (org may still move the code).
    if (!m_code.touched())
        m_code.setStart(0);
    if (!m_data.touched())
        m_data.setStart(0);
    m_dataBase = 0;
}

void Assembler::declareExternal(std::string_view name, uint8_t size, bool far)
{
    const uint32_t id = m_names.intern(name);
    Symbol &s = m_symbols[id];
    if (s.declared)
        return;
    // The OMF index of an external or a public is at most 7FFFh.
    if (m_declared.size() >= 0x7FFF) {
        if (!m_externalLimitReported)
            error(0x6E, std::string(name));
        m_externalLimitReported = true;
        return;
    }
    s.declared = true;
    m_declared.push_back(id);
    const bool definedHere = s.definedPass != 0 && s.kind != SymKind::None
                             && s.kind != SymKind::External;
    if (definedHere)
        return; // public: the definition stays as it is
    if (s.definedPass == 0) {
        if (symbolSpaceFree() < kSymbolCost) {
            error(0x10, std::string(name));
            return;
        }
        m_symbols.countDefinition();
    }
    if (s.kind == SymKind::External && (s.size != size || s.far != far))
        m_changed = true;
    if (s.pendingPass == m_pass)
        m_changed = true;
    s.kind = SymKind::External;
    s.value = 0;
    s.size = size;
    s.far = far;
    s.relative = true;
    s.memory = false;
    s.inData = false;
    s.definedPass = m_pass;
    s.file = m_lineFile;
    s.line = m_lineNo;
}

void Assembler::markStart()
{
    if (m_inData) {
        error(0x22, ".start in .data");
        return;
    }
    m_startMarked = true;
    m_startAddress = here();
    m_startSeg = m_codeSeg;
}

void Assembler::executeStructStart()
{
    if (m_struct.open()) {
        error(0x59, std::string(m_names.spelling(m_st.label)));
        return;
    }
    const Symbol &s = m_symbols[m_st.label];
    const uint32_t previousLength = s.definedPass ? s.length : 0;
    uint32_t index = 0;
    if (!m_struct.begin(m_st.label, m_pass, index)) {
        error(0x1F, std::string(m_names.spelling(m_st.label)));
        return;
    }
    defineLabel(m_st.label, SymKind::Struct, 0, 0, previousLength, index);
}

void Assembler::executeStructMember()
{
    switch (m_st.kind) {
    case StmtKind::Empty:
        if (m_st.label || m_st.anonLabel)
            error(0x59);
        return;
    case StmtKind::Data: {
        const int elem = elementSize(m_st.dir);
        const EvalEnv e = env();
        Evaluator ev(m_st, e, m_reporter);
        BuiltData b;
        DataBuilder(m_st, ev, m_encoderReporter).items(elem, b);
        if (!b.fixups.empty()) {
            // A structure's initial bytes are copied as they are: nothing there is completed.
            error(0x37);
            return;
        }
        if (const uint8_t code = m_struct.addData(m_st.label, elem, std::move(b)))
            error(code);
        return;
    }
    case StmtKind::DupBytes:
        executeDupBytes();
        return;
    case StmtKind::Instance:
        if (const uint8_t code = m_struct.addInstance(m_st.label, m_st.typeName))
            error(code, std::string(m_names.spelling(m_st.typeName)));
        return;
    default:
        error(0x59);
        return;
    }
}

void Assembler::executeStructEnd()
{
    if (!m_struct.open()) {
        error(0x1B);
        return;
    }
    if (m_st.typeName && m_st.typeName != m_struct.name())
        error(0x59, std::string(m_names.spelling(m_st.typeName)));
    bool changed = false;
    m_struct.end(changed);
    if (changed)
        m_changed = true;
}

void Assembler::executeInstance()
{
    requireCode();
    Symbol &type = m_symbols[m_st.typeName];
    if (type.kind != SymKind::Struct || type.definedPass == 0) {
        if (type.kind == SymKind::None || type.definedPass == 0) {
            type.pendingPass = m_pass;
            error(0x21, std::string(m_names.spelling(m_st.typeName)));
        } else {
            error(0x2B, std::string(m_names.spelling(m_st.typeName)));
        }
        return;
    }
    const StructInfo &si = m_symbols.structInfo(type.structType);
    const uint32_t size = uint32_t(type.length);
    const uint8_t elem = (size == 1 || size == 2 || size == 4 || size == 6 || size == 8)
                             ? uint8_t(size)
                             : 0;
    defineLabel(m_st.label, SymKind::Data, here(), elem, size, m_st.typeName);
    std::vector<uint8_t> bytes = si.image;
    bytes.resize(size, 0);
    emitBytes(bytes);
}

// ---- image ---------------------------------------------------------------------------------

std::vector<uint8_t> Assembler::image() const
{
    return smallModel() ? writeObject(objectModule()) : comImage();
}

ObjectModule Assembler::objectModule() const
{
    ObjectModule m;
    if (m_mainFile < m_reader.names().size()) {
        const std::string &path = m_reader.names()[m_mainFile];
        m.name = path.substr(path.find_last_of('/') + 1);
    }
    const auto segment = [](const Section &sec, ObjectModule::Segment &out) {
        const auto &bytes = sec.bytes();
        const size_t n = size_t(std::min<uint64_t>(sec.initializedEnd(), bytes.size()));
        out.bytes.assign(bytes.begin(), bytes.begin() + long(n));
        out.start = uint32_t(std::clamp<int64_t>(sec.start(), 0, 0xFFFF));
        const int64_t end = std::max<int64_t>(sec.address(), sec.start() + int64_t(sec.length()));
        out.length = uint32_t(std::clamp<int64_t>(end, 0, 0x10000));
    };
    segment(m_code, m.code);
    segment(m_data, m.data);
    const auto upper = [](std::string name) {
        // The dialect ignores case; names the linker sees are given in capitals, as DOS
        // assemblers do by default.
        for (char &c : name)
            c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
        return name;
    };
    for (const NamedCode &c : m_namedCode) {
        ObjectModule::NamedCode out;
        out.name = upper(std::string(m_names.spelling(c.name)));
        segment(c.section, out.segment);
        m.namedCode.push_back(std::move(out));
    }
    m.stackSize = m_directives.stackSize();
    m.hasStack = m.stackSize != 0;
    std::unordered_map<uint32_t, uint32_t> extIndex; // name id -> EXTDEF index
    for (size_t i = 0; i < m_declared.size(); ++i) {
        const uint32_t id = m_declared[i];
        const Symbol *s = m_symbols.find(id);
        if (!s)
            continue;
        const std::string name = upper(std::string(m_names.spelling(id)));
        if (s->kind == SymKind::External) {
            m.externals.push_back(name);
            extIndex.emplace(id, uint32_t(m.externals.size()));
            continue;
        }
        ObjectModule::Public p;
        p.name = name;
        p.offset = uint32_t(s->value & 0xFFFF);
        if (s->kind == SymKind::Label || s->kind == SymKind::Proc || s->kind == SymKind::Data)
            p.segment = s->inData ? RelocTarget::Data : RelocTarget::Code;
        else if ((s->kind == SymKind::Equ || s->kind == SymKind::Assign) && s->relative)
            p.segment = s->relocTarget == RelocTarget::Data ? RelocTarget::Data : RelocTarget::Code;
        if (p.segment == RelocTarget::Code)
            p.section = s->codeSeg;
        else if (p.segment == RelocTarget::None && s->kind != SymKind::Equ
                 && s->kind != SymKind::Assign)
            continue; // a structure type is nothing to share
        m.publics.push_back(std::move(p));
    }
    const auto fixups = [&](const std::vector<SectionFixup> &in,
                            std::vector<ObjectModule::Fixup> &out) {
        for (const SectionFixup &f : in) {
            ObjectModule::Fixup o;
            o.offset = f.offset;
            o.loc = f.loc;
            o.reloc = f.reloc;
            if (f.reloc.target == RelocTarget::External) {
                const auto it = extIndex.find(f.reloc.ext);
                if (it == extIndex.end())
                    continue;
                o.extIndex = it->second;
            }
            out.push_back(o);
        }
    };
    fixups(m_codeFixups, m.codeFixups);
    fixups(m_dataFixups, m.dataFixups);
    for (size_t k = 0; k < m_namedCode.size(); ++k)
        fixups(m_namedCode[k].fixups, m.namedCode[k].fixups);
    // Without .start, a module whose own code ends the program with .exit (outside any
    // procedure, as the new-project wizard's .EXE skeleton does) starts at its first byte of
    // code. An .exit inside a procedure does not count: a module of routines may end the
    // program on an error without being the one the program starts in.
    if (m_startMarked) {
        m.hasStart = true;
        m.startOffset = uint32_t(m_startAddress & 0xFFFF);
        m.startSection = m_startSeg;
    } else if (m_exitOutsideProc) {
        m.hasStart = true;
        m.startSection = m_exitSeg;
        m.startOffset = m_exitSeg ? m.namedCode[m_exitSeg - 1].segment.start : m.code.start;
    }
    return m;
}

std::vector<uint8_t> Assembler::comImage() const
{
    std::vector<uint8_t> img;
    const auto &code = m_code.bytes();
    const auto &data = m_data.bytes();
    if (m_data.initializedEnd() > 0) {
        const size_t codeLen = size_t(std::min<uint64_t>(m_code.length(), code.size()));
        img.assign(code.begin(), code.begin() + codeLen);
        const size_t dataLen = size_t(std::min<uint64_t>(m_data.initializedEnd(), data.size()));
        img.insert(img.end(), data.begin(), data.begin() + dataLen);
    } else {
        const size_t codeLen = size_t(std::min<uint64_t>(m_code.initializedEnd(), code.size()));
        img.assign(code.begin(), code.begin() + codeLen);
    }
    return img;
}

} // namespace qvasm
