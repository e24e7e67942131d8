#include "TestFiles.h"
#include "make/DisassemblerOptions.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

// Both columns off, qvdisasm's listing is a source: qvasm must assemble it back to the very bytes
// it came from. Checked with the real programs, whole files at a time.
class tst_QvdisasmRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void assembledProgramsComeBack_data();
    void assembledProgramsComeBack();
    void anyBytesComeBack_data();
    void anyBytesComeBack();
    void codePast64KComesBack_data();
    void codePast64KComesBack();

private:
    // Runs a tool; its standard output, or nothing (and a warning) when it failed.
    std::optional<QByteArray> run(const QString &program, const QStringList &arguments);
    // Writes a file of the test's folder; its path.
    QString write(const QString &name, const QByteArray &bytes);
    // Assembles `source`; the .com bytes, or nothing when the assembler refused it.
    std::optional<QByteArray> assemble(const QString &name, const QByteArray &source);
    // Disassembles `bytes` as the IDE asks for a source and cuts the banner as the IDE does.
    QByteArray disassemble(const QString &name,
                           const QByteArray &bytes,
                           quint32 origin,
                           bool bits32 = false);
    void checkRoundTrip(const QString &name,
                        const QByteArray &bytes,
                        quint32 origin,
                        bool bits32 = false);

    QTemporaryDir m_dir;
    QString m_qvasm;
    QString m_qvdisasm;
    QByteArray m_lastSource;
};

namespace {

// Everyday 16-bit code in qvasm's dialect, no data: every line must come back as an instruction.
const char ProgramWithoutData[] = R"(.model tiny
.code
.x86
org 100h
        mov     ax, cs
        mov     ds, ax
        rep movsw
        cs: lodsb
        movsb   byte ptr es:[di], byte ptr cs:[si]
        mov     bx, word ptr [bp - 2]
        mov     word ptr es:[bx + si + 10h], 1234h
        add     word ptr [di], byte 7
        and     sp, byte -16
        cmp     al, 7Fh
        jne     skip
        call    near sub1
        jmp     short skip
skip:   push    word ptr [bx]
        shl     ax, 1
        rol     dx, 4
        imul    ax, bx, 10
        xchg    ax, cx
        lea     dx, [bx + di + 2]
        out     dx, al
        les     bx, dword ptr [si]
        call    dword ptr [bx]
        call    1234h:5678h
        movzx   eax, byte ptr [bx]
        push    fs
        fld     qword ptr [bx]
        fld     st(1)
        loop    skip
        cbw
        cwd
        int     21h
        int3
        ret
sub1:   enter   10h, 0
        leave
        retf    4
.end
)";

// A flat source: org first, no .model, .code or .end, data placed after the code.
const char FlatProgram[] = R"(; prints a greeting
        org     100h
.186
        mov     dx, offset greeting
        mov     ah, 9
        int     21h
        push    word ptr [count]
        pop     cx
        ret
.data
greeting db     'Hello$'
count   dw      3
)";

} // namespace

void tst_QvdisasmRoundTrip::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString tools = qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/";
    m_qvasm = tools + "qvasm";
    m_qvdisasm = tools + "qvdisasm";
    QVERIFY2(QFile::exists(m_qvasm), qPrintable(m_qvasm));
    QVERIFY2(QFile::exists(m_qvdisasm), qPrintable(m_qvdisasm));
}

std::optional<QByteArray> tst_QvdisasmRoundTrip::run(const QString &program,
                                                     const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        qWarning().noquote() << program << arguments.join(' ')
                             << "failed:" << process.readAllStandardError()
                             << process.readAllStandardOutput();
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

QString tst_QvdisasmRoundTrip::write(const QString &name, const QByteArray &bytes)
{
    return writeFileBytes(m_dir.filePath(name), bytes) ? m_dir.filePath(name) : QString();
}

std::optional<QByteArray> tst_QvdisasmRoundTrip::assemble(const QString &name,
                                                          const QByteArray &source)
{
    const QString com = m_dir.filePath(name + ".com");
    if (!run(m_qvasm, {write(name + ".asm", source), com}))
        return std::nullopt;
    return readFileBytes(com);
}

QByteArray tst_QvdisasmRoundTrip::disassemble(const QString &name,
                                              const QByteArray &bytes,
                                              quint32 origin,
                                              bool bits32)
{
    DisassemblerOptions options;
    options.origin = origin;
    options.bits32 = bits32;
    const std::optional<QByteArray> out = run(m_qvdisasm,
                                              options.arguments(write(name + ".bin", bytes)));
    return out ? DisassemblerOptions::cutBanner(*out) : QByteArray();
}

void tst_QvdisasmRoundTrip::checkRoundTrip(const QString &name,
                                           const QByteArray &bytes,
                                           quint32 origin,
                                           bool bits32)
{
    m_lastSource = disassemble(name, bytes, origin, bits32);
    QVERIFY(!m_lastSource.isEmpty());
    const QList<QByteArray> lines = m_lastSource.split('\n');
    // The source starts with org; the IP wraps at 64 KB, so org takes the low 16 bits.
    const auto hex = [](quint32 value) {
        const QByteArray digits = QByteArray::number(value, 16).toUpper();
        return (digits.front() > '9' ? "0" : "") + digits + "h";
    };
    QByteArray org = "org " + hex(origin & 0xFFFF);
    if (origin > 0xFFFF)
        org += " ; loaded at " + hex(origin);
    QCOMPARE(lines.value(0), org + "\r");

    const std::optional<QByteArray> back = assemble(name + "-back", m_lastSource);
    QVERIFY(back);
    if (*back != bytes) {
        qsizetype at = 0;
        while (at < bytes.size() && at < back->size() && bytes[at] == (*back)[at])
            ++at;
        QFAIL(qPrintable(QStringLiteral("bytes differ from offset %1h (of %2 and %3 bytes); see %4")
                             .arg(QString::number(origin + at, 16))
                             .arg(bytes.size())
                             .arg(back->size())
                             .arg(m_dir.filePath(name + "-back.asm"))));
    }
}

void tst_QvdisasmRoundTrip::assembledProgramsComeBack_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("allInstructions");

    QTest::newRow("everyday-code") << QByteArray(ProgramWithoutData) << true;
    QTest::newRow("flat-source") << QByteArray(FlatProgram) << false;
}

void tst_QvdisasmRoundTrip::assembledProgramsComeBack()
{
    QFETCH(QByteArray, source);
    QFETCH(bool, allInstructions);
    const QString name = QTest::currentDataTag();
    const std::optional<QByteArray> com = assemble(name, source);
    QVERIFY(com);
    QVERIFY(!com->isEmpty());
    checkRoundTrip(name, *com, 0x100);
    if (allInstructions)
        QVERIFY2(!m_lastSource.contains("        db      "), m_lastSource.constData());
}

void tst_QvdisasmRoundTrip::anyBytesComeBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("origin");

    // Random bytes: prefixes piled up, encodings no assembler picks, undecodable bytes.
    for (quint32 seed : {1u, 2u}) {
        QByteArray bytes(48 * 1024, Qt::Uninitialized);
        QRandomGenerator random(seed);
        random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        QTest::addRow("random-%u", seed) << bytes << 0x100u;
    }
    // Every two-byte opcode once, each followed by the same operand bytes.
    QByteArray twoByte;
    for (int op = 0; op < 256; ++op)
        twoByte += QByteArray::fromHex("0f") + char(op) + QByteArray::fromHex("4602909090909090");
    QTest::newRow("two-byte-opcodes") << twoByte << 0x100u;
    // A boot sector: other origin, jumps relative to it.
    QByteArray boot = QByteArray::fromHex("eb3c90") + QByteArray(0x3b, '\0')
                      + QByteArray::fromHex("fa31c08ed08ec0bc007cfbe8050074f8e9fdffc3");
    boot.append(QByteArray(510 - boot.size(), '\0'));
    boot.append(QByteArray::fromHex("55aa"));
    QTest::newRow("boot-sector-at-7C00") << boot << 0x7C00u;
    QTest::newRow("loaded-past-64K") << boot << 0x17C00u;
}

void tst_QvdisasmRoundTrip::anyBytesComeBack()
{
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, origin);
    checkRoundTrip(QTest::currentDataTag(), bytes, origin);
}

void tst_QvdisasmRoundTrip::codePast64KComesBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("origin");
    QTest::addColumn<bool>("bits32");
    QTest::addColumn<QStringList>("wraps"); // the lines where the offset goes back to 0

    const QString wrap = "orgnf 0 ; the offset wraps at %1h";
    const QByteArray movs = QByteArray::fromHex("b83412").repeated(0xFF00 / 3); // mov ax, 1234h
    // The largest .COM file: its last byte is the segment's last.
    QTest::newRow("ends-at-64K") << movs << 0x100u << false << QStringList();
    QTest::newRow("one-byte-past-64K")
        << movs + QByteArray::fromHex("90") << 0x100u << false << QStringList{wrap.arg("10000")};
    // An instruction cut by the line; only its bytes assemble there.
    QTest::newRow("instruction-across-64K")
        << QByteArray::fromHex("b8341290") << 0xFFFEu << false << QStringList{wrap.arg("10000")};
    QTest::newRow("instruction-ends-at-64K")
        << QByteArray::fromHex("90b8341290") << 0xFFFCu << false << QStringList{wrap.arg("10000")};
    // Jumps over the line, both ways: their targets wrap as the IP does.
    const QByteArray nops = QByteArray(16, char(0x90));
    QTest::newRow("short-jump-forward-across-64K")
        << QByteArray::fromHex("eb10") + nops + nops << 0xFFF0u << false
        << QStringList{wrap.arg("10000")};
    QTest::newRow("near-jump-forward-across-64K")
        << QByteArray::fromHex("e90001") + nops + nops << 0xFFF0u << false
        << QStringList{wrap.arg("10000")};
    QTest::newRow("short-jump-back-across-64K")
        << nops + QByteArray::fromHex("ebee") << 0xFFF0u << false << QStringList{wrap.arg("10000")};
    QTest::newRow("call-back-across-64K") << nops + QByteArray::fromHex("e8edff") << 0xFFF0u
                                          << false << QStringList{wrap.arg("10000")};
    // Loaded past 64 KB: the line is where the low 16 bits wrap.
    QTest::newRow("loaded-past-64K") << nops << 0x1FFF8u << false << QStringList{wrap.arg("20000")};
    QTest::newRow("past-64K-twice") << QByteArray(0x10020, char(0x90)) << 0xFFF0u << false
                                    << QStringList{wrap.arg("10000"), wrap.arg("20000")};
    QByteArray random(0x11000, Qt::Uninitialized);
    QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    QTest::newRow("random-past-64K") << random << 0x100u << false << QStringList{wrap.arg("10000")};
    QTest::newRow("32-bit-past-64K") << random << 0x100u << true << QStringList{wrap.arg("10000")};
}

void tst_QvdisasmRoundTrip::codePast64KComesBack()
{
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, origin);
    QFETCH(bool, bits32);
    QFETCH(QStringList, wraps);
    checkRoundTrip(QTest::currentDataTag(), bytes, origin, bits32);
    QStringList found;
    for (const QByteArray &line : m_lastSource.split('\n')) {
        if (line.startsWith("orgnf"))
            found << QString::fromLatin1(line.trimmed());
    }
    QCOMPARE(found, wraps);
}

QTEST_GUILESS_MAIN(tst_QvdisasmRoundTrip)
#include "tst_qvdisasmroundtrip.moc"
