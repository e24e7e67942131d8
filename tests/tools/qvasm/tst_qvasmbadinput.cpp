// Sources no one should write: each must end with messages and a count, in bounded time and
// memory, never a crash or a hang.

#include "QvasmTestSupport.h"

#include <QRandomGenerator>
#include <QTest>

class tst_QvasmBadInput : public QObject
{
    Q_OBJECT

private slots:
    void binaryData();
    void megabyteLines_data();
    void megabyteLines();
    void includeChains();
    void includeExplosionIsCut();
    void includePathsThatGrowForever();
    void millionLabels();
    void sizesBeyondAnyComFile();
    void forwardChainThatNeverSettles();
};

void tst_QvasmBadInput::binaryData()
{
    QByteArray junk(300000, '\0');
    QRandomGenerator rng(4711);
    for (char &c : junk)
        c = char(rng.bounded(256));
    const Assembled r = assembleMemory(junk);
    QVERIFY(r.errors > 0);
    // Only the first few thousand messages are kept; the count covers them all.
    QVERIFY(r.messages.size() <= 5000);
}

void tst_QvasmBadInput::megabyteLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code");
    QTest::newRow("many-items") << "db " + QByteArray(500000, '1').replace("1", "1,") + "1" << 0x90;
    QTest::newRow("open-parentheses") << "mov ax, " + QByteArray(1000000, '(') << 0x90;
    // Deep nesting says so (22h, nested more than 64 levels deep), not "too many tokens".
    QTest::newRow("distance-keywords")
        << "jmp " + QByteArray("short ").repeated(60000) + "$" << 0x22;
    QTest::newRow("unary-operators") << "dw " + QByteArray("- + ").repeated(30000) + "1" << 0x22;
    QTest::newRow("one-long-name") << QByteArray(1000000, 'x') << 0x22;
    QTest::newRow("one-long-string") << "db '" + QByteArray(1000000, 's') + "'" << 0x11;
    QTest::newRow("one-long-number") << "dw " + QByteArray(1000000, '7') << 0x30;
}

void tst_QvasmBadInput::megabyteLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    const Assembled r = assembleMemory(".model tiny\n.code\n" + line + "\n.end\n");
    QVERIFY2(r.hasMessage(3, code), qPrintable(r.describe().left(2000)));
}

void tst_QvasmBadInput::includeChains()
{
    // A thousand nested includes assemble; a file including itself through others does not.
    QMap<QString, QByteArray> files;
    for (int i = 0; i < 1000; ++i)
        files.insert(QString("n%1.inc").arg(i),
                     i < 999 ? QString("include n%1.inc\n").arg(i + 1).toLatin1() : "db 1\n");
    Assembled r = assembleMemory(".model tiny\n.code\ninclude n0.inc\n.end\n", files);
    QVERIFY2(r.errors == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, QByteArray("01"));

    files["n999.inc"] = "include n500.inc\n";
    r = assembleMemory(".model tiny\n.code\ninclude n0.inc\n.end\n", files);
    QVERIFY2(r.hasMessage(1, 0x0F, "n999.inc"), qPrintable(r.describe()));
}

void tst_QvasmBadInput::includeExplosionIsCut()
{
    // Each file includes the next twice: 2^40 inclusions unless something stops it.
    QMap<QString, QByteArray> files;
    for (int i = 0; i < 40; ++i)
        files.insert(QString("e%1.inc").arg(i),
                     i < 39 ? QString("include e%1.inc\ninclude e%1.inc\n").arg(i + 1).toLatin1()
                            : "nop\n");
    const Assembled r = assembleMemory(".model tiny\n.code\ninclude e0.inc\n.end\n", files);
    QVERIFY(r.errors > 0);
    QVERIFY(r.messages.first().contains(" 0f error "));
}

void tst_QvasmBadInput::includePathsThatGrowForever()
{
    // Found by fuzzing: a name with a backslash walks one folder deeper with every level, so
    // no file repeats; each path is new and longer. It must end soon all the same.
    class EveryPathExists : public qvasm::SourceLoader
    {
    public:
        ReadResult read(const std::string &, std::string &text) override
        {
            text = ".model tiny\n.code\ninclude x\\y.inc\n.end\n";
            return ReadResult::Ok;
        }
        std::string find(const std::string &path) override { return path; }
    } loader;
    qvasm::Assembler a({}, &loader);
    a.assembleFile("/src/main.asm");
    QVERIFY(a.messages().errors() > 0);
    QCOMPARE(a.messages().items().front().code, uint8_t(0x0F));
}

void tst_QvasmBadInput::millionLabels()
{
    QByteArray text = ".model tiny\n.code\norg 100h\n";
    text.reserve(12 * 1000 * 1000);
    for (int i = 0; i < 1000000; ++i)
        text += "l" + QByteArray::number(i) + ":\n";
    text += "jmp short l999999\n.end\n";
    const Assembled r = assembleMemory(text);
    QVERIFY2(r.errors == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, QByteArray("EB FE"));
}

void tst_QvasmBadInput::sizesBeyondAnyComFile()
{
    const Assembled r = assembleMemory(".model tiny\n.code\n"
                                       "db 2097152 dup (2097152 dup (2097152 dup (1, ?)))\n"
                                       "dup 2097152,?\n"
                                       "org 0FFFFh\n"
                                       "dw 1/0\n.end\n");
    QVERIFY2(r.hasMessage(3, 0x1A), qPrintable(r.describe()));
    QVERIFY2(r.hasMessage(6, 0x2F), qPrintable(r.describe()));
}

void tst_QvasmBadInput::forwardChainThatNeverSettles()
{
    // Each equate waits for the next one, a pass at a time: the pass limit ends it.
    QByteArray text = ".model tiny\n.code\n";
    for (int i = 0; i < 40; ++i)
        text += "e" + QByteArray::number(i) + " equ e" + QByteArray::number(i + 1) + "+1\n";
    text += "e40 equ 0\ndw e0\n.end\n";
    const Assembled r = assembleMemory(text);
    QVERIFY2(r.messages.join('\n').contains(" 20 error "), qPrintable(r.describe()));
}

QTEST_GUILESS_MAIN(tst_QvasmBadInput)
#include "tst_qvasmbadinput.moc"
