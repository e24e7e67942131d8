// The manual pages against the programs they describe: every switch a page lists is one the
// program takes, and every switch the program takes is on its page, so the two cannot drift.
// The programs' switches are found by asking the programs themselves.
#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString sourceDir()
{
    return qEnvironmentVariable("QVASMIDE_SOURCE_DIR");
}

QString toolPath(const QString &name)
{
    return qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/tools/" + name;
}

QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split('\n');
}

// The switches a page's source lists in its OPTIONS section: each entry is a line of code spans
// followed by a ": " line. Placeholders in italics go; a folder in braces stays as "{}".
QSet<QString> documentedSwitches(const QString &source)
{
    QSet<QString> out;
    const QStringList lines = readLines(source);
    bool inOptions = false;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].startsWith("# "))
            inOptions = lines[i] == "# OPTIONS";
        if (!inOptions || !lines[i].startsWith('`') || !lines[i + 1].startsWith(": "))
            continue;
        QString entry = lines[i];
        entry.remove(QRegularExpression("\\*[^*]*\\*")).remove('`');
        entry.replace(QRegularExpression("\\{[^}]*\\}"), "{}");
        for (const QString &part : entry.split(',', Qt::SkipEmptyParts))
            out.insert(part.trimmed().section(' ', 0, 0));
    }
    return out;
}

QByteArray runTool(const QString &tool, const QStringList &args, const QString &dir, int *code)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(tool, args);
    if (!p.waitForFinished(30000))
        return "did not end";
    *code = p.exitCode();
    return p.readAllStandardOutput() + p.readAllStandardError();
}

QStringList letters()
{
    QStringList out;
    for (char c = 'a'; c <= 'z'; ++c)
        out << QString(QLatin1Char(c)) << QString(QLatin1Char(char(c - 'a' + 'A')));
    return out;
}

} // namespace

class tst_ManPages : public QObject
{
    Q_OBJECT

private slots:
    void pagesAreGenerated_data();
    void pagesAreGenerated();
    void qvasmSwitches();
    void qvlinkSwitches();
    void qvdisasmSwitches();
    void qvasmideOptions();
    void dumpTakesNoSwitches();
};

void tst_ManPages::pagesAreGenerated_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("page");
    QTest::newRow("qvasmide") << "src/app/qvasmide.1.md"
                              << "qvasmide.1";
    QTest::newRow("qvasm") << "tools/qvasm/qvasm.1.md"
                           << "qvasm.1";
    QTest::newRow("qvlink") << "tools/qvlink/qvlink.1.md"
                            << "qvlink.1";
    QTest::newRow("qvdisasm") << "tools/qvdisasm/qvdisasm.1.md"
                              << "qvdisasm.1";
    QTest::newRow("dump") << "tools/dump/dump.1.md"
                          << "dump.1";
}

void tst_ManPages::pagesAreGenerated()
{
    QFETCH(QString, source);
    QFETCH(QString, page);
    const QStringList roff = readLines(QStringLiteral(QVASMIDE_MAN_DIR) + '/' + page);
    QVERIFY2(!roff.isEmpty(), qPrintable(page));
    QVERIFY(roff.first().startsWith(".TH \"" + page.section('.', 0, 0).toUpper() + "\" \"1\""));
    QVERIFY(roff.contains(".SH NAME"));
    QVERIFY(roff.contains(".SH SYNOPSIS"));
    // Every switch of the source is in the page, in bold and with roff's minus.
    const QString text = roff.join('\n');
    for (QString sw : documentedSwitches(sourceDir() + '/' + source)) {
        sw.replace("-", "\\-").remove("{}");
        QVERIFY2(text.contains("\\fB" + sw), qPrintable(sw));
    }
}

void tst_ManPages::qvasmSwitches()
{
    // Each letter alone and with a folder in braces; the two-letter forms after /w. A switch the
    // tool does not take is error 22h (0Eh for a malformed folder). The folder is named without
    // a '/' or '.', which would make the argument a path.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("inc"));
    QFile src(dir.filePath("a.asm"));
    QVERIFY(src.open(QIODevice::WriteOnly));
    src.write("org 100h\nnop\n");
    src.close();
    QStringList probes;
    for (const QString &l : letters())
        probes << "/" + l << "/" + l + "{inc}";
    for (char c = 'a'; c <= 'z'; ++c)
        probes << QStringLiteral("/w") + QLatin1Char(c);
    QSet<QString> taken;
    for (const QString &probe : probes) {
        int code = -1;
        const QByteArray out = runTool(toolPath("qvasm"), {"a.asm", "/s", probe}, dir.path(), &code);
        if (!out.contains(" 22h ") && !out.contains(" 0Eh ") && out.contains("Total errors"))
            taken.insert(QString(probe).remove("inc"));
    }
    // /s is the probe's own switch; it is taken, like every other.
    taken.insert("/s");
    QCOMPARE(documentedSwitches(sourceDir() + "/tools/qvasm/qvasm.1.md"), taken);
}

void tst_ManPages::qvlinkSwitches()
{
    // Each letter alone and with a file in braces; a switch the linker does not take is error
    // 22h on the "-" line.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QSet<QString> taken;
    for (const QString &l : letters()) {
        for (const QString &probe : {"/" + l, "/" + l + "{x}"}) {
            int code = -1;
            const QByteArray out = runTool(toolPath("qvlink"), {"a.obj", probe}, dir.path(), &code);
            if (!out.contains(" 22h ") && out.contains("Total errors"))
                taken.insert(QString(probe).remove("x"));
        }
    }
    QCOMPARE(documentedSwitches(sourceDir() + "/tools/qvlink/qvlink.1.md"), taken);
}

void tst_ManPages::qvdisasmSwitches()
{
    // Switches are exact words or a letter with a number; anything else after the file is
    // "unknown switch".
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile bin(dir.filePath("a.bin"));
    QVERIFY(bin.open(QIODevice::WriteOnly));
    bin.write(QByteArray::fromHex("90b8010090"));
    bin.close();
    QSet<QString> taken;
    for (const QString &l : letters()) {
        for (const QString &probe : {"/" + l, "/" + l + "1"}) {
            int code = -1;
            runTool(toolPath("qvdisasm"), {"a.bin", probe}, dir.path(), &code);
            if (code == 0)
                taken.insert("/" + l);
        }
    }
    QCOMPARE(documentedSwitches(sourceDir() + "/tools/qvdisasm/qvdisasm.1.md"), taken);
}

void tst_ManPages::qvasmideOptions()
{
    // The options --help lists are the page's, and the command line takes each of them.
    QSet<QString> listed;
    static const QRegularExpression option("^  (-[^ ,]*(, -[^ ,]*)*)");
    for (const QString &line : CommandLine::usageText("qvasmide").split('\n')) {
        const QRegularExpressionMatch m = option.match(line);
        if (m.hasMatch()) {
            for (const QString &o : m.captured(1).split(", "))
                listed.insert(o);
        }
    }
    const QSet<QString> documented = documentedSwitches(sourceDir() + "/src/app/qvasmide.1.md");
    QCOMPARE(documented, listed);
    for (const QString &o : documented) {
        const CommandLine line = CommandLine::parse({o, "a.asm"});
        QVERIFY2(line.action != CommandLine::Action::Error, qPrintable(o + ": " + line.error));
    }
}

void tst_ManPages::dumpTakesNoSwitches()
{
    // The dump window takes one file and nothing else of its own; its page lists no switch.
    QVERIFY(documentedSwitches(sourceDir() + "/tools/dump/dump.1.md").isEmpty());
    const QStringList main = readLines(sourceDir() + "/tools/dump/main.cpp");
    QVERIFY(!main.isEmpty());
    QVERIFY(!main.join('\n').contains("startsWith(QLatin1Char('-'))"));
}

QTEST_GUILESS_MAIN(tst_ManPages)
#include "tst_manpages.moc"
