// Every instruction keyword qvasm accepts, in every operand form of its table, assembled by
// qvasm and by NASM; Capstone decodes both and the instructions must agree. With /o, qvasm's
// encoding must never be longer than NASM's.

#include "qvasm/Assembler.h"
#include "qvasm/InstructionTable.h"
#include "qvasm/Keywords.h"

#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <capstone/capstone.h>

using namespace qvasm;

namespace {

struct Text
{
    QString q; // qvasm
    QString n; // NASM
};

struct Line
{
    QString keyword;
    Text text;
};

struct Decoded
{
    bool ok = false;
    QString mnemonic;
    QString operands;
    int size = 0;
    qint64 address = 0;
};

// Addressing modes the memory samples rotate through, qvasm and NASM spelling.
const Text kAddresses[] = {
    {"[bx+si+12h]", "[bx+si+0x12]"},
    {"[bp-7]", "[bp-7]"},
    {"[di]", "[di]"},
    {"[1234h]", "[0x1234]"},
    {"es:[bx+di+300h]", "[es:bx+di+0x300]"},
    {"[ebx+ecx*4+8]", "[ebx+ecx*4+8]"},
    {"[bp]", "[bp]"},
    {"ss:[si+1]", "[ss:si+1]"},
    {"[eax]", "[eax]"},
    {"[esp+4]", "[esp+4]"},
    {"[ebp+200h]", "[ebp+0x200]"},
    {"cs:[bx]", "[cs:bx]"},
};

const char *sizeWord(int size)
{
    static const char *const words[] = {"", "byte", "word", "", "dword", "", "fword", "", "qword"};
    return size >= 0 && size < 9 ? words[size] : "";
}

int patternSize(OT t)
{
    static const QList<QList<OT>> bySize = {
        {},
        {O_R8, O_RM8, O_M8, O_MOFFS8, O_AL, O_CL, O_I8, O_S8},
        {O_R16, O_RM16, O_M16, O_MOFFS16, O_AX, O_DX, O_I16},
        {},
        {O_R32, O_RM32, O_M32, O_MOFFS32, O_EAX, O_I32},
        {},
        {O_M48},
        {},
        {O_M64},
    };
    for (int size = 0; size < bySize.size(); ++size) {
        if (bySize[size].contains(t))
            return size;
    }
    return 0;
}

class Generator
{
public:
    QList<Line> lines;

    void instruction(const MnemonicInfo &mi)
    {
        const auto forms = InstructionTable::instance().forms(mi.base);
        for (const Form &f : forms) {
            if (mi.size && formSize(mi, f) != 0 && formSize(mi, f) != mi.size)
                continue;
            if (mi.variant == Variant::Full32 && f.nops == 0)
                continue;
            QList<QList<Text>> choices;
            for (int i = 0; i < f.nops; ++i)
                choices.append(samples(mi, f, i));
            QList<Text> combos{{QString(), QString()}};
            for (int i = 0; i < f.nops; ++i) {
                QList<Text> next;
                for (const Text &c : combos) {
                    for (const Text &s : choices[i]) {
                        const QString sep = i ? ", " : " ";
                        next.append({c.q + sep + s.q, c.n + sep + s.n});
                    }
                }
                combos = next.mid(0, 6);
            }
            for (const Text &c : combos)
                lines.append({QString::fromLatin1(mi.name.data(), int(mi.name.size())),
                              {QString::fromLatin1(mi.name.data(), int(mi.name.size())) + c.q,
                               nasmMnemonic(mi) + c.n}});
        }
    }

    // Lines for a jump, call or loop; false for other instructions.
    bool branch(const MnemonicInfo &mi)
    {
        const QString k = QString::fromLatin1(mi.name.data(), int(mi.name.size()));
        auto add = [&](const QString &q, const QString &n) { lines.append({k, {q, n}}); };
        switch (mi.base) {
        case Mn_jcc:
            add(k + " $+10h", k + " $+0x10");
            add(k + " short $-20h", k + " short $-0x20");
            add(k + " near $+300h", k + " near $+0x300");
            break;
        case Mn_loop:
        case Mn_loope:
        case Mn_loopne:
        case Mn_jcxz:
            add(k + " $+10h", k + " $+0x10");
            add(k + " $-7Eh", k + " $-0x7e");
            break;
        case Mn_jmp:
            if (mi.variant == Variant::Short) {
                add(k + " $+10h", "jmp short $+0x10");
            } else if (mi.variant == Variant::Near) {
                add(k + " $+10h", "jmp near $+0x10");
                add(k + " word ptr [bx+2]", "jmp near [bx+2]");
            } else if (mi.variant == Variant::Far) {
                add(k + " 1234h:5678h", "jmp 0x1234:0x5678");
                add(k + " [bx]", "jmp far [bx]");
            } else {
                add(k + " short $+10h", "jmp short $+0x10");
                add(k + " near $+10h", "jmp near $+0x10");
                add(k + " $+300h", "jmp near $+0x300");
                add(k + " 1234h:5678h", "jmp 0x1234:0x5678");
                add(k + " far 1234h:5678h", "jmp 0x1234:0x5678");
                add(k + " bx", "jmp bx");
                add(k + " eax", "jmp eax");
                add(k + " word ptr es:[di]", "jmp near [es:di]");
                add(k + " dword ptr [bx+si]", "jmp far [bx+si]");
                add(k + " far [bp]", "jmp far [bp]");
                add(k + " fword ptr [bx]", "o32 jmp far [bx]");
            }
            break;
        case Mn_call:
            if (mi.variant == Variant::Near) {
                add(k + " $+300h", "call near $+0x300");
                add(k + " word ptr [di]", "call near [di]");
            } else if (mi.variant == Variant::Far) {
                add(k + " 1234h:5678h", "call 0x1234:0x5678");
                add(k + " [bx]", "call far [bx]");
            } else {
                add(k + " $+300h", "call $+0x300");
                add(k + " near $-300h", "call near $-0x300");
                add(k + " 0ABCDh:0EF01h", "call 0xabcd:0xef01");
                add(k + " si", "call si");
                add(k + " word ptr [bx+4]", "call near [bx+4]");
                add(k + " dword ptr [bx+4]", "call far [bx+4]");
                add(k + " far ss:[bp+6]", "call far [ss:bp+6]");
            }
            break;
        default:
            return false;
        }
        return true;
    }

    void strings()
    {
        auto add = [&](const QString &k, const QString &q, const QString &n) {
            lines.append({k, {q, n}});
        };
        add("movsb", "movsb byte ptr es:[di], byte ptr cs:[si]", "cs movsb");
        add("movsw", "rep movsw word ptr es:[di], word ptr [si]", "rep movsw");
        add("movsd", "movsd dword ptr es:[edi], dword ptr [esi]", "a32 movsd");
        add("cmpsb", "repe cmpsb byte ptr ss:[si], byte ptr es:[di]", "repe ss cmpsb");
        add("cmpsw", "cmpsw [si], es:[di]", "cmpsw");
        add("lodsb", "lodsb es:[si]", "es lodsb");
        // The accumulator written out, as disassemblers print it.
        add("lodsb", "lodsb al, byte ptr [si]", "lodsb");
        add("stosw", "stosw word ptr es:[di], ax", "stosw");
        add("scasd", "scasd eax, dword ptr es:[di]", "scasd");
        add("lodsw", "lodsw word ptr [esi]", "a32 lodsw");
        add("stosb", "rep stosb es:[di]", "rep stosb");
        add("stosd", "stosd dword ptr es:[di]", "stosd");
        add("scasb", "repne scasb byte ptr es:[di]", "repne scasb");
        add("scasw", "scasw es:[edi]", "a32 scasw");
        add("insb", "insb byte ptr es:[di], dx", "insb");
        add("insw", "rep insw es:[di], dx", "rep insw");
        add("outsb", "outsb dx, byte ptr fs:[si]", "fs outsb");
        add("outsw", "rep outsw dx, [si]", "rep outsw");
        add("xlat", "xlat byte ptr cs:[bx]", "cs xlatb");
        add("xlatb", "xlatb [bx]", "xlatb");
        add("lock", "lock add word ptr [bx], ax", "lock add [bx], ax");
        add("lock", "lock xchg [si], cl", "lock xchg [si], cl");
        add("rep", "rep lodsb", "rep lodsb");
        add("repz", "repz cmpsb", "repe cmpsb");
        add("repnz", "repnz scasw", "repne scasw");
        add("es:", "es: lodsb", "es lodsb");
        add("loadall", "loadall", "loadall");
    }

private:
    int m_rotate = 0;

    // The operand size a form works on (the source's for movsx/movzx); -1 when it has none
    // and no memory operand a size suffix could apply to.
    static int formSize(const MnemonicInfo &mi, const Form &f)
    {
        if (mi.base == Mn_movsx || mi.base == Mn_movzx)
            return f.nops > 1 ? patternSize(f.op[1]) : -1;
        for (int i = 0; i < f.nops; ++i) {
            if (patternSize(f.op[i]))
                return patternSize(f.op[i]);
        }
        for (int i = 0; i < f.nops; ++i) {
            if (f.op[i] == O_M)
                return 0;
        }
        return -1;
    }

    static QString nasmMnemonic(const MnemonicInfo &mi)
    {
        const std::string_view base = baseMnemonicName(mi.base);
        QString b = QString::fromLatin1(base.data(), int(base.size()));
        if (mi.base == Mn_jcc || mi.base == Mn_setcc || mi.base == Mn_cmov)
            return QString::fromLatin1(mi.name.data(), int(mi.name.size()));
        if (mi.base == Mn_cmpx8bq)
            return "cmpxchg8b";
        if (mi.base == Mn_xlat)
            return "xlatb";
        if (mi.base == Mn_leaved)
            return "o32 leave";
        if (mi.variant == Variant::Full32)
            return "o32 " + b;
        if (mi.base == Mn_loadall)
            return "loadall";
        return b;
    }

    Text memory(int size, bool qvasmSize, bool nasmSize)
    {
        const Text &a = kAddresses[m_rotate++ % std::size(kAddresses)];
        QString q = a.q, n = a.n;
        if (qvasmSize && size) {
            // Both spellings of a size: with and without "ptr".
            q = QString(sizeWord(size)) + ((m_rotate & 1) ? " ptr " : " ") + q;
        }
        if (nasmSize && size)
            n = QString(sizeWord(size)) + " " + n;
        return {q, n};
    }

    QList<Text> samples(const MnemonicInfo &mi, const Form &f, int i)
    {
        // Operands both assemblers spell alike.
        static const QHash<int, QString> alike = {
            {O_R8, "cl bh"},   {O_R16, "dx si"},  {O_R32, "ecx edi"},   {O_AL, "al"},
            {O_AX, "ax"},      {O_EAX, "eax"},    {O_CL, "cl"},         {O_DX, "dx"},
            {O_ES, "es"},      {O_CS, "cs"},      {O_SS, "ss"},         {O_DS, "ds"},
            {O_FS, "fs"},      {O_GS, "gs"},      {O_SREG, "es cs gs"}, {O_SREGW, "ss ds fs"},
            {O_CR, "cr0 cr3"}, {O_DR, "dr1 dr7"}, {O_ONE, "1"},
        };
        const OT t = f.op[i];
        if (alike.contains(t)) {
            QList<Text> out;
            for (const QString &word : alike.value(t).split(' '))
                out.append({word, word});
            return out;
        }
        const bool sized = mi.size != 0;
        const bool fpu = mi.base == Mn_fld;
        switch (t) {
        case O_RM8:
            return {{"dh", "dh"}, memory(1, !sized, true)};
        case O_RM16:
            return {{"bp", "bp"}, memory(2, !sized, true)};
        case O_RM32:
            return {{"esi", "esi"}, memory(4, !sized, true)};
        case O_M:
            return {memory(0, false, false), memory(0, false, false)};
        case O_M8:
        case O_M16:
        case O_M32:
        case O_M48:
        case O_M64:
            // Without a size too, where the instruction leaves no doubt about it.
            return {memory(patternSize(t), !sized, fpu), memory(patternSize(t), fpu && !sized, fpu)};
        case O_MOFFS8:
        case O_MOFFS16:
        case O_MOFFS32:
            return {{"[1234h]", "[0x1234]"}, {"es:[0FFFEh]", "[es:0xfffe]"}};
        case O_I8:
            if (mi.size == 1 && mi.base == Mn_push)
                return {{"12h", "byte 0x12"}};
            return {{"12h", "0x12"}, {"7", "7"}};
        case O_I16:
            if (mi.base == Mn_push && mi.size == 2)
                return {{"1234h", "word 0x1234"}, {"-80h", "word -0x80"}};
            return {{"1234h", "0x1234"}, {"-2", "-2"}};
        case O_I32:
            // Values a sign-extended byte holds too: NASM takes that form, so must /o.
            if (mi.base == Mn_push && mi.size == 4)
                return {{"12345678h", "dword 0x12345678"}, {"7Fh", "dword 0x7f"}};
            if (mi.base == Mn_push)
                return {{"12345678h", "dword 0x12345678"}, {"dword -80h", "dword -0x80"}};
            return {{"12345678h", "0x12345678"}, {"7Fh", "0x7f"}, {"-80h", "-0x80"}};
        case O_S8:
            if (mi.base == Mn_push && mi.size == 1)
                return {{"-3", "byte -3"}, {"7Fh", "byte 0x7f"}};
            return {{"byte -3", "byte -3"}, {"byte 7Fh", "byte 0x7f"}};
        case O_STI:
            return {{"st(0)", "st0"}, {"st(5)", "st5"}};
        default:
            return {};
        }
    }
};

// Decodes up to count instructions (0: all) from address on.
QList<Decoded> decode(csh handle, const QByteArray &bytes, qint64 address, size_t count)
{
    QList<Decoded> out;
    cs_insn *insn = nullptr;
    const size_t n = cs_disasm(handle,
                               reinterpret_cast<const uint8_t *>(bytes.constData()),
                               size_t(bytes.size()),
                               uint64_t(address),
                               count,
                               &insn);
    for (size_t i = 0; i < n; ++i)
        out.append({true,
                    QString::fromLatin1(insn[i].mnemonic),
                    QString::fromLatin1(insn[i].op_str),
                    insn[i].size,
                    qint64(insn[i].address)});
    cs_free(insn, n);
    return out;
}

// The same instruction: the same text, where relative branch targets count from the
// instruction's own address (the two files place lines at different addresses).
// Immediates may print signed or unsigned ("-2", "0xfffe") for the same operand; xchg of two
// registers is the same whichever register sits in ModRM.rm.
bool sameInstruction(const Decoded &a, const Decoded &b)
{
    if (a.mnemonic != b.mnemonic)
        return false;
    if (a.operands == b.operands)
        return true;
    bool okA = false, okB = false;
    const qint64 ta = a.operands.toLongLong(&okA, 0);
    const qint64 tb = b.operands.toLongLong(&okB, 0);
    const bool branch = a.mnemonic.startsWith('j') || a.mnemonic.startsWith("call")
                        || a.mnemonic.startsWith("loop");
    if (okA && okB && branch)
        return ((ta - a.address - a.size) & 0xFFFF) == ((tb - b.address - b.size) & 0xFFFF);
    QStringList x = a.operands.split(", "), y = b.operands.split(", ");
    if (x.size() != y.size())
        return false;
    if (a.mnemonic == "xchg") {
        x.sort();
        y.sort();
    }
    for (int i = 0; i < x.size(); ++i) {
        if (x[i] == y[i])
            continue;
        const qint64 u = x[i].toLongLong(&okA, 0), v = y[i].toLongLong(&okB, 0);
        if (!okA || !okB)
            return false;
        const bool same32 = ((u - v) & 0xFFFFFFFF) == 0;
        const bool same16 = ((u - v) & 0xFFFF) == 0 && qAbs(u) <= 0x1FFFF && qAbs(v) <= 0x1FFFF;
        if (!same32 && !same16)
            return false;
    }
    return true;
}

QByteArray assembleLine(const QString &line, bool optimize, QString *error)
{
    AssemblerOptions o;
    o.snippet = true;
    o.optimize = optimize;
    Assembler a(o);
    a.assembleText(line.toStdString(), "line");
    for (const Message &m : a.messages().items()) {
        if (m.kind == MsgKind::Error && error)
            *error = QString::fromStdString(Messages::text(m.code, m.detail));
    }
    const std::vector<uint8_t> img = a.image();
    return QByteArray(reinterpret_cast<const char *>(img.data()), int(img.size()));
}

struct JumpProgram
{
    QString q; // qvasm
    QString n; // NASM
};

// Labels, each followed by a few instructions of assorted lengths and one jump to another
// label: forward and backward, conditional and unconditional, most near enough for the short
// form, some just past it, a third far away. Without a near conditional jump (8086 without
// .jumps) the conditional ones stay within short reach whatever the sizes.
JumpProgram jumpProgram(int labels, quint32 seed, bool cpu386, bool dotJumps)
{
    struct Filler
    {
        const char *q, *n;
    };
    static const Filler fillers[] = {
        {"nop", "nop"},
        {"add bx, cx", "add bx, cx"},
        {"mov ax, 1234h", "mov ax, 0x1234"},
        {"mov word ptr [bx+si+10h], dx", "mov word [bx+si+0x10], dx"},
        {"mov word ptr [di+1234h], 5678h", "mov word [di+0x1234], 0x5678"},
    };
    static const char *const jcc[] = {"je", "jne", "jc", "ja", "jl", "jge", "js", "jns"};
    constexpr int kLongestUnit = 3 * 6 + 5;
    const bool anyReach = cpu386 || dotJumps;
    QRandomGenerator rng(seed);
    JumpProgram p;
    p.q = QString(".model tiny\n.code\n%1\n%2org 100h\n")
              .arg(cpu386 ? ".386" : ".8086", dotJumps ? ".jumps\n" : "");
    p.n = QString("bits 16\ncpu %1\norg 0x100\n").arg(cpu386 ? "386" : "8086");
    for (int i = 0; i < labels; ++i) {
        p.q += QString("L%1:\n").arg(i);
        p.n += QString("L%1:\n").arg(i);
        for (int k = rng.bounded(4); k > 0; --k) {
            const Filler &f = fillers[rng.bounded(int(std::size(fillers)))];
            p.q += QString("        %1\n").arg(f.q);
            p.n += QString("        %1\n").arg(f.n);
        }
        const int kind = rng.bounded(10);
        int span = kind < 5 ? rng.bounded(12) + 1
                            : (kind < 7 ? rng.bounded(3) + 1 : rng.bounded(labels));
        const bool conditional = rng.bounded(2) == 0;
        if (conditional && !anyReach)
            span = qMin(span, 127 / kLongestUnit);
        const int target = qBound(0, rng.bounded(2) ? i + span : i - span + 1, labels);
        const QString name = target < labels ? QString("L%1").arg(target) : QString("done");
        const QString op = conditional ? jcc[rng.bounded(int(std::size(jcc)))] : "jmp";
        p.q += QString("        %1 %2\n").arg(op, name);
        p.n += QString("        %1 %2\n").arg(op, name);
    }
    p.q += "done:   ret\n.end\n";
    p.n += "done:   ret\n";
    return p;
}

// A jump is long where it must be: a short form in its place would not reach (a target after
// it would come closer by the bytes the short form saves). Read from the listing, so that the
// inverse jump around a near jump (.jumps) is one long conditional jump of its line.
QStringList longWhereShortReaches(const std::vector<ListingLine> &listing, bool plainJmpToo)
{
    QStringList found;
    for (const ListingLine &l : listing) {
        const QString text = QString::fromStdString(l.text).trimmed();
        const std::vector<uint8_t> &b = l.bytes;
        if (!text.startsWith('j') || b.size() < 3)
            continue; // not a jump, or a short one
        const bool jmp = text.startsWith("jmp");
        if (jmp && !plainJmpToo)
            continue;
        const qint64 length = qint64(l.byteCount);
        const qint64 rel16 = qint16(quint16(b[length - 2] | (b[length - 1] << 8)));
        const qint64 target = l.address + length + rel16;
        const qint64 rel = target - (l.address + 2) - (target > l.address ? length - 2 : 0);
        if (rel >= -128 && rel <= 127)
            found << QString("line %1: %2 (%3 bytes)").arg(l.line).arg(text).arg(length);
    }
    return found;
}

} // namespace

class tst_QvasmEncoding : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sameInstructionAsNasm_data();
    void sameInstructionAsNasm();
    void everyInstructionKeywordIsCovered();
    void jumpsAsShortAsTheyReach_data();
    void jumpsAsShortAsTheyReach();

private:
    csh m_cs = 0;
    QList<Line> m_lines;
    QList<Decoded> m_nasm;
};

void tst_QvasmEncoding::initTestCase()
{
    if (QStandardPaths::findExecutable("nasm").isEmpty())
        QSKIP("nasm is not installed (./dev installs it for the tests)");
    QCOMPARE(cs_open(CS_ARCH_X86, CS_MODE_16, &m_cs), CS_ERR_OK);

    Generator g;
    const QList<Mn> elsewhere = {Mn_org, Mn_orgnf, Mn_rep, Mn_repe, Mn_repne, Mn_lock};
    for (const Keyword &k : acceptedKeywords()) {
        if (k.kind != KeywordKind::Instruction)
            continue;
        const MnemonicInfo &mi = mnemonicInfo(lookupKeyword(k.name)->id);
        if (!elsewhere.contains(mi.base) && !g.branch(mi))
            g.instruction(mi);
    }
    g.strings();
    m_lines = g.lines;

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString source = "bits 16\norg 0x100\n";
    for (const Line &l : m_lines)
        source += l.text.n + "\n";
    QFile f(dir.filePath("all.asm"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(source.toLatin1());
    f.close();
    QProcess nasm;
    nasm.start("nasm", {"-f", "bin", "-o", dir.filePath("all.bin"), dir.filePath("all.asm")});
    QVERIFY(nasm.waitForFinished(60000));
    QVERIFY2(nasm.exitCode() == 0, nasm.readAllStandardError().constData());
    QFile bin(dir.filePath("all.bin"));
    QVERIFY(bin.open(QIODevice::ReadOnly));

    m_nasm = decode(m_cs, bin.readAll(), 0x100, 0);
    QCOMPARE(m_nasm.size(), m_lines.size());
}

void tst_QvasmEncoding::cleanupTestCase()
{
    if (m_cs)
        cs_close(&m_cs);
}

void tst_QvasmEncoding::sameInstructionAsNasm_data()
{
    QTest::addColumn<QString>("keyword");
    QStringList seen;
    for (const Line &l : m_lines) {
        if (!seen.contains(l.keyword)) {
            seen.append(l.keyword);
            QTest::newRow(l.keyword.toLatin1()) << l.keyword;
        }
    }
}

void tst_QvasmEncoding::sameInstructionAsNasm()
{
    // With /o too, where the encoding may differ but never be longer than NASM's.
    QFETCH(QString, keyword);
    QStringList failures;
    for (int i = 0; i < m_lines.size(); ++i) {
        const Line &l = m_lines[i];
        if (l.keyword != keyword)
            continue;
        const Decoded &n = m_nasm[i];
        for (bool optimize : {false, true}) {
            QString error;
            const QByteArray bytes = assembleLine(l.text.q, optimize, &error);
            const Decoded q = decode(m_cs, bytes, 0x100, 1).value(0);
            if (!error.isEmpty())
                failures << l.text.q + ": " + error;
            else if (!q.ok || q.size != bytes.size() || !sameInstruction(q, n)
                     || (optimize && bytes.size() > n.size))
                failures << QString("%1%2: qvasm %3 %4 (%5), nasm %6 %7 (%8 bytes)")
                                .arg(l.text.q, optimize ? " /o" : "", q.mnemonic, q.operands)
                                .arg(QString(bytes.toHex(' ')), n.mnemonic, n.operands)
                                .arg(n.size);
        }
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
}

void tst_QvasmEncoding::everyInstructionKeywordIsCovered()
{
    // Prefixes and org are checked elsewhere; popb is a keyword of the dialect but no
    // instruction pops a byte (always error 17h). Every other instruction keyword has lines.
    QSet<QString> covered = {"org", "orgnf", "repe", "repne", "popb"};
    for (const Line &l : std::as_const(m_lines))
        covered.insert(l.keyword);
    QStringList missing;
    for (const Keyword &k : acceptedKeywords()) {
        const QString name = QString::fromLatin1(k.name.data(), int(k.name.size()));
        if (k.kind == KeywordKind::Instruction && !covered.contains(name))
            missing << name;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
}

void tst_QvasmEncoding::jumpsAsShortAsTheyReach_data()
{
    QTest::addColumn<bool>("cpu386");
    QTest::addColumn<bool>("dotJumps");
    QTest::addColumn<bool>("optimize");
    QTest::addColumn<bool>("againstNasm"); // NASM has no inverse-jump stretch for .jumps
    QTest::newRow("8086-optimised") << false << false << true << true;
    QTest::newRow("386-optimised") << true << false << true << true;
    QTest::newRow("386-near-conditionals") << true << false << false << false;
    QTest::newRow("8086-jumps-stretches") << false << true << false << false;
    QTest::newRow("8086-jumps-stretches-optimised") << false << true << true << false;
}

void tst_QvasmEncoding::jumpsAsShortAsTheyReach()
{
    // Enough labels that many jumps grow in one pass and move the ones after them; with /o no
    // instruction may be longer than NASM's for the same line.
    QFETCH(bool, cpu386);
    QFETCH(bool, dotJumps);
    QFETCH(bool, optimize);
    QFETCH(bool, againstNasm);
    for (quint32 seed : {1u, 2u, 3u}) {
        const JumpProgram p = jumpProgram(2000, seed, cpu386, dotJumps);
        AssemblerOptions o;
        o.optimize = optimize;
        o.listing = true;
        Assembler a(o);
        a.assembleText(p.q.toStdString(), "jumps.asm");
        QVERIFY2(a.messages().errors() == 0,
                 qPrintable(QString::fromStdString(a.messages().format(a.files(), 0, {}))));
        const std::vector<uint8_t> img = a.image();
        const QByteArray mine(reinterpret_cast<const char *>(img.data()), int(img.size()));
        const QList<Decoded> code = decode(m_cs, mine, 0x100, 0);
        const QStringList tooLong = longWhereShortReaches(a.listing(), optimize);
        QVERIFY2(tooLong.isEmpty(), qPrintable(tooLong.mid(0, 10).join('\n')));
        if (!againstNasm)
            continue;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile f(dir.filePath("jumps.asm"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(p.n.toLatin1());
        f.close();
        QProcess nasm;
        nasm.start("nasm", {"-Ox", "-f", "bin", "-o", dir.filePath("jumps.bin"), f.fileName()});
        QVERIFY(nasm.waitForFinished(60000));
        QVERIFY2(nasm.exitCode() == 0, nasm.readAllStandardError().constData());
        QFile bin(dir.filePath("jumps.bin"));
        QVERIFY(bin.open(QIODevice::ReadOnly));
        const QList<Decoded> theirs = decode(m_cs, bin.readAll(), 0x100, 0);
        QCOMPARE(code.size(), theirs.size());
        for (int i = 0; i < code.size(); ++i) {
            QVERIFY2(code[i].size <= theirs[i].size,
                     qPrintable(QString("seed %1: %2 %3 at %4 is %5 bytes, NASM's %6")
                                    .arg(seed)
                                    .arg(code[i].mnemonic, code[i].operands)
                                    .arg(code[i].address, 0, 16)
                                    .arg(code[i].size)
                                    .arg(theirs[i].size)));
        }
        QVERIFY(mine.size() <= bin.size());
    }
}

QTEST_GUILESS_MAIN(tst_QvasmEncoding)
#include "tst_qvasmencoding.moc"
