#include "InstructionText.h"

#include <QTest>

using namespace qvdisasm;

class tst_InstructionText : public QObject
{
    Q_OBJECT

private slots:
    void capstoneTextBecomesDialect_data();
    void capstoneTextBecomesDialect();
};

namespace {

// Decodes the one instruction in `hex` and renders it.
QStringList render(const QByteArray &hex, bool bits32, quint32 address)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    csh handle = 0;
    if (cs_open(CS_ARCH_X86, bits32 ? CS_MODE_32 : CS_MODE_16, &handle) != CS_ERR_OK)
        return {"<no capstone>"};
    cs_insn *insn = cs_malloc(handle);
    const uint8_t *code = reinterpret_cast<const uint8_t *>(bytes.constData());
    size_t size = size_t(bytes.size());
    uint64_t at = address;
    QStringList texts;
    if (!cs_disasm_iter(handle, &code, &size, &at, insn)) {
        texts << "<undecodable>";
    } else if (insn->size != bytes.size()) {
        texts << QStringLiteral("<decoded %1 of %2 bytes>").arg(insn->size).arg(bytes.size());
    } else {
        InstructionText text(bits32);
        text.render(*insn);
        for (size_t i = 0; i < text.count(); ++i)
            texts << QString::fromStdString(text.text(i));
    }
    cs_free(insn, 1);
    cs_close(&handle);
    return texts;
}

} // namespace

void tst_InstructionText::capstoneTextBecomesDialect_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("bits32");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QString>("text");

    // Operands start in column 8, one blank after a mnemonic of seven letters or more.
    QTest::newRow("column-after-seven-letters")
        << QByteArray("0fb107") << false << 0u << "cmpxchg word ptr [bx], ax";
    QTest::newRow("column-after-eight-letters")
        << QByteArray("dbd1") << false << 0u << "fcmovnbe st(0), st(1)";
    QTest::newRow("column-after-nine-letters")
        << QByteArray("0fc70f") << false << 0u << "cmpxchg8b qword ptr [bx]";
    QTest::newRow("based-indexed-memory")
        << QByteArray("8b4002") << false << 0x100u << "mov     ax, word ptr [bx + si + 2]";
    // Decimal below ten only: "10" would read as ten where 10h was meant.
    QTest::newRow("ten-is-hex") << QByteArray("b00a") << false << 0x100u << "mov     al, 0Ah";
    QTest::newRow("hex-needs-leading-zero")
        << QByteArray("05ffff") << false << 0x100u << "add     ax, 0FFFFh";
    QTest::newRow("segment-override-in-operand")
        << QByteArray("268a05") << false << 0x100u << "mov     al, byte ptr es:[di]";
    // Branch targets are absolute and say the distance where the encoding has a choice.
    QTest::newRow("near-jmp") << QByteArray("e90010") << false << 0x100u << "jmp     near 1103h";
    QTest::newRow("short-jcc-plain") << QByteArray("7402") << false << 0x100u << "je      0104h";
    QTest::newRow("near-jcc-386") << QByteArray("0f84feff") << false << 0x100u
                                  << "je      near 0102h";
    // The instruction pointer wraps within its 64 KB segment.
    QTest::newRow("short-jmp-wraps-below-zero")
        << QByteArray("eb80") << false << 0x10u << "jmp     short 0FF92h";
    QTest::newRow("near-jmp-wraps-past-64K")
        << QByteArray("e92000") << false << 0xFFF0u << "jmp     near 0013h";
    QTest::newRow("32bit-near-jmp")
        << QByteArray("e9fbffffff") << true << 0x401000u << "jmp     near 00401000h";
    // Capstone leaves sizes out or prints them signed where the dialect needs them.
    QTest::newRow("far-call-through-memory")
        << QByteArray("ff1f") << false << 0u << "call    dword ptr [bx]";
    QTest::newRow("far-jmp-through-memory-32bit-operand")
        << QByteArray("66ff2f") << false << 0u << "jmp     fword ptr [bx]";
    QTest::newRow("enter-sizes-unsigned")
        << QByteArray("c863f5f6") << false << 0u << "enter   0F563h, 0F6h";
    // Capstone names these by the wrong operand size (plain 16-bit code: see the round trip).
    QTest::newRow("cwde-16bit-with-66") << QByteArray("6698") << false << 0u << "cwde";
    QTest::newRow("cdq-32bit") << QByteArray("99") << true << 0u << "cdq";
    QTest::newRow("cbw-32bit-with-66") << QByteArray("6698") << true << 0u << "cbw";
    QTest::newRow("fpu-stack-register") << QByteArray("d9c1") << false << 0u << "fld     st(1)";
    // String instructions say no more than they must.
    QTest::newRow("rep-movsb") << QByteArray("f3a4") << false << 0u << "rep movsb";
    QTest::newRow("movs-from-other-segment")
        << QByteArray("2ea4") << false << 0u << "movsb   byte ptr es:[di], byte ptr cs:[si]";
}

void tst_InstructionText::capstoneTextBecomesDialect()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, bits32);
    QFETCH(quint32, address);
    QFETCH(QString, text);
    const QStringList texts = render(bytes, bits32, address);
    QCOMPARE(texts.value(0), text);
}

QTEST_APPLESS_MAIN(tst_InstructionText)
#include "tst_instructiontext.moc"
