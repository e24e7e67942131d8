// Expressions, data directives, symbols and structures, through the snippet API: each row is a
// few lines of source and the bytes (or the error code) they must give.

#include "qvasm/Snippet.h"

#include <QTest>

using namespace qvasm;

namespace {

QByteArray hexOf(const std::vector<uint8_t> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()))
        .toHex(' ')
        .toUpper();
}

QString describe(const SnippetResult &r)
{
    QString s = QString::fromLatin1(hexOf(r.bytes));
    for (const SnippetMessage &m : r.errors)
        s += QString("\n  line %1 %2 %3h %4")
                 .arg(m.line)
                 .arg(m.diagnostic ? "diag" : "error")
                 .arg(m.code, 2, 16, QChar('0'))
                 .arg(QString::fromStdString(m.text));
    return s;
}

} // namespace

class tst_QvasmExpressions : public QObject
{
    Q_OBJECT

private slots:
    void assemblesTo_data();
    void assemblesTo();
    void reportsError_data();
    void reportsError();
    void snippetsAnywhereInTheSegment();
    void snippetsForgetEachOther();
};

void tst_QvasmExpressions::assemblesTo_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("bytes");

    // Numbers in every radix the dialect knows, and character constants.
    QTest::newRow("radixes") << "db 10, 0Ah, 0x0A, 1010b, 0ffh" << QByteArray("0A 0A 0A 0A FF");
    QTest::newRow("char-constant-first-char-high") << "mov ax, 'AB'" << QByteArray("B8 42 41");
    QTest::newRow("doubled-quote-in-string") << "db 'it''s'" << QByteArray("69 74 27 73");
    // Operators and precedence: * before +, not below +, shifts with *.
    QTest::newRow("precedence") << "dw 2+3*4, (2+3)*4, 7 mod 4, 1 shl 4 + 1"
                                << QByteArray("0E 00 14 00 03 00 11 00");
    QTest::newRow("logic") << "dw 0F0h and 3Ch, 1 or 2 xor 7, not 0 and 0FFh"
                           << QByteArray("30 00 04 00 FF 00");
    // Labels, $ and offsets; a data label makes a memory operand, offset makes the address.
    QTest::newRow("dollar") << "dw $, $+2" << QByteArray("00 01 02 01");
    QTest::newRow("typed-variable-loads")
        << "mov ax, var\nvar dw 5" << QByteArray("A1 03 01 05 00");
    QTest::newRow("offset-takes-address")
        << "mov ax, offset var\nvar dw 5" << QByteArray("B8 03 01 05 00");
    QTest::newRow("colon-label-is-address")
        << "mov ax, here\nhere: nop" << QByteArray("B8 03 01 90");
    QTest::newRow("variable-plus-index")
        << "mov al, tab[bx]\ntab db 1,2" << QByteArray("8A 87 04 01 01 02");
    QTest::newRow("sizeof-variable")
        << "mov cx, sizeof msg\nmsg db 'hello',0" << QByteArray("B9 06 00 68 65 6C 6C 6F 00");
    QTest::newRow("equ-and-assign") << "n equ 4\nm = n*2\nm = m+1\ndb n, m" << QByteArray("04 09");
    QTest::newRow("forward-equ") << "mov ax, later\nlater equ 1234h" << QByteArray("B8 34 12");
    // Data forms, dup in both spellings, uninitialised data at the end is not written.
    QTest::newRow("dup-masm-form") << "db 3 dup (1, 2)" << QByteArray("01 02 01 02 01 02");
    QTest::newRow("dup-nested") << "db 2 dup (2 dup (7), 0)" << QByteArray("07 07 00 07 07 00");
    QTest::newRow("dup-dialect-form") << "dup 4,0E5h" << QByteArray("E5 E5 E5 E5");
    QTest::newRow("trailing-reserve-not-written") << "db 1\ndup 100,?" << QByteArray("01");
    QTest::newRow("reserve-before-data-is-zero") << "db ?\ndb 2" << QByteArray("00 02");
    QTest::newRow("dd-dq-df") << "dd 12345678h\ndf 1234h:5678h\ndq 1"
                              << QByteArray(
                                     "78 56 34 12 78 56 00 00 34 12 01 00 00 00 00 00 00 00");
    QTest::newRow("floats") << "dd 1.5\ndq -2.0"
                            << QByteArray("00 00 C0 3F 00 00 00 00 00 00 00 C0");
    // Structures: members, instances, member access and sizeof.
    QTest::newRow("struct-instance-and-member")
        << "pt struct\nx dw 1\ny dw 2\npt ends\np st pt\nmov ax, p.y\nmov bx, sizeof pt"
        << QByteArray("01 00 02 00 A1 02 01 BB 04 00");
    QTest::newRow("struct-member-through-register")
        << "pt struct\nx dw ?\ny db ?\npt ends\nmov al, [bx].y\nmov ax, [si+pt.x]"
        << QByteArray("8A 47 02 8B 04");
    QTest::newRow("struct-typed-members")
        << "r struct\na byte\nb word 7\nc dup 2,9\nr ends\nv st r" << QByteArray("00 07 00 09 09");
    // @@ labels.
    QTest::newRow("anonymous-labels")
        << "@@: jmp short @f\nnop\n@@: jmp short @b" << QByteArray("EB 01 90 EB FE");
    // Conditional assembly.
    QTest::newRow("if-else") << "x = 1\n.if x\ndb 1\n.else\ndb 2\n.endif\n.ife x\ndb 3\n.endif"
                             << QByteArray("01");
    QTest::newRow("ifdef") << "a equ 1\n.ifdef a\ndb 1\n.endif\n.ifndef b\ndb 2\n.endif"
                           << QByteArray("01 02");
    QTest::newRow("comment-block")
        << "db 1\ncomment ~ skipped\ndb 2\n~ still skipped\ndb 3" << QByteArray("01 03");
    QTest::newRow("case-insensitive") << "Var DW 1\nMOV AX, VAR" << QByteArray("01 00 A1 00 01");
}

void tst_QvasmExpressions::assemblesTo()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, bytes);
    const SnippetResult r = assembleSnippet(source.toStdString(), 0x100);
    QVERIFY2(r.ok(), qPrintable(describe(r)));
    QCOMPARE(hexOf(r.bytes), bytes);
}

void tst_QvasmExpressions::reportsError_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("line");

    QTest::newRow("undefined-symbol") << "nop\nmov ax, nowhere" << 0x21 << 2;
    QTest::newRow("hex-without-leading-zero") << "mov ax, FFh" << 0x33 << 1;
    QTest::newRow("division-by-zero") << "x equ 0\ndw 5/x" << 0x2F << 2;
    QTest::newRow("bad-digit") << "db 19b" << 0x32 << 1;
    QTest::newRow("immediate-over-64-bits") << "dq 123456789012345678901234567890" << 0x30 << 1;
    QTest::newRow("unterminated-string") << "db 'abc" << 0x12 << 1;
    QTest::newRow("string-over-128") << QString("db '%1'").arg(QString(129, 'x')) << 0x11 << 1;
    QTest::newRow("byte-too-large") << "db 256" << 0x78 << 1;
    QTest::newRow("dup-count-too-large") << "dup 2097153,0" << 0x55 << 1;
    QTest::newRow("dup-value-too-large") << "dup 4,256" << 0x55 << 1;
    QTest::newRow("dup-forward-count") << "db n dup (0)\nn equ 3" << 0x28 << 1;
    QTest::newRow("data-after-open-reserve") << "dup 10,?\ndb 1" << 0x5C << 2;
    QTest::newRow("redefined-label") << "a: nop\na: nop" << 0x1F << 2;
    QTest::newRow("equ-redefined") << "a equ 1\na equ 2" << 0x1E << 2;
    QTest::newRow("comparison-instead-of-shift") << "dw 1 < 2" << 0x47 << 1;
    QTest::newRow("too-many-periods") << "dd 1.2.3" << 0x44 << 1;
    QTest::newRow("float-overflow") << "dd 1.0e300" << 0x46 << 1;
    QTest::newRow("math-in-offset") << "v dw 0\nmov ax, offset (v*2)" << 0x39 << 2;
    QTest::newRow("sizeof-of-number") << "mov ax, sizeof 5" << 0x2B << 1;
    QTest::newRow("backward-without-label") << "jmp short @b" << 0x63 << 1;
    QTest::newRow("forward-without-label") << "nop\njmp short @f" << 0x64 << 2;
    QTest::newRow("bare-anonymous") << "@@: jmp @@" << 0x62 << 1;
    QTest::newRow("else-without-if") << ".else" << 0x1B << 1;
    QTest::newRow("unterminated-comment") << "db 1\ncomment *\ndb 2" << 0x92 << 2;
    QTest::newRow("extra-characters") << ".code x" << 0x14 << 1;
    QTest::newRow("unknown-mnemonic") << "mvo ax, bx" << 0x22 << 1;
    QTest::newRow("struct-unknown-member")
        << "pt struct\nx dw 0\npt ends\nmov ax, [bx].zz" << 0x21 << 4;
    QTest::newRow("user-error") << "%error stop here" << 0x94 << 1;
    QTest::newRow("deep-parentheses")
        << "dw " + QString(200, '(') + "1" + QString(200, ')') << 0x90 << 1;
}

void tst_QvasmExpressions::reportsError()
{
    QFETCH(QString, source);
    QFETCH(int, code);
    QFETCH(int, line);
    const SnippetResult r = assembleSnippet(source.toStdString(), 0x100);
    bool found = false;
    for (const SnippetMessage &m : r.errors)
        found = found || (m.code == code && m.line == line);
    QVERIFY2(found, qPrintable(describe(r)));
}

void tst_QvasmExpressions::snippetsAnywhereInTheSegment()
{
    // A disassembler checks instructions of files longer than 64 KiB: their addresses pass
    // 0FFFFh and the jump distances wrap as IP does.
    SnippetResult r = assembleSnippet("jmp short 0x105", 0x10100);
    QVERIFY2(r.ok(), qPrintable(describe(r)));
    QCOMPARE(hexOf(r.bytes), QByteArray("EB 03"));
    r = assembleSnippet("call 0x0010", 0xFFF0);
    QVERIFY2(r.ok(), qPrintable(describe(r)));
    QCOMPARE(hexOf(r.bytes), QByteArray("E8 1D 00"));
    r = assembleSnippet("loop 0xFFF0", 0x10);
    QCOMPARE(hexOf(r.bytes), QByteArray("E2 DE"));
}

void tst_QvasmExpressions::snippetsForgetEachOther()
{
    // Snippets reuse one assembler: nothing of one call may leak into the next.
    SnippetResult r = assembleSnippet("x equ 5\n.386\njz $+300h\ns struct\nm dw 0\ns ends", 0x100);
    QVERIFY2(r.ok(), qPrintable(describe(r)));
    r = assembleSnippet("mov ax, x\nmov ax, [bx].m", 0x200);
    QCOMPARE(r.errors.size(), size_t(2));
    QCOMPARE(r.errors[0].code, 0x21);
    QCOMPARE(r.errors[1].code, 0x21);
    r = assembleSnippet("jz $+300h", 0x100);
    QCOMPARE(hexOf(r.bytes), QByteArray("0F 84 FC 02"));
}

QTEST_GUILESS_MAIN(tst_QvasmExpressions)
#include "tst_qvasmexpressions.moc"
