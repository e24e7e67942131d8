// The shipped help text file: every keyword the editor colours (and every keyword qvasm
// accepts) must have an entry that the help pop-up's lookup finds, and the file must keep the
// reader's format so no entry swallows or hides another.

#include "TestFiles.h"
#include "editor/HelpFile.h"
#include "editor/KeywordIndex.h"

#include <QSet>
#include <QTest>

#include <optional>

#ifdef QVASMIDE_HAVE_QVASM_CORE
#include "qvasm/Keywords.h"
#include "qvasm/Snippet.h"
#endif

namespace {

// The pop-up shows the text in a fixed-pitch font without word wrap.
constexpr int MaxColumns = 70;

QString installedPath()
{
    return qEnvironmentVariable("QVASMIDE_PROGRAM_DIR") + "/qvasmide.hlt";
}

QString sourcePath()
{
    return qEnvironmentVariable("QVASMIDE_SOURCE_DIR") + "/src/resources/help/qvasmide.hlt";
}

struct Entry
{
    QByteArray keyword;
    QByteArray text;
};

// Walks the file the way a well-formed file reads: marker, keyword, marker, then the braced
// text before the next marker. Anything else is reported as a fault.
QList<Entry> parseEntries(const QByteArray &file, QStringList *faults)
{
    QList<Entry> entries;
    qsizetype at = file.indexOf("[>");
    while (at >= 0) {
        const qsizetype next = file.indexOf("[>", at + 2);
        const qsizetype limit = next < 0 ? file.size() : next;
        const QByteArray chunk = file.mid(at, limit - at);
        const qsizetype end = chunk.indexOf("<]");
        const qsizetype open = chunk.indexOf('{');
        const qsizetype close = chunk.indexOf('}');
        const QByteArray keyword = end < 0 ? chunk.left(40) : chunk.mid(2, end - 2);
        if (end < 0 || open < end || close < open) {
            // a marker in a text shows up here as a keyword whose braces are missing
            faults->append(QString("entry without its markers and braces: %1")
                               .arg(QString::fromLatin1(keyword)));
        } else {
            entries.append({keyword, chunk.mid(open + 1, close - open - 1)});
            if (chunk.indexOf('}', close + 1) >= 0)
                faults->append(QString("stray '}' after %1").arg(QString::fromLatin1(keyword)));
        }
        at = next;
    }
    return entries;
}

// The example of an entry: the "Example:" line and every line after it, without the label
// column; a line that starts in the first column (a label or a data name) is taken whole.
QByteArray exampleOf(const QByteArray &text)
{
    QByteArrayList lines;
    bool inExample = false;
    for (QByteArray line : text.split('\n')) {
        line.replace('\r', "");
        inExample = inExample || line.startsWith("Example:");
        if (inExample)
            lines.append(line.startsWith("Example:") || line.startsWith("          ") ? line.mid(10)
                                                                                      : line);
    }
    return lines.join('\n');
}

} // namespace

class tst_HelpText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installedCopyIsTheCommittedFile();
    void entriesKeepTheFormatAndFitThePopup();
    void everyKeywordIsFound();
    void examplesAssemble_data();
    void examplesAssemble();

private:
    QByteArray m_file;
    std::optional<HelpFile> m_help;
};

void tst_HelpText::initTestCase()
{
    m_file = readFileBytes(installedPath());
    QVERIFY2(!m_file.isEmpty(), qPrintable("no help file at " + installedPath()));
    m_help = HelpFile::fromContent(m_file);
}

void tst_HelpText::installedCopyIsTheCommittedFile()
{
    // the build copies the committed file; a stale or re-encoded copy would show old help
    QCOMPARE(m_file, readFileBytes(sourcePath()));
}

void tst_HelpText::entriesKeepTheFormatAndFitThePopup()
{
    QStringList faults;
    const QList<Entry> entries = parseEntries(m_file, &faults);
    QSet<QByteArray> seen;
    for (const Entry &entry : entries) {
        const QByteArray key = entry.keyword.toLower();
        if (entry.keyword.size() >= 255 || entry.keyword.isEmpty())
            faults.append("unusable keyword " + QString::fromLatin1(entry.keyword.left(40)));
        if (seen.contains(key)) // only the first of two entries is ever shown
            faults.append("second entry for " + QString::fromLatin1(entry.keyword));
        if (entry.text.trimmed().isEmpty())
            faults.append("empty text for " + QString::fromLatin1(entry.keyword));
        seen.insert(key);
        for (QByteArray line : entry.text.split('\n')) {
            line.replace('\r', "").replace('\t', "  "); // the pop-up shows a tab as two blanks
            if (line.size() > MaxColumns)
                faults.append(QString::fromLatin1(entry.keyword + ": " + line));
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    QVERIFY(entries.size() >= 540);
}

void tst_HelpText::everyKeywordIsFound()
{
    // The lists the editor colours (a coloured word should never answer "Could not find"), the
    // words Shift+F1 picks out of a line that are in no list, and, when it is built, every
    // keyword the assembler accepts; the user may type any case.
    QStringList keywords = KeywordIndex::builtInDirectives() + KeywordIndex::builtInRegisters()
                           + KeywordIndex::builtInInstructions()
                           + QStringList{"es:", "st", "@@:", "@b", "$", "="};
#ifdef QVASMIDE_HAVE_QVASM_CORE
    for (const qvasm::Keyword &keyword : qvasm::acceptedKeywords())
        keywords << QString::fromLatin1(keyword.name.data(), qsizetype(keyword.name.size()));
#endif
    QStringList missing;
    for (const QString &keyword : std::as_const(keywords)) {
        const auto text = m_help->entry(keyword);
        if (!text || m_help->entry(keyword.toUpper()) != text)
            missing << keyword;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
}

void tst_HelpText::examplesAssemble_data()
{
    QTest::addColumn<QByteArray>("keyword");
    QTest::addColumn<QByteArray>("example");
#ifdef QVASMIDE_HAVE_QVASM_CORE
    QStringList faults;
    for (const Entry &entry : parseEntries(m_file, &faults))
        QTest::addRow("%s", entry.keyword.constData()) << entry.keyword << exampleOf(entry.text);
#endif
}

void tst_HelpText::examplesAssemble()
{
#ifndef QVASMIDE_HAVE_QVASM_CORE
    QSKIP("the assembler's library is not part of this build");
#else
    QFETCH(QByteArray, keyword);
    QFETCH(QByteArray, example);
    QVERIFY2(!example.trimmed().isEmpty(), "no example");
    // Examples are fragments: the labels they use and the other half of a proc or a conditional
    // block live elsewhere.
    const QList<int> fragment = {0x21, 0x28, 0x6A, 0x75};
    // These examples show a line that is right in general but refused in a .COM program.
    const QHash<QByteArray, int> meant = {{"small", 0x8E},
                                          {".stack", 0x7A},
                                          {"include", 0x0C},
                                          {"%error", 0x94},
                                          {".external", 0x54},
                                          {"seg", 0x54}};
    const qvasm::SnippetResult result = qvasm::assembleSnippet(example.toStdString(), 0x100);
    for (const qvasm::SnippetMessage &m : result.errors) {
        if (m.diagnostic || fragment.contains(m.code) || meant.value(keyword) == m.code)
            continue;
        QFAIL(qPrintable(QString("line %1: %2h %3\n%4")
                             .arg(m.line)
                             .arg(QString::number(m.code, 16).toUpper().rightJustified(2, '0'))
                             .arg(QString::fromStdString(m.text), QString::fromLatin1(example))));
    }
#endif
}

QTEST_GUILESS_MAIN(tst_HelpText)
#include "tst_helptext.moc"
