#include "app/CommandLine.h"
#include "app/ErrorReport.h"
#include "app/InternalFailure.h"
#include "app/StartupDecision.h"

#include <QTest>

#include <stdexcept>

// The start-up decisions about documents, the command line, and the text of the error report.
class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void documentsAtStartup_data();
    void documentsAtStartup();
    void commandLine_data();
    void commandLine();
    void errorReportText();
    void exceptionTypeNames();
};

using Cmd = StartupDecision::ShellCommand;
Q_DECLARE_METATYPE(StartupDecision::ShellCommand)

void tst_Startup::documentsAtStartup_data()
{
    QTest::addColumn<int>("empty");
    QTest::addColumn<int>("loadws");
    QTest::addColumn<QString>("file");
    QTest::addColumn<Cmd>("command");
    QTest::addColumn<bool>("emptyOn");
    QTest::addColumn<bool>("restore");

    QTest::newRow("loadws-ignores-the-file") << 1 << 1 << "a.asm" << Cmd::Nothing << false << true;
    QTest::newRow("neither-opens-nothing-even-with-a-file")
        << 0 << 0 << "a.asm" << Cmd::Nothing << false << false;
    QTest::newRow("empty-new-document") << 1 << 0 << "" << Cmd::NewDocument << true << false;
    QTest::newRow("empty-opens-the-file") << 1 << 0 << "a.asm" << Cmd::OpenFile << true << false;
    QTest::newRow("any-nonzero-counts") << 7 << 0 << "" << Cmd::NewDocument << true << false;
    // A named workspace opens as one, instead of the last one and instead of any document.
    QTest::newRow("workspace-file-without-empty")
        << 0 << 0 << "p/W.QVW" << Cmd::Nothing << false << true;
    QTest::newRow("workspace-file-over-loadws")
        << 1 << 1 << "p/w.qvw" << Cmd::Nothing << false << true;
}

void tst_Startup::documentsAtStartup()
{
    QFETCH(int, empty);
    QFETCH(int, loadws);
    QFETCH(QString, file);
    QFETCH(Cmd, command);
    QFETCH(bool, emptyOn);
    QFETCH(bool, restore);
    const StartupDecision d = StartupDecision::decide(empty, loadws, file);
    QCOMPARE(d.command, command);
    QCOMPARE(d.emptyOn, emptyOn);
    QCOMPARE(d.restoreWorkspace, restore);
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
    QCOMPARE(CommandLine::versionText(), QStringLiteral("qvasmide 00.24.35\n"));
}

void tst_Startup::errorReportText()
{
    ErrorReport r;
    r.typeName = "InternalFailure";
    r.window = 0x1a2b;
    r.message = 0x111;
    r.wParam = 32784;
    r.lParam = 0;
    r.internalCode = 0xFFFFFFFFu;
    const QString expected = QStringLiteral(
        "An unhandled/internal error occurred in your program.\n\n"
        "type\tInternalFailure\n"
        "HWND\t0x1A2B\nmsg\t0x0111\nwParam\t0x00008010\nlParam\t0x00000000\nInternal\t0xFFFFFFFF"
        "\nVersion\t00.24.35"
        "\n\nPlease send the above information to the author."
        "\n         See the documentation on how to contact the author."
        "\n\nSelect:\n\tAbort \tto terminate the program;"
        "\n\tRetry \tto let MFC handle the error; or"
        "\n\tIgnore \tto ignore it and continue."
        "\n\nAfter this dialog, you'll have a chance to save modified documents.");
    QCOMPARE(r.text(), expected);
}

void tst_Startup::exceptionTypeNames()
{
    QCOMPARE(ErrorReport::exceptionTypeName(std::make_exception_ptr(InternalFailure(3))),
             QStringLiteral("InternalFailure"));
    QCOMPARE(ErrorReport::exceptionTypeName(std::make_exception_ptr(std::runtime_error("x"))),
             QStringLiteral("std::runtime_error"));
    QCOMPARE(ErrorReport::exceptionTypeName(std::make_exception_ptr(42)), QStringLiteral("int"));
    QCOMPARE(ErrorReport::exceptionMessage(std::make_exception_ptr(std::runtime_error("disk"))),
             QStringLiteral("disk"));
    QCOMPARE(ErrorReport::exceptionMessage(std::make_exception_ptr(42)), QString());
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
