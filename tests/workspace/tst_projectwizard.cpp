#include "TestFiles.h"
#include "TestSettings.h"
#include "workspace/ProjectWizard.h"
#include "workspace/WorkspaceRecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

ProjectWizardOptions options(const QString &flags, int stackSize = 64, const QString &cpu = ".x86")
{
    ProjectWizardOptions o;
    o.cpu = flags.contains("cpu");
    o.cpuDirective = cpu;
    o.stack = flags.contains("stack");
    o.stackSize = stackSize;
    o.start = flags.contains("start");
    o.standardIncludes = flags.contains("std");
    o.extendedIncludes = flags.contains("ext");
    o.readme = flags.contains("readme");
    return o;
}

const QString kHead1 = "; This source file was created using QVASMIDE's Wizard software";
const QString kHead2 = "; Kestrelmoor Software";
const QString kTiny = ".model tiny               ; create a .com file";
const QString kSmall = ".model small              ; create an .obj file";
const QString kStd = "include qvasmc.inc        ; include standard includes";
const QString kExt = "include qvasme.inc        ; include extended includes";
const QString kOrgCom = "            org  100h";
const QString kOrgExe = "            org   00h";
const QString kStart = "            .start";
const QString kTail1 = "; Place your code here";
const QString kExit = "                .exit";

} // namespace

Q_DECLARE_METATYPE(ProjectKind)
Q_DECLARE_METATYPE(ProjectWizardOptions)

class tst_ProjectWizard : public QObject
{
    Q_OBJECT

private slots:
    void skeletonLineByLine_data();
    void skeletonLineByLine();
    void workspaceFileNameFromTheSourceName_data();
    void workspaceFileNameFromTheSourceName();
    void optionsKeepTheirSettings();
    void createsAProjectAndItsWorkspaceFile();
    void exeProjectLinksItsObjectAfterEachBuild_data();
    void exeProjectLinksItsObjectAfterEachBuild();
    void overlongPathsAreRefusedBeforeAnythingChanges();
};

void tst_ProjectWizard::skeletonLineByLine_data()
{
    QTest::addColumn<ProjectKind>("kind");
    QTest::addColumn<ProjectWizardOptions>("opts");
    QTest::addColumn<QStringList>("lines");

    const auto com = ProjectKind::Com;
    const auto exe = ProjectKind::Exe;
    // clang-format off
    QTest::newRow("com-plain") << com << options("") << QStringList{
        kHead1, kHead2, "; ", kTiny, "", "", ".code", kOrgCom, "", "", kTail1, "", kExit, ".end"};
    QTest::newRow("exe-plain") << exe << options("") << QStringList{
        kHead1, kHead2, "; ", kSmall, "", "", ".code", kOrgExe, "", "", kTail1, "", kExit, ".end"};
    QTest::newRow("stack-off-keeps-no-line") << com << options("", 4096) << QStringList{
        kHead1, kHead2, "; ", kTiny, "", "", ".code", kOrgCom, "", "", kTail1, "", kExit, ".end"};
    QTest::newRow("cpu-typed-text") << exe << options("cpu", 64, ".386P") << QStringList{
        kHead1, kHead2, "; ", kSmall, ".386P", "", "", ".code", kOrgExe, "", "", kTail1, "", kExit,
        ".end"};
    QTest::newRow("exe-start-has-no-start") << exe << options("start") << QStringList{
        kHead1, kHead2, "; ", kSmall, "", "", ".code", kOrgExe, "", "", kTail1, "", kExit, ".end"};
    QTest::newRow("everything-com") << com << options("stack cpu start std ext readme", 512)
        << QStringList{kHead1, kHead2, "; ", kTiny, ".stack 512", ".x86", "", kStd, kExt, "",
                       ".code", kOrgCom, "", kStart, "", kTail1, "", kExit, ".end"};
    // clang-format on
}

void tst_ProjectWizard::skeletonLineByLine()
{
    QFETCH(ProjectKind, kind);
    QFETCH(ProjectWizardOptions, opts);
    QFETCH(QStringList, lines);

    const QString text = SourceTemplates::projectSkeleton(kind, opts);
    QVERIFY(text.endsWith("\r\n"));
    QVERIFY(!text.contains(QRegularExpression("[^\r]\n")));
    QCOMPARE(text.chopped(2).split("\r\n"), lines);
    for (const QString &line : lines) {
        const qsizetype comment = line.indexOf("  ;");
        if (comment > 0)
            QCOMPARE(line.indexOf(';'), 26); // column 27
    }
}

void tst_ProjectWizard::workspaceFileNameFromTheSourceName_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("workspace");
    const auto row =
        [](const char *name, const char *location, const char *source, const char *workspace) {
            QTest::newRow(name) << QString(location) << QString(source) << QString(workspace);
        };
    row("last-dot-only", "/p/", "a.b.asm", "/p/a.b.qvw");
    row("dot-only-in-the-folder", "/p/v1.2/", "hello", "/p/v1.2/hello.qvw");
    row("name-is-extension", "/p/", ".asm", "/p/.qvw");
}

void tst_ProjectWizard::workspaceFileNameFromTheSourceName()
{
    QFETCH(QString, location);
    QFETCH(QString, source);
    QFETCH(QString, workspace);
    QCOMPARE(ProjectWizard::workspaceFilePath(location, source), workspace);
}

void tst_ProjectWizard::optionsKeepTheirSettings()
{
    TestSettings settings;
    QCOMPARE(ProjectWizardOptions::read(settings.store()).cpuDirective, QString(".x86"));
    // Stack off with a size typed in: the size is still remembered.
    const ProjectWizardOptions chosen = options("cpu ext start readme", 4096, ".586");
    chosen.write(settings.store());
    QCOMPARE(ProjectWizardOptions::read(settings.store()), chosen);
    QCOMPARE(settings.store().readInt("ProjectCOM", "stacksize", 0), 4096);
    QCOMPARE(settings.store().readInt("ProjectCOM", "stack", 9), 0);
}

void tst_ProjectWizard::createsAProjectAndItsWorkspaceFile()
{
    // The dialogs' run is the workspace commands' test; here the record starts afresh.
    TestSettings settings;
    QTemporaryDir dir;
    const QString l = dir.path() + "/";
    QCOMPARE(ProjectWizard::copyList(options("readme ext std")),
             QStringList({"qvasme.inc", "qvasmc.inc", "readme.txt"}));
    // A folder from the settings comes without its trailing slash.
    QCOMPARE(ProjectWizard::copySource("/usr/qv", "a.inc"), QString("/usr/qv/a.inc"));
    QCOMPARE(ProjectWizard::copySource("/usr/qv/", "a.inc"), QString("/usr/qv/a.inc"));
    QCOMPARE(ProjectWizard::copySource("", "a.inc"), QString("a.inc"));
    WorkspaceRecord record;
    QVERIFY(record.setIncludePath("/left/over") == WorkspaceRecord::Change::Ok);
    QVERIFY(ProjectWizard::fillRecord(record, l, "hello.asm", "hello.com"));
    QVERIFY(ProjectWizard::addCopiedMember(record, l + "qvasmc.inc"));
    const QString w = ProjectWizard::workspaceFilePath(l, "hello.asm");
    QString error;
    QVERIFY2(ProjectWizard::finish(record, w, settings.store(), &error), qPrintable(error));
    QCOMPARE(settings.store().readString("Settings", "lastws"), w);
    WorkspaceRecord loaded;
    QCOMPARE(loaded.load(w), WorkspaceRecord::LoadResult::Opened);
    QCOMPARE(loaded.includePath(), QString());
    QCOMPARE(loaded.entryPaths(), QStringList({l + "hello.asm", l + "qvasmc.inc"}));
    QVERIFY(loaded.entry(1).wasOpened && !loaded.entry(1).active);
}

void tst_ProjectWizard::exeProjectLinksItsObjectAfterEachBuild_data()
{
    QTest::addColumn<ProjectKind>("kind");
    QTest::addColumn<QString>("linker"); // Make/lpath
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("postBuild");
    const ProjectKind com = ProjectKind::Com;
    const ProjectKind exe = ProjectKind::Exe;
    const QString bundled = "/opt/qvasmide/tools/qvlink";

    QTest::newRow("com-project-runs-nothing") << com << bundled << "hello.com"
                                              << "";
    QTest::newRow("exe-project-links-its-object") << exe << bundled << "hello.obj"
                                                  << "\"" + bundled + "\" \"hello.obj\"";
    QTest::newRow("exe-object-in-capitals") << exe << bundled << "HELLO.OBJ"
                                            << "\"" + bundled + "\" \"HELLO.OBJ\"";
    QTest::newRow("exe-target-that-is-no-object") << exe << bundled << "hello.exe"
                                                  << "";
    QTest::newRow("no-linker-set-takes-the-one-on-path") << exe << ""
                                                         << "hello.obj"
                                                         << "qvlink \"hello.obj\"";
    QTest::newRow("blanks-stay-inside-the-quotes") << exe << "/home/u/my tools/qvlink"
                                                   << "my prog.obj"
                                                   << "\"/home/u/my tools/qvlink\" \"my prog.obj\"";
    QTest::newRow("dollar-and-quote-are-not-expanded")
        << exe << "/home/u/$HOME/it's/qvlink"
        << "a$b.obj"
        << "'/home/u/$HOME/it'\\''s/qvlink' 'a$b.obj'";
    QTest::newRow("line-break-in-the-linker-is-not-trusted") << exe << "/opt/x\ntouch pwned"
                                                             << "hello.obj"
                                                             << "qvlink \"hello.obj\"";
    QTest::newRow("line-break-in-the-target-links-nothing") << exe << bundled << "a\nb.obj"
                                                            << "";
    // The line is the linker, 3 quotes and a blank, then "hello.obj" quoted: 14 bytes more.
    const QString fits = "/" + QString(1009, 'l');
    QTest::newRow("line-of-1024-bytes-fits-the-record") << exe << fits << "hello.obj"
                                                        << "\"" + fits + "\" \"hello.obj\"";
    QTest::newRow("line-of-1025-bytes-takes-the-one-on-path") << exe << fits + "l"
                                                              << "hello.obj"
                                                              << "qvlink \"hello.obj\"";
}

void tst_ProjectWizard::exeProjectLinksItsObjectAfterEachBuild()
{
    QFETCH(ProjectKind, kind);
    QFETCH(QString, linker);
    QFETCH(QString, target);
    QFETCH(QString, postBuild);
    QCOMPARE(ProjectWizard::linkCommand(kind, linker, target), postBuild);

    // The record keeps it in its post-build text, and so does the workspace file.
    TestSettings settings;
    QTemporaryDir dir;
    const QString l = dir.path() + "/";
    WorkspaceRecord record;
    QVERIFY(record.setPostBuildCommands("left over") == WorkspaceRecord::Change::Ok);
    QVERIFY(ProjectWizard::fillRecord(record, l, "hello.asm", target, kind, linker));
    QCOMPARE(record.postBuildCommands(), postBuild);
    const QString w = ProjectWizard::workspaceFilePath(l, "hello.asm");
    QString error;
    QVERIFY2(ProjectWizard::finish(record, w, settings.store(), &error), qPrintable(error));
    WorkspaceRecord loaded;
    QCOMPARE(loaded.load(w), WorkspaceRecord::LoadResult::Opened);
    QCOMPARE(loaded.postBuildCommands(), postBuild);
    QCOMPARE(loaded.targetFile(), l + target);
    QVERIFY(!loaded.canExecute());
}

void tst_ProjectWizard::overlongPathsAreRefusedBeforeAnythingChanges()
{
    const QString l = "/" + QString(240, 'd') + "/";
    // The source fits (242 + 9), the copied include does not (242 + 10 + ...), nor a long target.
    QVERIFY(ProjectWizard::checkPaths(l, "main.asm", "main.com", ProjectWizardOptions()).isEmpty());
    QVERIFY(!ProjectWizard::checkPaths(l, "main.asm", QString(20, 't'), ProjectWizardOptions())
                 .isEmpty());
    const QString tooLong = l + QString(20, 's') + ".asm";
    QVERIFY(ProjectWizard::checkPaths(l, QString(20, 's') + ".asm", "t.com", ProjectWizardOptions())
                .contains(tooLong));

    WorkspaceRecord record;
    QVERIFY(!ProjectWizard::fillRecord(record, l, QString(20, 's') + ".asm", "t.com"));
    QVERIFY(!record.isOpen());
    QCOMPARE(record.toByteArray(), QByteArray(WorkspaceRecord::Size, '\0'));
}

QTEST_GUILESS_MAIN(tst_ProjectWizard)
#include "tst_projectwizard.moc"
