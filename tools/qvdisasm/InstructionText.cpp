#include "InstructionText.h"

#include <cstring>

namespace qvdisasm {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";
constexpr size_t MnemonicColumn = 8;

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isWordChar(char c)
{
    return isHexDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Capstone prints "0x1f"; the dialect reads "1Fh", "0FFh".
void appendConverted(std::string &out, std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const bool startsNumber = text[i] == '0' && i + 2 < text.size() && text[i + 1] == 'x'
                                  && isHexDigit(text[i + 2])
                                  && (i == 0 || !isWordChar(text[i - 1]));
        if (!startsNumber) {
            out += text[i++];
            continue;
        }
        size_t end = i + 2;
        uint64_t value = 0;
        while (end < text.size() && isHexDigit(text[end])) {
            const char c = text[end++];
            value = value * 16 + uint64_t(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
        }
        appendNumber(out, value);
        i = end;
    }
}

bool isRelativeBranch(uint8_t opcode, bool twoByte)
{
    if (twoByte)
        return opcode >= 0x80 && opcode <= 0x8F;
    return (opcode >= 0x70 && opcode <= 0x7F) || (opcode >= 0xE0 && opcode <= 0xE3)
           || opcode == 0xE8 || opcode == 0xE9 || opcode == 0xEB;
}

bool isStringOpcode(uint8_t opcode)
{
    return (opcode >= 0xA4 && opcode <= 0xA7) || (opcode >= 0xAA && opcode <= 0xAF)
           || (opcode >= 0x6C && opcode <= 0x6F);
}

// The string instructions whose source operand a segment prefix moves (the ES:DI side is fixed).
bool stringTakesSegment(uint8_t opcode)
{
    return (opcode >= 0xA4 && opcode <= 0xA7) || opcode == 0xAC || opcode == 0xAD || opcode == 0x6E
           || opcode == 0x6F;
}

std::string_view segmentName(uint8_t prefix)
{
    switch (prefix) {
    case 0x26:
        return "es:";
    case 0x2E:
        return "cs:";
    case 0x36:
        return "ss:";
    case 0x3E:
        return "ds:";
    case 0x64:
        return "fs:";
    case 0x65:
        return "gs:";
    }
    return {};
}

bool isRegisterOperand(std::string_view operand)
{
    return !operand.empty() && operand.find('[') == std::string_view::npos
           && !(operand[0] >= '0' && operand[0] <= '9') && operand[0] != '-';
}

uint64_t littleEndian(const uint8_t *bytes, size_t size)
{
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

} // namespace

Prefixes scanPrefixes(const uint8_t *bytes, size_t size)
{
    Prefixes p;
    for (size_t i = 0; i < size; ++i) {
        switch (bytes[i]) {
        case 0x26:
        case 0x2E:
        case 0x36:
        case 0x3E:
        case 0x64:
        case 0x65:
            p.segment = bytes[i];
            break;
        case 0xF2:
        case 0xF3:
            p.repeat = bytes[i];
            break;
        case 0xF0:
            p.lock = true;
            break;
        case 0x66:
            p.operandSize = true;
            break;
        case 0x67:
            p.addressSize = true;
            break;
        default:
            p.count = int(i);
            return p;
        }
    }
    p.count = int(size);
    return p;
}

void appendNumber(std::string &out, uint64_t value, int minDigits)
{
    if (value < 10 && minDigits <= 1) {
        out += char('0' + value);
        return;
    }
    char digits[17];
    int n = 0;
    do {
        digits[n++] = HexDigits[value & 15];
        value >>= 4;
    } while (value != 0 || n < minDigits);
    if (digits[n - 1] > '9')
        out += '0';
    while (n > 0)
        out += digits[--n];
    out += 'h';
}

InstructionText::InstructionText(bool bits32)
    : m_bits32(bits32)
{
    for (std::string &text : m_texts)
        text.reserve(96);
}

void InstructionText::split(const cs_insn &insn)
{
    m_parts.mnemonic.assign(insn.mnemonic);
    m_parts.operandCount = 0;
    std::string_view ops(insn.op_str);
    while (!ops.empty() && m_parts.operandCount < m_parts.operands.size()) {
        const size_t comma = ops.find(", ");
        std::string &operand = m_parts.operands[m_parts.operandCount++];
        operand.clear();
        appendConverted(operand, ops.substr(0, comma));
        ops = comma == std::string_view::npos ? std::string_view() : ops.substr(comma + 2);
    }
}

void InstructionText::emit(std::string_view mnemonic, const Parts &parts, std::string_view prefix)
{
    if (m_count == MaxTexts)
        return;
    std::string &out = m_texts[m_count++];
    out.assign(prefix);
    if (!prefix.empty())
        out += ' ';
    const size_t start = out.size();
    out.append(mnemonic);
    if (parts.operandCount == 0)
        return;
    const size_t width = out.size() - start;
    out.append(width < MnemonicColumn ? MnemonicColumn - width : 1, ' ');
    for (size_t i = 0; i < parts.operandCount; ++i) {
        if (i > 0)
            out += ", ";
        out += parts.operands[i];
    }
}

void InstructionText::emitPrefixed(std::string_view prefix, const Parts &parts)
{
    emit(parts.mnemonic, parts, prefix);
}

void InstructionText::render(const cs_insn &insn)
{
    m_count = 0;
    split(insn);
    const Prefixes prefixes = scanPrefixes(insn.bytes, insn.size);
    const size_t at = size_t(prefixes.count);
    if (at >= insn.size) {
        emit(m_parts);
        return;
    }
    const uint8_t opcode = insn.bytes[at];
    if (renderBranch(insn, prefixes, at))
        return;
    if (opcode != 0x0F && isStringOpcode(opcode) && renderString(insn, prefixes, opcode))
        return;
    if (renderFar(insn, prefixes, at))
        return;
    renderGeneral(insn, prefixes, at);
}

// Capstone's target is an address of its own arithmetic; ours follows the CPU: a 16-bit operand
// size wraps the instruction pointer within its 64 KB.
bool InstructionText::renderBranch(const cs_insn &insn, const Prefixes &prefixes, size_t at)
{
    const bool twoByte = insn.bytes[at] == 0x0F;
    if (twoByte && at + 1 >= insn.size)
        return false;
    const uint8_t opcode = insn.bytes[twoByte ? at + 1 : at];
    if (!isRelativeBranch(opcode, twoByte))
        return false;
    const bool wide = m_bits32 != prefixes.operandSize;
    const bool shortForm = !twoByte && opcode != 0xE8 && opcode != 0xE9;
    const size_t relSize = shortForm ? 1 : (wide ? 4 : 2);
    if (insn.size < at + 1 + relSize)
        return false;
    uint64_t rel = littleEndian(insn.bytes + insn.size - relSize, relSize);
    if (rel >> (relSize * 8 - 1))
        rel |= ~uint64_t(0) << (relSize * 8); // sign-extend
    uint64_t target = insn.address + insn.size + rel;
    target &= wide ? 0xFFFFFFFFu : 0xFFFFu;

    m_parts.operandCount = 1;
    std::string &operand = m_parts.operands[0];
    operand.clear();
    appendNumber(operand, target, m_bits32 ? 8 : 4);

    // jmp says its distance; a short conditional jump and a near call are what the plain text
    // means anyway, so they read better without it.
    bool plain = true;
    std::string_view qualified;
    if (opcode == 0xEB) {
        plain = false;
        qualified = "short ";
    } else if (opcode == 0xE9 || twoByte) {
        plain = false;
        qualified = "near ";
    } else if (opcode == 0xE8) {
        qualified = "near ";
    } else if (opcode >= 0x70 && opcode <= 0x7F) {
        qualified = "short ";
    }
    if (plain)
        emit(m_parts);
    if (!qualified.empty()) {
        m_alt.mnemonic = m_parts.mnemonic;
        m_alt.operandCount = 1;
        m_alt.operands[0].assign(qualified);
        m_alt.operands[0] += operand;
        emit(m_alt);
    }
    return true;
}

// "rep movsb" says all there is unless a prefix moves the source or widens the addresses; then
// the operands must be spelled out.
bool InstructionText::renderString(const cs_insn &insn, const Prefixes &prefixes, uint8_t opcode)
{
    const bool segmentMatters = prefixes.segment != 0 && stringTakesSegment(opcode);
    if (!segmentMatters && !prefixes.addressSize) {
        m_parts.operandCount = 0;
        emit(m_parts);
        return true;
    }
    // Capstone's own spelling ("movsb byte ptr es:[di], byte ptr cs:[si]") first; "cs: lodsb"
    // where the operands cannot be written; the generic "movs" last.
    emit(m_parts);
    if (segmentMatters && !prefixes.addressSize) {
        Parts bare = m_parts;
        bare.operandCount = 0;
        emitPrefixed(segmentName(prefixes.segment), bare);
    }
    std::string generic(insn.mnemonic);
    if (!generic.empty()
        && (generic.back() == 'b' || generic.back() == 'w' || generic.back() == 'd'))
        generic.pop_back();
    emit(generic, m_parts);
    return true;
}

bool InstructionText::renderFar(const cs_insn &insn, const Prefixes &prefixes, size_t at)
{
    const uint8_t opcode = insn.bytes[at];
    std::string_view mnemonic(insn.mnemonic);
    if (mnemonic != "lcall" && mnemonic != "ljmp")
        return false;
    const std::string_view base = mnemonic.substr(1);
    const std::string_view shortcut = base == "call" ? "callf" : "jmpf";
    if (opcode == 0x9A || opcode == 0xEA) {
        // "lcall 0x1234:0x5678"
        m_alt.mnemonic.assign(base);
        m_alt.operandCount = 1;
        emit(base, m_parts);
        m_alt.operands[0] = "far " + m_parts.operands[0];
        emit(m_alt);
        emit(shortcut, m_parts);
        m_alt.operands[0] = "far ptr " + m_parts.operands[0];
        emit(m_alt);
        return true;
    }
    // Indirect through memory: Capstone leaves the pointer's size out.
    const bool wide = m_bits32 != prefixes.operandSize;
    const std::string_view size = wide ? "fword ptr " : "dword ptr ";
    if (m_parts.operandCount != 1)
        return false;
    m_alt.mnemonic.assign(base);
    m_alt.operandCount = 1;
    m_alt.operands[0].assign(size);
    m_alt.operands[0] += m_parts.operands[0];
    emit(m_alt);
    emit(shortcut, m_alt);
    m_alt.operands[0] = "far ptr " + m_parts.operands[0];
    emit(m_alt);
    return true;
}

void InstructionText::renderGeneral(const cs_insn &insn, const Prefixes &prefixes, size_t at)
{
    const uint8_t opcode = insn.bytes[at];
    const bool wide = m_bits32 != prefixes.operandSize;
    std::string &mnemonic = m_parts.mnemonic;

    // Far-pointer loads (les, lds, lss, lfs, lgs): Capstone prints "ptr [bx]" with no size.
    for (size_t i = 0; i < m_parts.operandCount; ++i) {
        std::string &operand = m_parts.operands[i];
        if (operand.compare(0, 4, "ptr ") == 0)
            operand.insert(0, wide ? "fword " : "dword ");
    }

    if (opcode == 0xC8 && insn.size >= at + 4) {
        // enter: Capstone prints both sizes signed.
        m_parts.operandCount = 2;
        m_parts.operands[0].clear();
        appendNumber(m_parts.operands[0], littleEndian(insn.bytes + at + 1, 2));
        m_parts.operands[1].clear();
        appendNumber(m_parts.operands[1], insn.bytes[at + 3]);
    }

    struct Rename
    {
        const char *from;
        const char *to;
    };
    static constexpr Rename Renames[] = {
        {"fdisi8087_nop", "fndisi"},
        {"feni8087_nop", "fneni"},
        {"pushaw", "pusha"},
        {"popaw", "popa"},
        {"pushal", "pushad"},
        {"popal", "popad"},
        {"int1", "icebp"},
    };
    // Capstone names 98h and 99h in 16-bit code as if the operand were 32 bits wide.
    if (opcode == 0x98 || opcode == 0x99) {
        static constexpr const char *Names[2][2] = {{"cbw", "cwd"}, {"cwde", "cdq"}};
        mnemonic = Names[wide ? 1 : 0][opcode - 0x98];
    }
    for (const Rename &rename : Renames) {
        if (mnemonic == rename.from) {
            emit(rename.to, m_parts);
            emit(m_parts);
            return;
        }
    }

    if (opcode == 0xD7 && prefixes.segment != 0) {
        // xlat through another segment: only the long form shows it.
        m_alt.mnemonic = "xlat";
        m_alt.operandCount = 1;
        m_alt.operands[0] = "byte ptr ";
        m_alt.operands[0] += segmentName(prefixes.segment);
        m_alt.operands[0] += prefixes.addressSize != m_bits32 ? "[ebx]" : "[bx]";
        emit(m_alt);
        emitPrefixed(segmentName(prefixes.segment), m_parts);
        return;
    }

    emit(m_parts);

    // Sign-extended byte immediates: the plain number may get the full-width encoding; "byte"
    // asks for the short one. Capstone shows them negative; the full-width value is another way to
    // write the same number.
    const bool signExtendedImm8 = opcode == 0x83 || opcode == 0x6B || opcode == 0x6A;
    if (signExtendedImm8 && m_parts.operandCount > 0) {
        const size_t last = m_parts.operandCount - 1;
        m_alt = m_parts;
        m_alt.operands[last].insert(0, "byte ");
        emit(m_alt);
        if (!m_parts.operands[last].empty() && m_parts.operands[last][0] == '-') {
            m_alt = m_parts;
            const uint64_t mask = wide ? 0xFFFFFFFFu : 0xFFFFu;
            const int8_t value = int8_t(insn.bytes[insn.size - 1]);
            std::string &number = m_alt.operands[last];
            number.clear();
            appendNumber(number, uint64_t(int64_t(value)) & mask);
            emit(m_alt);
        }
    }

    // A register pair can be encoded either way round; the other order is the other encoding.
    if ((mnemonic == "xchg" || mnemonic == "test") && m_parts.operandCount == 2
        && isRegisterOperand(m_parts.operands[0]) && isRegisterOperand(m_parts.operands[1])) {
        m_alt = m_parts;
        std::swap(m_alt.operands[0], m_alt.operands[1]);
        emit(m_alt);
    }

    // An override the CPU would apply anyway (ds: for [bx], ss: for [bp]) may be dropped or
    // questioned inside the operand; written as a prefix it stays.
    if (prefixes.segment != 0) {
        const std::string_view segment = segmentName(prefixes.segment);
        m_alt = m_parts;
        bool moved = false;
        for (size_t i = 0; i < m_alt.operandCount; ++i) {
            std::string &operand = m_alt.operands[i];
            const size_t at = operand.find(segment);
            if (at != std::string::npos && at + segment.size() < operand.size()
                && operand[at + segment.size()] == '[') {
                operand.erase(at, segment.size());
                moved = true;
            }
        }
        if (moved)
            emitPrefixed(segment, m_alt);
    }

    // "[1234h]" alone may read as a constant in a MASM-like dialect; "ds:[1234h]" cannot.
    for (size_t i = 0; i < m_parts.operandCount; ++i) {
        const std::string &operand = m_parts.operands[i];
        const size_t bracket = operand.find('[');
        if (bracket == std::string::npos || bracket + 1 >= operand.size())
            continue;
        const char first = operand[bracket + 1];
        if (first < '0' || first > '9' || (bracket > 0 && operand[bracket - 1] == ':'))
            continue;
        m_alt = m_parts;
        m_alt.operands[i].insert(bracket, "ds:");
        emit(m_alt);
        break;
    }
}

} // namespace qvdisasm
