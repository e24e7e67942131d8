// Directives and whole-program rules: models and segments, procedures, jumps, CPU directives,
// includes. Each row is a program body (after ".model tiny / .code / org 100h", so its first line
// is line 4) and what it must give.

#include "QvasmTestSupport.h"

#include "qvasm/Listing.h"

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

} // namespace

class tst_QvasmDirectives : public QObject
{
    Q_OBJECT

private slots:
    void assemblesTo_data();
    void assemblesTo();
    void flatSourcesAssemble_data();
    void flatSourcesAssemble();
    void reports_data();
    void reports();
    void jumpDistances_data();
    void jumpDistances();
    void cpuDirectivesGateInstructions_data();
    void cpuDirectivesGateInstructions();
    void includes();
    void messagesOfIncludedFilesNameThatFile();
    void printedTextKeepsItsPlace();
    void listingShowsEachMessageUnderItsLine();
};

void tst_QvasmDirectives::assemblesTo_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("exit-with-code") << QByteArray(".exit 3") << QByteArray("B8 03 4C CD 21");
    QTest::newRow("data-placed-after-code")
        << QByteArray(".data\nv db 7\n.code\nmov al, v\n.data\nw db 8\n.code\nmov al, w")
        << QByteArray("A0 06 01 A0 07 01 07 08");
    QTest::newRow("uses-saves-and-restores")
        << QByteArray("f proc near uses ax, es\nret\nf endp") << QByteArray("50 06 07 58 C3");
    QTest::newRow("uses-register-sets") << QByteArray(".386\nf proc uses all alldf\nret\nf endp")
                                        << QByteArray("60 66 60 66 9C 66 9D 66 61 61 C3");
    QTest::newRow("uses-restored-before-iret")
        << QByteArray("isr proc far uses ds, ax\niret\nisr endp") << QByteArray("1E 50 58 1F CF");
    QTest::newRow("far-proc-returns-far")
        << QByteArray("f proc far\nret 4\nf endp") << QByteArray("CA 04 00");
    QTest::newRow("noret-allows-a-jump-out")
        << QByteArray(".noret\nf proc\ncall g\nf endp\ng:") << QByteArray("E8 00 00");
    QTest::newRow("endp-after-jmp")
        << QByteArray("f proc\njmp short f\nf endp") << QByteArray("EB FE");
    QTest::newRow("even-and-para-in-code") << QByteArray("nop\n.even\nnop\n.para\nnop")
                                           << QByteArray("90 90 90 90 90 90 90 90 90 90 90 90 90 "
                                                         "90 90 90 90");
    QTest::newRow("even-in-data-pads-zero")
        << QByteArray("nop\n.data\n.even\ndb 1") << QByteArray("90 00 01");
    QTest::newRow("org-fills-forward")
        << QByteArray("nop\norg 104h\nnop") << QByteArray("90 00 00 00 90");
    QTest::newRow("orgnf-moves-without-filling")
        << QByteArray("nop\norgnf 200h\nl: jmp short l") << QByteArray("90 EB FE");
    QTest::newRow("popadbug") << QByteArray(".386\n.popadbug on\npopad\n.popadbug off\npopad")
                              << QByteArray("66 61 90 66 61");
    QTest::newRow("prefix-lines") << QByteArray("rep\nmovsb\nes:\nlodsb\nlock\nnop")
                                  << QByteArray("F3 A4 26 AC F0 90");
    QTest::newRow("segment-override-operand")
        << QByteArray("mov al, es:[bx]\nmov ax, cs:var\nvar dw 0")
        << QByteArray("26 8A 07 2E A1 07 01 00 00");
    QTest::newRow("opsize-adsize") << QByteArray(".386\n.opsize\n.adsize") << QByteArray("66 67");
    QTest::newRow("if-nests") << QByteArray("a = 1\n.if a\n.if 0\ndb 1\n.else\ndb 2\n.endif\n"
                                            ".else\ndb 3\n.endif")
                              << QByteArray("02");
    QTest::newRow("comment-ends-on-the-delimiter-line")
        << QByteArray("comment |\n.if junk\n| db 9\nnop") << QByteArray("90");
}

void tst_QvasmDirectives::assemblesTo()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, bytes);
    const Assembled r = assembleMemory(program(body));
    QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, bytes);
}

void tst_QvasmDirectives::flatSourcesAssemble_data()
{
    QTest::addColumn<QByteArray>("source"); // whole sources whose first statement is org
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("org-first-needs-no-model-code-or-end")
        << QByteArray("org 100h\nmov ax, 1") << QByteArray("B8 01 00");
    QTest::newRow("comments-before-org")
        << QByteArray("; a header\n\ncomment |\nnop\n|\n  org 100h ; here\nnop")
        << QByteArray("90");
    QTest::newRow("boot-sector-origin")
        << QByteArray("org 7C00h\nl: jmp short l\nmov al, v\nv db 1")
        << QByteArray("EB FE A0 05 7C 01");
    QTest::newRow("data-placed-after-code")
        << QByteArray("org 100h\n.data\nv db 7\n.code\nmov al, v") << QByteArray("A0 03 01 07");
    QTest::newRow("end-still-ends-the-source")
        << QByteArray("org 100h\nnop\n.end\nnot assembled") << QByteArray("90");
    QTest::newRow("model-and-code-after-org")
        << QByteArray("org 100h\n.model tiny\n.code\nnop\n.end") << QByteArray("90");
    QTest::newRow("start-at-100h")
        << QByteArray("org 100h\n.start\n.exit") << QByteArray("B8 00 4C CD 21");
}

void tst_QvasmDirectives::flatSourcesAssemble()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, bytes);
    const Assembled r = assembleMemory(source);
    QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, bytes);
}

void tst_QvasmDirectives::reports_data()
{
    QTest::addColumn<QByteArray>("source"); // a whole program, unlike the other tables
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("code");

    QTest::newRow("no-model") << QByteArray(".code\nnop\n.end") << 2 << 0x7C;
    QTest::newRow("no-segment") << QByteArray(".model tiny\nnop\n.end") << 2 << 0x52;
    QTest::newRow("unknown-model") << QByteArray(".model huge\n.code\n.end") << 1 << 0x8E;
    QTest::newRow("missing-end") << QByteArray(".model tiny\n.code\nnop\n") << 3 << 0x18;
    QTest::newRow("org-after-code-directive") << QByteArray(".code\norg 100h\n.end") << 2 << 0x7C;
    QTest::newRow("label-before-org") << QByteArray("go: org 100h\nnop") << 1 << 0x7C;
    QTest::newRow("flat-source-cpu-default-8086")
        << QByteArray("org 100h\nmov eax, 1") << 2 << 0x80;
    QTest::newRow("flat-source-stack") << QByteArray("org 100h\n.stack 512") << 2 << 0x7A;
    QTest::newRow("flat-source-start-not-at-100h") << QByteArray("org 7C00h\n.start") << 2 << 0x5A;
    QTest::newRow("start-not-first") << program("nop\n.start") << 5 << 0x5A;
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

void tst_QvasmDirectives::reports()
{
    QFETCH(QByteArray, source);
    QFETCH(int, line);
    QFETCH(int, code);
    const Assembled r = assembleMemory(source);
    QVERIFY2(r.hasMessage(line, code), qPrintable(r.describe()));
}

void tst_QvasmDirectives::jumpDistances_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("optimize");
    QTest::addColumn<bool>("jumps");
    QTest::addColumn<QByteArray>("start"); // the first bytes of the image
    QTest::addColumn<int>("code");         // expected message, 0 for none
    QTest::addColumn<int>("line");

    const QByteArray far = "jz away\ndb 130 dup (90h)\naway:";
    QTest::newRow("conditional-short") << QByteArray("jz l\ndb 127 dup (90h)\nl:") << false << false
                                       << QByteArray("74 7F") << 0 << 0;
    QTest::newRow("conditional-too-far-8086")
        << far << false << false << QByteArray("74") << 0x43 << 4;
    QTest::newRow("conditional-too-far-jumps")
        << far << false << true << QByteArray("75 03 E9 82 00") << 0 << 0;
    QTest::newRow("conditional-too-far-386")
        << ".386\n" + far << false << false << QByteArray("0F 84 82 00") << 0 << 0;
    QTest::newRow("dot-jumps-directive")
        << ".jumps\n" + far << false << false << QByteArray("75 03 E9 82 00") << 0 << 0;
    QTest::newRow("backward-too-far") << QByteArray("l: db 130 dup (90h)\njnz l") << false << false
                                      << QByteArray("90") << 0x43 << 5;
    QTest::newRow("near-jmp-could-be-short")
        << QByteArray("jmp l\nl:") << false << false << QByteArray("E9 00 00") << 0x76 << 4;
    QTest::newRow("optimiser-picks-short")
        << QByteArray("jmp l\nl:") << true << false << QByteArray("EB 00") << 0 << 0;
    QTest::newRow("explicit-near-no-diagnostic")
        << QByteArray("jmp near l\nl:") << false << false << QByteArray("E9 00 00") << 0 << 0;
    QTest::newRow("short-out-of-range") << QByteArray("jmp short l\ndb 200 dup (0)\nl:") << false
                                        << false << QByteArray("EB") << 0x43 << 4;
    QTest::newRow("loop-out-of-range") << QByteArray("l: db 200 dup (0)\nloop l") << false << true
                                       << QByteArray("00") << 0x43 << 5;
    QTest::newRow("anonymous-unreachable") << QByteArray("@@: db 200 dup (0)\njnz @b") << false
                                           << false << QByteArray("00") << 0x66 << 5;
    QTest::newRow("optimiser-chain-settles")
        << QByteArray("jmp a\njmp b\ndb 120 dup (0)\na: nop\ndb 10 dup (0)\nb: nop") << true
        << false << QByteArray("EB 7B E9 83 00") << 0 << 0;
}

void tst_QvasmDirectives::jumpDistances()
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

void tst_QvasmDirectives::cpuDirectivesGateInstructions_data()
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

void tst_QvasmDirectives::cpuDirectivesGateInstructions()
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

void tst_QvasmDirectives::includes()
{
    // Found beside the source, nested, by any case of its name.
    Assembled r = assembleMemory(program("include a.inc\ndb 3"),
                                 {{"a.inc", "db 1\ninclude sub/B.INC"}, {"sub/b.inc", "db 2"}});
    QVERIFY2(r.errors == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, QByteArray("01 02 03"));

    r = assembleMemory(program("include"));
    QVERIFY2(r.hasMessage(4, 0x0D), qPrintable(r.describe()));
    r = assembleMemory(program("include missing.inc"));
    QVERIFY2(r.hasMessage(4, 0x0C), qPrintable(r.describe()));
    // Including itself, directly or through another file.
    r = assembleMemory(program("include main.asm"));
    QVERIFY2(r.hasMessage(4, 0x0F), qPrintable(r.describe()));
    r = assembleMemory(program("include x.inc"),
                       {{"x.inc", "include y.inc"}, {"y.inc", "include x.inc"}});
    QVERIFY2(r.hasMessage(1, 0x0F, "y.inc"), qPrintable(r.describe()));
    // The /i folder is searched after the source's own.
    qvasm::AssemblerOptions o;
    o.includeDirs = {"/lib"};
    r = assembleMemory(program("include c.inc"), {{"/lib/c.inc", "db 4"}}, o);
    QVERIFY2(r.errors == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, QByteArray("04"));
}

void tst_QvasmDirectives::messagesOfIncludedFilesNameThatFile()
{
    const Assembled r = assembleMemory(program("include defs.inc\nmov ax, nothing"),
                                       {{"defs.inc", "db 1\nmov bx, alsonothing\ncomment #\n"}});
    QVERIFY2(r.hasMessage(2, 0x21, "defs.inc"), qPrintable(r.describe()));
    QVERIFY2(r.hasMessage(3, 0x92, "defs.inc"), qPrintable(r.describe()));
    QVERIFY2(r.hasMessage(5, 0x21), qPrintable(r.describe()));
    QCOMPARE(r.errors, 3);
}

void tst_QvasmDirectives::printedTextKeepsItsPlace()
{
    const Assembled r = assembleMemory(program("%out first\nmov ax, nowhere\n%print second"));
    QCOMPARE(r.messages.size(), 3);
    QCOMPARE(r.messages[0], QString("print first"));
    QVERIFY(r.messages[1].startsWith("main.asm:5 21"));
    QCOMPARE(r.messages[2], QString("print second"));
}

void tst_QvasmDirectives::listingShowsEachMessageUnderItsLine()
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

QTEST_GUILESS_MAIN(tst_QvasmDirectives)
#include "tst_qvasmdirectives.moc"
