#include "TestSettings.h"
#include "build/AssemblerCommandLine.h"
#include "build/MakeSettings.h"
#include "build/PostBuildCommands.h"
#include "workspace/WorkspaceRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(AssemblerOptions)

class tst_AssemblerCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void switchesComeInTheirFixedOrder_data();
    void switchesComeInTheirFixedOrder();
    void classicCommandLines();
    void commandArgumentsKeepPathsWhole();
    void requestsForTheThreeCommands();
    void storeCutsFitTheRecordFields_data();
    void storeCutsFitTheRecordFields();
    void optionsGoInAndOutOfTheRecord();
    void postBuildTextSplitsIntoCommands_data();
    void postBuildTextSplitsIntoCommands();
    void toolPathsRoundTrip();
    void bundledToolsBecomeFirstRunDefaults();
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

void tst_AssemblerCommandLine::switchesComeInTheirFixedOrder_data()
{
    QTest::addColumn<AssemblerOptions>("options");
    QTest::addColumn<bool>("workspaceOpen");
    QTest::addColumn<QString>("libraryPath");
    QTest::addColumn<bool>("forceListing");
    QTest::addColumn<QString>("switches");

    QTest::newRow("nothing-set") << AssemblerOptions() << true << QString() << false << "";
    QTest::newRow("everything-on") << everythingOn() << true << "/usr/lib" << false
                                   << " /a /b /wb /d /i{/usr/inc} /L{/usr/lib} /j /X /o";
    QTest::newRow("no-workspace-ignores-its-options")
        << everythingOn() << false << "/usr/lib" << false << " /L{/usr/lib}";
    AssemblerOptions boot;
    boot.validateBootSector = true;
    QTest::newRow("drive-unselected-gives-wa") << boot << true << QString() << false << " /wa";
    QTest::newRow("forced-listing-without-workspace")
        << AssemblerOptions() << false << QString() << true << " /x";
    AssemblerOptions pages;
    pages.listingPageBreaks = true;
    QTest::newRow("forced-listing-reads-page-breaks")
        << pages << false << QString() << true << " /X";
    AssemblerOptions listing;
    listing.createListing = true;
    QTest::newRow("listing-asked-and-forced-once") << listing << true << QString() << true << " /x";
    AssemblerOptions include;
    include.includePath = "/my inc";
    QTest::newRow("include-path-unused") << include << true << QString() << false << "";
    include.useIncludePath = true;
    QTest::newRow("include-path-with-blank")
        << include << true << QString() << false << " /i{/my inc}";
}

void tst_AssemblerCommandLine::switchesComeInTheirFixedOrder()
{
    QFETCH(AssemblerOptions, options);
    QFETCH(bool, workspaceOpen);
    QFETCH(QString, libraryPath);
    QFETCH(bool, forceListing);
    QFETCH(QString, switches);
    QCOMPARE(AssemblerCommandLine::appendAssemblerSwitches(QString(),
                                                           options,
                                                           workspaceOpen,
                                                           libraryPath,
                                                           forceListing),
             switches);
    // The argument list holds the same switches, one entry each, however many blanks a path has.
    const QStringList list = AssemblerCommandLine::switches(options,
                                                            workspaceOpen,
                                                            libraryPath,
                                                            forceListing);
    QString joined;
    for (const QString &s : list)
        joined += ' ' + s;
    QCOMPARE(joined, switches);
}

void tst_AssemblerCommandLine::classicCommandLines()
{
    AssemblerOptions o;
    o.beepIfError = o.useOptimizer = true;
    const QString assemble = AssemblerCommandLine::appendAssemblerSwitches(QString(),
                                                                           o,
                                                                           true,
                                                                           {},
                                                                           false);
    QCOMPARE(AssemblerCommandLine::classicCommandLine("C:\\src\\hello.asm", assemble),
             QString(" C:\\src\\hello.asm  /b /o"));
    const QString check = AssemblerCommandLine::appendAssemblerSwitches(" /s", o, true, {}, false);
    QCOMPARE(AssemblerCommandLine::classicCommandLine("C:\\src\\hello.asm", check),
             QString(" C:\\src\\hello.asm  /s /b /o"));
}

void tst_AssemblerCommandLine::commandArgumentsKeepPathsWhole()
{
    const QStringList sw{"/b", "/i{/my inc}"};
    QCOMPARE(AssemblerCommandLine::checkSyntaxArguments("/my src/a.asm", sw),
             (QStringList{"/my src/a.asm", "/s", "/b", "/i{/my inc}"}));
    QCOMPARE(AssemblerCommandLine::assembleArguments("/my src/a.asm", sw),
             (QStringList{"/my src/a.asm", "/b", "/i{/my inc}"}));
    QCOMPARE(AssemblerCommandLine::buildArguments("/p/main.asm", "/p/out file.com", sw),
             (QStringList{"/p/main.asm", "/p/out file.com", "/b", "/i{/my inc}"}));
    QCOMPARE(AssemblerCommandLine::buildArguments("/p/main.asm", QString(), {}),
             QStringList{"/p/main.asm"});
}

void tst_AssemblerCommandLine::requestsForTheThreeCommands()
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

    run.command = AssemblerRun::Build;
    run.forceListing = false;
    r = AssemblerCommandLine::request(run, paths);
    QCOMPARE(r.arguments,
             (QStringList{"/my src/main.asm", "/my src/out.com", "/b", "/L{/opt/lib}"}));
}

void tst_AssemblerCommandLine::storeCutsFitTheRecordFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("kept");
    QTest::newRow("include-path-of-300") << QString(300, 'p') << 259 << QString(259, 'p');
    QTest::newRow("short-path-whole") << "/usr/inc" << 259 << "/usr/inc";
    QTest::newRow("post-build-of-2000") << QString(2000, 'c') << 1024 << QString(1024, 'c');
    // 2-byte characters: 129 of them fill 258 bytes, a 130th would not fit.
    QTest::newRow("never-half-a-character")
        << QString(200, QChar(0xE9)) << 259 << QString(129, QChar(0xE9));
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("never-half-a-surrogate-pair")
        << QString(257, 'a') + smiley << 259 << QString(257, 'a');
}

void tst_AssemblerCommandLine::storeCutsFitTheRecordFields()
{
    QFETCH(QString, text);
    QFETCH(int, maxBytes);
    QFETCH(QString, kept);
    const QString cut = maxBytes == 259 ? AssemblerOptions::cutIncludePath(text)
                                        : AssemblerOptions::cutPostBuild(text);
    QCOMPARE(cut, kept);
    QVERIFY(cut.toUtf8().size() <= maxBytes);
    QCOMPARE(AssemblerOptions::bootDriveBFromComboIndex(-1), false);
    QCOMPARE(AssemblerOptions::bootDriveBFromComboIndex(1), true);
}

void tst_AssemblerCommandLine::optionsGoInAndOutOfTheRecord()
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
    o.includePath = QString(300, 'p');
    o.postBuild = QString(2000, 'c');
    o.storeInto(record);
    QCOMPARE(record.includePath(), QString(259, 'p'));
    QCOMPARE(record.postBuildCommands(), QString(1024, 'c'));
}

void tst_AssemblerCommandLine::postBuildTextSplitsIntoCommands_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blank-lines-only") << "\r\n \r\n\t\r\n" << QStringList{};
    QTest::newRow("a-empty-line-b") << "a\r\n\r\nb" << QStringList{"a", "b"};
    QTest::newRow("leading-blank-line") << "\r\ncp x y" << QStringList{"cp x y"};
    QTest::newRow("final-line-break") << "a\r\n" << QStringList{"a"};
    QTest::newRow("lf-line-ends") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("indent-dropped-trailing-kept") << "  a  \r\n\tb" << QStringList{"a  ", "b"};
}

void tst_AssemblerCommandLine::postBuildTextSplitsIntoCommands()
{
    QFETCH(QString, text);
    QFETCH(QStringList, commands);
    QCOMPARE(PostBuildCommands::split(text), commands);
}

void tst_AssemblerCommandLine::toolPathsRoundTrip()
{
    TestSettings settings;
    QCOMPARE(MakeSettings::loadPaths(), ToolPaths());
    const ToolPaths paths{"/opt/q/qvasm", "/opt/q/qvdisasm", "/opt/q/inc", "/opt/q/lib"};
    MakeSettings::savePaths(paths);
    QCOMPARE(MakeSettings::loadPaths(), paths);
    QCOMPARE(settings.store().readString("Make", "apath"), QString("/opt/q/qvasm"));
    QCOMPARE(MakeSettings::libraryPath(), QString("/opt/q/lib"));
}

void tst_AssemblerCommandLine::bundledToolsBecomeFirstRunDefaults()
{
    TestSettings settings;
    QTemporaryDir program;
    QVERIFY(QDir(program.path()).mkdir("tools"));
    QFile tool(program.filePath("tools/qvasm"));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.close();
    tool.setPermissions(tool.permissions() | QFile::ExeOwner);

    settings.store().writeString("Make", "dpath", "/mine/qvdisasm");
    MakeSettings::applyBundledToolDefaults(program.path());
    QCOMPARE(MakeSettings::assemblerPath(), program.filePath("tools/qvasm"));
    QCOMPARE(MakeSettings::disassemblerPath(), QString("/mine/qvdisasm"));

    // The next start does not overwrite the user's choice.
    settings.store().writeString("Make", "apath", QString());
    MakeSettings::applyBundledToolDefaults(program.path());
    QCOMPARE(MakeSettings::assemblerPath(), QString());
}

QTEST_GUILESS_MAIN(tst_AssemblerCommandLine)
#include "tst_assemblercommandline.moc"
