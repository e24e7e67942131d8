#include "app/CommandLine.h"
#include "app/FirstRunSetup.h"
#include "app/StartupDecision.h"
#include "base/ErrorReport.h"
#include "base/InternalFailure.h"

#include "TestFiles.h"
#include "TestSettings.h"

#include <QFile>
#include <QTest>

// The first start (nothing written until the notice is accepted, then every default in order),
// the start-up decisions about documents, the command line, and the text of the error report.
class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void defaultsInTheirOrder();
    void declinedTwiceLeavesNothing();
    void acceptedWritesEveryDefault();
    void installedStoreIsNotAsked_data();
    void installedStoreIsNotAsked();
    void documentsAtStartup_data();
    void documentsAtStartup();
    void commandLine_data();
    void commandLine();
    void errorReport();
};

using Cmd = StartupDecision::ShellCommand;
Q_DECLARE_METATYPE(StartupDecision::ShellCommand)

void tst_Startup::defaultsInTheirOrder()
{
    QStringList keys;
    for (const SettingValue &v : FirstRunSetup::defaults("/opt/qvasmide"))
        keys << v.section + "/" + v.key + "=" + v.value.toString();
    const QStringList expected{
        "Settings/Installed=1",
        "Settings/empty=0",
        "Settings/loadws=0",
        "Configuration/home_url=https://qvasmide.org/",
        "Configuration/tools_dir=/opt/qvasmide/tools/",
        "Settings/tip_num=0",
        "Settings/tips=1",
        "Settings/tabstops=2",
        "Settings/tabstospaces=1",
        "FindBar/Match Case=0",
        "FindBar/Match Word=0",
        "FindBar/Search Subs=1",
        "FindBar/Expanded=0",
        "FindBar/Close on Open=0",
        "Settings/colorcase_insensitive=1",
        "Settings/useformatting=1",
        "Settings/usememberpopup=1",
        "Settings/CRComment_indx=15",
        "Settings/CRComment_rgb=1952024",
        "Settings/CRDirectives_indx=15",
        "Settings/CRDirectives_rgb=16711808",
        "Settings/CRInstructions_indx=15",
        "Settings/CRInstructions_rgb=16711680",
        "Settings/CRRegisters_indx=15",
        "Settings/CRRegisters_rgb=16711935",
        "Settings/CRStrings_indx=9",
        "Settings/CRStrings_rgb=136",
        "Settings/CRSymbols_indx=3",
        "Settings/CRSymbols_rgb=2763430",
    };
    QCOMPARE(keys, expected);
}

void tst_Startup::declinedTwiceLeavesNothing()
{
    TestSettings settings;
    int asked = 0;
    for (int start = 0; start < 2; ++start) {
        QVERIFY(!FirstRunSetup::run(settings.store(), "/opt/q", [&asked] {
            ++asked;
            return false;
        }));
    }
    QCOMPARE(asked, 2);
    settings.store().sync();
    QVERIFY(!settings.store().contains("Settings", "Installed"));
    QVERIFY(!settings.store().contains("Settings", "useformatting"));
    // Nothing written means no file either.
    QVERIFY(!QFile::exists(settings.filePath()));
}

void tst_Startup::acceptedWritesEveryDefault()
{
    TestSettings settings;
    QVERIFY(FirstRunSetup::run(settings.store(), "/opt/q", [] { return true; }));
    SettingsStore reread(settings.filePath());
    for (const SettingValue &v : FirstRunSetup::defaults("/opt/q")) {
        if (v.value.typeId() == QMetaType::QString)
            QCOMPARE(reread.readString(v.section, v.key, "absent"), v.value.toString());
        else
            QCOMPARE(reread.readInt(v.section, v.key, -1), v.value.toInt());
    }
    QVERIFY(FirstRunSetup::isInstalled(reread));
    // Keys without a first-run value stay for their owners to write.
    QVERIFY(!reread.contains("Settings", "lastws"));
    QVERIFY(!reread.contains("FindBar", "Find Down"));
}

void tst_Startup::installedStoreIsNotAsked_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("asks");
    QTest::newRow("installed") << QByteArray("[Settings]\nInstalled=1\n") << false;
    QTest::newRow("installed-zero") << QByteArray("[Settings]\nInstalled=0\n") << true;
    QTest::newRow("unreadable-file") << QByteArray("\xff\xfe\x00[[", 5) << true;
}

void tst_Startup::installedStoreIsNotAsked()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, asks);
    TestSettings settings;
    QVERIFY(writeFileBytes(settings.filePath(), ini));
    SettingsStore store(settings.filePath());
    bool asked = false;
    QVERIFY(FirstRunSetup::run(store, "/opt/q", [&asked] {
        asked = true;
        return true;
    }));
    QCOMPARE(asked, asks);
}

void tst_Startup::documentsAtStartup_data()
{
    QTest::addColumn<int>("empty");
    QTest::addColumn<int>("loadws");
    QTest::addColumn<QString>("file");
    QTest::addColumn<Cmd>("command");
    QTest::addColumn<bool>("emptyOn");
    QTest::addColumn<bool>("restore");
    QTest::addColumn<QString>("afterRestore");

    QTest::newRow("loadws-restores-then-opens-the-file")
        << 1 << 1 << "a.asm" << Cmd::Nothing << false << true << "a.asm";
    QTest::newRow("loadws-without-a-file") << 0 << 1 << "" << Cmd::Nothing << false << true << "";
    QTest::newRow("neither-opens-nothing") << 0 << 0 << "" << Cmd::Nothing << false << false << "";
    QTest::newRow("a-named-file-opens-without-empty")
        << 0 << 0 << "a.asm" << Cmd::OpenFile << false << false << "";
    QTest::newRow("empty-new-document") << 1 << 0 << "" << Cmd::NewDocument << true << false << "";
    QTest::newRow("empty-opens-the-file")
        << 1 << 0 << "a.asm" << Cmd::OpenFile << true << false << "";
    QTest::newRow("any-nonzero-counts") << 7 << 0 << "" << Cmd::NewDocument << true << false << "";
    // A named workspace opens as one, instead of the last one and instead of any document.
    QTest::newRow("workspace-file-without-empty")
        << 0 << 0 << "p/W.QVW" << Cmd::Nothing << false << true << "";
    QTest::newRow("workspace-file-over-loadws")
        << 1 << 1 << "p/w.qvw" << Cmd::Nothing << false << true << "";
}

void tst_Startup::documentsAtStartup()
{
    QFETCH(int, empty);
    QFETCH(int, loadws);
    QFETCH(QString, file);
    QFETCH(Cmd, command);
    QFETCH(bool, emptyOn);
    QFETCH(bool, restore);
    QFETCH(QString, afterRestore);
    const StartupDecision d = StartupDecision::decide(empty, loadws, file);
    QCOMPARE(d.command, command);
    QCOMPARE(d.emptyOn, emptyOn);
    QCOMPARE(d.restoreWorkspace, restore);
    QCOMPARE(d.fileAfterRestore, afterRestore);
    QCOMPARE(d.file, command == Cmd::OpenFile ? file : QString());
    QCOMPARE(d.workspaceFile, file.endsWith(".qvw", Qt::CaseInsensitive) ? file : QString());
}

void tst_Startup::commandLine_data()
{
    using A = CommandLine::Action;
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("file");
    QTest::newRow("file") << QStringList{"src/a b.asm"} << int(A::Run) << "src/a b.asm";
    QTest::newRow("version") << QStringList{"--version"} << int(A::ShowVersion) << "";
    QTest::newRow("help-after-file")
        << QStringList{"a.asm", "--help"} << int(A::ShowHelp) << "a.asm";
    QTest::newRow("unknown-option") << QStringList{"--frobnicate"} << int(A::Error) << "";
    QTest::newRow("dash-file-after-double-dash")
        << QStringList{"--", "-odd.asm"} << int(A::Run) << "-odd.asm";
    QTest::newRow("first-file-wins") << QStringList{"a.asm", "b.asm"} << int(A::Run) << "a.asm";
    QTest::newRow("build") << QStringList{"--build", "w.qvw"} << int(A::Build) << "w.qvw";
    QTest::newRow("check") << QStringList{"--check", "a.inc"} << int(A::CheckSyntax) << "a.inc";
    QTest::newRow("assemble") << QStringList{"--assemble", "a.asm"} << int(A::Assemble) << "a.asm";
    // The build's file is the next argument even when it starts with a dash.
    QTest::newRow("build-dash-file")
        << QStringList{"--check", "-a.asm"} << int(A::CheckSyntax) << "-a.asm";
    QTest::newRow("build-without-file") << QStringList{"--build"} << int(A::Error) << "";
    QTest::newRow("build-empty-file") << QStringList{"--build", ""} << int(A::Error) << "";
    QTest::newRow("build-second-file")
        << QStringList{"--check", "a.asm", "b.asm"} << int(A::Error) << "";
    QTest::newRow("file-before-build")
        << QStringList{"b.asm", "--check", "a.asm"} << int(A::Error) << "";
    QTest::newRow("two-builds") << QStringList{"--check", "a.asm", "--assemble", "a.asm"}
                                << int(A::Error) << "";
}

void tst_Startup::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, action);
    QFETCH(QString, file);
    const CommandLine line = CommandLine::parse(args);
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.file, file);
    if (args == QStringList{"a.asm", "b.asm"})
        QCOMPARE(line.ignoredFiles, QStringList{"b.asm"});
    QCOMPARE(line.isBuild(), action >= int(CommandLine::Action::Build));
    // Any build option before "--" keeps the run away from the window, even a malformed one.
    const bool asksBuild = args.contains("--build") || args.contains("--check")
                           || args.contains("--assemble");
    QCOMPARE(CommandLine::requestsBuild(args), asksBuild);
    QCOMPARE(CommandLine::versionText(), QStringLiteral("qvasmide 00.24.35\n"));
}

void tst_Startup::errorReport()
{
    ErrorReport r;
    r.typeName = ErrorReport::exceptionTypeName(std::make_exception_ptr(InternalFailure(3)));
    r.window = 0x1a2b;
    r.message = 0x111;
    r.wParam = 32784;
    r.lParam = 0;
    r.internalCode = 0xFFFFFFFFu;
    // Upper-case hex padded to its width, then the version, between the fixed texts.
    QVERIFY(r.text().contains("\n\ntype\tInternalFailure\nHWND\t0x1A2B\nmsg\t0x0111\n"
                              "wParam\t0x00008010\nlParam\t0x00000000\nInternal\t0xFFFFFFFF\n"
                              "Version\t00.24.35\n\n"));
    // Types without a class name still read as C++ spells them.
    QCOMPARE(ErrorReport::exceptionTypeName(std::make_exception_ptr(42)), QStringLiteral("int"));
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
