#include "Disassembler.h"

#include "base/AppInfo.h"

namespace qvdisasm {

namespace {

constexpr size_t BytesColumn = 16; // eight bytes; longer instructions push the text right
constexpr size_t CommentColumn = 40;
constexpr std::string_view Indent = "        ";

} // namespace

std::string bannerLine()
{
    return std::string("QVDISASM   The Quillvane Disassembler   Version  ") + AppInfo::Version;
}

Disassembler::Disassembler(const Options &options, OutputBuffer &out, EncodingOracle *oracle)
    : m_options(options)
    , m_out(out)
    , m_text(options.bits32)
    , m_address(options.origin)
{
    const cs_err err = cs_open(CS_ARCH_X86, options.bits32 ? CS_MODE_32 : CS_MODE_16, &m_handle);
    if (err != CS_ERR_OK) {
        m_handle = 0;
        m_error = std::string("the decoder did not start: ") + cs_strerror(err);
        return;
    }
    // Only 16-bit code can be assembled back: qvasm has no 32-bit code segments.
    if (oracle && options.sourceMode() && !options.bits32) {
        m_roundTrip = std::make_unique<RoundTrip>(*oracle);
        cs_option(m_handle, CS_OPT_DETAIL, CS_OPT_ON); // the shapes need the field offsets
    }
    m_insn = cs_malloc(m_handle);
    m_scratch.reserve(128);
}

Disassembler::~Disassembler()
{
    if (m_insn)
        cs_free(m_insn, 1);
    if (m_handle)
        cs_close(&m_handle);
}

void Disassembler::writeHeader()
{
    if (!m_options.sourceMode())
        return;
    // A flat source: org first needs no .model, .code or .end; .x86 lets every instruction in.
    // The IP is 16 bits: a load address past 64 KB is its low 16 bits to the code (the jump
    // targets printed are those too), and org takes no more.
    const uint32_t ip = m_options.origin & 0xFFFF;
    m_scratch = "org ";
    appendNumber(m_scratch, ip);
    if (ip != m_options.origin) {
        m_scratch += " ; loaded at ";
        appendNumber(m_scratch, m_options.origin);
    }
    m_out.put(m_scratch);
    m_out.lineEnd();
    m_out.put(".x86");
    m_out.lineEnd();
}

void Disassembler::writeFooter()
{
    m_out.put(bannerLine());
    m_out.lineEnd();
}

size_t Disassembler::feed(const uint8_t *data, size_t size, bool last)
{
    size_t used = 0;
    while (used < size && (last || size - used >= 16)) {
        if (m_options.sourceMode() && m_fed > 0 && (m_address & 0xFFFF) == 0)
            writeWrap();
        const uint8_t *code = data + used;
        size_t left = size - used;
        uint64_t address = m_address;
        size_t step = 1;
        if (cs_disasm_iter(m_handle, &code, &left, &address, m_insn)) {
            writeInstruction(*m_insn);
            step = m_insn->size;
        } else {
            writeData(data + used, 1, {});
        }
        used += step;
        m_address += uint32_t(step);
        m_fed += step;
    }
    return used;
}

void Disassembler::writeWrap()
{
    // 64 KB past org the IP is back at 0 while the file goes on. The assembler refuses to run
    // its location counter past 64 KB, so it is set back where the CPU's goes, without filling:
    // the bytes that follow come next in the image and assemble as they run.
    m_scratch = "orgnf 0 ; the offset wraps at ";
    appendNumber(m_scratch, m_address);
    m_out.put(m_scratch);
    m_out.lineEnd();
}

void Disassembler::writeSplitData(const uint8_t *bytes, size_t size, std::string_view comment)
{
    const size_t before = 0x10000 - (m_address & 0xFFFF);
    writeData(bytes, before, comment);
    m_address += uint32_t(before);
    writeWrap();
    writeData(bytes + before, size - before, {});
    m_address -= uint32_t(before);
}

void Disassembler::writeColumns(const uint8_t *bytes, size_t size)
{
    if (m_options.showOffset) {
        m_out.hex32(m_address);
        m_out.blanks(2);
    }
    if (m_options.showBytes) {
        for (size_t i = 0; i < size; ++i)
            m_out.hexByte(bytes[i]);
        m_out.blanks((2 * size < BytesColumn ? BytesColumn - 2 * size : 0) + 2);
    }
    if (m_options.sourceMode())
        m_out.put(Indent);
}

void Disassembler::writeData(const uint8_t *bytes, size_t size, std::string_view comment)
{
    writeColumns(bytes, size);
    m_scratch = "db      ";
    for (size_t i = 0; i < size; ++i) {
        if (i > 0)
            m_scratch += ", ";
        appendNumber(m_scratch, bytes[i], 2);
    }
    if (!comment.empty()) {
        const size_t width = Indent.size() + m_scratch.size();
        m_scratch.append(width + 1 < CommentColumn ? CommentColumn - width : 1, ' ');
        m_scratch += "; ";
        m_scratch += comment;
    }
    m_out.put(m_scratch);
    m_out.lineEnd();
}

void Disassembler::writeInstruction(const cs_insn &insn)
{
    m_text.render(insn);
    if (m_options.sourceMode() && (m_address & 0xFFFF) + insn.size > 0x10000) {
        // Across the 64 KB line: no text of it assembles there, its bytes do on either side.
        writeSplitData(insn.bytes, insn.size, m_text.primary());
        return;
    }
    if (m_options.sourceMode() && m_options.bits32) {
        // Kept as data so the source still assembles to these bytes; the text says what they are.
        writeData(insn.bytes, insn.size, m_text.primary());
        return;
    }
    if (m_roundTrip) {
        const int chosen = m_roundTrip->choose(insn, m_text);
        if (chosen < 0) {
            writeData(insn.bytes, insn.size, m_text.primary());
            return;
        }
        writeColumns(insn.bytes, insn.size);
        m_out.put(m_text.text(size_t(chosen)));
        m_out.lineEnd();
        return;
    }
    writeColumns(insn.bytes, insn.size);
    m_out.put(m_text.primary());
    m_out.lineEnd();
}

} // namespace qvdisasm
