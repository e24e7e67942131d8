#include "build/BuildCommandRules.h"
#include "build/OutputPaneText.h"
#include "build/ToolOutputDecoder.h"

#include <QTest>

#include <optional>

class tst_BuildCommandRules : public QObject
{
    Q_OBJECT

private slots:
    void appendKeepsAllButTheLastCharacter_data();
    void appendKeepsAllButTheLastCharacter();
    void bannersEndInOneLineBreak();
    void captureLosesItsOpeningAndFinalLineBreak_data();
    void captureLosesItsOpeningAndFinalLineBreak();
    void resultRanges_data();
    void resultRanges();
    void listingNameAndWhenItOpens();
    void assembleIsForAsmTitles_data();
    void assembleIsForAsmTitles();
    void canExecuteAfterAssemble_data();
    void canExecuteAfterAssemble();
    void canExecuteAfterBuild_data();
    void canExecuteAfterBuild();
    void decoderHoldsSplitCharacters_data();
    void decoderHoldsSplitCharacters();
};

void tst_BuildCommandRules::appendKeepsAllButTheLastCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("appended");
    QTest::newRow("abc-crlf-blank") << "abc\r\n " << 6 << "abc\n";
    QTest::newRow("leading-blanks-dropped") << "  x\r\n " << 6 << "x\n";
    QTest::newRow("length-one-adds-nothing") << "ab" << 1 << "";
    QTest::newRow("length-zero-adds-nothing") << "ab" << 0 << "";
    QTest::newRow("negative-length") << "ab" << -5 << "";
    QTest::newRow("shorter-length-cuts") << "abcdef" << 3 << "ab";
    QTest::newRow("length-past-the-text") << "abc" << 10 << "abc";
    QTest::newRow("only-white-space") << " \t\r\n " << 5 << "";
    QTest::newRow("forty-thousand-characters")
        << QString(40000, 'y') + ' ' << 40001 << QString(40000, 'y');
}

void tst_BuildCommandRules::appendKeepsAllButTheLastCharacter()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    QFETCH(QString, appended);
    QCOMPARE(OutputPaneText::appendPart(text, length), appended);
}

void tst_BuildCommandRules::bannersEndInOneLineBreak()
{
    const QString assembling = BuildCommandRules::assemblingBanner("/src/hello.asm");
    QCOMPARE(assembling,
             QString("-=-=-=-=-=-=-=-=-= Assembling: /src/hello.asm -=-=-=-=-=-=-=-=-=\r\n "));
    QCOMPARE(OutputPaneText::appendPart(assembling, assembling.size()),
             QString("-=-=-=-=-=-=-=-=-= Assembling: /src/hello.asm -=-=-=-=-=-=-=-=-=\n"));
    QCOMPARE(BuildCommandRules::buildingBanner("/p/prog.com"),
             QString("-=-=-=-=-=-=-=-=-= Building: /p/prog.com -=-=-=-=-=-=-=-=-=\r\n "));
}

void tst_BuildCommandRules::captureLosesItsOpeningAndFinalLineBreak_data()
{
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<QString>("shown");
    QTest::newRow("tool-output") << QByteArray(
        "\r\n\tx.asm (1):  error 22h Syntax error\r\n\r\nTotal errors: 1\r\n")
                                 << "x.asm (1):  error 22h Syntax error\n\nTotal errors: 1";
    QTest::newRow("one-byte") << QByteArray("x") << "";
    QTest::newRow("two-bytes") << QByteArray("ab") << "";
    QTest::newRow("no-final-line-break") << QByteArray("abcdef") << "abcd";
    QTest::newRow("lone-cr") << QByteArray("a\rb\r\n") << "a\nb";
    QTest::newRow("utf8-and-windows-1252")
        << QByteArray("caf\xC3\xA9 caf\xE9\r\n") << QString::fromUtf8("café café");
}

void tst_BuildCommandRules::captureLosesItsOpeningAndFinalLineBreak()
{
    QFETCH(QByteArray, capture);
    QFETCH(QString, shown);
    QCOMPARE(OutputPaneText::captureText(capture, capture.size()), shown);
}

void tst_BuildCommandRules::resultRanges_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("message");
    using R = BuildCommandRules::ResultRange;
    QTest::newRow("zero") << 0 << int(R::NoErrors) << "Return code: 0000";
    QTest::newRow("one") << 1 << int(R::Reported) << "Return code: 0001";
    QTest::newRow("255") << 255 << int(R::Reported) << "Return code: 00FF";
    QTest::newRow("no-result") << 256 << int(R::Failed) << "Return code: 0100";
    QTest::newRow("read-failed") << 257 << int(R::Failed) << "Return code: 0101";
    QTest::newRow("wait-failed") << 261 << int(R::Failed) << "Return code: 0105";
    QTest::newRow("start-failed") << 512 << int(R::Failed) << "Return code: 0200";
}

void tst_BuildCommandRules::resultRanges()
{
    QFETCH(int, result);
    QFETCH(int, range);
    QFETCH(QString, message);
    QCOMPARE(int(BuildCommandRules::classify(result)), range);
    QCOMPARE(BuildCommandRules::returnCodeMessage(result), message);
}

void tst_BuildCommandRules::listingNameAndWhenItOpens()
{
    QCOMPARE(BuildCommandRules::listingPath("/src/prog.asm"), QString("/src/prog.lst"));
    QCOMPARE(BuildCommandRules::listingPath("/src/Prog.ASM"), QString("/src/Prog.lst"));
    QCOMPARE(BuildCommandRules::listingPath("ab"), QString("lst"));

    AssemblerOptions o;
    QVERIFY(BuildCommandRules::opensListingAfterAssemble(true, false, o));
    QVERIFY(!BuildCommandRules::opensListingAfterAssemble(false, true, o));
    o.createListing = true;
    QVERIFY(!BuildCommandRules::opensListingAfterAssemble(false, true, o));
    o.openListingFile = true;
    QVERIFY(BuildCommandRules::opensListingAfterAssemble(false, true, o));
    QVERIFY(!BuildCommandRules::opensListingAfterAssemble(false, false, o));

    // Build with Ctrl: the listing is made, but opened only when the workspace says so.
    AssemblerOptions b;
    QVERIFY(!BuildCommandRules::opensListingAfterBuild(true, b));
    b.openListingFile = true;
    QVERIFY(BuildCommandRules::opensListingAfterBuild(true, b));
    QVERIFY(!BuildCommandRules::opensListingAfterBuild(false, b));
}

void tst_BuildCommandRules::assembleIsForAsmTitles_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("lower-case-asm") << "x.asm" << false << true;
    QTest::newRow("upper-case-asm") << "X.ASM" << false << true;
    QTest::newRow("include-file") << "X.INC" << false << false;
    QTest::newRow("empty-text") << "x.asm" << true << false;
    QTest::newRow("untitled") << "untitled1" << false << false;
}

void tst_BuildCommandRules::assembleIsForAsmTitles()
{
    QFETCH(QString, title);
    QFETCH(bool, empty);
    QFETCH(bool, enabled);
    QCOMPARE(BuildCommandRules::assembleEnabled(title, empty), enabled);
}

void tst_BuildCommandRules::canExecuteAfterAssemble_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("workspaceOpen");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("totalErrors"); // -1: the Build Window was not shown
    QTest::addColumn<bool>("canExecute");
    QTest::newRow("success-without-workspace") << 0 << false << "/s/Prog.asm" << -1 << true;
    QTest::newRow("success-with-workspace") << 0 << true << "/s/Prog.asm" << -1 << false;
    QTest::newRow("success-of-non-asm") << 0 << false << "/s/prog.s" << -1 << false;
    QTest::newRow("diagnostics-only") << 2 << false << "/s/p.asm" << 0 << true;
    QTest::newRow("errors") << 2 << false << "/s/p.asm" << 1 << false;
    QTest::newRow("build-window-hidden") << 2 << false << "/s/p.asm" << -1 << false;
    QTest::newRow("runner-failure") << 257 << false << "/s/p.asm" << -1 << false;
}

void tst_BuildCommandRules::canExecuteAfterAssemble()
{
    QFETCH(int, result);
    QFETCH(bool, workspaceOpen);
    QFETCH(QString, source);
    QFETCH(int, totalErrors);
    QFETCH(bool, canExecute);
    const std::optional<quint32> total = totalErrors < 0 ? std::nullopt
                                                         : std::optional<quint32>(totalErrors);
    QCOMPARE(BuildCommandRules::canExecuteAfterAssemble(result, workspaceOpen, source, total),
             canExecute);
    if (result == 0 && !workspaceOpen && canExecute)
        QCOMPARE(BuildCommandRules::executableTarget(source).value(), QString("/s/Prog.com"));
}

void tst_BuildCommandRules::canExecuteAfterBuild_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("previous");
    QTest::addColumn<int>("totalErrors");
    QTest::addColumn<bool>("canExecute");
    QTest::newRow("success") << 0 << false << -1 << true;
    QTest::newRow("diagnostics-only") << 3 << false << 0 << true;
    QTest::newRow("errors") << 3 << true << 2 << false;
    QTest::newRow("failure-keeps-earlier-build") << 257 << true << -1 << true;
    QTest::newRow("failure-keeps-cleared-flag") << 512 << false << -1 << false;
}

void tst_BuildCommandRules::canExecuteAfterBuild()
{
    QFETCH(int, result);
    QFETCH(bool, previous);
    QFETCH(int, totalErrors);
    QFETCH(bool, canExecute);
    const std::optional<quint32> total = totalErrors < 0 ? std::nullopt
                                                         : std::optional<quint32>(totalErrors);
    QCOMPARE(BuildCommandRules::canExecuteAfterBuild(result, previous, total), canExecute);
}

void tst_BuildCommandRules::decoderHoldsSplitCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("abc\r\ndef") << "abc\ndef";
    QTest::newRow("two-byte") << QByteArray("caf\xC3\xA9!") << QString::fromUtf8("café!");
    QTest::newRow("three-byte") << QByteArray("\xE2\x82\xAC 5") << QString::fromUtf8("€ 5");
    QTest::newRow("four-byte") << QByteArray("<\xF0\x9F\x98\x80>")
                               << QString::fromUtf8("<\xF0\x9F\x98\x80>");
    QTest::newRow("windows-1252") << QByteArray("\x80 \x93q\x94 \xE9")
                                  << QString::fromUtf8("€ “q” é");
    QTest::newRow("truncated-sequence-at-end")
        << QByteArray("a\xE2\x82") << QString::fromUtf8("aâ‚");
    QTest::newRow("overlong-is-not-utf8") << QByteArray("\xC0\xAF") << QString::fromUtf8("À¯");
    QTest::newRow("surrogate-is-not-utf8")
        << QByteArray("\xED\xA0\x80") << QString::fromUtf8("í\xC2\xA0€");
    QTest::newRow("crlf-split-and-lone-cr") << QByteArray("a\r\nb\rc\n\rd") << "a\nb\nc\n\nd";
    QTest::newRow("nul") << QByteArray("a\0b", 3)
                         << QString::fromUtf8("a\xEF\xBF\xBD"
                                              "b");
}

void tst_BuildCommandRules::decoderHoldsSplitCharacters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(ToolOutputDecoder::decodeAll(bytes), text);
    // Fed in every possible pair of pieces, the text comes out the same.
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        ToolOutputDecoder decoder;
        QString streamed = decoder.decode(QByteArrayView(bytes).first(cut));
        streamed += decoder.decode(QByteArrayView(bytes).sliced(cut));
        streamed += decoder.finish();
        QCOMPARE(streamed, text);
    }
    // And byte by byte.
    ToolOutputDecoder decoder;
    QString streamed;
    for (char c : bytes)
        streamed += decoder.decode(QByteArrayView(&c, 1));
    streamed += decoder.finish();
    QCOMPARE(streamed, text);
}

QTEST_GUILESS_MAIN(tst_BuildCommandRules)
#include "tst_buildcommandrules.moc"
