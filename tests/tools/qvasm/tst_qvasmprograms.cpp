// Whole programs: the new-project wizard's skeletons in each of their variants and the empty
// template a new document starts with, checked down to the bytes of the .com file.

#include "QvasmTestSupport.h"

#include <QTest>

namespace {

struct SkeletonOptions
{
    bool exe = false;
    bool stack = false;
    QByteArray cpu; // empty: no CPU line
    bool start = false;
    bool stdinc = false;
    bool extinc = false;
};

// The wizard's skeleton, line for line as it writes it.
QByteArray skeleton(const SkeletonOptions &o)
{
    QByteArray s;
    auto line = [&s](const QByteArray &l) { s += l + "\r\n"; };
    line("; This source file was created using QVASMIDE's Wizard software");
    line("; Kestrelmoor Software");
    line("; ");
    line(o.exe ? ".model small              ; create an .obj file"
               : ".model tiny               ; create a .com file");
    if (o.stack)
        line(".stack 4096");
    if (!o.cpu.isEmpty())
        line(o.cpu);
    line("");
    if (o.stdinc)
        line("include qvasmc.inc        ; include standard includes");
    if (o.extinc)
        line("include qvasme.inc        ; include extended includes");
    line("");
    line(".code");
    line(o.exe ? "            org   00h" : "            org  100h");
    line("");
    if (o.start && !o.exe)
        line("            .start");
    line("");
    line("; Place your code here");
    line("");
    line("                .exit");
    line(".end");
    return s;
}

const QByteArray kExitOnly = "B8 00 4C CD 21";

} // namespace

class tst_QvasmPrograms : public QObject
{
    Q_OBJECT

private slots:
    void comSkeletons_data();
    void comSkeletons();
    void skeletonsTheDialectRefuses();
    void emptyTemplate();
};

void tst_QvasmPrograms::comSkeletons_data()
{
    QTest::addColumn<QByteArray>("cpu");
    QTest::addColumn<bool>("start");
    QTest::addColumn<bool>("includes");
    QTest::newRow("plain") << QByteArray() << false << false;
    QTest::newRow("start") << QByteArray() << true << false;
    for (const char *cpu :
         {".8086", ".186", ".286", ".286P", ".386", ".386P", ".486", ".586", ".x86"})
        QTest::newRow(cpu) << QByteArray(cpu) << true << false;
    QTest::newRow("both-includes") << QByteArray(".386") << true << true;
}

void tst_QvasmPrograms::comSkeletons()
{
    QFETCH(QByteArray, cpu);
    QFETCH(bool, start);
    QFETCH(bool, includes);
    SkeletonOptions o;
    o.cpu = cpu;
    o.start = start;
    o.stdinc = o.extinc = includes;
    // Include files as a user's include folder might hold them: equates only.
    const QMap<QString, QByteArray> incs{{"qvasmc.inc", "stdout equ 1\r\nCR equ 13\r\n"},
                                         {"qvasme.inc", "LF equ 10\r\n"}};
    const Assembled r = assembleMemory(skeleton(o), incs);
    QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, kExitOnly);
}

void tst_QvasmPrograms::skeletonsTheDialectRefuses()
{
    // .stack has no place in a .com file.
    SkeletonOptions stack;
    stack.stack = true;
    Assembled r = assembleMemory(skeleton(stack));
    QVERIFY2(r.hasMessage(5, 0x7A), qPrintable(r.describe()));

    // .EXE projects need the object-file writer, which this release does not build: the
    // .model line says so instead of a wrong file being written.
    SkeletonOptions exe;
    exe.exe = true;
    exe.start = true;
    r = assembleMemory(skeleton(exe));
    QVERIFY2(r.hasMessage(4, 0x8E), qPrintable(r.describe()));

    // Standard includes chosen but the file missing from the project folder.
    SkeletonOptions inc;
    inc.stdinc = true;
    r = assembleMemory(skeleton(inc));
    QVERIFY2(r.hasMessage(6, 0x0C), qPrintable(r.describe()));
    QCOMPARE(r.errors, 1);
}

void tst_QvasmPrograms::emptyTemplate()
{
    // The text a new untitled document starts with, mixed line ends and all.
    const QByteArray text = "; An empty template ready for modification.\r\n; Modify the following "
                            "to suite your needs.\r\n\n.model tiny\r\n.code\r\n.x86\r\n\n          "
                            "  org 100h\r\n\n            ; start your code here\r\n            "
                            "mov  ah,09h\r\n            mov  dx,offset string\r\n            int  "
                            "21h\r\n\n            .exit\r\n\n\n\n\n ; start your data "
                            "here\r\nstring  db  'Hello, World!$'\r\n\n.end\r\n\n";
    const QByteArray expected("B4 09 BA 0C 01 CD 21 B8 00 4C CD 21 48 65 6C 6C 6F 2C 20 57 6F 72 "
                              "6C 64 21 24");
    Assembled r = assembleMemory(text);
    QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, expected);
    // Saved by an editor that starts UTF-8 files with a byte-order mark.
    r = assembleMemory("\xEF\xBB\xBF" + text);
    QVERIFY2(r.errors == 0 && r.diags == 0, qPrintable(r.describe()));
    QCOMPARE(r.bytes, expected);
}

QTEST_GUILESS_MAIN(tst_QvasmPrograms)
#include "tst_qvasmprograms.moc"
