#include "TestSettings.h"
#include "make/AssemblerCommandLine.h"
#include "make/BuildCommandRules.h"
#include "make/MakeSettings.h"
#include "make/OutputPaneText.h"
#include "make/PostBuildCommands.h"
#include "make/ToolOutputDecoder.h"
#include "workspace/WorkspaceRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(AssemblerOptions)
Q_DECLARE_METATYPE(std::optional<QString>)

// The assembler's command line and what the build commands decide from its result.
class tst_BuildCommandRules : public QObject
{
    Q_OBJECT

private slots:
    void switchesComeInTheirFixedOrder_data();
    void switchesComeInTheirFixedOrder();
    void requestsForTheThreeCommands();
    void storeCutsFitTheRecordFields_data();
    void storeCutsFitTheRecordFields();
    void optionsGoInAndOutOfTheRecord();
    void postBuildTextSplitsIntoCommands_data();
    void postBuildTextSplitsIntoCommands();
    void bundledToolsBecomeFirstRunDefaults();
    void linkerDefaultsToTheBundledOne_data();
    void linkerDefaultsToTheBundledOne();
    void appendKeepsAllButTheLastCharacter_data();
    void appendKeepsAllButTheLastCharacter();
    void captureLosesItsOpeningAndFinalLineBreak_data();
    void captureLosesItsOpeningAndFinalLineBreak();
    void resultRanges_data();
    void resultRanges();
    void listingNameAndWhenItOpens();
    void assembleIsForAsmTitles_data();
    void assembleIsForAsmTitles();
    void canExecuteAfterARun_data();
    void canExecuteAfterARun();
    void decoderHoldsSplitCharacters_data();
    void decoderHoldsSplitCharacters();
};

namespace {

AssemblerOptions everythingOn()
{
    AssemblerOptions o;
    o.alphabetizeSegments = o.beepIfError = o.validateBootSector = o.bootDriveB = true;
    o.noDiagnostics = o.useIncludePath = o.useJumps = o.createListing = true;
    o.listingPageBreaks = o.openListingFile = o.useOptimizer = true;
    o.includePath = "/usr/inc";
    return o;
}

} // namespace

void tst_BuildCommandRules::switchesComeInTheirFixedOrder_data()
{
    QTest::addColumn<AssemblerOptions>("options");
    QTest::addColumn<bool>("workspaceOpen");
    QTest::addColumn<QString>("libraryPath");
    QTest::addColumn<bool>("forceListing");
    QTest::addColumn<QStringList>("switches");

    QTest::newRow("everything-on")
        << everythingOn() << true << "/usr/lib" << false
        << QStringList{"/a", "/b", "/wb", "/d", "/i{/usr/inc}", "/L{/usr/lib}", "/j", "/X", "/o"};
    QTest::newRow("no-workspace-ignores-its-options")
        << everythingOn() << false << "/usr/lib" << false << QStringList{"/L{/usr/lib}"};
    AssemblerOptions o;
    o.validateBootSector = true;
    QTest::newRow("drive-unselected-gives-wa")
        << o << true << QString() << false << QStringList{"/wa"};
    o = AssemblerOptions();
    o.listingPageBreaks = true;
    QTest::newRow("forced-listing-reads-page-breaks")
        << o << false << QString() << true << QStringList{"/X"};
    o = AssemblerOptions();
    o.createListing = true;
    QTest::newRow("listing-asked-and-forced-once")
        << o << true << QString() << true << QStringList{"/x"};
    o = AssemblerOptions();
    o.includePath = "/my inc";
    QTest::newRow("include-path-unused") << o << true << QString() << false << QStringList{};
    o.useIncludePath = true;
    QTest::newRow("include-path-with-blank")
        << o << true << QString() << false << QStringList{"/i{/my inc}"};
}

void tst_BuildCommandRules::switchesComeInTheirFixedOrder()
{
    QFETCH(AssemblerOptions, options);
    QFETCH(bool, workspaceOpen);
    QFETCH(QString, libraryPath);
    QFETCH(bool, forceListing);
    QFETCH(QStringList, switches);
    // One argument each, however many blanks a path has.
    QCOMPARE(AssemblerCommandLine::switches(options, workspaceOpen, libraryPath, forceListing),
             switches);
}

void tst_BuildCommandRules::requestsForTheThreeCommands()
{
    ToolPaths paths;
    paths.assembler = "/opt/q/qvasm";
    paths.libraryPath = "/opt/lib";
    AssemblerRun run;
    run.sourcePath = "/my src/main.asm";
    run.targetFile = "/my src/out.com";
    run.forceListing = true;
    run.options.beepIfError = true;
    run.options.postBuild = "cp out.com /tmp";

    run.command = AssemblerRun::CheckSyntax;
    ToolRequest r = AssemblerCommandLine::request(run, paths);
    QCOMPARE(r.kind, ToolRequest::Assembler);
    QCOMPARE(r.program, QString("/opt/q/qvasm"));
    QCOMPARE(r.workingDirectory, QString("/my src"));
    // No workspace: its options and post-build text stay out; Check Syntax never lists.
    QCOMPARE(r.arguments, (QStringList{"/my src/main.asm", "/s", "/L{/opt/lib}"}));
    QCOMPARE(r.postBuild, QString());

    run.workspaceOpen = true;
    run.command = AssemblerRun::Assemble;
    r = AssemblerCommandLine::request(run, paths);
    QCOMPARE(r.arguments, (QStringList{"/my src/main.asm", "/b", "/L{/opt/lib}", "/x"}));
    QCOMPARE(r.postBuild, QString("cp out.com /tmp"));
    // Build's main file and target are the build command test's.
}

void tst_BuildCommandRules::storeCutsFitTheRecordFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    // The include path field holds 259 bytes; 2-byte characters: 129 of them fill 258 bytes.
    QTest::newRow("never-half-a-character")
        << QString(200, QChar(0xE9)) << QString(129, QChar(0xE9));
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("never-half-a-surrogate-pair") << QString(257, 'a') + smiley << QString(257, 'a');
}

void tst_BuildCommandRules::storeCutsFitTheRecordFields()
{
    QFETCH(QString, text);
    QFETCH(QString, kept);
    QCOMPARE(AssemblerOptions::cutIncludePath(text), kept);
}

void tst_BuildCommandRules::optionsGoInAndOutOfTheRecord()
{
    WorkspaceRecord record;
    AssemblerOptions o = everythingOn();
    o.alphabetizeSegments = false;
    o.postBuild = "cp a b\nrm c";
    o.storeInto(record);
    QCOMPARE(record.postBuildCommands(), QString("cp a b\r\nrm c"));
    QVERIFY(record.option(WorkspaceRecord::Option::BootDriveB));
    QVERIFY(!record.option(WorkspaceRecord::Option::AlphabetizeSegments));
    QCOMPARE(AssemblerOptions::fromRecord(record), o);
    // Texts too long for their fields are cut, not refused.
    o.postBuild = QString(2000, 'c');
    o.storeInto(record);
    QCOMPARE(record.postBuildCommands(), QString(1024, 'c'));
}

void tst_BuildCommandRules::postBuildTextSplitsIntoCommands_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("blank-lines-only") << "\r\n \r\n\t\r\n" << QStringList{};
    QTest::newRow("a-empty-line-b") << "a\r\n\r\nb" << QStringList{"a", "b"};
    QTest::newRow("leading-blank-line") << "\r\ncp x y" << QStringList{"cp x y"};
    QTest::newRow("lf-line-ends") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("indent-dropped-trailing-kept") << "  a  \r\n\tb" << QStringList{"a  ", "b"};
}

void tst_BuildCommandRules::postBuildTextSplitsIntoCommands()
{
    QFETCH(QString, text);
    QFETCH(QStringList, commands);
    QCOMPARE(PostBuildCommands::split(text), commands);
}

void tst_BuildCommandRules::bundledToolsBecomeFirstRunDefaults()
{
    TestSettings settings;
    QTemporaryDir program;
    QVERIFY(QDir(program.path()).mkpath("tools/include"));
    QFile tool(program.filePath("tools/qvasm"));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.setPermissions(tool.permissions() | QFile::ExeOwner);

    settings.store().writeString("Make", "dpath", "/mine/qvdisasm");
    MakeSettings::applyBundledToolDefaults(program.path());
    QCOMPARE(MakeSettings::assemblerPath(), program.filePath("tools/qvasm"));
    QCOMPARE(MakeSettings::disassemblerPath(), QString("/mine/qvdisasm"));
    QCOMPARE(MakeSettings::loadPaths().includePath, program.filePath("tools/include/"));

    // The next start does not overwrite the user's choice.
    settings.store().writeString("Make", "apath", QString());
    MakeSettings::applyBundledToolDefaults(program.path());
    QCOMPARE(MakeSettings::assemblerPath(), QString());
}

void tst_BuildCommandRules::linkerDefaultsToTheBundledOne_data()
{
    QTest::addColumn<bool>("bundled"); // tools/qvlink is in the program folder
    QTest::addColumn<std::optional<QString>>("before");
    QTest::addColumn<QString>("after"); // "<bundled>" for the program folder's linker

    QTest::newRow("first-start") << true << std::optional<QString>() << "<bundled>";
    QTest::newRow("older-settings-file-without-lpath")
        << true << std::optional<QString>() << "<bundled>";
    QTest::newRow("users-own-linker-kept")
        << true << std::optional<QString>("/opt/link") << "/opt/link";
    QTest::newRow("cleared-by-the-user-stays-empty") << true << std::optional<QString>("") << "";
    QTest::newRow("no-bundled-linker-leaves-it-unset") << false << std::optional<QString>() << "";
}

void tst_BuildCommandRules::linkerDefaultsToTheBundledOne()
{
    QFETCH(bool, bundled);
    QFETCH(std::optional<QString>, before);
    QFETCH(QString, after);
    TestSettings settings;
    QTemporaryDir program;
    QVERIFY(QDir(program.path()).mkpath("tools"));
    if (bundled) {
        QFile tool(program.filePath("tools/qvlink"));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.setPermissions(tool.permissions() | QFile::ExeOwner);
    }
    // A settings file from before the linker: its other paths are set, lpath is not there.
    if (QByteArray(QTest::currentDataTag()).startsWith("older"))
        settings.store().writeString("Make", "apath", "/mine/qvasm");
    if (before)
        settings.store().writeString("Make", "lpath", *before);

    MakeSettings::applyBundledToolDefaults(program.path());
    QCOMPARE(MakeSettings::linkerPath(),
             after == "<bundled>" ? program.filePath("tools/qvlink") : after);
    QCOMPARE(MakeSettings::loadPaths().linker, MakeSettings::linkerPath());
    QCOMPARE(settings.store().contains("Make", "lpath"), bundled || before.has_value());
    if (QByteArray(QTest::currentDataTag()).startsWith("older"))
        QCOMPARE(MakeSettings::assemblerPath(), QString("/mine/qvasm"));
}

void tst_BuildCommandRules::appendKeepsAllButTheLastCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("appended");
    QTest::newRow("leading-blanks-dropped") << "  x\r\n " << 6 << "x\n";
    QTest::newRow("length-one-adds-nothing") << "ab" << 1 << "";
    QTest::newRow("length-past-the-text") << "abc" << 10 << "abc";
    QTest::newRow("only-white-space") << " \t\r\n " << 5 << "";
}

void tst_BuildCommandRules::appendKeepsAllButTheLastCharacter()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    QFETCH(QString, appended);
    QCOMPARE(OutputPaneText::appendPart(text, length), appended);
}

void tst_BuildCommandRules::captureLosesItsOpeningAndFinalLineBreak_data()
{
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<QString>("shown");
    QTest::newRow("tool-output") << QByteArray(
        "\r\n\tx.asm (1):  error 22h Syntax error\r\n\r\nTotal errors: 1\r\n")
                                 << "x.asm (1):  error 22h Syntax error\n\nTotal errors: 1";
    QTest::newRow("line-break-only") << QByteArray("\r\n") << "";
    // Output cut short (a crashed tool) keeps its last characters.
    QTest::newRow("no-final-line-break") << QByteArray("abcdef") << "abcdef";
    QTest::newRow("final-lf-alone") << QByteArray("ab\n") << "ab";
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
    QTest::newRow("255") << 255 << int(R::Reported) << "Return code: 00FF";
    QTest::newRow("no-result") << 256 << int(R::Failed) << "Return code: 0100";
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

    // Without Ctrl, only a workspace that both makes and opens the listing opens it.
    AssemblerOptions o;
    o.createListing = true;
    QVERIFY(!BuildCommandRules::opensListingAfterAssemble(false, true, o));
    o.openListingFile = true;
    QVERIFY(BuildCommandRules::opensListingAfterAssemble(false, true, o));
    QVERIFY(!BuildCommandRules::opensListingAfterAssemble(false, false, o));
    QVERIFY(BuildCommandRules::opensListingAfterBuild(false, o));
    o.createListing = false;
    QVERIFY(!BuildCommandRules::opensListingAfterBuild(false, o));
}

void tst_BuildCommandRules::assembleIsForAsmTitles_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("upper-case-asm") << "X.ASM" << false << true;
    QTest::newRow("include-file") << "x.inc" << false << false;
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

void tst_BuildCommandRules::canExecuteAfterARun_data()
{
    QTest::addColumn<bool>("build");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("workspaceOrPrevious"); // Assemble: a workspace is open; Build: the flag
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("totalErrors"); // -1: the Build Window was not shown
    QTest::addColumn<bool>("canExecute");
    const QString asm_ = "/s/p.asm";
    QTest::newRow("assembled-without-workspace") << false << 0 << false << asm_ << -1 << true;
    QTest::newRow("assembled-in-workspace") << false << 0 << true << asm_ << -1 << false;
    QTest::newRow("assembled-non-asm") << false << 0 << false << "/s/p.s" << -1 << false;
    QTest::newRow("assembled-diagnostics-only") << false << 2 << false << asm_ << 0 << true;
    QTest::newRow("assembled-diagnostics-only-in-workspace")
        << false << 2 << true << asm_ << 0 << false;
    QTest::newRow("assembled-diagnostics-only-non-asm")
        << false << 2 << false << "/s/p.s" << 0 << false;
    QTest::newRow("assembled-errors") << false << 2 << false << asm_ << 1 << false;
    QTest::newRow("assembled-build-window-hidden") << false << 2 << false << asm_ << -1 << false;
    QTest::newRow("assembler-failure") << false << 257 << false << asm_ << -1 << false;
    QTest::newRow("built") << true << 0 << false << asm_ << -1 << true;
    QTest::newRow("built-diagnostics-only") << true << 3 << false << asm_ << 0 << true;
    QTest::newRow("built-errors") << true << 3 << true << asm_ << 2 << false;
    QTest::newRow("build-failure-keeps-earlier-build") << true << 257 << true << asm_ << -1 << true;
    QTest::newRow("build-failure-keeps-cleared-flag")
        << true << 512 << false << asm_ << -1 << false;
}

void tst_BuildCommandRules::canExecuteAfterARun()
{
    QFETCH(bool, build);
    QFETCH(int, result);
    QFETCH(bool, workspaceOrPrevious);
    QFETCH(QString, source);
    QFETCH(int, totalErrors);
    QFETCH(bool, canExecute);
    const std::optional<quint32> total = totalErrors < 0 ? std::nullopt
                                                         : std::optional<quint32>(totalErrors);
    QCOMPARE(build ? BuildCommandRules::canExecuteAfterBuild(result, workspaceOrPrevious, total)
                   : BuildCommandRules::canExecuteAfterAssemble(result,
                                                                workspaceOrPrevious,
                                                                source,
                                                                total),
             canExecute);
}

void tst_BuildCommandRules::decoderHoldsSplitCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("two-byte") << QByteArray("caf\xC3\xA9!") << QString::fromUtf8("café!");
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
