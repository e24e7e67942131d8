// Whole programs: the new-project wizard's skeletons in each of their variants (with the include
// files the program ships) and the empty template a new document starts with, checked down to
// the bytes of the .com file.

#include "QvasmTestSupport.h"
#include "workspace/SourceTemplates.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(ProjectWizardOptions)

class tst_QvasmPrograms : public QObject
{
    Q_OBJECT

private slots:
    void assembleCleanly_data();
    void assembleCleanly();
    void skeletonsTheDialectRefuses_data();
    void skeletonsTheDialectRefuses();
};

namespace {

QByteArray shippedFile(const QString &name)
{
    QFile file(qEnvironmentVariable("QVASMIDE_SOURCE_DIR") + "/tools/include/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The include files the wizard copies into a project.
const QMap<QString, QByteArray> includes{{"qvasmc.inc", shippedFile("qvasmc.inc")},
                                         {"qvasme.inc", shippedFile("qvasme.inc")}};

QByteArray skeleton(ProjectKind kind, const ProjectWizardOptions &options)
{
    return SourceTemplates::projectSkeleton(kind, options).toLatin1();
}

} // namespace

void tst_QvasmPrograms::assembleCleanly_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray exit = "B8 00 4C CD 21";
    ProjectWizardOptions o;
    QTest::newRow("plain") << skeleton(ProjectKind::Com, o) << exit;
    o.start = true;
    QTest::newRow("start") << skeleton(ProjectKind::Com, o) << exit;
    // Every CPU the wizard offers.
    o.cpu = true;
    for (const QString &cpu : ProjectWizardOptions::cpuDirectives()) {
        o.cpuDirective = cpu;
        QTest::newRow(qPrintable(cpu)) << skeleton(ProjectKind::Com, o) << exit;
    }
    o.standardIncludes = o.extendedIncludes = true;
    QTest::newRow("both-includes") << skeleton(ProjectKind::Com, o) << exit;
    // Their names and structures in use; each file may be included twice.
    QByteArray useIncludes = skeleton(ProjectKind::Com, o);
    useIncludes.replace("; Place your code here",
                        "include qvasmc.inc\r\n"
                        "            mov ah, DOS_PRINT_STRING\r\n"
                        "            mov al, found.attrib\r\n"
                        "            mov cl, CLR_WHITE or CR");
    useIncludes.replace(".end", "found       st  findData\r\n.end");
    QTest::newRow("includes-in-use") << useIncludes
                                     << "B4 09 A0 21 01 B1 0F B8 00 4C CD 21"
                                            + QByteArray(" 00").repeated(43); // sizeof findData

    // The text a new untitled document starts with, mixed line ends and all; also as saved by
    // an editor that starts UTF-8 files with a byte-order mark.
    const QByteArray empty = SourceTemplates::emptyTemplate().toLatin1();
    const QByteArray hello = "B4 09 BA 0C 01 CD 21 B8 00 4C CD 21 48 65 6C 6C 6F 2C 20 57 6F 72 "
                             "6C 64 21 24";
    QTest::newRow("empty-template") << empty << hello;
    QTest::newRow("empty-template-utf-8-byte-order-mark") << "\xEF\xBB\xBF" + empty << hello;
}

void tst_QvasmPrograms::assembleCleanly()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, bytes);
    const Assembled r = assembleMemory(source, includes);
    QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, bytes);
}

void tst_QvasmPrograms::skeletonsTheDialectRefuses_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<ProjectWizardOptions>("options");
    QTest::addColumn<QByteArray>("line"); // the line the error is on
    QTest::addColumn<int>("code");

    ProjectWizardOptions stack;
    stack.stack = true;
    QTest::newRow("stack-in-a-com-file")
        << int(ProjectKind::Com) << stack << QByteArray(".stack") << 0x7A;
    // .EXE skeletons assemble to object files: tst_qvasmobject checks them.
    ProjectWizardOptions inc;
    inc.standardIncludes = true;
    QTest::newRow("standard-includes-missing")
        << int(ProjectKind::Com) << inc << QByteArray("include") << 0x0C;
}

void tst_QvasmPrograms::skeletonsTheDialectRefuses()
{
    QFETCH(int, kind);
    QFETCH(ProjectWizardOptions, options);
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    const QByteArray source = skeleton(ProjectKind(kind), options);
    const int lineNumber = int(source.left(source.indexOf(line)).count('\n')) + 1;
    const Assembled r = assembleMemory(source);
    QVERIFY2(r.hasMessage(lineNumber, code), qPrintable(r.describe()));
    QCOMPARE(r.errors, 1);
}

QTEST_GUILESS_MAIN(tst_QvasmPrograms)
#include "tst_qvasmprograms.moc"
