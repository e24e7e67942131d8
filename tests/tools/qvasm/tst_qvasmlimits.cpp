// The assembler's limits from both sides, its number parser over whole digit and letter
// classes, and each operator level against its neighbours. Each row is one source line wrapped
// in ".model tiny / .code / org 100h ... .end", so that line is line 4.

#include "QvasmTestSupport.h"

#include "qvasm/CommandLine.h"

#include <QTest>

namespace {

QByteArray program(const QByteArray &body)
{
    return ".model tiny\n.code\norg 100h\n" + body + "\n.end\n";
}

constexpr int BodyLine = 4;

} // namespace

class tst_QvasmLimits : public QObject
{
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void signExtendedBytesWithTheOptimizer_data();
    void signExtendedBytesWithTheOptimizer();
    void sourceAndTargetWords_data();
    void sourceAndTargetWords();
    void everyDigitInEveryRadix_data();
    void everyDigitInEveryRadix();
    void locationAndImageLimits_data();
    void locationAndImageLimits();
};

void tst_QvasmLimits::accepted_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("bytes");

    // Radix suffixes and prefixes in both cases.
    QTest::newRow("suffix-h") << program("db 1Fh") << QByteArray("1F");
    QTest::newRow("suffix-H") << program("db 1FH") << QByteArray("1F");
    QTest::newRow("prefix-0x") << program("db 0x1f") << QByteArray("1F");
    QTest::newRow("prefix-0X") << program("db 0X1F") << QByteArray("1F");
    QTest::newRow("suffix-b") << program("db 101b") << QByteArray("05");
    QTest::newRow("suffix-B") << program("db 101B") << QByteArray("05");
    QTest::newRow("suffix-y") << program("db 110y") << QByteArray("06");
    QTest::newRow("suffix-Y") << program("db 110Y") << QByteArray("06");
    QTest::newRow("suffix-d") << program("db 19d") << QByteArray("13");
    QTest::newRow("suffix-D") << program("db 19D") << QByteArray("13");
    QTest::newRow("suffix-t") << program("db 29t") << QByteArray("1D");
    QTest::newRow("suffix-T") << program("db 29T") << QByteArray("1D");
    QTest::newRow("underscore-ignored") << program("dw 1_000") << QByteArray("E8 03");

    // Each level against its neighbours, and left-to-right grouping within one level.
    QTest::newRow("minus-groups-left") << program("dw 10-2-3") << QByteArray("05 00");
    QTest::newRow("plus-minus-left") << program("dw 10-2+3") << QByteArray("0B 00");
    QTest::newRow("divide-groups-left") << program("dw 64/4/2") << QByteArray("08 00");
    QTest::newRow("mod-times-left") << program("dw 7 mod 4 * 2") << QByteArray("06 00");
    QTest::newRow("shl-shr-left") << program("dw 1 shl 8 shr 4") << QByteArray("10 00");
    QTest::newRow("times-over-plus") << program("dw 1+2*3") << QByteArray("07 00");
    QTest::newRow("plus-over-not") << program("dw not 1+1 and 0FFh") << QByteArray("FD 00");
    QTest::newRow("not-over-and") << program("dw not 1 and 3") << QByteArray("02 00");
    QTest::newRow("and-over-or") << program("dw 1 and 2 or 3") << QByteArray("03 00");
    QTest::newRow("and-over-or-right") << program("dw 3 or 2 and 1") << QByteArray("03 00");
    QTest::newRow("and-over-xor") << program("dw 6 and 3 xor 1") << QByteArray("03 00");
    QTest::newRow("or-xor-left") << program("dw 1 or 6 xor 2") << QByteArray("05 00");
    QTest::newRow("unary-minus-over-times") << program("dw -2*3") << QByteArray("FA FF");
    QTest::newRow("minus-minus") << program("dw 5 - -2") << QByteArray("07 00");

    // Character constants hold up to eight characters.
    QTest::newRow("char-constant-8")
        << program("dq 'abcdefgh'+0") << QByteArray("68 67 66 65 64 63 62 61");

    // Data ranges: the signed low end and the unsigned high end of each size.
    QTest::newRow("db-low") << program("db -128") << QByteArray("80");
    QTest::newRow("db-high") << program("db 255") << QByteArray("FF");
    QTest::newRow("dw-low") << program("dw -32768") << QByteArray("00 80");
    QTest::newRow("dw-high") << program("dw 65535") << QByteArray("FF FF");
    QTest::newRow("string-128") << program("db '" + QByteArray(128, 'x') + "'")
                                << (QByteArray("78 ").repeated(127) + "78");
    QTest::newRow("dup-value-255") << program("dup 2,255") << QByteArray("FF FF");
    QTest::newRow("dup-value-0") << program("dup 2,0") << QByteArray("00 00");
    // Byte immediates: -128..255.
    QTest::newRow("mov-al-255") << program("mov al, 255") << QByteArray("B0 FF");
    QTest::newRow("mov-al-minus-128") << program("mov al, -128") << QByteArray("B0 80");
    // Displacements: one byte for -128..127, two beyond.
    QTest::newRow("disp-127-byte") << program("mov ax, [bx+127]") << QByteArray("8B 47 7F");
    QTest::newRow("disp-128-word") << program("mov ax, [bx+128]") << QByteArray("8B 87 80 00");
    QTest::newRow("disp-minus-128-byte") << program("mov ax, [bx-128]") << QByteArray("8B 47 80");
    QTest::newRow("disp-minus-129-word")
        << program("mov ax, [bx-129]") << QByteArray("8B 87 7F FF");
    // Short jumps reach 127 bytes ahead and 128 back.
    QTest::newRow("jz-ahead-127") << program("jz l\ndb 127 dup (0)\nl:")
                                  << "74 7F" + QByteArray(" 00").repeated(127);
    QTest::newRow("jz-back-128") << program("l:\ndb 126 dup (0)\njz l")
                                 << QByteArray("00 ").repeated(126) + "74 80";
    // The highest origin a flat image may start at.
    QTest::newRow("org-FFFF") << QByteArray("org 0FFFFh\ndb 1\n") << QByteArray("01");
}

void tst_QvasmLimits::accepted()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, bytes);
    const Assembled r = assembleMemory(source);
    QVERIFY2(r.errors == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, bytes);
}

void tst_QvasmLimits::refused_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("line");

    // A digit equal to the radix, or a letter beyond it.
    QTest::newRow("binary-digit-2") << program("db 12b") << 0x32 << BodyLine;
    QTest::newRow("binary-digit-2-y") << program("db 12y") << 0x32 << BodyLine;
    QTest::newRow("decimal-letter-a-d") << program("db 1ad") << 0x32 << BodyLine;
    QTest::newRow("hex-letter-g") << program("db 1gh") << 0x32 << BodyLine;
    QTest::newRow("prefix-0x-letter-g") << program("db 0x1g") << 0x32 << BodyLine;
    QTest::newRow("char-constant-9") << program("dq 'abcdefghi'+0") << 0x30 << BodyLine;

    QTest::newRow("db-below") << program("db -129") << 0x78 << BodyLine;
    QTest::newRow("db-above") << program("db 256") << 0x78 << BodyLine;
    QTest::newRow("dw-below") << program("dw -32769") << 0x78 << BodyLine;
    QTest::newRow("dw-above") << program("dw 65536") << 0x78 << BodyLine;
    QTest::newRow("string-129") << program("db '" + QByteArray(129, 'x') + "'") << 0x11 << BodyLine;
    QTest::newRow("dup-value-256") << program("dup 2,256") << 0x55 << BodyLine;
    QTest::newRow("mov-al-256") << program("mov al, 256") << 0x17 << BodyLine;
    QTest::newRow("mov-al-minus-129") << program("mov al, -129") << 0x17 << BodyLine;
    QTest::newRow("jz-ahead-128") << program("jz l\ndb 128 dup (0)\nl:") << 0x43 << BodyLine;
    QTest::newRow("jz-back-129") << program("l:\ndb 127 dup (0)\njz l") << 0x43 << BodyLine + 2;
    QTest::newRow("dup-value-minus-1") << program("dup 2,-1") << 0x55 << BodyLine;
    QTest::newRow("org-10000") << QByteArray("org 10000h\ndb 1\n") << 0x17 << 1;
    QTest::newRow("org-minus-1") << QByteArray("org -1\ndb 1\n") << 0x17 << 1;
}

void tst_QvasmLimits::refused()
{
    QFETCH(QByteArray, source);
    QFETCH(int, code);
    QFETCH(int, line);
    const Assembled r = assembleMemory(source);
    QVERIFY2(r.hasMessage(line, code), qPrintable(r.describe()));
}

void tst_QvasmLimits::signExtendedBytesWithTheOptimizer_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("bytes");

    // Sign-extended byte immediates: -128..127, and in a word FF80h..FFFFh.
    QTest::newRow("push-127-short") << program(".186\npush 127") << QByteArray("6A 7F");
    QTest::newRow("push-128-word") << program(".186\npush 128") << QByteArray("68 80 00");
    QTest::newRow("push-minus-128-short") << program(".186\npush -128") << QByteArray("6A 80");
    QTest::newRow("push-minus-129-word") << program(".186\npush -129") << QByteArray("68 7F FF");
    QTest::newRow("push-FF80-short") << program(".186\npush 0FF80h") << QByteArray("6A 80");
    QTest::newRow("push-FF7F-word") << program(".186\npush 0FF7Fh") << QByteArray("68 7F FF");
    QTest::newRow("push-FFFF-short") << program(".186\npush 0FFFFh") << QByteArray("6A FF");
    QTest::newRow("add-FF80-short") << program("add bx, 0FF80h") << QByteArray("83 C3 80");
    QTest::newRow("add-FF7F-word") << program("add bx, 0FF7Fh") << QByteArray("81 C3 7F FF");
}

void tst_QvasmLimits::signExtendedBytesWithTheOptimizer()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, bytes);
    qvasm::AssemblerOptions options;
    options.optimize = true;
    const Assembled r = assembleMemory(source, {}, options);
    QVERIFY2(r.errors == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, bytes);
}

void tst_QvasmLimits::sourceAndTargetWords_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("existing"); // the one file that exists
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("errors");

    QTest::newRow("one-word") << QStringList{"a.asm"} << ""
                              << "a.asm"
                              << "" << 0;
    // Up to two words are SOURCE and TARGET as given, even where joined they name a file.
    QTest::newRow("two-words-never-joined") << QStringList{"my", "t.asm"} << "my t.asm"
                                            << "my"
                                            << "t.asm" << 0;
    QTest::newRow("two-words-missing-source") << QStringList{"a.asm", "b.com"} << ""
                                              << "a.asm"
                                              << "b.com" << 0;
    // From three words on, the first run of words that names a file is the source.
    QTest::newRow("three-words-joined-source") << QStringList{"my", "t.asm", "o.com"} << "my t.asm"
                                               << "my t.asm"
                                               << "o.com" << 0;
    QTest::newRow("three-words-joined-target") << QStringList{"t.asm", "my", "o.com"} << "t.asm"
                                               << "t.asm"
                                               << "my o.com" << 0;
    // A path at the root starts with "/" as a switch does; its "." makes it a path.
    QTest::newRow("root-paths-are-no-switches") << QStringList{"/t.asm", "/o.com"} << "/t.asm"
                                                << "/t.asm"
                                                << "/o.com" << 0;
    QTest::newRow("three-words-nothing-exists") << QStringList{"a", "b", "c"} << ""
                                                << "a"
                                                << "b" << 1;
}

void tst_QvasmLimits::sourceAndTargetWords()
{
    QFETCH(QStringList, words);
    QFETCH(QString, existing);
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(int, errors);
    std::vector<std::string> args;
    for (const QString &w : words)
        args.push_back(w.toStdString());
    const std::string file = existing.toStdString();
    const qvasm::CommandLine cl = qvasm::CommandLine::parse(args, [&](const std::string &p) {
        return !file.empty() && p == file;
    });
    QCOMPARE(QString::fromStdString(cl.source), source);
    QCOMPARE(QString::fromStdString(cl.target), target);
    QCOMPARE(int(cl.errors.size()), errors);
}

// Every digit and letter, alone and in each radix it belongs to, reads as its value; the first
// one beyond the radix is refused.
void tst_QvasmLimits::everyDigitInEveryRadix_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value"); // -1: refused

    for (int d = 0; d < 10; ++d) {
        const QByteArray digit(1, char('0' + d));
        QTest::addRow("decimal-%d", d) << digit << d;
        QTest::addRow("decimal-%d-d", d) << digit + "d" << d;
        QTest::addRow("hex-%d", d) << digit + "h" << d;
        QTest::addRow("binary-%d", d) << digit + "b" << (d < 2 ? d : -1);
    }
    for (int d = 10; d < 16; ++d) {
        const char lower = char('a' + d - 10);
        const char upper = char('A' + d - 10);
        QTest::addRow("hex-%c", lower) << "0" + QByteArray(1, lower) + "h" << d;
        QTest::addRow("hex-%c", upper) << "0" + QByteArray(1, upper) + "h" << d;
        QTest::addRow("hex-0x%c", lower) << "0x" + QByteArray(1, lower) << d;
        QTest::addRow("hex-0x%c", upper) << "0x" + QByteArray(1, upper) << d;
        // A letter is never a decimal digit.
        QTest::addRow("decimal-%c", upper) << "1" + QByteArray(1, upper) + "t" << -1;
    }
    QTest::addRow("hex-g") << QByteArray("0gh") << -1;
    QTest::addRow("hex-G") << QByteArray("0Gh") << -1;
    QTest::addRow("hex-0xg") << QByteArray("0xg") << -1;
}

void tst_QvasmLimits::everyDigitInEveryRadix()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    const Assembled r = assembleMemory(program("db " + text));
    if (value < 0) {
        QVERIFY2(r.hasMessage(BodyLine, 0x32), qPrintable(r.describe()));
    } else {
        QVERIFY2(r.errors == 0, qPrintable(r.describe()));
        QCOMPARE(r.bytes, QByteArray::number(value, 16).toUpper().rightJustified(2, '0'));
    }
}

void tst_QvasmLimits::locationAndImageLimits_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<qint64>("length"); // of the image when it assembles
    QTest::addColumn<bool>("refused");  // error 1Ah

    // Flat sources, as the disassembler writes them; the location counter may reach 64 KiB.
    QTest::newRow("counter-ends-at-64K")
        << QByteArray("org 0FFF0h\ndup 16,1\n") << qint64(16) << false;
    QTest::newRow("counter-one-past-64K")
        << QByteArray("org 0FFF0h\ndup 17,1\n") << qint64(0) << true;
    // orgnf sets the counter back where a 16-bit offset wraps; the bytes go on.
    QTest::newRow("orgnf-at-64K-goes-on")
        << QByteArray("org 0FFF0h\ndup 16,1\norgnf 0\ndup 16,2\n") << qint64(32) << false;
    // The image can then outgrow 64 KiB, up to the 1 MiB a section holds; past that bytes would
    // be lost without a word.
    QByteArray mebibyte = "org 0\n";
    for (int i = 0; i < 16; ++i)
        mebibyte += "dup 65536,1\norgnf 0\n";
    QTest::newRow("image-of-1MiB") << mebibyte << (qint64(1) << 20) << false;
    QTest::newRow("image-one-byte-past-1MiB") << mebibyte + "db 1\n" << qint64(0) << true;
}

void tst_QvasmLimits::locationAndImageLimits()
{
    QFETCH(QByteArray, source);
    QFETCH(qint64, length);
    QFETCH(bool, refused);
    const Assembled r = assembleMemory(source);
    const bool limit = r.messages.filter(" 1a error").size() == 1;
    QCOMPARE(limit, refused);
    if (!refused) {
        QCOMPARE(r.errors, 0);
        QCOMPARE((r.bytes.size() + 1) / 3, length);
    }
}

QTEST_GUILESS_MAIN(tst_QvasmLimits)
#include "tst_qvasmlimits.moc"
