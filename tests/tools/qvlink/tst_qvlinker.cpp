// The linker on modules built record by record: every fixup kind against bytes worked out by
// hand, the limits on both sides, symbols across modules, combining and ordering of segments,
// and the MZ header's fields.
#include "OmfBuilder.h"
#include "qvlink/Linker.h"
#include "qvlink/ObjectReader.h"

#include <QElapsedTimer>
#include <QtTest>

using qvlink::LinkResult;
using qvlink::ObjectModule;
using qvlink::ObjectReader;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(std::vector<std::string>)

namespace {

using OB = OmfBuilder;

LinkResult linkObjects(const std::vector<std::string> &objects)
{
    std::vector<ObjectModule> modules(objects.size());
    for (size_t i = 0; i < objects.size(); ++i) {
        modules[i].path = "/obj/m" + std::to_string(i) + ".obj";
        const ObjectReader::Result r = ObjectReader::read(objects[i], modules[i]);
        if (!r.ok)
            qFatal("object %zu not read: %s", i, r.error.c_str());
    }
    return qvlink::Linker::link(modules);
}

uint16_t word(const std::vector<uint8_t> &b, size_t at)
{
    return uint16_t(b[at] | (b[at + 1] << 8));
}

QString hexOf(const std::vector<uint8_t> &b, size_t from, size_t n)
{
    return QByteArray(reinterpret_cast<const char *>(b.data() + from), qsizetype(n))
        .toHex(' ')
        .toUpper();
}

QString messagesOf(const LinkResult &r)
{
    QStringList out;
    for (const qvlink::LinkMessage &m : r.messages)
        out << QString("%1 %2h m%3 %4")
                   .arg(m.error ? "error" : "diag")
                   .arg(m.code, 2, 16, QChar('0'))
                   .arg(m.module)
                   .arg(QString::fromStdString(m.detail));
    return out.join('\n');
}

// Names: 1 "", 2 CODE, 3 DATA, 4 STACK, 5 DGROUP, 6 A, 7 B.
OB header()
{
    OB b;
    b.theadr().lnames({"", "CODE", "DATA", "STACK", "DGROUP", "A", "B"});
    return b;
}

constexpr uint8_t kParaPublic = 0x68; // paragraph, public
constexpr uint8_t kParaStack = 0x74;  // paragraph, stack
constexpr uint8_t kParaCommon = 0x78; // paragraph, common
constexpr uint8_t kBytePublic = 0x28;
constexpr uint8_t kWordPublic = 0x48;

// A one-segment program: CODE (segment 1) of `length` bytes starting at 0, with a stack.
OB program(uint32_t length)
{
    OB b = header();
    b.segdef(kParaPublic, length, 2, 2).segdef(kParaStack, 0x40, 4, 4);
    return b;
}

} // namespace

class tst_QvLinker : public QObject
{
    Q_OBJECT

private slots:
    void everyFixupKind();
    void shortReach_data();
    void shortReach();
    void groupLimit_data();
    void groupLimit();
    void offsetFromFrame_data();
    void offsetFromFrame();
    void externalsAcrossModules();
    void localNamesStayInTheirModule();
    void symbolErrors_data();
    void symbolErrors();
    void combinesAndOrdersSegments();
    void stacksCombine();
    void pageCounts_data();
    void pageCounts();
    void thousandSegments();
    void segmentLimit_data();
    void segmentLimit();
    void memoryLimit_data();
    void memoryLimit();
    void mapFile();
};

void tst_QvLinker::everyFixupKind()
{
    // CODE 0-0Fh, DATA 10h-1Fh and STACK 20h-5Fh; DGROUP = DATA + STACK at frame 1.
    OB b = header();
    b.segdef(kParaPublic, 16, 2, 2).segdef(kParaPublic, 16, 3, 3).segdef(kParaStack, 0x40, 4, 4);
    b.grpdef(5, {2, 3});
    const std::string code = std::string("\xB8\x00\x00"         // 0  mov ax, seg DATA
                                         "\xBA\x00\x00"         // 3  mov dx, offset DGROUP:x
                                         "\x9A\x00\x00\x00\x00" // 6  call far CODE:0Eh
                                         "\xEB\x00"             // 11 jmp short CODE:0Eh
                                         "\xB4\x00",            // 13 mov ah, high byte
                                         15);
    b.ledata(1, 0, code);
    b.fixupp(OB::fixup(true, 2, 1, OB::fixData(5, 0, 0, 2))              // base
             + OB::fixup(true, 1, 4, OB::fixData(1, 1, 0, 2, 4))         // group-relative
             + OB::fixup(true, 3, 7, OB::fixData(5, 0, 0, 1, 0x0E))      // far pointer
             + OB::fixup(false, 0, 12, OB::fixData(4, 0, 0, 1, 0x0E))    // self-relative 8
             + OB::fixup(true, 4, 14, OB::fixData(0, 1, 0, 2, 0x0123))); // high byte
    b.ledata(2, 0, std::string("\x00\x00\x00", 3));
    b.fixupp(OB::fixup(true, 1, 0, OB::fixData(1, 1, 0, 2, 4))        // dw offset x
             + OB::fixup(true, 0, 2, OB::fixData(5, 0, 0, 1, 0x0E))); // low byte
    b.modendStart(0, 1, 0, 1, 0);
    const LinkResult r = linkObjects({b.bytes});
    QVERIFY2(r.errors() == 0 && r.diags() == 0, qPrintable(messagesOf(r)));

    const std::vector<uint8_t> &exe = r.exe;
    QCOMPARE(word(exe, 0x06), uint16_t(2));    // relocations
    QCOMPARE(word(exe, 0x08), uint16_t(3));    // header paragraphs: 1Ch + 8 bytes, rounded
    QCOMPARE(word(exe, 0x1C), uint16_t(0x01)); // the base word
    QCOMPARE(word(exe, 0x1E), uint16_t(0));
    QCOMPARE(word(exe, 0x20), uint16_t(0x09)); // the far pointer's segment word
    QCOMPARE(word(exe, 0x22), uint16_t(0));
    QCOMPARE(hexOf(exe, 0x30, 16), QString("B8 01 00 BA 04 00 9A 0E 00 00 00 EB 01 B4 01 00"));
    // DATA: DGROUP's offset of x (DATA+4 = 14h, frame 10h) and the low byte of 0Eh.
    QCOMPARE(hexOf(exe, 0x40, 3), QString("04 00 0E"));
    QCOMPARE(exe.size(), size_t(0x30 + 0x13)); // up to the last byte data records wrote
    QCOMPARE(word(exe, 0x02), uint16_t(0x43));
    QCOMPARE(word(exe, 0x04), uint16_t(1));
    QCOMPARE(word(exe, 0x0A), uint16_t(6 - 2)); // the stack after the image, in paragraphs
    QCOMPARE(word(exe, 0x0E), uint16_t(2));     // SS: STACK's frame
    QCOMPARE(word(exe, 0x10), uint16_t(0x40));  // SP: its length
    QCOMPARE(word(exe, 0x14), uint16_t(0));     // IP
    QCOMPARE(word(exe, 0x16), uint16_t(0));     // CS
    QCOMPARE(word(exe, 0x18), uint16_t(0x1C));
}

void tst_QvLinker::shortReach_data()
{
    QTest::addColumn<int>("distance");
    QTest::addColumn<bool>("reaches");
    QTest::newRow("127 forward reaches") << 127 << true;
    QTest::newRow("128 forward is out of range") << 128 << false;
    QTest::newRow("128 back reaches") << -128 << true;
    QTest::newRow("129 back is out of range") << -129 << false;
}

void tst_QvLinker::shortReach()
{
    QFETCH(int, distance);
    QFETCH(bool, reaches);
    OB b = program(0x200);
    b.ledata(1, 0x100, std::string("\xEB\x00", 2));
    b.fixupp(OB::fixup(false, 0, 1, OB::fixData(4, 0, 0, 1, uint32_t(0x102 + distance))));
    b.modendStart(0, 1, 0, 1, 0);
    const LinkResult r = linkObjects({b.bytes});
    if (reaches) {
        QVERIFY2(r.errors() == 0, qPrintable(messagesOf(r)));
        QCOMPARE(int8_t(r.exe[0x20 + 0x101]), int8_t(distance));
    } else {
        QCOMPARE(r.errors(), size_t(1));
        QCOMPARE(r.messages[0].code, uint8_t(0x43));
        QVERIFY2(messagesOf(r).contains(" 1h (short fixup at CODE:0101h)"),
                 qPrintable(messagesOf(r)));
        QVERIFY(r.exe.empty());
    }
}

void tst_QvLinker::groupLimit_data()
{
    QTest::addColumn<uint32_t>("secondLength");
    QTest::addColumn<bool>("fits");
    QTest::newRow("group of exactly 64 KiB") << 0x8000u << true;
    QTest::newRow("group one byte over 64 KiB") << 0x8001u << false;
}

void tst_QvLinker::groupLimit()
{
    QFETCH(uint32_t, secondLength);
    QFETCH(bool, fits);
    OB b = program(16);
    b.segdef(kParaPublic, 0x8000, 6, 3).segdef(kParaPublic, secondLength, 7, 3).grpdef(5, {3, 4});
    b.modendStart(0, 1, 0, 1, 0);
    const LinkResult r = linkObjects({b.bytes});
    QCOMPARE(r.errors() == 0, fits);
    if (!fits) {
        QCOMPARE(r.messages[0].code, uint8_t(0x1A));
        QVERIFY2(messagesOf(r).contains("group DGROUP spans 10001h bytes"),
                 qPrintable(messagesOf(r)));
    }
}

void tst_QvLinker::offsetFromFrame_data()
{
    QTest::addColumn<uint32_t>("displacement");
    QTest::addColumn<QString>("result"); // the patched word, or the error's detail
    // A (10h to 0FFFFh) follows CODE, in CODE's frame up to its last byte.
    QTest::newRow("last byte of the frame") << 0xFFEFu << "FF FF";
    QTest::newRow("first byte past the frame") << 0xFFF0u << "target 10000h bytes beyond its frame";
}

void tst_QvLinker::offsetFromFrame()
{
    QFETCH(uint32_t, displacement);
    QFETCH(QString, result);
    OB b = header();
    b.segdef(kParaPublic, 16, 2, 2).segdef(kParaPublic, 0xFFF0, 6, 3);
    b.ledata(1, 0, std::string("\x00\x00", 2));
    b.fixupp(OB::fixup(true, 1, 0, OB::fixData(0, 1, 0, 2, displacement)));
    b.modendStart(0, 1, 0, 1, 0);
    const LinkResult r = linkObjects({b.bytes});
    if (r.errors() == 0)
        QCOMPARE(hexOf(r.exe, 0x20, 2), result);
    else
        QVERIFY2(messagesOf(r).contains(result), qPrintable(messagesOf(r)));
}

void tst_QvLinker::externalsAcrossModules()
{
    // m0 calls "greet" near; m1's CODE piece follows m0's (word aligned) and defines "Greet" at
    // 2: names match without regard to case, as DOS linkers match them.
    OB main = program(3);
    main.extdef({"GREET"}).ledata(1, 0, std::string("\xE8\x00\x00", 3));
    main.fixupp(OB::fixup(false, 1, 1, OB::fixData(5, 0, 2, 1, 0)));
    main.modendStart(0, 1, 0, 1, 0);
    OB lib = header();
    lib.segdef(kWordPublic, 4, 2, 2).pubdef(0, 1, {{"Greet", 2}}).ledata(1, 0, "\x90\x90\xC3\x90");
    lib.modend();
    const LinkResult r = linkObjects({main.bytes, lib.bytes});
    QVERIFY2(r.errors() == 0, qPrintable(messagesOf(r)));
    // m1's piece at 4 (3 aligned to a word), greet at 6: from 3, the call's end, that is 3.
    QCOMPARE(hexOf(r.exe, 0x20, 8), QString("E8 03 00 00 90 90 C3 90"));
}

void tst_QvLinker::localNamesStayInTheirModule()
{
    // m1's local "helper" (LPUBDEF) serves its own LEXTDEF; m0's EXTDEF of the name finds none.
    OB m0 = program(2);
    m0.extdef({"helper"}).ledata(1, 0, std::string("\x00\x00", 2));
    m0.fixupp(OB::fixup(true, 1, 0, OB::fixData(5, 0, 2, 1, 0))).modendStart(0, 1, 0, 1, 0);
    OB m1 = header();
    m1.segdef(kParaPublic, 4, 2, 2);
    m1.record(0xB6, OB::idx(0) + OB::idx(1) + OB::name("helper") + OB::w(3) + OB::idx(0));
    m1.record(0xB4, OB::name("helper") + OB::idx(0)).ledata(1, 0, std::string("\x00\x00", 2));
    m1.fixupp(OB::fixup(true, 1, 0, OB::fixData(5, 0, 2, 1, 0))).modend();
    LinkResult r = linkObjects({m0.bytes, m1.bytes});
    QCOMPARE(messagesOf(r), QString("error 21h m0 helper"));
    // Without m0's reference the same module links, its word pointing at its own helper.
    OB m0alone = program(2);
    m0alone.modendStart(0, 1, 0, 1, 0);
    r = linkObjects({m0alone.bytes, m1.bytes});
    QVERIFY2(r.errors() == 0, qPrintable(messagesOf(r)));
    QCOMPARE(hexOf(r.exe, 0x20 + 0x10, 2), QString("13 00")); // m1's CODE piece at 10h, +3
}

void tst_QvLinker::symbolErrors_data()
{
    QTest::addColumn<std::vector<std::string>>("objects");
    QTest::addColumn<QString>("messages");

    OB user = program(2);
    user.extdef({"missing", "missing"}).ledata(1, 0, std::string("\x00\x00", 2));
    user.fixupp(OB::fixup(true, 1, 0, OB::fixData(5, 0, 2, 1, 0))
                + OB::fixup(true, 1, 0, OB::fixData(5, 0, 2, 2, 0)));
    user.modendStart(0, 1, 0, 1, 0);
    QTest::newRow("unresolved external, once per module")
        << std::vector<std::string>{user.bytes} << "error 21h m0 missing";

    OB one = program(4);
    one.pubdef(0, 1, {{"twice", 0}}).modendStart(0, 1, 0, 1, 0);
    OB two = header();
    two.segdef(kParaPublic, 4, 2, 2).pubdef(0, 1, {{"TWICE", 2}}).modend();
    QTest::newRow("duplicate public") << std::vector<std::string>{one.bytes, two.bytes}
                                      << "error 1fh m1 TWICE (also in /obj/m0.obj)";

    OB noStart = program(4);
    noStart.modend();
    QTest::newRow("no start address") << std::vector<std::string>{noStart.bytes}
                                      << "error 21h m0 start address (no object gives one)";

    OB start2 = header();
    start2.segdef(kParaPublic, 4, 2, 2).modendStart(0, 1, 0, 1, 0);
    OB start1 = program(4);
    start1.modendStart(0, 1, 0, 1, 0);
    QTest::newRow("two start addresses") << std::vector<std::string>{start1.bytes, start2.bytes}
                                         << "error 1fh m1 start address (also in /obj/m0.obj)";

    OB noStack = header();
    noStack.segdef(kParaPublic, 4, 2, 2).modendStart(0, 1, 0, 1, 0);
    QTest::newRow("no stack is a warning") << std::vector<std::string>{noStack.bytes}
                                           << "diag 79h m0 no stack segment (SS:SP start as 0:0)";
}

void tst_QvLinker::symbolErrors()
{
    QFETCH(std::vector<std::string>, objects);
    QFETCH(QString, messages);
    const LinkResult r = linkObjects(objects);
    QCOMPARE(messagesOf(r), messages);
    // A warning alone still makes the program; an error never does.
    QCOMPARE(r.exe.empty(), r.errors() > 0);
}

void tst_QvLinker::combinesAndOrdersSegments()
{
    // m0: CODE (class CODE), A (class DATA), B common (class DATA, 4 bytes).
    // m1: A (class CODE: another segment), A (class DATA) again, B common (8 bytes).
    OB m0 = header();
    m0.segdef(kParaPublic, 3, 2, 2).segdef(kBytePublic, 3, 6, 3).segdef(kParaCommon, 4, 7, 3);
    m0.ledata(2, 0, "abc").ledata(3, 0, "WXYZ").modendStart(0, 1, 0, 1, 0);
    OB m1 = header();
    m1.segdef(kParaPublic, 5, 6, 2).segdef(kBytePublic, 2, 6, 3).segdef(kParaCommon, 8, 7, 3);
    m1.ledata(2, 0, "de").ledata(3, 0, "12").segdef(kParaStack, 16, 4, 4).modend();
    const LinkResult r = linkObjects({m0.bytes, m1.bytes});
    QVERIFY2(r.errors() == 0, qPrintable(messagesOf(r)));
    QStringList layout;
    for (const qvlink::LinkedSegment &s : r.segments)
        layout << QString("%1/%2 %3+%4")
                      .arg(QString::fromStdString(s.name), QString::fromStdString(s.className))
                      .arg(s.start, 0, 16)
                      .arg(s.length, 0, 16);
    // Class CODE first (both of its segments), then DATA, then STACK; DATA's A joined across
    // the modules, B overlaid to the longer of the two.
    QCOMPARE(layout.join(", "),
             QString("CODE/CODE 0+3, A/CODE 10+5, A/DATA 15+5, B/DATA 20+8, STACK/STACK 30+10"));
    QCOMPARE(hexOf(r.exe, 0x20 + 0x15, 5), QString("61 62 63 64 65"));
    QCOMPARE(hexOf(r.exe, 0x20 + 0x20, 4), QString("31 32 59 5A")); // m1's "12" over "WXYZ"
}

void tst_QvLinker::stacksCombine()
{
    OB m0 = program(4);
    m0.modendStart(0, 1, 0, 1, 0);
    OB m1 = header();
    m1.segdef(kParaStack, 0x100, 4, 4).modend();
    const LinkResult r = linkObjects({m0.bytes, m1.bytes});
    QVERIFY2(r.errors() == 0, qPrintable(messagesOf(r)));
    QCOMPARE(r.ss, uint16_t(1));
    QCOMPARE(r.sp, uint16_t(0x140));
}

void tst_QvLinker::pageCounts_data()
{
    QTest::addColumn<uint32_t>("fileBytes");
    QTest::addColumn<uint16_t>("lastPageBytes");
    QTest::addColumn<uint16_t>("pages");
    QTest::newRow("one byte short of a page") << 511u << uint16_t(511) << uint16_t(1);
    QTest::newRow("exactly one page") << 512u << uint16_t(0) << uint16_t(1);
    QTest::newRow("one byte into the second page") << 513u << uint16_t(1) << uint16_t(2);
}

void tst_QvLinker::pageCounts()
{
    QFETCH(uint32_t, fileBytes);
    QFETCH(uint16_t, lastPageBytes);
    QFETCH(uint16_t, pages);
    const uint32_t image = fileBytes - 0x20;
    OB b = header();
    b.segdef(kBytePublic, image, 2, 2).ledata(1, 0, std::string(image, '\x90'));
    b.modendStart(0, 1, 0, 1, 0);
    const LinkResult r = linkObjects({b.bytes});
    QCOMPARE(r.exe.size(), size_t(fileBytes));
    QCOMPARE(word(r.exe, 0x02), lastPageBytes);
    QCOMPARE(word(r.exe, 0x04), pages);
}

void tst_QvLinker::thousandSegments()
{
    OB b;
    b.theadr();
    std::string names = OB::name("") + OB::name("C");
    for (int i = 0; i < 1000; ++i)
        names += OB::name("S" + std::to_string(i));
    b.record(0x96, names);
    for (uint32_t i = 0; i < 1000; ++i)
        b.segdef(kBytePublic, 1, 3 + i, 2);
    for (uint32_t i = 0; i < 1000; ++i)
        b.ledata(1 + i, 0, std::string(1, char('0' + i % 10)));
    b.modendStart(0, 1, 0, 1, 0);
    const LinkResult r = linkObjects({b.bytes});
    QCOMPARE(r.errors(), size_t(0));
    QCOMPARE(r.segments.size(), size_t(1000));
    QCOMPARE(r.exe.size(), size_t(0x20 + 1000));
    QCOMPARE(hexOf(r.exe, 0x20 + 990, 3), QString("30 31 32"));
}

void tst_QvLinker::segmentLimit_data()
{
    QTest::addColumn<int>("modules");
    QTest::addColumn<bool>("fits");
    QTest::newRow("16 modules of 1024 segments") << 16 << true;
    QTest::newRow("17 modules of 1024 segments") << 17 << false;
}

void tst_QvLinker::segmentLimit()
{
    // Each segment private and of a class of its own: nothing combines, every class is new.
    QFETCH(int, modules);
    QFETCH(bool, fits);
    std::vector<std::string> objects;
    for (int m = 0; m < modules; ++m) {
        OB b;
        b.theadr();
        std::string names = OB::name("");
        for (int i = 0; i < 1024; ++i)
            names += OB::name("C" + std::to_string(m * 1024 + i));
        b.record(0x96, names);
        for (uint32_t i = 0; i < 1024; ++i)
            b.segdef(0x20, 0, 2 + i, 2 + i);
        if (m == 0)
            b.modendStart(0, 1, 0, 1, 0);
        else
            b.modend();
        objects.push_back(b.bytes);
    }
    QElapsedTimer timer;
    timer.start();
    const LinkResult r = linkObjects(objects);
    QVERIFY(timer.elapsed() < 10000);
    if (fits) {
        QCOMPARE(r.errors(), size_t(0));
        QCOMPARE(r.segments.size(), size_t(16384));
    } else {
        QCOMPARE(messagesOf(r), QString("error 10h m16 more than 16384 segments"));
    }
}

void tst_QvLinker::memoryLimit_data()
{
    QTest::addColumn<uint32_t>("lastSegment");
    QTest::addColumn<int>("minAlloc"); // -1: refused
    QTest::newRow("1 MiB less a paragraph") << 0xFFE0u << 0xFFFF;
    QTest::newRow("exactly 1 MiB, nothing stored") << 0xFFF0u << 0xFFFF;
    QTest::newRow("a paragraph over 1 MiB") << 0xFFFFu << -1;
}

void tst_QvLinker::memoryLimit()
{
    // 16 bytes of code and 15 private 64 KiB segments, then one more segment: all of it
    // uninitialized, so the minimum allocation is the whole program.
    QFETCH(uint32_t, lastSegment);
    QFETCH(int, minAlloc);
    OB big = header();
    big.segdef(kParaPublic, 16, 2, 2);
    for (int i = 0; i < 15; ++i)
        big.segdef(0x62, 0, 6, 3);
    big.modendStart(0, 1, 0, 1, 0);
    OB last = header();
    last.segdef(0x60, lastSegment, 7, 3).segdef(kParaStack, 0, 4, 4).modend();
    const LinkResult r = linkObjects({big.bytes, last.bytes});
    if (minAlloc < 0) {
        QVERIFY2(messagesOf(r).contains("more than 1 MiB"), qPrintable(messagesOf(r)));
        return;
    }
    QVERIFY2(r.errors() == 0, qPrintable(messagesOf(r)));
    QCOMPARE(int(word(r.exe, 0x0A)), minAlloc);
}

void tst_QvLinker::mapFile()
{
    OB b = program(16);
    b.pubdef(0, 1, {{"zeta", 2}, {"alpha", 9}}).modendStart(0, 1, 0, 1, 4);
    const LinkResult r = linkObjects({b.bytes});
    const QString map = QString::fromStdString(qvlink::Linker::mapText(r));
    QVERIFY2(map.contains(" 00000H 0000FH 00010H CODE                   CODE\r\n"), qPrintable(map));
    QVERIFY(map.contains(" 00010H 0004FH 00040H STACK                  STACK\r\n"));
    const qsizetype byName = map.indexOf("Publics by Name");
    const qsizetype byValue = map.indexOf("Publics by Value");
    QVERIFY(byName > 0 && byValue > byName);
    QVERIFY(map.indexOf("0000:0009       alpha") < map.indexOf("0000:0002       zeta"));
    QVERIFY(map.indexOf("0000:0002       zeta", byValue)
            < map.indexOf("0000:0009       alpha", byValue));
    QVERIFY(map.contains("Program entry point at 0000:0004\r\n"));
}

QTEST_GUILESS_MAIN(tst_QvLinker)
#include "tst_qvlinker.moc"
