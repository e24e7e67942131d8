#include "ScriptedPrompts.h"
#include "TestSettings.h"
#include "build/DisassemblerOptions.h"
#include "build/DumpTool.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_Disassembler : public QObject
{
    Q_OBJECT

private slots:
    void fieldNumbersConvert_data();
    void fieldNumbersConvert();
    void optionStringInItsOrder_data();
    void optionStringInItsOrder();
    void optionsAreRemembered();
    void bannerIsCutUnlessItComesFirst_data();
    void bannerIsCutUnlessItComesFirst();
    void dumpIsFoundInTheToolsFolder_data();
    void dumpIsFoundInTheToolsFolder();
    void dumpMissingSaysWhereToSetIt();
};

void tst_Disassembler::fieldNumbersConvert_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("value");
    QTest::newRow("7C00-is-decimal-7") << "7C00" << 7u;
    QTest::newRow("0x7C00") << "0x7C00" << 31744u;
    QTest::newRow("0X7C00-is-decimal-0") << "0X7C00" << 0u;
    QTest::newRow("shown-form") << "0x00000100" << 256u;
    QTest::newRow("lower-case-hex-digits") << "0x7c00" << 31744u;
    QTest::newRow("decimal") << "512" << 512u;
    QTest::newRow("empty") << "" << 0u;
    QTest::newRow("letters") << "zz" << 0u;
    QTest::newRow("bare-prefix") << "0x" << 0u;
    QTest::newRow("largest") << "0xFFFFFFFF" << 0xFFFFFFFFu;
    QTest::newRow("past-32-bits-stops") << "0x123456789" << 0xFFFFFFFFu;
}

void tst_Disassembler::fieldNumbersConvert()
{
    QFETCH(QString, text);
    QFETCH(quint32, value);
    QCOMPARE(DisassemblerOptions::parseNumber(text), value);
}

void tst_Disassembler::optionStringInItsOrder_data()
{
    QTest::addColumn<DisassemblerOptions>("options");
    QTest::addColumn<QString>("switches");
    QTest::addColumn<int>("kind");
    QTest::newRow("defaults") << DisassemblerOptions() << " /o0x00000100 /e0x00000000 /n /N /b"
                              << 0;
    DisassemblerOptions boot;
    boot.origin = 0x7C00;
    boot.skip = 0;
    QTest::newRow("boot-sector") << boot << " /o0x00007C00 /e0x00000000 /n /N /b" << 0;
    DisassemblerOptions both;
    both.showBinary = both.showOffset = both.bits32 = true;
    both.skip = 0x200;
    QTest::newRow("both-columns-32-bit") << both << " /o0x00000100 /e0x00000200 /B" << 2;
    DisassemblerOptions binary;
    binary.showBinary = true;
    QTest::newRow("bytes-column-only") << binary << " /o0x00000100 /e0x00000000 /N /b" << 2;
}

void tst_Disassembler::optionStringInItsOrder()
{
    QFETCH(DisassemblerOptions, options);
    QFETCH(QString, switches);
    QFETCH(int, kind);
    QCOMPARE(options.optionString(), switches);
    QCOMPARE(options.requestedKind(), kind);
    const QStringList args = options.arguments("/bin dir/boot.bin");
    QCOMPARE(args.first(), QString("/bin dir/boot.bin"));
    QCOMPARE(' ' + args.mid(1).join(' '), switches);
}

void tst_Disassembler::optionsAreRemembered()
{
    TestSettings settings;
    QCOMPARE(DisassemblerOptions::load(), DisassemblerOptions());
    DisassemblerOptions o;
    o.bits32 = true;
    o.skip = 0x200;
    o.origin = 0xFFFFFFF0; // beyond a signed integer
    o.showOffset = true;
    o.save();
    const DisassemblerOptions back = DisassemblerOptions::load();
    QCOMPARE(back, o);
    QCOMPARE(DisassemblerOptions::formatNumber(back.skip), QString("0x00000200"));
    QCOMPARE(settings.store().readInt("Make", "dis_skip", -1), 0x200);
}

void tst_Disassembler::bannerIsCutUnlessItComesFirst_data()
{
    const QByteArray banner = "QVDISASM   The Quillvane Disassembler   Version  01.00\r\n";
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("ends-with-banner")
        << "org 100h\r\nnop\r\n" + banner << QByteArray("org 100h\r\nnop\r\n");
    QTest::newRow("begins-with-banner") << banner + "nop\r\n" << banner + "nop\r\n";
    QTest::newRow("no-banner") << QByteArray("nop\r\n") << QByteArray("nop\r\n");
    QTest::newRow("near-banner-kept")
        << QByteArray("nop\r\nQVDISASM  The Quillvane Disassembler   Version  1")
        << QByteArray("nop\r\nQVDISASM  The Quillvane Disassembler   Version  1");
}

void tst_Disassembler::bannerIsCutUnlessItComesFirst()
{
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, kept);
    QCOMPARE(DisassemblerOptions::cutBanner(output), kept);
}

void tst_Disassembler::dumpIsFoundInTheToolsFolder_data()
{
    QTest::addColumn<QString>("toolsDir");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder-with-separator") << "/opt/q/tools/"
                                           << "/opt/q/tools/dump";
    QTest::newRow("no-final-separator-appends-directly") << "/opt/q/tools"
                                                         << "/opt/q/toolsdump";
    QTest::newRow("default-is-the-program-folder") << "./"
                                                   << "/prog/dump";
    QTest::newRow("relative-to-the-program-folder") << "tools/"
                                                    << "/prog/tools/dump";
}

void tst_Disassembler::dumpIsFoundInTheToolsFolder()
{
    QFETCH(QString, toolsDir);
    QFETCH(QString, path);
    QCOMPARE(DumpTool::path(toolsDir, "/prog"), path);
}

void tst_Disassembler::dumpMissingSaysWhereToSetIt()
{
    TestSettings settings;
    QCOMPARE(DumpTool::toolsDir(), QString("./"));
    QTemporaryDir dir;
    QFile dump(dir.filePath("dump"));
    QVERIFY(dump.open(QIODevice::WriteOnly));
    dump.close();

    ScriptedPrompts prompts;
    prompts.answerMessage(PromptAnswer::Ok);
    QVERIFY(!DumpTool::launch(dir.path(), "/prog"));
    QCOMPARE(prompts.messagesAsked(),
             QStringList{"Did not find path to Dump.exe\nUse the Special->Configuration Options "
                         "Menu to set path."});
}

QTEST_GUILESS_MAIN(tst_Disassembler)
#include "tst_disassembler.moc"
