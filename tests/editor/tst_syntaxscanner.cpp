#include "editor/KeywordIndex.h"
#include "editor/SyntaxScanner.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// One letter per character: . black, D directive, I instruction, R register, Y symbol,
// c comment, s string. Spans must be in order, apart and inside the text; a bad one is reported
// through error and gives an empty string.
QString marks(const QList<SyntaxSpan> &spans, qsizetype size, QString *error = nullptr)
{
    QString out(size, u'.');
    int end = 0;
    for (const SyntaxSpan &s : spans) {
        if (s.length <= 0 || s.start < end || s.start + s.length > size) {
            if (error)
                *error = QString("bad span %1+%2 after %3 in %4")
                             .arg(s.start)
                             .arg(s.length)
                             .arg(end)
                             .arg(size);
            return {};
        }
        for (int k = s.start; k < s.start + s.length; ++k)
            out[k] = QLatin1Char("DIRYcs"[int(s.format)]);
        end = s.start + s.length;
    }
    return out;
}

// Colours the text line by line, carrying the state through its int form, as the editor does
// block by block; each line end shows as a newline.
QString marksByLines(const SyntaxScanner &scanner, const QString &text, QString *error)
{
    const QStringList lines = text.split(u'\r');
    QStringList out;
    int state = -1;
    for (qsizetype l = 0; l < lines.size(); ++l) {
        QList<SyntaxSpan> spans;
        state = scanner
                    .scanLine(lines[l],
                              SyntaxLineState::fromUserState(state),
                              l + 1 < lines.size(),
                              spans)
                    .toUserState();
        if (state < 0)
            *error = "negative user state";
        out << marks(spans, lines[l].size(), error);
    }
    return out.join(u'\n');
}

// The whole-text scan in the same form.
QString marksOfRange(const SyntaxScanner &scanner, const QString &text, QString *error)
{
    QString out = marks(scanner.scanRange(text), text.size(), error);
    for (qsizetype k = 0; k < out.size(); ++k) {
        if (text.at(k) == u'\r')
            out[k] = u'\n';
    }
    return out;
}

// Text built from pieces that exercise every rule, in random order.
QString randomSource(QRandomGenerator &rng, int pieces)
{
    // clang-format off
    static const QStringList parts = {
        "mov", "ax", "st(0)", "st", "st(", "comment ", "comment\t", "COMMENT ", "comment", "cs:",
        "%day", " ", "  ", "\t", ",", "(", ")", "[", "]", "+", "-", "\r", "\r", ";", "\"", "'",
        "\\", "\\'", "'\\''", "~", "x", "AL", "alld", ".model", "db", "5", "ä", "\u20AC",
        QString(QChar(0)), "\x01", "abc ", "two words", "'q", "Upper", "tab\tin",
    };
    // clang-format on
    QString text;
    for (int k = 0; k < pieces; ++k)
        text += parts[rng.bounded(int(parts.size()))];
    return text;
}

} // namespace

class tst_SyntaxScanner : public QObject
{
    Q_OBJECT

private slots:
    void colours_data();
    void colours();
    void lineByLineEqualsWholeText_data();
    void lineByLineEqualsWholeText();
    void anyInputIsSafe();
};

void tst_SyntaxScanner::colours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("instruction-register-comment") << "mov ax, 5 ; set ax" << "III.RR....cccccccc";
    QTest::newRow("upper-case-like-lower") << "MOV AX,CS" << "III.RR.RR";
    QTest::newRow("semicolon-right-after-register") << "push ax;save" << "IIII.RRccccc";
    QTest::newRow("delimiters-on-both-sides") << "xmov mov2 .mov" << "..............";
    QTest::newRow("apostrophe-in-double-quotes") << "db \"it's\",0" << "DD.ssssss..";
    QTest::newRow("escaped-single-quote") << "'a\\''b'" << "sssss.s";
    // Only a backslash before a doubled quote escapes; before a lone one the string closes.
    QTest::newRow("backslash-before-closing-quote-closes") << "db 'a\\' ; x" << "DD.ssss.ccc";
    QTest::newRow("backslash-before-last-quote-closes") << "'\\'" << "sss";
    QTest::newRow("comment-block-over-two-lines")
        << "comment ~ first\rlast ~ rest\rmov ax" << "DDDDDDD.ccccccccccccccccccccIII.RR";
    QTest::newRow("comment-then-tab-is-only-a-directive") << "comment\tx ; y" << "DDDDDDD...ccc";
    QTest::newRow("upper-case-opens-no-block") << "COMMENT ~ x" << "DDDDDDD....";
    QTest::newRow("comment-inside-a-word") << "xcomment ~ a~b" << ".DDDDDDD.ccccc";
    QTest::newRow("string-cut-by-comment-keeps-colour")
        << "db \"a comment xyx\", 0\rmov ax" << "DD.sssDDDDDDD.ccccccccIII.RR";
    QTest::newRow("st-before-st(0)") << "fld st(0)" << "III.DD...";
    QTest::newRow("segment-override") << "mov ax,cs:[bx]" << "III.RR.DDD.RR.";
    QTest::newRow("unterminated-string-runs-on") << "db \"abc\rmov ax" << "DD.sssssssssss";
    QTest::newRow("backslash-two-before-line-end-continues") << "; a\\b\rmov\rax" << "ccccccccccRR";
    QTest::newRow("backslash-at-line-end-does-not") << "; end\\\rmov" << "cccccccIII";
    QTest::newRow("semicolon-in-string") << "db 'a;b' ; c" << "DD.sssss.ccc";
    QTest::newRow("comment-as-last-word") << "db comment" << "DD.DDDDDDD";
    QTest::newRow("comment-closer-is-last-character") << "comment ~" << "DDDDDDD.c";
    QTest::newRow("nul-is-a-delimiter") << QString::fromUtf16(u"mov\0ax", 6) << "III.RR";
    QTest::newRow("non-ascii-is-text") << QString("mov \u00e4x,\u0430\u0445 al") << "III.......RR";
    // clang-format on
}

void tst_SyntaxScanner::colours()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const KeywordIndex keywords = KeywordIndex::withBuiltIns();
    QString error;
    QCOMPARE(marks(SyntaxScanner(keywords).scanRange(text), text.size(), &error), expected);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_SyntaxScanner::lineByLineEqualsWholeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("block-closer-is-the-line-end") << "comment \rabc\rdef\rmov ax";
    QTest::newRow("block-closer-is-last-on-line") << "comment ~\rab~cd\rmov";
    QTest::newRow("string-over-lines-cut-by-block") << "db \"ab\rcd comment x\rxy\rmov";
    QTest::newRow("backslash-before-empty-line") << "; a\\\\\r\r\rmov";
    QTest::newRow("backslash-one-before-line-end") << "; \\x\r\rmov";
    QTest::newRow("escaped-quote-at-line-start") << "'ab\r\\''x'\rmov";
    QTest::newRow("last-line-ends-in-comment-word") << "mov\rcomment ";
    for (int seed = 1; seed <= 400; ++seed) {
        QRandomGenerator rng(seed);
        QTest::addRow("random-%d", seed) << randomSource(rng, 10 + int(rng.bounded(200)));
    }
}

void tst_SyntaxScanner::lineByLineEqualsWholeText()
{
    QFETCH(QString, text);
    KeywordIndex keywords = KeywordIndex::withBuiltIns();
    keywords.addKeywords(u"two words,'q,Upper,tab\tin,-x", KeywordIndex::Directives);
    const SyntaxScanner scanner(keywords);
    QString error;
    const QString whole = marksOfRange(scanner, text, &error);
    QCOMPARE(marksByLines(scanner, text, &error), whole);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_SyntaxScanner::anyInputIsSafe()
{
    const KeywordIndex keywords = KeywordIndex::withBuiltIns();
    const SyntaxScanner scanner(keywords);
    QList<QString> texts = {
        QString(100000, u'a'),
        "; " + QString(100000, u'x'),
        "\"" + QString(100000, u'\''),
        "comment ~" + QString(100000, u'-'),
        QString(100000, u'\r'),
        QString(100000, QChar(0)),
        QString("mov ").repeated(20000),
        "comment",
        "c",
        QString(),
    };
    // Random UTF-16 units, lone surrogates included.
    QRandomGenerator rng(7);
    for (int k = 0; k < 200; ++k) {
        QString t(int(rng.bounded(2000)), Qt::Uninitialized);
        for (QChar &c : t)
            c = QChar(char16_t(rng.bounded(k % 2 ? 0x10000 : 0x100)));
        texts << t;
    }
    for (const QString &text : std::as_const(texts)) {
        QString error;
        marksOfRange(scanner, text, &error);
        marksByLines(scanner, text, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
}

QTEST_GUILESS_MAIN(tst_SyntaxScanner)
#include "tst_syntaxscanner.moc"
