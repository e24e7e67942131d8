// Sources through the assembler's own API: expressions, data, symbols, structures, directives
// and whole-program rules. Most rows wrap their lines in ".model tiny / .code / org 100h ...
// .end", so their first line is line 4; the snippet API the disassembler uses comes last.

#include "QvasmTestSupport.h"

#include "qvasm/Listing.h"
#include "qvasm/Snippet.h"

#include <QTest>

namespace {

QByteArray program(const QByteArray &body)
{
    return ".model tiny\n.code\norg 100h\n" + body + "\n.end\n";
}

qvasm::AssemblerOptions withOptions(bool optimize, bool jumps)
{
    qvasm::AssemblerOptions o;
    o.optimize = optimize;
    o.jumps = jumps;
    return o;
}

QByteArray hexOf(const std::vector<uint8_t> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()))
        .toHex(' ')
        .toUpper();
}

} // namespace

class tst_QvasmSource : public QObject
{
    Q_OBJECT

private slots:
    void assemblesTo_data();
    void assemblesTo();
    void reports_data();
    void reports();
    void jumpDistances_data();
    void jumpDistances();
    void jumpsSettleAtTheirShortestForms_data();
    void jumpsSettleAtTheirShortestForms();
    void expressionKindsAsOperands_data();
    void expressionKindsAsOperands();
    void optimiserImmediates_data();
    void optimiserImmediates();
    void faultyConditionsKeepTheirBlocks_data();
    void faultyConditionsKeepTheirBlocks();
    void nestingLimits_data();
    void nestingLimits();
    void cpuDirectivesGateInstructions_data();
    void cpuDirectivesGateInstructions();
    void includes();
    void messagesOfIncludedFilesNameThatFile();
    void printedTextKeepsItsPlace();
    void listingShowsEachMessageUnderItsLine();
    void snippetsAnywhereInTheSegment_data();
    void snippetsAnywhereInTheSegment();
    void snippetsForgetEachOther();
};

void tst_QvasmSource::assemblesTo_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("bytes");

    // Numbers in every radix the dialect knows, and character constants.
    QTest::newRow("radixes") << program("db 10, 0Ah, 0x0A, 1010b, 0ffh")
                             << QByteArray("0A 0A 0A 0A FF");
    QTest::newRow("char-constant-first-char-high")
        << program("mov ax, 'AB'") << QByteArray("B8 42 41");
    QTest::newRow("doubled-quote-in-string") << program("db 'it''s'") << QByteArray("69 74 27 73");
    // Operators and precedence: * before +, not below +, shifts with *.
    QTest::newRow("precedence") << program("dw 2+3*4, (2+3)*4, 7 mod 4, 1 shl 4 + 1")
                                << QByteArray("0E 00 14 00 03 00 11 00");
    QTest::newRow("logic") << program("dw 0F0h and 3Ch, 1 or 2 xor 7, not 0 and 0FFh")
                           << QByteArray("30 00 04 00 FF 00");
    // Labels, $ and offsets; a data label makes a memory operand, offset makes the address.
    QTest::newRow("dollar") << program("dw $, $+2") << QByteArray("00 01 02 01");
    QTest::newRow("typed-variable-loads")
        << program("mov ax, var\nvar dw 5") << QByteArray("A1 03 01 05 00");
    QTest::newRow("offset-takes-address")
        << program("mov ax, offset var\nvar dw 5") << QByteArray("B8 03 01 05 00");
    QTest::newRow("colon-label-is-address")
        << program("mov ax, here\nhere: nop") << QByteArray("B8 03 01 90");
    QTest::newRow("variable-plus-index")
        << program("mov al, tab[bx]\ntab db 1,2") << QByteArray("8A 87 04 01 01 02");
    QTest::newRow("sizeof-variable") << program("mov cx, sizeof msg\nmsg db 'hello',0")
                                     << QByteArray("B9 06 00 68 65 6C 6C 6F 00");
    QTest::newRow("equ-and-assign")
        << program("n equ 4\nm = n*2\nm = m+1\ndb n, m") << QByteArray("04 09");
    QTest::newRow("forward-equ") << program("mov ax, later\nlater equ 1234h")
                                 << QByteArray("B8 34 12");
    // Data forms: dup in both spellings; uninitialised data at the end is not written.
    QTest::newRow("dup-nested") << program("db 2 dup (2 dup (7), 0)")
                                << QByteArray("07 07 00 07 07 00");
    QTest::newRow("dup-dialect-form") << program("dup 4,0E5h") << QByteArray("E5 E5 E5 E5");
    QTest::newRow("trailing-reserve-not-written") << program("db 1\ndup 100,?") << QByteArray("01");
    QTest::newRow("reserve-before-data-is-zero") << program("db ?\ndb 2") << QByteArray("00 02");
    QTest::newRow("dd-dq-df") << program("dd 12345678h\ndf 1234h:5678h\ndq 1")
                              << QByteArray(
                                     "78 56 34 12 78 56 00 00 34 12 01 00 00 00 00 00 00 00");
    QTest::newRow("floats") << program("dd 1.5\ndq -2.0")
                            << QByteArray("00 00 C0 3F 00 00 00 00 00 00 00 C0");
    // Structures: members, instances, member access and sizeof.
    QTest::newRow("struct-instance-and-member")
        << program("pt struct\nx dw 1\ny dw 2\npt ends\np st pt\nmov ax, p.y\nmov bx, sizeof pt")
        << QByteArray("01 00 02 00 A1 02 01 BB 04 00");
    QTest::newRow("struct-member-through-register")
        << program("pt struct\nx dw ?\ny db ?\npt ends\nmov al, [bx].y\nmov ax, [si+pt.x]")
        << QByteArray("8A 47 02 8B 04");
    QTest::newRow("struct-typed-members")
        << program("r struct\na byte ?\nb word 7\nc dup 2,9\nr ends\nv st r")
        << QByteArray("00 07 00 09 09");
    // @@ labels.
    QTest::newRow("anonymous-labels")
        << program("@@: jmp short @f\nnop\n@@: jmp short @b") << QByteArray("EB 01 90 EB FE");
    // Conditional assembly.
    QTest::newRow("if-else") << program(
        "x = 1\n.if x\ndb 1\n.else\ndb 2\n.endif\n.ife x\ndb 3\n.endif")
                             << QByteArray("01");
    QTest::newRow("ifdef") << program("a equ 1\n.ifdef a\ndb 1\n.endif\n.ifndef b\ndb 2\n.endif")
                           << QByteArray("01 02");
    QTest::newRow("case-insensitive")
        << program("Var DW 1\nMOV AX, VAR") << QByteArray("01 00 A1 00 01");
    // Directives: procedures, alignment, origins, prefixes on lines of their own.
    QTest::newRow("exit-with-code") << program(".exit 3") << QByteArray("B8 03 4C CD 21");
    QTest::newRow("data-placed-after-code")
        << program(".data\nv db 7\n.code\nmov al, v\n.data\nw db 8\n.code\nmov al, w")
        << QByteArray("A0 06 01 A0 07 01 07 08");
    QTest::newRow("uses-saves-and-restores")
        << program("f proc near uses ax, es\nret\nf endp") << QByteArray("50 06 07 58 C3");
    QTest::newRow("uses-register-sets") << program(".386\nf proc uses all alldf\nret\nf endp")
                                        << QByteArray("60 66 60 66 9C 66 9D 66 61 61 C3");
    QTest::newRow("uses-restored-before-iret")
        << program("isr proc far uses ds, ax\niret\nisr endp") << QByteArray("1E 50 58 1F CF");
    QTest::newRow("far-proc-returns-far")
        << program("f proc far\nret 4\nf endp") << QByteArray("CA 04 00");
    QTest::newRow("noret-allows-a-jump-out")
        << program(".noret\nf proc\ncall g\nf endp\ng:") << QByteArray("E8 00 00");
    QTest::newRow("endp-after-jmp")
        << program("f proc\njmp short f\nf endp") << QByteArray("EB FE");
    QTest::newRow("even-and-para-in-code") << program("nop\n.even\nnop\n.para\nnop")
                                           << QByteArray("90 90 90 90 90 90 90 90 90 90 90 90 90 "
                                                         "90 90 90 90");
    QTest::newRow("even-in-data-pads-zero")
        << program("nop\n.data\n.even\ndb 1") << QByteArray("90 00 01");
    QTest::newRow("org-fills-forward")
        << program("nop\norg 104h\nnop") << QByteArray("90 00 00 00 90");
    QTest::newRow("orgnf-moves-without-filling")
        << program("nop\norgnf 200h\nl: jmp short l") << QByteArray("90 EB FE");
    QTest::newRow("popadbug") << program(".386\n.popadbug on\npopad\n.popadbug off\npopad")
                              << QByteArray("66 61 90 66 61");
    QTest::newRow("prefix-lines") << program("rep\nmovsb\nes:\nlodsb\nlock\nnop")
                                  << QByteArray("F3 A4 26 AC F0 90");
    QTest::newRow("segment-override-operand")
        << program("mov al, es:[bx]\nmov ax, cs:var\nvar dw 0")
        << QByteArray("26 8A 07 2E A1 07 01 00 00");
    QTest::newRow("opsize-adsize") << program(".386\n.opsize\n.adsize") << QByteArray("66 67");
    QTest::newRow("if-nests") << program("a = 1\n.if a\n.if 0\ndb 1\n.else\ndb 2\n.endif\n"
                                         ".else\ndb 3\n.endif")
                              << QByteArray("02");
    QTest::newRow("comment-ends-on-the-delimiter-line")
        << program("comment |\n.if junk\n| db 9\nnop") << QByteArray("90");
    // Flat sources: org first, no .model, .code or .end needed.
    QTest::newRow("org-first-needs-no-model-code-or-end")
        << QByteArray("org 100h\nmov ax, 1") << QByteArray("B8 01 00");
    QTest::newRow("comments-before-org")
        << QByteArray("; a header\n\ncomment |\nnop\n|\n  org 100h ; here\nnop")
        << QByteArray("90");
    QTest::newRow("boot-sector-origin")
        << QByteArray("org 7C00h\nl: jmp short l\nmov al, v\nv db 1")
        << QByteArray("EB FE A0 05 7C 01");
    QTest::newRow("flat-data-placed-after-code")
        << QByteArray("org 100h\n.data\nv db 7\n.code\nmov al, v") << QByteArray("A0 03 01 07");
    QTest::newRow("end-still-ends-the-source")
        << QByteArray("org 100h\nnop\n.end\nnot assembled") << QByteArray("90");
    QTest::newRow("model-and-code-after-org")
        << QByteArray("org 100h\n.model tiny\n.code\nnop\n.end") << QByteArray("90");
    // A signed displacement written before the brackets.
    QTest::newRow("negative-displacement-before-brackets")
        << program("mov ax, -2[bp]\nmov ax, -4[bx][di]\nmov ax, 4[bp]\nmov ax, +4[bp]")
        << QByteArray("8B 46 FE 8B 41 FC 8B 46 04 8B 46 04");
    QTest::newRow("sign-takes-the-term-not-the-brackets")
        << program(
               "mov ax, -(2)[bp]\nlea si, -2[bp][si]\nmov ax, - -2[bp]\nmov ax, word ptr -2[bp]")
        << QByteArray("8B 46 FE 8D 72 FE 8B 46 02 8B 46 FE");
    // Its neighbours: a number added or subtracted after the brackets, another index.
    QTest::newRow("signed-displacement-then-sum")
        << program("mov ax, -2[bp]+4\nmov ax, -2[bp][si]-1\nmov ax, [bp]-2+1")
        << QByteArray("8B 46 02 8B 42 FD 8B 46 FF");
    // xlat names the table bx points at; only its segment is encoded.
    QTest::newRow("xlat-table") << program("xlat table\nxlat cs:table\nxlat [bx]\ntable db 0")
                                << QByteArray("D7 2E D7 D7 00");
    QTest::newRow("start-at-100h")
        << QByteArray("org 100h\n.start\n.exit") << QByteArray("B8 00 4C CD 21");
}

void tst_QvasmSource::assemblesTo()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, bytes);
    const Assembled r = assembleMemory(source);
    QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, bytes);
}

void tst_QvasmSource::reports_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("code");

    QTest::newRow("undefined-symbol") << program("nop\nmov ax, nowhere") << 5 << 0x21;
    QTest::newRow("hex-without-leading-zero") << program("mov ax, FFh") << 4 << 0x33;
    QTest::newRow("division-by-zero") << program("x equ 0\ndw 5/x") << 5 << 0x2F;
    QTest::newRow("bad-digit") << program("db 19b") << 4 << 0x32;
    QTest::newRow("unterminated-string") << program("db 'abc") << 4 << 0x12;
    QTest::newRow("byte-too-large") << program("db 256") << 4 << 0x78;
    QTest::newRow("dup-count-too-large") << program("dup 2097153,0") << 4 << 0x55;
    QTest::newRow("dup-value-too-large") << program("dup 4,256") << 4 << 0x55;
    QTest::newRow("dup-forward-count") << program("db n dup (0)\nn equ 3") << 4 << 0x28;
    QTest::newRow("data-after-open-reserve") << program("dup 10,?\ndb 1") << 5 << 0x5C;
    QTest::newRow("redefined-label") << program("a: nop\na: nop") << 5 << 0x1F;
    QTest::newRow("equ-redefined") << program("a equ 1\na equ 2") << 5 << 0x1E;
    QTest::newRow("comparison-instead-of-shift") << program("dw 1 < 2") << 4 << 0x47;
    QTest::newRow("too-many-periods") << program("dd 1.2.3") << 4 << 0x44;
    QTest::newRow("float-overflow") << program("dd 1.0e300") << 4 << 0x46;
    QTest::newRow("math-in-offset") << program("v dw 0\nmov ax, offset (v*2)") << 5 << 0x39;
    QTest::newRow("sizeof-of-number") << program("mov ax, sizeof 5") << 4 << 0x2B;
    QTest::newRow("backward-without-label") << program("jmp short @b") << 4 << 0x63;
    QTest::newRow("forward-without-label") << program("nop\njmp short @f") << 5 << 0x64;
    QTest::newRow("bare-anonymous") << program("@@: jmp @@") << 4 << 0x62;
    QTest::newRow("else-without-if") << program(".else") << 4 << 0x1B;
    QTest::newRow("unterminated-comment") << program("db 1\ncomment *\ndb 2") << 5 << 0x92;
    QTest::newRow("extra-characters") << program(".code x y") << 4 << 0x14;
    QTest::newRow("unknown-mnemonic") << program("mvo ax, bx") << 4 << 0x22;
    QTest::newRow("struct-unknown-member")
        << program("pt struct\nx dw 0\npt ends\nmov ax, [bx].zz") << 7 << 0x21;
    QTest::newRow("include-without-name") << program("include") << 4 << 0x0D;
    QTest::newRow("include-not-found") << program("include missing.inc") << 4 << 0x0C;
    QTest::newRow("include-itself") << program("include main.asm") << 4 << 0x0F;
    QTest::newRow("user-error") << program("%error stop here") << 4 << 0x94;
    QTest::newRow("no-model") << QByteArray(".code\nnop\n.end") << 2 << 0x7C;
    QTest::newRow("no-segment") << QByteArray(".model tiny\nnop\n.end") << 2 << 0x52;
    QTest::newRow("unknown-model") << QByteArray(".model huge\n.code\n.end") << 1 << 0x8E;
    QTest::newRow("missing-end") << QByteArray(".model tiny\n.code\nnop\n") << 3 << 0x18;
    QTest::newRow("org-after-code-directive") << QByteArray(".code\norg 100h\n.end") << 2 << 0x7C;
    QTest::newRow("label-before-org") << QByteArray("go: org 100h\nnop") << 1 << 0x7C;
    QTest::newRow("flat-source-cpu-default-8086")
        << QByteArray("org 100h\nmov eax, 1") << 2 << 0x80;
    QTest::newRow("flat-source-start-not-at-100h") << QByteArray("org 7C00h\n.start") << 2 << 0x5A;
    QTest::newRow("ret-after-start") << program(".start\nret") << 5 << 0x8B;
    QTest::newRow("exit-code-too-big") << program(".exit 256") << 4 << 0x78;
    QTest::newRow("stack-in-com") << program(".stack 512") << 4 << 0x7A;
    QTest::newRow("proc-without-ret") << program("f proc\nnop\nf endp") << 6 << 0x72;
    QTest::newRow("endp-without-proc") << program("f endp") << 4 << 0x75;
    QTest::newRow("endp-other-name") << program("f proc\nret\ng endp") << 6 << 0x93;
    QTest::newRow("nested-proc") << program("f proc\ng proc\nret\ng endp") << 5 << 0x57;
    QTest::newRow("open-proc") << program("f proc\nret") << 6 << 0x6A;
    QTest::newRow("proc-distance") << program("f proc sideways\nret\nf endp") << 4 << 0x77;
    QTest::newRow("uses-non-register") << program("f proc uses 5\nret\nf endp") << 4 << 0x29;
    QTest::newRow("call-far-proc-in-com")
        << program("call f\nf proc far\nretf\nf endp") << 4 << 0x7A;
    QTest::newRow("org-backwards") << program("nop\nnop\norg 100h") << 6 << 0x22;
    QTest::newRow("org-forward-reference") << program("org later\nlater equ 200h") << 4 << 0x28;
    QTest::newRow("if-forward-reference") << program(".if later\n.endif\nlater equ 1") << 4 << 0x28;
    QTest::newRow("endif-missing") << program(".if 1\nnop") << 6 << 0x1B;
    QTest::newRow("popadbug-without-operand") << program(".popadbug") << 4 << 0x88;
    QTest::newRow("ends-without-struct") << program("ends") << 4 << 0x1B;
    QTest::newRow("instruction-in-struct") << program("s struct\nnop\ns ends") << 5 << 0x59;
    QTest::newRow("struct-left-open") << program("s struct\nx db 0") << 6 << 0x59;
    QTest::newRow("instance-of-unknown") << program("v st nothing") << 4 << 0x21;
    QTest::newRow("external-in-com") << program(".external foo") << 4 << 0x54;
    QTest::newRow("memory-size-mismatch") << program("mov ax, byte ptr [bx]") << 4 << 0x31;
    QTest::newRow("size-override-on-register") << program("mov word ptr al, 1") << 4 << 0x60;
    QTest::newRow("two-base-registers") << program("mov ax, [bx+bp]") << 4 << 0x3C;
    QTest::newRow("two-index-registers") << program("mov ax, [si+di]") << 4 << 0x3D;
    QTest::newRow("not-an-address-register") << program("mov ax, [ax]") << 4 << 0x3E;
    QTest::newRow("jump-without-target") << program("jmp") << 4 << 0x65;
    QTest::newRow("sized-mnemonic-mismatch") << program("movb ax, 1") << 4 << 0x16;
    QTest::newRow("pop-a-byte") << program("popb [bx]") << 4 << 0x17;
    QTest::newRow("pop-cs") << program("pop cs") << 4 << 0x23;
    QTest::newRow("shift-by-zero") << program(".186\nshl ax, 0") << 5 << 0x35;
    QTest::newRow("xor-by-zero") << program("xor ax, 0") << 4 << 0x36;
    QTest::newRow("ds-override") << program("mov ax, ds:[bx]") << 4 << 0x13;
    QTest::newRow("missing-data") << program("v db") << 4 << 0x19;
    QTest::newRow("zero-dup") << program("db 0 dup (1)") << 4 << 0x51;
    QTest::newRow("segment-limit") << program("db 65000 dup (0)\ndb 1000 dup (0)") << 5 << 0x1A;
    QTest::newRow("reserve-in-code-then-data") << program("dup 10,?\n.data\ndb 1") << 6 << 0x5C;
    QTest::newRow("label-named-like-keyword") << program("mov: nop") << 4 << 0x22;
    QTest::newRow("operand-type-symbol-redefined") << program("a: nop\na equ 1") << 5 << 0x26;
}

void tst_QvasmSource::reports()
{
    QFETCH(QByteArray, source);
    QFETCH(int, line);
    QFETCH(int, code);
    const Assembled r = assembleMemory(source);
    QVERIFY2(r.hasMessage(line, code), qPrintable(r.describe()));
}

void tst_QvasmSource::jumpDistances_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("optimize");
    QTest::addColumn<bool>("jumps");
    QTest::addColumn<QByteArray>("start"); // the first bytes of the image
    QTest::addColumn<int>("code");         // expected message, 0 for none
    QTest::addColumn<int>("line");

    // Out of range forward, /j and /o, and the near-jmp diagnostic are the tool's rows.
    const QByteArray far = "jz away\ndb 130 dup (90h)\naway:";
    QTest::newRow("conditional-short") << QByteArray("jz l\ndb 127 dup (90h)\nl:") << false << false
                                       << QByteArray("74 7F") << 0 << 0;
    QTest::newRow("conditional-too-far-386")
        << ".386\n" + far << false << false << QByteArray("0F 84 82 00") << 0 << 0;
    QTest::newRow("dot-jumps-directive")
        << ".jumps\n" + far << false << false << QByteArray("75 03 E9 82 00") << 0 << 0;
    QTest::newRow("backward-too-far") << QByteArray("l: db 130 dup (90h)\njnz l") << false << false
                                      << QByteArray("90") << 0x43 << 5;
    QTest::newRow("explicit-near-no-diagnostic")
        << QByteArray("jmp near l\nl:") << false << false << QByteArray("E9 00 00") << 0 << 0;
    QTest::newRow("short-out-of-range") << QByteArray("jmp short l\ndb 200 dup (0)\nl:") << false
                                        << false << QByteArray("EB") << 0x43 << 4;
    QTest::newRow("loop-out-of-range") << QByteArray("l: db 200 dup (0)\nloop l") << false << true
                                       << QByteArray("00") << 0x43 << 5;
    QTest::newRow("anonymous-unreachable") << QByteArray("@@: db 200 dup (0)\njnz @b") << false
                                           << false << QByteArray("00") << 0x66 << 5;
    // Diagnostic 76h where the short form would reach: a target after the jump comes a byte
    // closer with it, so +127 and -128 as the short form counts them.
    QTest::newRow("near-jmp-forward-127-could-be-short")
        << QByteArray("jmp l\ndb 127 dup (0)\nl:") << false << false << QByteArray("E9 7F 00")
        << 0x76 << 4;
    QTest::newRow("near-jmp-forward-128-cannot") << QByteArray("jmp l\ndb 128 dup (0)\nl:") << false
                                                 << false << QByteArray("E9 80 00") << 0 << 0;
    QTest::newRow("near-jmp-backward-128-could-be-short")
        << QByteArray("l: db 126 dup (0)\njmp l") << false << false << QByteArray("00") << 0x76
        << 5;
    QTest::newRow("near-jmp-backward-129-cannot")
        << QByteArray("l: db 127 dup (0)\njmp l") << false << false << QByteArray("00") << 0 << 0;
    QTest::newRow("near-jmp-to-next-instruction")
        << QByteArray("jmp l\nl:") << false << false << QByteArray("E9 00 00") << 0x76 << 4;
    // The optimiser's reach, both sides of each end.
    QTest::newRow("optimised-forward-127") << QByteArray("jmp l\ndb 127 dup (0)\nl:") << true
                                           << false << QByteArray("EB 7F") << 0 << 0;
    QTest::newRow("optimised-forward-128") << QByteArray("jmp l\ndb 128 dup (0)\nl:") << true
                                           << false << QByteArray("E9 80 00") << 0 << 0;
    QTest::newRow("conditional-backward-128")
        << QByteArray("l: db 126 dup (0)\njz l") << false << false << QByteArray("00") << 0 << 0;
    QTest::newRow("conditional-forward-128-386")
        << QByteArray(".386\njz l\ndb 128 dup (90h)\nl:") << false << false
        << QByteArray("0F 84 80 00") << 0 << 0;
    QTest::newRow("conditional-forward-128-jumps")
        << QByteArray("jz l\ndb 128 dup (90h)\nl:") << false << true << QByteArray("75 03 E9 80 00")
        << 0 << 0;
    QTest::newRow("optimiser-chain-settles")
        << QByteArray("jmp a\njmp b\ndb 120 dup (0)\na: nop\ndb 10 dup (0)\nb: nop") << true
        << false << QByteArray("EB 7B E9 83 00") << 0 << 0;
}

void tst_QvasmSource::jumpDistances()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, optimize);
    QFETCH(bool, jumps);
    QFETCH(QByteArray, start);
    QFETCH(int, code);
    QFETCH(int, line);
    const Assembled r = assembleMemory(program(body), {}, withOptions(optimize, jumps));
    QVERIFY2(r.bytes.startsWith(start), qPrintable(r.describe()));
    if (code)
        QVERIFY2(r.hasMessage(line, code), qPrintable(r.describe()));
    else
        QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
}

void tst_QvasmSource::jumpsSettleAtTheirShortestForms_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("optimize");
    QTest::addColumn<QByteArray>("bytes"); // found in the image

    // Backward reach, both sides of -128.
    QTest::newRow("optimised-backward-128")
        << QByteArray("l: db 126 dup (0)\njmp l") << true << QByteArray("00 EB 80");
    QTest::newRow("optimised-backward-129")
        << QByteArray("l: db 127 dup (0)\njmp l") << true << QByteArray("00 E9 7E FF");
    QTest::newRow("conditional-backward-128")
        << QByteArray("l: db 126 dup (0)\njz l") << false << QByteArray("00 74 80");
    QTest::newRow("conditional-backward-129-386")
        << QByteArray(".386\nl: db 127 dup (0)\njz l") << false << QByteArray("00 0F 84 7D FF");
    // Each of two jumps reaches only while the other is short: both short is the answer
    // (starting from long forms and shrinking would leave both long).
    QTest::newRow("mutually-dependent-conditionals")
        << QByteArray(".386\nj1: jz b\ndb 124 dup (0)\njz j1\nb: ret") << false
        << QByteArray("00 74 80 C3");
    // Jumps that grow in one pass move everything after them; a forward target, still at its
    // place of the previous pass, moves with them. Seventy near conditional jumps grow by 140
    // bytes in one pass: the jumps to the next instruction after them still reach with the
    // short form.
    QByteArray grown = ".386\n";
    for (int i = 0; i < 70; ++i)
        grown += "jz away\n";
    QTest::newRow("386-conditionals-grown-then-jmp-to-next")
        << grown + "jmp next\nnext: jz next2\nnext2: ret\ndb 600 dup (0)\naway: ret" << true
        << QByteArray("0F 84 5D 02 EB 00 74 00 C3");
    QTest::newRow("386-conditionals-grown-then-jcc-to-next")
        << grown + "jz next\nnext: ret\ndb 600 dup (0)\naway: ret" << false
        << QByteArray("0F 84 5B 02 74 00 C3");
    QByteArray stretched;
    for (int i = 0; i < 70; ++i)
        stretched += "jz away\n";
    QTest::newRow("jumps-stretches-grown-then-jcc-to-next")
        << ".jumps\n" + stretched + "jz next\nnext: ret\ndb 600 dup (0)\naway: ret" << false
        << QByteArray("75 03 E9 5B 02 74 00 C3");
    // A chain in which each jump reaches only while the next one is short takes a pass per
    // link; a pass that lengthened some jump does not count towards the pass limit, and no
    // jump outside the chain is made long to end it.
    QByteArray chain;
    for (int i = 1; i <= 30; ++i) {
        chain += "j" + QByteArray::number(i) + ": jmp "
                 + (i == 30 ? QByteArray("away") : "a" + QByteArray::number(i + 1)) + "\n";
        chain += "a" + QByteArray::number(i) + ": db 125 dup (90h)\n";
    }
    QTest::newRow("chain-longer-than-the-pass-limit")
        << chain + "db 200 dup (90h)\naway: jmp next\nnext: ret" << true
        << QByteArray("90 90 EB 00 C3");
}

void tst_QvasmSource::jumpsSettleAtTheirShortestForms()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, optimize);
    QFETCH(QByteArray, bytes);
    const Assembled r = assembleMemory(program(body), {}, withOptions(optimize, false));
    QVERIFY2(r.errors == 0, qPrintable(r.describe().right(2000)));
    QVERIFY2((" " + r.bytes + " ").contains(" " + bytes + " "), qPrintable(r.bytes));
}

void tst_QvasmSource::expressionKindsAsOperands_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("bytes"); // of the body, after the fixed data
    QTest::addColumn<int>("code");         // expected error, 0 for none

    // msg at 100h (5 bytes), tbl at 105h (6 bytes), tbl_end and l1 at 10Bh (a nop), l2 at
    // 10Ch, where the lines under test start.
    // An address minus an address is a number, whatever takes it.
    QTest::newRow("equ-difference-to-r16")
        << QByteArray("mov cx, msglen") << QByteArray("B9 05 00") << 0;
    QTest::newRow("equ-difference-to-r8")
        << QByteArray("mov al, msglen") << QByteArray("B0 05") << 0;
    QTest::newRow("equ-difference-pushed")
        << QByteArray("push msglen") << QByteArray("68 05 00") << 0;
    QTest::newRow("equ-difference-to-alu")
        << QByteArray("add bx, msglen") << QByteArray("81 C3 05 00") << 0;
    QTest::newRow("equ-difference-to-memory")
        << QByteArray("cmp byte ptr [bx], msglen") << QByteArray("80 3F 05") << 0;
    QTest::newRow("equ-difference-after-offset")
        << QByteArray("mov dx, offset msg+msglen") << QByteArray("BA 05 01") << 0;
    QTest::newRow("equ-difference-as-displacement")
        << QByteArray("mov ax, [bx+msglen]") << QByteArray("8B 47 05") << 0;
    QTest::newRow("equ-difference-in-data") << QByteArray("dw msglen") << QByteArray("05 00") << 0;
    QTest::newRow("variables-difference-to-r16")
        << QByteArray("mov cx, tbl_end-tbl") << QByteArray("B9 06 00") << 0;
    QTest::newRow("variables-difference-to-r8")
        << QByteArray("mov al, tbl-msg") << QByteArray("B0 05") << 0;
    QTest::newRow("variables-difference-as-displacement")
        << QByteArray("mov ax, [si+tbl_end-tbl]") << QByteArray("8B 44 06") << 0;
    QTest::newRow("offsets-difference")
        << QByteArray("mov si, offset tbl_end - offset tbl") << QByteArray("BE 06 00") << 0;
    QTest::newRow("code-labels-difference")
        << QByteArray("mov ax, l2-l1") << QByteArray("B8 01 00") << 0;
    QTest::newRow("dollar-minus-variable")
        << QByteArray("mov cx, $-msg") << QByteArray("B9 0C 00") << 0;
    QTest::newRow("negated-difference")
        << QByteArray("mov ax, -(tbl_end-tbl)") << QByteArray("B8 FA FF") << 0;
    QTest::newRow("difference-written-backwards")
        << QByteArray("mov ax, -tbl+tbl_end") << QByteArray("B8 06 00") << 0;
    QTest::newRow("forward-difference")
        << QByteArray("mov cx, fwdlen\nfwd db 'abc'\nfwdlen equ $-fwd")
        << QByteArray("B9 03 00 61 62 63") << 0;
    // An address plus a number stays an address: a variable's memory, a label's offset.
    QTest::newRow("variable-plus-number-is-memory")
        << QByteArray("mov ax, tbl+2") << QByteArray("A1 07 01") << 0;
    QTest::newRow("variable-plus-difference-is-memory")
        << QByteArray("mov ax, tbl+(l2-l1)") << QByteArray("A1 06 01") << 0;
    QTest::newRow("variable-alias-is-memory")
        << QByteArray("t2 equ tbl\nmov ax, t2") << QByteArray("A1 05 01") << 0;
    QTest::newRow("variable-alias-minus-variable")
        << QByteArray("t2 equ tbl\nmov al, t2-msg") << QByteArray("B0 05") << 0;
    QTest::newRow("label-plus-number-is-offset")
        << QByteArray("mov ax, l1+1") << QByteArray("B8 0C 01") << 0;
    QTest::newRow("offset-plus-number")
        << QByteArray("mov dx, offset tbl+2") << QByteArray("BA 07 01") << 0;
    // An address plus an address is nothing.
    QTest::newRow("labels-added") << QByteArray("mov ax, l1+l2") << QByteArray() << 0x22;
    QTest::newRow("variables-added") << QByteArray("mov ax, tbl+msg") << QByteArray() << 0x22;
    QTest::newRow("labels-added-in-data") << QByteArray("dw l1+l2") << QByteArray() << 0x22;
    QTest::newRow("labels-added-in-equ") << QByteArray("x equ l1+l2") << QByteArray() << 0x22;
}

void tst_QvasmSource::expressionKindsAsOperands()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);
    const QByteArray fixed = "msg db 'hello'\nmsglen equ $-msg\ntbl dw 1,2,3\ntbl_end:\n"
                             "l1: nop\nl2:\n.186\n";
    const Assembled r = assembleMemory(program(fixed + body));
    if (code) {
        QVERIFY2(r.hasMessage(11, code), qPrintable(r.describe()));
        return;
    }
    QVERIFY2(r.errors == 0, qPrintable(r.describe()));
    const QByteArray data = "68 65 6C 6C 6F 01 00 02 00 03 00 90 ";
    QVERIFY2(r.bytes.startsWith(data), qPrintable(r.describe()));
    QCOMPARE(r.bytes.mid(data.size()), bytes);
}

void tst_QvasmSource::optimiserImmediates_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("optimize");
    QTest::addColumn<QByteArray>("bytes");

    // With /o a value in -128..127 (as the operation's width sees it) takes the sign-extended
    // byte; one past either end does not.
    QTest::newRow("add-eax-5") << QByteArray("add eax, 5") << true << QByteArray("66 83 C0 05");
    QTest::newRow("add-eax-127") << QByteArray("add eax, 127") << true << QByteArray("66 83 C0 7F");
    QTest::newRow("add-eax-128") << QByteArray("add eax, 128") << true
                                 << QByteArray("66 05 80 00 00 00");
    QTest::newRow("add-eax-minus-128")
        << QByteArray("add eax, -128") << true << QByteArray("66 83 C0 80");
    QTest::newRow("add-eax-minus-129")
        << QByteArray("add eax, -129") << true << QByteArray("66 05 7F FF FF FF");
    QTest::newRow("add-eax-0FFFFFF80h")
        << QByteArray("add eax, 0FFFFFF80h") << true << QByteArray("66 83 C0 80");
    QTest::newRow("add-eax-0FFFFFF7Fh")
        << QByteArray("add eax, 0FFFFFF7Fh") << true << QByteArray("66 05 7F FF FF FF");
    QTest::newRow("cmp-dword-memory")
        << QByteArray("cmp dword ptr [bx], -1") << true << QByteArray("66 83 3F FF");
    QTest::newRow("push-dword-5") << QByteArray("push dword 5") << true << QByteArray("66 6A 05");
    QTest::newRow("push-dword-127")
        << QByteArray("push dword 127") << true << QByteArray("66 6A 7F");
    QTest::newRow("push-dword-128")
        << QByteArray("push dword 128") << true << QByteArray("66 68 80 00 00 00");
    QTest::newRow("pushd-minus-128") << QByteArray("pushd -128") << true << QByteArray("66 6A 80");
    QTest::newRow("pushd-minus-129")
        << QByteArray("pushd -129") << true << QByteArray("66 68 7F FF FF FF");
    QTest::newRow("pushw-5") << QByteArray("pushw 5") << true << QByteArray("6A 05");
    QTest::newRow("pushw-0FF80h") << QByteArray("pushw 0FF80h") << true << QByteArray("6A 80");
    QTest::newRow("pushw-0FF7Fh") << QByteArray("pushw 0FF7Fh") << true << QByteArray("68 7F FF");
    QTest::newRow("push-word-5") << QByteArray("push word 5") << true << QByteArray("6A 05");
    // An unsized push stays a word push: the optimiser never changes what is pushed.
    QTest::newRow("push-5-stays-word") << QByteArray("push 5") << true << QByteArray("6A 05");
    // The accumulator form stays where it is no longer (ties keep it).
    QTest::newRow("add-ax-5-accumulator")
        << QByteArray("add ax, 5") << true << QByteArray("05 05 00");
    // Without /o the written size is the encoded size.
    QTest::newRow("plain-add-eax-5")
        << QByteArray("add eax, 5") << false << QByteArray("66 05 05 00 00 00");
    QTest::newRow("plain-push-dword-5")
        << QByteArray("push dword 5") << false << QByteArray("66 68 05 00 00 00");
    QTest::newRow("plain-pushw-5") << QByteArray("pushw 5") << false << QByteArray("68 05 00");
}

void tst_QvasmSource::optimiserImmediates()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, optimize);
    QFETCH(QByteArray, bytes);
    const Assembled r = assembleMemory(program(".386\n" + body), {}, withOptions(optimize, false));
    QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, bytes);
}

void tst_QvasmSource::faultyConditionsKeepTheirBlocks_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("messages"); // "line code" of every message
    QTest::addColumn<QByteArray>("bytes");

    // A condition that cannot be read still opens its block: its .endif pairs up, and neither
    // branch is assembled.
    QTest::newRow("faulty-if") << QByteArray(".if 1 +\ndb 1\n.endif\ndb 2") << QStringList{"4 2e"}
                               << QByteArray("02");
    QTest::newRow("faulty-if-with-else") << QByteArray(".if 1 +\ndb 1\n.else\ndb 3\n.endif\ndb 2")
                                         << QStringList{"4 2e"} << QByteArray("02");
    QTest::newRow("if-without-condition")
        << QByteArray(".if\ndb 1\n.endif\ndb 2") << QStringList{"4 2e"} << QByteArray("02");
    QTest::newRow("ifdef-without-name")
        << QByteArray(".ifdef\ndb 1\n.endif\ndb 2") << QStringList{"4 2e"} << QByteArray("02");
    QTest::newRow("undefined-condition")
        << QByteArray(".if nothing\ndb 1\n.else\ndb 3\n.endif\ndb 2") << QStringList{"4 28"}
        << QByteArray("02");
    QTest::newRow("faulty-if-inside-skipped-block")
        << QByteArray(".if 0\n.if 1 +\ndb 1\n.endif\ndb 4\n.endif\ndb 2") << QStringList{}
        << QByteArray("02");
    QTest::newRow("endif-with-extra-characters")
        << QByteArray(".if 1\ndb 1\n.endif x\ndb 2") << QStringList{"6 14"} << QByteArray("01 02");
    QTest::newRow("else-with-extra-characters")
        << QByteArray(".if 1\ndb 1\n.else x\ndb 3\n.endif\ndb 2") << QStringList{"6 14"}
        << QByteArray("01 02");
}

void tst_QvasmSource::faultyConditionsKeepTheirBlocks()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, bytes);
    const Assembled r = assembleMemory(program(body));
    QStringList got;
    for (const QString &m : r.messages)
        got << m.section(' ', 0, 1).section(':', 1);
    QCOMPARE(got, messages);
    QCOMPARE(r.bytes, bytes);
}

void tst_QvasmSource::nestingLimits_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code"); // 0: accepted

    // 64 levels of parentheses, brackets and prefix operators; beyond, a syntax error that says
    // so (22h, "nested more than 64 levels deep").
    auto nest = [](const QByteArray &open, const QByteArray &inner, const QByteArray &close, int n) {
        return open.repeated(n) + inner + close.repeated(n);
    };
    QTest::newRow("parentheses-64") << "dw " + nest("(", "1", ")", 64) << 0;
    QTest::newRow("parentheses-65") << "dw " + nest("(", "1", ")", 65) << 0x22;
    QTest::newRow("brackets-64") << "mov ax, " + nest("[", "bx", "]", 64) << 0;
    QTest::newRow("brackets-65") << "mov ax, " + nest("[", "bx", "]", 65) << 0x22;
    QTest::newRow("index-brackets-64") << "mov ax, " + nest("2[", "bx", "]", 64) << 0;
    QTest::newRow("index-brackets-65") << "mov ax, " + nest("2[", "bx", "]", 65) << 0x22;
    QTest::newRow("minus-64") << "dw " + nest("- ", "1", "", 64) << 0;
    QTest::newRow("minus-65") << "dw " + nest("- ", "1", "", 65) << 0x22;
    QTest::newRow("not-64") << "dw " + nest("not ", "1", "", 64) << 0;
    QTest::newRow("not-65") << "dw " + nest("not ", "1", "", 65) << 0x22;
    QTest::newRow("mixed-64") << "dw " + nest("-(", "1", ")", 32) << 0;
    QTest::newRow("mixed-65") << "dw " + nest("-(", "1", ")", 32).prepend("+") << 0x22;
    // Long but flat: 1,023 nodes in an operand are allowed, more are too many tokens.
    QTest::newRow("operand-nodes-1023") << "dw 1" + QByteArray("+1").repeated(511) << 0;
    QTest::newRow("operand-nodes-1025") << "dw 1" + QByteArray("+1").repeated(512) << 0x90;
    // dup 8 deep, conditional blocks 1,024 deep.
    QTest::newRow("dup-8") << "db " + nest("1 dup (", "0", ")", 8) << 0;
    QTest::newRow("dup-9") << "db " + nest("1 dup (", "0", ")", 9) << 0x57;
    QTest::newRow("if-1024") << nest(".if 1\n", "nop\n", ".endif\n", 1024) << 0;
    QTest::newRow("if-1025") << nest(".if 1\n", "nop\n", ".endif\n", 1025) << 0x1B;
}

void tst_QvasmSource::nestingLimits()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    const Assembled r = assembleMemory(program(body));
    if (!code) {
        QVERIFY2(r.errors == 0, qPrintable(r.describe().left(2000)));
        return;
    }
    const int line = code == 0x1B ? 4 + 1024 : 4;
    QVERIFY2(r.hasMessage(line, code), qPrintable(r.describe().left(2000)));
    if (code == 0x22)
        QVERIFY2(r.messages.join('\n').contains("nested more than 64 levels deep"),
                 qPrintable(r.describe().left(2000)));
}

void tst_QvasmSource::cpuDirectivesGateInstructions_data()
{
    QTest::addColumn<QByteArray>("cpu");
    QTest::addColumn<QByteArray>("instruction");
    QTest::addColumn<int>("code"); // 0: accepted

    QTest::newRow("186-on-8086") << QByteArray(".8086") << QByteArray("pusha") << 0x7D;
    QTest::newRow("186-on-186") << QByteArray(".186") << QByteArray("shl ax, 3") << 0;
    QTest::newRow("286p-on-286") << QByteArray(".286") << QByteArray("lgdt [bx]") << 0x7F;
    QTest::newRow("286p-on-286p") << QByteArray(".286p") << QByteArray("lgdt [bx]") << 0;
    QTest::newRow("pmode-enables") << QByteArray(".286\n.pmode") << QByteArray("clts") << 0;
    QTest::newRow("386-register") << QByteArray(".286") << QByteArray("mov eax, 1") << 0x80;
    QTest::newRow("386-address") << QByteArray(".286") << QByteArray("mov al, [eax]") << 0x80;
    QTest::newRow("386-segment") << QByteArray(".286") << QByteArray("mov ax, fs:[bx]") << 0x80;
    QTest::newRow("386p-on-386") << QByteArray(".386") << QByteArray("mov cr0, eax") << 0x81;
    QTest::newRow("486-on-386") << QByteArray(".386") << QByteArray("bswap eax") << 0x82;
    QTest::newRow("586-on-486") << QByteArray(".486") << QByteArray("cpuid") << 0x83;
    QTest::newRow("x86-enables-all") << QByteArray(".x86") << QByteArray("cmovz ax, bx") << 0;
    QTest::newRow("87-missing") << QByteArray(".386") << QByteArray("fld1") << 0x84;
    QTest::newRow("87-given") << QByteArray(".87") << QByteArray("fld1") << 0;
    QTest::newRow("387-missing") << QByteArray(".287") << QByteArray("fsin") << 0x87;
    QTest::newRow("486-has-fpu") << QByteArray(".486") << QByteArray("fsincos") << 0;
    QTest::newRow("umov-on-586") << QByteArray(".586") << QByteArray("umov al, bl") << 0x70;
    QTest::newRow("umov-on-486") << QByteArray(".486") << QByteArray("umov al, bl") << 0;
    QTest::newRow("loadall-on-8086") << QByteArray(".8086") << QByteArray("loadall") << 0x70;
    QTest::newRow("near-jcc-on-286") << QByteArray(".286") << QByteArray("je near $") << 0x80;
    QTest::newRow("uses-32-bit-on-286")
        << QByteArray(".286") << QByteArray("f proc uses eax\nret\nf endp") << 0x80;
}

void tst_QvasmSource::cpuDirectivesGateInstructions()
{
    QFETCH(QByteArray, cpu);
    QFETCH(QByteArray, instruction);
    QFETCH(int, code);
    const Assembled r = assembleMemory(program(cpu + "\n" + instruction));
    const int line = 5 + cpu.count('\n');
    if (code)
        QVERIFY2(r.hasMessage(line, code), qPrintable(r.describe()));
    else
        QVERIFY2(r.errors == 0, qPrintable(r.describe()));
}

void tst_QvasmSource::includes()
{
    // Found beside the source, nested, by any case of its name.
    const Assembled r = assembleMemory(program("include a.inc\ndb 3"),
                                       {{"a.inc", "db 1\ninclude sub/B.INC"},
                                        {"sub/b.inc", "db 2"}});
    QVERIFY2(r.errors == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, QByteArray("01 02 03"));
}

void tst_QvasmSource::messagesOfIncludedFilesNameThatFile()
{
    const Assembled r = assembleMemory(program("include defs.inc\nmov ax, nothing"),
                                       {{"defs.inc", "db 1\nmov bx, alsonothing\ncomment #\n"}});
    QVERIFY2(r.hasMessage(2, 0x21, "defs.inc"), qPrintable(r.describe()));
    QVERIFY2(r.hasMessage(3, 0x92, "defs.inc"), qPrintable(r.describe()));
    QVERIFY2(r.hasMessage(5, 0x21), qPrintable(r.describe()));
    QCOMPARE(r.errors, 3);
}

void tst_QvasmSource::printedTextKeepsItsPlace()
{
    const Assembled r = assembleMemory(program("%out first\nmov ax, nowhere\n%print second"));
    QCOMPARE(r.messages.size(), 3);
    QCOMPARE(r.messages[0], QString("print first"));
    QVERIFY(r.messages[1].startsWith("main.asm:5 21"));
    QCOMPARE(r.messages[2], QString("print second"));
}

void tst_QvasmSource::listingShowsEachMessageUnderItsLine()
{
    // The same included line is listed once per inclusion, each time with its own message
    // only; a message found at the end of the source is listed at the end.
    MemoryFiles loader;
    QByteArray main = ".model tiny\n.code\n";
    for (int i = 0; i < 50; ++i)
        main += "include bad.inc\n";
    loader.files.insert("/src/main.asm", main);
    loader.files.insert("/src/bad.inc", "mov ax, missing\n");
    qvasm::AssemblerOptions o;
    o.listing = true;
    qvasm::Assembler a(o, &loader);
    a.assembleFile("/src/main.asm");
    const QString listing = QString::fromStdString(
        qvasm::Listing::render(a, "/src/main.asm", false));
    QCOMPARE(listing.count("error 21h Symbol not defined:  missing"), 50);
    QCOMPARE(listing.count("error 18h"), 1);
    QVERIFY(listing.indexOf("error 18h") > listing.lastIndexOf("mov ax, missing"));
}

void tst_QvasmSource::snippetsAnywhereInTheSegment_data()
{
    // A disassembler checks instructions of files longer than 64 KiB: their addresses pass
    // 0FFFFh and the jump distances wrap as IP does.
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<uint>("address");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("past-64K") << QByteArray("jmp short 0x105") << 0x10100u << QByteArray("EB 03");
    QTest::newRow("forward-wraps")
        << QByteArray("call 0x0010") << 0xFFF0u << QByteArray("E8 1D 00");
    QTest::newRow("backward-wraps") << QByteArray("loop 0xFFF0") << 0x10u << QByteArray("E2 DE");
}

void tst_QvasmSource::snippetsAnywhereInTheSegment()
{
    QFETCH(QByteArray, source);
    QFETCH(uint, address);
    QFETCH(QByteArray, bytes);
    const qvasm::SnippetResult r = qvasm::assembleSnippet(source.toStdString(), address);
    QVERIFY(r.ok());
    QCOMPARE(hexOf(r.bytes), bytes);
}

void tst_QvasmSource::snippetsForgetEachOther()
{
    // Snippets reuse one assembler: nothing of one call may leak into the next.
    qvasm::SnippetResult r
        = qvasm::assembleSnippet("x equ 5\n.386\njz $+300h\ns struct\nm dw 0\ns ends", 0x100);
    QVERIFY(r.ok());
    r = qvasm::assembleSnippet("mov ax, x\nmov ax, [bx].m", 0x200);
    QCOMPARE(r.errors.size(), size_t(2));
    QCOMPARE(r.errors[0].code, 0x21);
    QCOMPARE(r.errors[1].code, 0x21);
    r = qvasm::assembleSnippet("jz $+300h", 0x100);
    QCOMPARE(hexOf(r.bytes), QByteArray("0F 84 FC 02"));
}

QTEST_GUILESS_MAIN(tst_QvasmSource)
#include "tst_qvasmsource.moc"
