#include "Disassembler.h"
#include "RoundTrip.h"

#include <QTest>

#include <functional>
#include <optional>

using namespace qvdisasm;

class tst_RoundTripChoice : public QObject
{
    Q_OBJECT

private slots:
    void firstTextGivingTheBytesBackWins();
    void sourceFallsBackToDataWithTheTextAsComment();
    void thirtyTwoBitSourceIsDataThroughout();
};

namespace {

// Plays the assembler: `rule` says what bytes a line assembles to, if any.
class FakeAssembler final : public EncodingOracle
{
public:
    std::function<std::optional<QByteArray>(const QString &line, quint32 address)> rule;
    QStringList lines;

    bool assemble(std::string_view line, uint32_t address, std::vector<uint8_t> &bytes) override
    {
        const QString text = QString::fromLatin1(line.data(), qsizetype(line.size()));
        lines << text;
        const std::optional<QByteArray> result = rule(text, address);
        if (!result)
            return false;
        bytes.assign(result->begin(), result->end());
        return true;
    }
};

// One decoded instruction with Capstone's details, as the disassembler has it.
class Decoded
{
public:
    Decoded(const QByteArray &hex, quint32 address)
    {
        cs_open(CS_ARCH_X86, CS_MODE_16, &m_handle);
        cs_option(m_handle, CS_OPT_DETAIL, CS_OPT_ON);
        m_insn = cs_malloc(m_handle);
        m_bytes = QByteArray::fromHex(hex);
        const uint8_t *code = reinterpret_cast<const uint8_t *>(m_bytes.constData());
        size_t size = size_t(m_bytes.size());
        uint64_t at = address;
        m_ok = cs_disasm_iter(m_handle, &code, &size, &at, m_insn);
        if (m_ok)
            m_text.render(*m_insn);
    }
    ~Decoded()
    {
        cs_free(m_insn, 1);
        cs_close(&m_handle);
    }
    bool ok() const { return m_ok; }
    const cs_insn &insn() const { return *m_insn; }
    const InstructionText &text() const { return m_text; }

private:
    csh m_handle = 0;
    cs_insn *m_insn = nullptr;
    QByteArray m_bytes;
    bool m_ok = false;
    InstructionText m_text{false};
};

// An assembler that, like qvasm without its optimiser, gives "add ax, N" the full-width
// immediate and "add ax, byte N" the sign-extended byte; it knows no other line.
std::optional<QByteArray> addAxRule(const QString &line, quint32)
{
    static const QRegularExpression add("^add +ax, (byte )?(-?)([0-9A-F]+)(h?)$");
    const QRegularExpressionMatch m = add.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    int value = m.captured(3).toInt(nullptr, m.captured(4).isEmpty() ? 10 : 16);
    if (!m.captured(2).isEmpty())
        value = -value;
    if (!m.captured(1).isEmpty())
        return QByteArray::fromHex("83c0") + char(value & 0xFF);
    return QByteArray::fromHex("05") + char(value & 0xFF) + char((value >> 8) & 0xFF);
}

} // namespace

void tst_RoundTripChoice::firstTextGivingTheBytesBackWins()
{
    FakeAssembler assembler;
    assembler.rule = addAxRule;
    RoundTrip roundTrip(assembler);
    Decoded minusOne("83c0ff", 0x100);
    QVERIFY(minusOne.ok());
    QCOMPARE(roundTrip.choose(minusOne.insn(), minusOne.text()), 1);
    QCOMPARE(assembler.lines, QStringList({"add     ax, -1", "add     ax, byte -1"}));
}

void tst_RoundTripChoice::sourceFallsBackToDataWithTheTextAsComment()
{
    FakeAssembler assembler;
    assembler.rule = addAxRule;
    Options options;
    options.origin = 0x100;
    options.showBytes = options.showOffset = false;
    OutputBuffer out;
    {
        Disassembler disassembler(options, out, &assembler);
        const QByteArray bytes = QByteArray::fromHex("83c0fe0f0b");
        disassembler.writeHeader();
        disassembler.feed(reinterpret_cast<const uint8_t *>(bytes.constData()),
                          size_t(bytes.size()),
                          true);
        disassembler.writeFooter();
    }
    out.flush();
    const QStringList lines = QString::fromStdString(out.text()).split("\r\n");
    QCOMPARE(lines.mid(0, 2), QStringList({"org 100h", ".x86"}));
    QCOMPARE(lines.value(2), "        add     ax, byte -2");
    QCOMPARE(lines.value(3), "        db      0Fh, 0Bh                ; ud2");
    QVERIFY(lines.value(4).startsWith("QVDISASM "));
}

void tst_RoundTripChoice::thirtyTwoBitSourceIsDataThroughout()
{
    FakeAssembler assembler;
    assembler.rule = [](const QString &, quint32) { return QByteArray("never asked"); };
    Options options;
    options.bits32 = true;
    options.showBytes = options.showOffset = false;
    OutputBuffer out;
    {
        Disassembler disassembler(options, out, &assembler);
        const QByteArray bytes = QByteArray::fromHex("b801000000c3");
        disassembler.feed(reinterpret_cast<const uint8_t *>(bytes.constData()),
                          size_t(bytes.size()),
                          true);
    }
    out.flush();
    QVERIFY(assembler.lines.isEmpty());
    QCOMPARE(QString::fromStdString(out.text()),
             "        db      0B8h, 01h, 00h, 00h, 00h ; mov     eax, 1\r\n"
             "        db      0C3h                    ; ret\r\n");
}

QTEST_APPLESS_MAIN(tst_RoundTripChoice)
#include "tst_roundtripchoice.moc"
