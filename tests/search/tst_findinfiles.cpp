#include "search/FileNamePattern.h"
#include "search/FileNameWalk.h"
#include "search/FileTextScanner.h"
#include "search/FindInFiles.h"
#include "search/FindInFilesEngine.h"

#include "TestFiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

// Find in File(s): the File Types list, the wildcard match, the line scan over a file's bytes,
// the walks of both forms and the engine that runs the search off the window's thread.
class tst_FindInFiles : public QObject
{
    Q_OBJECT

private slots:
    void splitTypes_data();
    void splitTypes();
    void wildcard_data();
    void wildcard();
    void wildcardAgreesWithRegularExpression();
    void lineScan_data();
    void lineScan();
    void chunkedReadFindsWhatOneReadFinds_data();
    void chunkedReadFindsWhatOneReadFinds();
    void lineLongerThanTheBufferIsShownCut();
    void skippedFiles_data();
    void skippedFiles();
    void walkOrderPerPatternFilesBeforeFolders_data();
    void walkOrderPerPatternFilesBeforeFolders();
    void walkWithoutSubFoldersStaysInFolder();
    void walkLevelLimit_data();
    void walkLevelLimit();
    void symbolicLinkLoopWalkedOnce();
    void cancelStopsBetweenFilesAndCountsWhatWasHandedOut_data();
    void cancelStopsBetweenFilesAndCountsWhatWasHandedOut();
    void engineHandsOutHitsInOrderAndCount();
    void engineDestroyedWhileRunningStops();
    void fileNameWalkStepsThroughMatches();
    void fileNameWalkLevelLimit_data();
    void fileNameWalkLevelLimit();
    void fileNameWalkFollowsLinkLoopOnce();
    void searchFolder_data();
    void searchFolder();
    void paneTexts();
};

namespace {

QStringList scanText(const QByteArray &bytes,
                     const QByteArray &text,
                     bool matchCase,
                     bool wholeWord,
                     FileTextScanner::Limits limits = {})
{
    FileTextScanner scanner(text, matchCase, wholeWord, limits);
    std::vector<FileTextScanner::Hit> hits;
    scanner.scanBytes(bytes.constData(), bytes.size(), hits);
    QStringList out;
    for (const auto &h : hits)
        out << QString::number(h.line) + u':' + QString::fromLatin1(h.text);
    return out;
}

QStringList scanPath(const QString &path,
                     const QByteArray &text,
                     bool matchCase,
                     bool wholeWord,
                     FileTextScanner::Limits limits,
                     FileTextScanner::Result *result = nullptr)
{
    FileTextScanner scanner(text, matchCase, wholeWord, limits);
    std::vector<FileTextScanner::Hit> hits;
    const auto r = scanner.scanFile(QFile::encodeName(path).constData(), hits);
    if (result)
        *result = r;
    QStringList out;
    for (const auto &h : hits)
        out << QString::number(h.line) + u':' + QString::fromLatin1(h.text);
    return out;
}

bool makeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFileBytes(path, bytes);
}

QStringList runSearch(const FindInFiles::Request &request, qint64 *count = nullptr)
{
    QStringList lines;
    const auto summary = FindInFiles::run(request, [&](QList<FindHit> &&batch) {
        for (const FindHit &hit : batch)
            lines << FindInFiles::hitLine(hit);
    });
    if (count)
        *count = summary.count;
    return lines;
}

FindInFiles::Request request(const QString &folder, const QString &types, bool subs)
{
    FindInFiles::Request r;
    r.folder = FindInFiles::searchFolder(folder, QString());
    r.patterns = FileNamePattern::splitTypes(types);
    r.text = QStringLiteral("needle");
    r.subFolders = subs;
    return r;
}

// Sub-folders of a folder in the order the file system lists them.
QStringList foldersOf(const QString &path)
{
    return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
}

} // namespace

void tst_FindInFiles::splitTypes_data()
{
    QTest::addColumn<QString>("types");
    QTest::addColumn<QStringList>("patterns");
    QTest::newRow("two-with-space") << "*.asm, *.inc" << QStringList{"*.asm", "*.inc"};
    QTest::newRow("spaces-inside-dropped") << " * .asm ,*. inc " << QStringList{"*.asm", "*.inc"};
    QTest::newRow("two-commas-end-the-list") << "*.asm,,*.inc" << QStringList{"*.asm"};
    QTest::newRow("leading-comma-none") << ",*.asm" << QStringList{};
    QTest::newRow("trailing-comma") << "*.asm," << QStringList{"*.asm"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("only-spaces") << "   " << QStringList{};
}

void tst_FindInFiles::splitTypes()
{
    QFETCH(QString, types);
    QFETCH(QStringList, patterns);
    QCOMPARE(FileNamePattern::splitTypes(types), patterns);
}

void tst_FindInFiles::wildcard_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("matches");
    QTest::newRow("extension") << "boot.asm"
                               << "*.asm" << false << true;
    QTest::newRow("capitals-case-blind") << "BOOT.ASM"
                                         << "*.asm" << false << true;
    QTest::newRow("capitals-match-case") << "BOOT.ASM"
                                         << "*.asm" << true << false;
    QTest::newRow("non-ascii-not-folded")
        << QString::fromUtf8("\xc3\x84.asm") << QString::fromUtf8("\xc3\xa4.asm") << false << false;
    QTest::newRow("question-one-char") << "a1.inc"
                                       << "a?.inc" << false << true;
    QTest::newRow("question-not-zero-chars") << "a.inc"
                                             << "a?.inc" << false << false;
    QTest::newRow("star-empty-run") << "a.asm"
                                    << "a*.asm" << false << true;
    QTest::newRow("star-at-end-matches-rest") << "abc"
                                              << "a*" << false << true;
    QTest::newRow("pattern-done-name-not") << "abc"
                                           << "ab" << false << false;
    QTest::newRow("name-done-pattern-not") << "ab"
                                           << "abc" << false << false;
    QTest::newRow("name-done-trailing-stars") << "ab"
                                              << "ab**" << false << true;
    QTest::newRow("star-backtracks") << "aab"
                                     << "*ab" << false << true;
    QTest::newRow("star-retries-from-mark") << "aaab"
                                            << "*aab" << false << true;
    // A name may hold "*" or "?" itself: the pattern's "*" still matches any run.
    QTest::newRow("star-in-the-name") << "*a.asm"
                                      << "*" << false << true;
    QTest::newRow("star-in-the-name-and-more") << "x*y.asm"
                                               << "x*.asm" << false << true;
    // After a mismatch past the second star, the second star must take one more character of
    // the name rather than give up the run it had matched.
    QTest::newRow("second-star-resumes-after-a-near-match") << "abbbbbbcbcccc.asm"
                                                            << "*?bc*cccc.asm" << false << true;
    QTest::newRow("two-stars") << "x.y.asm"
                               << "*.*.asm" << false << true;
    QTest::newRow("star-dot-star-needs-dot") << "makefile"
                                             << "*.*" << false << false;
    QTest::newRow("mismatch-without-star") << "b.asm"
                                           << "a.asm" << false << false;
    QTest::newRow("empty-both") << ""
                                << "" << false << true;
    QTest::newRow("empty-pattern") << "a"
                                   << "" << false << false;
}

void tst_FindInFiles::wildcard()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, matchCase);
    QFETCH(bool, matches);
    QCOMPARE(FileNamePattern::matches(name, pattern, matchCase), matches);
}

void tst_FindInFiles::wildcardAgreesWithRegularExpression()
{
    // Every name and pattern over a small alphabet, against the same pattern as a regular
    // expression: the backtracking must neither miss a match nor invent one.
    const QString nameChars = "abA";
    const QString patternChars = "aB*?";
    auto all = [](const QString &chars, int maxLength) {
        QStringList out{QString()};
        QStringList last{QString()};
        for (int n = 1; n <= maxLength; ++n) {
            QStringList next;
            for (const QString &s : last)
                for (QChar c : chars)
                    next << s + c;
            out += next;
            last = next;
        }
        return out;
    };
    const QStringList names = all(nameChars, 5);
    const QStringList patterns = all(patternChars, 4);
    for (const QString &pattern : patterns) {
        QString rx;
        for (QChar c : pattern)
            rx += c == u'*'   ? QString(".*")
                  : c == u'?' ? QString(".")
                              : QRegularExpression::escape(c);
        const QRegularExpression exact(QRegularExpression::anchoredPattern(rx));
        const QRegularExpression blind(QRegularExpression::anchoredPattern(rx),
                                       QRegularExpression::CaseInsensitiveOption);
        for (const QString &name : names) {
            if (FileNamePattern::matches(name, pattern, true) != exact.match(name).hasMatch()
                || FileNamePattern::matches(name, pattern, false) != blind.match(name).hasMatch())
                QFAIL(qPrintable(QString("name '%1' pattern '%2'").arg(name, pattern)));
        }
    }
}

void tst_FindInFiles::lineScan_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QStringList>("hits");

    QTest::newRow("cr-before-lf-not-written") << QByteArray("x\r\nmov ax,1\r\n") << QByteArray("ax")
                                              << false << false << QStringList{"2:mov ax,1"};
    QTest::newRow("leading-white-space-dropped")
        << QByteArray("\t\t mov ax,1\n") << QByteArray("ax") << false << false
        << QStringList{"1:mov ax,1"};
    QTest::newRow("last-line-without-lf") << QByteArray("a\nb\nlast ax") << QByteArray("ax")
                                          << false << false << QStringList{"3:last ax"};
    QTest::newRow("two-hits-on-a-line-written-twice")
        << QByteArray("mov ax,ax\n") << QByteArray("ax") << false << false
        << QStringList{"1:mov ax,ax", "1:mov ax,ax"};
    QTest::newRow("no-overlap") << QByteArray("aaa\n") << QByteArray("aa") << false << false
                                << QStringList{"1:aaa"};
    QTest::newRow("whole-word-at-file-start-and-end")
        << QByteArray("ax\nax") << QByteArray("ax") << false << true << QStringList{"1:ax", "2:ax"};
    QTest::newRow("whole-word-not-in-eax-or-ax_1")
        << QByteArray("mov eax,1\nax_1 db 0\nmov ax,bx\nax.y\n") << QByteArray("ax") << false
        << true << QStringList{"3:mov ax,bx"};
    QTest::newRow("case-blind") << QByteArray("MOV AX,1\n") << QByteArray("ax") << false << false
                                << QStringList{"1:MOV AX,1"};
    QTest::newRow("match-case") << QByteArray("MOV AX,1\nax\n") << QByteArray("ax") << true << false
                                << QStringList{"2:ax"};
    QTest::newRow("case-blind-non-letters-exact")
        << QByteArray("@x\n`x\n") << QByteArray("`x") << false << false << QStringList{"2:`x"};
    // The editor ends a line at a lone CR too, so the numbers lead to the right line.
    QTest::newRow("lone-cr-ends-a-line") << QByteArray("a\rb\r\nc ax\n") << QByteArray("ax")
                                         << false << false << QStringList{"3:c ax"};
    QTest::newRow("empty-text") << QByteArray("ax\n") << QByteArray() << false << false
                                << QStringList{};
    QTest::newRow("match-fills-file")
        << QByteArray("needle") << QByteArray("needle") << false << true << QStringList{"1:needle"};
    QTest::newRow("many-lines-counted")
        << QByteArray(QByteArray("x\n").repeated(1000) + "ax\n") << QByteArray("ax") << false
        << false << QStringList{"1001:ax"};
}

void tst_FindInFiles::lineScan()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(QStringList, hits);
    QCOMPARE(scanText(bytes, text, matchCase, wholeWord), hits);
    // The same bytes read from a file, in chunks small enough to split every line.
    QTemporaryDir dir;
    const QString path = dir.filePath("f.asm");
    QVERIFY(makeFile(path, bytes));
    QCOMPARE(scanPath(path, text, matchCase, wholeWord, {3, 64}), hits);
}

void tst_FindInFiles::chunkedReadFindsWhatOneReadFinds_data()
{
    QTest::addColumn<int>("chunk");
    for (int chunk : {1, 2, 5, 7, 16, 64})
        QTest::newRow(qPrintable(QString("chunk-%1").arg(chunk))) << chunk;
}

void tst_FindInFiles::chunkedReadFindsWhatOneReadFinds()
{
    // Lines of mixed breaks (CR LF split across reads included), words at line edges.
    QFETCH(int, chunk);
    QByteArray bytes;
    QRandomGenerator rng(7);
    const char *pieces[] = {"ax", "eax", " ", "\t", ",", "AX", ".", "_", "\r\n", "\n", "\r", "x"};
    for (int i = 0; i < 3000; ++i)
        bytes += pieces[rng.bounded(12)];
    QTemporaryDir dir;
    const QString path = dir.filePath("f.asm");
    QVERIFY(makeFile(path, bytes));
    for (bool wholeWord : {false, true}) {
        const QStringList expected = scanText(bytes, "ax", false, wholeWord);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(scanPath(path, "ax", false, wholeWord, {chunk, 4096}), expected);
    }
}

void tst_FindInFiles::lineLongerThanTheBufferIsShownCut()
{
    // A line of 200 bytes through a buffer of 16: found where it is, shown cut to 10 bytes.
    QByteArray line = "  ax " + QByteArray(90, 'y') + " ax " + QByteArray(90, 'z') + " ax";
    const QByteArray bytes = "first\n" + line + "\nax\n";
    QTemporaryDir dir;
    const QString path = dir.filePath("long.asm");
    QVERIFY(makeFile(path, bytes));
    const QString cut = "2:ax " + QString(5, 'y'); // the line's first 10 bytes, trimmed
    QCOMPARE(scanPath(path, "ax", false, true, {8, 10}), (QStringList{cut, cut, cut, "3:ax"}));
    // Cut alike when the whole line is at hand (read at once, or from memory), also when its
    // first occurrence lies past the cut.
    QCOMPARE(scanPath(path, "ax", false, true, {256, 10}), (QStringList{cut, cut, cut, "3:ax"}));
    QCOMPARE(scanText(bytes, "ax", false, true, {8, 10}), (QStringList{cut, cut, cut, "3:ax"}));
    // With room for the line, the whole of it.
    QCOMPARE(scanPath(path, "ax", false, true, {8, 4096}).at(1),
             "2:" + QString::fromLatin1(line.trimmed()));
    const QByteArray late = QByteArray(20, 'y') + " ax\n";
    const QString latePath = dir.filePath("late.asm");
    const QStringList lateCut{"1:" + QString(10, 'y')};
    QCOMPARE(scanText(late, "ax", false, true, {8, 10}), lateCut);
    QVERIFY(makeFile(latePath, late));
    QCOMPARE(scanPath(latePath, "ax", false, true, {256, 10}), lateCut);
    QCOMPARE(scanPath(latePath, "ax", false, true, {4, 10}), lateCut);
}

void tst_FindInFiles::skippedFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("result");
    QTest::newRow("nul-after-hits-binary") << "binary" << int(FileTextScanner::Result::Binary);
    QTest::newRow("missing") << "missing" << int(FileTextScanner::Result::Unreadable);
    QTest::newRow("folder") << "folder" << int(FileTextScanner::Result::Unreadable);
    QTest::newRow("fifo-does-not-block") << "fifo" << int(FileTextScanner::Result::Unreadable);
    QTest::newRow("text-searched") << "text" << int(FileTextScanner::Result::Searched);
}

void tst_FindInFiles::skippedFiles()
{
    QFETCH(QString, kind);
    QFETCH(int, result);
    QTemporaryDir dir;
    const QString path = dir.filePath("f.asm");
    if (kind == "binary")
        QVERIFY(makeFile(path, "ax\n" + QByteArray(100, 'x') + QByteArray(1, '\0')));
    else if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "text")
        QVERIFY(makeFile(path, "ax\n"));
    FileTextScanner::Result r{};
    const QStringList hits = scanPath(path, "ax", false, false, {8, 64}, &r);
    QCOMPARE(int(r), result);
    QCOMPARE(hits.isEmpty(), kind != "text");

    // In a search, skipped files give no line and no count.
    FindInFiles::Request req = request(dir.path(), "*.asm", false);
    req.text = "ax";
    qint64 count = -1;
    QCOMPARE(runSearch(req, &count).size(), kind == "text" ? 1 : 0);
    QCOMPARE(count, kind == "text" ? 1 : 0);
}

void tst_FindInFiles::walkOrderPerPatternFilesBeforeFolders_data()
{
    QTest::addColumn<int>("threads");
    QTest::newRow("walk-thread-alone") << 1;
    QTest::newRow("helper-threads-keep-order") << 3;
}

void tst_FindInFiles::walkOrderPerPatternFilesBeforeFolders()
{
    QFETCH(int, threads);
    QTemporaryDir dir;
    const QString root = dir.path() + '/';
    for (const char *f :
         {"top.asm", "top.inc", "a/a.inc", "a/deep/d.asm", "b/b.asm", "b/b.inc", "top.txt"})
        QVERIFY(makeFile(root + f, "needle\n"));
    // Many files of different sizes in one folder, so helper threads finish out of order.
    for (int i = 0; i < 120; ++i)
        QVERIFY(makeFile(root + QString("a/m%1.asm").arg(i),
                         QByteArray("needle\n").repeated(1 + (i % 7) * 300)));
    // The folder "x.asm" matches the pattern but is no file.
    QVERIFY(QDir().mkpath(root + "x.asm"));

    // What the pane must show: per pattern, a folder's files in the file system's order, then
    // its sub-folders in that order, depth first.
    auto filesOf = [](const QString &folder, const QString &pattern) {
        QStringList out;
        for (const QString &f : QDir(folder).entryList({pattern}, QDir::Files, QDir::Unsorted))
            out << folder + f;
        return out;
    };
    std::function<QStringList(const QString &, const QString &)> walk =
        [&](const QString &folder, const QString &pattern) {
            QStringList out = filesOf(folder, pattern);
            for (const QString &sub : foldersOf(folder))
                out += walk(folder + sub + '/', pattern);
            return out;
        };
    QStringList expected;
    for (const QString &pattern : {QString("*.asm"), QString("*.inc")}) {
        for (const QString &file : walk(root, pattern)) {
            const int lines = int(readFileBytes(file).count('\n'));
            for (int line = 1; line <= lines; ++line)
                expected << file + QString("(%1): needle").arg(line);
        }
    }
    QVERIFY(expected.indexOf(root + "top.asm(1): needle")
            < expected.indexOf(root + "a/deep/d.asm(1): needle"));
    QVERIFY(expected.indexOf(root + "b/b.asm(1): needle")
            < expected.indexOf(root + "top.inc(1): needle"));
    FindInFiles::Request req = request(dir.path(), "*.asm, *.inc", true);
    req.threads = threads;
    qint64 count = 0;
    QCOMPARE(runSearch(req, &count), expected);
    QCOMPARE(count, expected.size());
}

void tst_FindInFiles::walkWithoutSubFoldersStaysInFolder()
{
    QTemporaryDir dir;
    QVERIFY(makeFile(dir.filePath("top.asm"), "needle\n"));
    QVERIFY(makeFile(dir.filePath("a/a.asm"), "needle\n"));
    QCOMPARE(runSearch(request(dir.path(), "*.asm", false)),
             QStringList{dir.filePath("top.asm") + "(1): needle"});
}

void tst_FindInFiles::walkLevelLimit_data()
{
    QTest::addColumn<int>("maxLevels");
    QTest::addColumn<int>("files");
    QTest::newRow("unlimited") << 0 << 18;
    QTest::newRow("sixteen-levels") << 16 << 17; // the start and 16 below it
    QTest::newRow("one-level") << 1 << 2;
}

void tst_FindInFiles::walkLevelLimit()
{
    QFETCH(int, maxLevels);
    QFETCH(int, files);
    QTemporaryDir dir;
    QString path = dir.path();
    for (int level = 0; level < 18; ++level) {
        QVERIFY(makeFile(path + "/f.asm", "needle\n"));
        path += "/d";
    }
    FindInFiles::Request req = request(dir.path(), "*.asm", true);
    req.maxLevels = maxLevels;
    QCOMPARE(runSearch(req).size(), files);
}

void tst_FindInFiles::symbolicLinkLoopWalkedOnce()
{
    QTemporaryDir dir;
    QVERIFY(makeFile(dir.filePath("top.asm"), "needle\n"));
    QVERIFY(makeFile(dir.filePath("a/a.asm"), "needle\n"));
    QVERIFY(QFile::link(dir.path(), dir.filePath("a/up")));
    QVERIFY(QFile::link(dir.filePath("a"), dir.filePath("again")));
    const QStringList lines = runSearch(request(dir.path(), "*.asm", true));
    QCOMPARE(lines.size(), 2);
}

void tst_FindInFiles::cancelStopsBetweenFilesAndCountsWhatWasHandedOut_data()
{
    QTest::addColumn<int>("threads");
    QTest::newRow("walk-thread-alone") << 1;
    QTest::newRow("helper-threads") << 3;
}

void tst_FindInFiles::cancelStopsBetweenFilesAndCountsWhatWasHandedOut()
{
    QFETCH(int, threads);
    // Each file fills a batch of its own; cancelling on the first stops before the second.
    QTemporaryDir dir;
    for (const char *name : {"a.asm", "b.asm", "c.asm"})
        QVERIFY(makeFile(dir.filePath(name), QByteArray("needle\n").repeated(1100)));
    std::atomic<bool> cancel{false};
    qint64 handedOut = 0;
    FindInFiles::Request req = request(dir.path(), "*.asm", false);
    req.threads = threads;
    const auto summary = FindInFiles::run(
        req,
        [&](QList<FindHit> &&batch) {
            handedOut += batch.size();
            cancel = true;
        },
        &cancel);
    QVERIFY(summary.cancelled);
    QCOMPARE(handedOut, 1100);
    QCOMPARE(summary.count, handedOut);
}

void tst_FindInFiles::engineHandsOutHitsInOrderAndCount()
{
    QTemporaryDir dir;
    QStringList expected;
    for (int i = 0; i < 40; ++i) {
        const QString sub = dir.filePath(QString("d%1").arg(i));
        QVERIFY(makeFile(sub + "/f.asm", QByteArray("needle\n").repeated(100)));
    }
    FindInFiles::Request req = request(dir.path(), "*.asm", true);
    const QStringList direct = runSearch(req);
    QCOMPARE(direct.size(), 4000);

    FindInFilesEngine engine;
    QStringList lines;
    connect(&engine, &FindInFilesEngine::hitsFound, this, [&](const QList<FindHit> &hits) {
        for (const FindHit &hit : hits)
            lines << FindInFiles::hitLine(hit);
    });
    QSignalSpy finished(&engine, &FindInFilesEngine::finished);
    QVERIFY(engine.start(req));
    QVERIFY(engine.isRunning());
    QVERIFY(!engine.start(req)); // one search at a time
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).toLongLong(), 4000);
    QCOMPARE(finished.at(0).at(1).toBool(), false);
    QCOMPARE(lines, direct);
    QVERIFY(!engine.isRunning());
    // And again, on the same engine.
    lines.clear();
    QVERIFY(engine.start(req));
    QVERIFY(finished.wait(20000));
    QCOMPARE(lines.size(), 4000);
}

void tst_FindInFiles::engineDestroyedWhileRunningStops()
{
    QTemporaryDir dir;
    for (int i = 0; i < 50; ++i)
        QVERIFY(makeFile(dir.filePath(QString("f%1.asm").arg(i)),
                         QByteArray("needle\n").repeated(2000)));
    int batches = 0;
    {
        FindInFilesEngine engine;
        connect(&engine, &FindInFilesEngine::hitsFound, this, [&] { ++batches; });
        QVERIFY(engine.start(request(dir.path(), "*.asm", false)));
        engine.cancel();
    }
    // Nothing arrives for an engine that is gone.
    QCoreApplication::processEvents();
    QCOMPARE(batches, 0);
}

void tst_FindInFiles::fileNameWalkStepsThroughMatches()
{
    QTemporaryDir dir;
    const QString root = dir.path() + '/';
    for (const char *f : {"a.asm", "B.ASM", "c.inc", "sub/d.asm"})
        QVERIFY(makeFile(root + f, "x"));
    FileNameWalk walk;
    QStringList found;
    for (QString p; !(p = walk.next(root, "*.asm", true, false)).isEmpty();)
        found << p;
    found.sort();
    QCOMPARE(found, (QStringList{root + "B.ASM", root + "a.asm", root + "sub/d.asm"}));
    QVERIFY(walk.next(root, "*.asm", true, false).isEmpty()); // stays over
    walk.restart();
    QCOMPARE(walk.next(root, "*.asm", false, true), root + "a.asm"); // case counts, no subs
    QVERIFY(walk.next(root, "*.asm", false, true).isEmpty());
    QVERIFY(FileNamePattern::containsPath("sub/*.asm"));
    QVERIFY(!FileNamePattern::containsPath("*.asm"));
}

void tst_FindInFiles::fileNameWalkLevelLimit_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("found");
    QTest::newRow("level-15-found") << 15 << true;
    QTest::newRow("level-16-not-entered") << 16 << false;
}

void tst_FindInFiles::fileNameWalkLevelLimit()
{
    QFETCH(int, depth);
    QFETCH(bool, found);
    QTemporaryDir dir;
    QString path = dir.path();
    for (int i = 0; i < depth; ++i)
        path += "/d";
    QVERIFY(makeFile(path + "/deep.asm", "x"));
    FileNameWalk walk;
    QCOMPARE(walk.next(dir.path() + '/', "*.asm", true, false).isEmpty(), !found);
}

void tst_FindInFiles::fileNameWalkFollowsLinkLoopOnce()
{
    QTemporaryDir dir;
    QVERIFY(makeFile(dir.filePath("a/f.asm"), "x"));
    QVERIFY(QFile::link(dir.path(), dir.filePath("a/up")));
    FileNameWalk walk;
    int count = 0;
    while (!walk.next(dir.path() + '/', "*.asm", true, false).isEmpty())
        ++count;
    QCOMPARE(count, 1);
}

void tst_FindInFiles::searchFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("result");
    QTest::newRow("typed-gets-slash") << "/src"
                                      << "/doc/a.asm"
                                      << "/src/";
    QTest::newRow("typed-with-slash") << "/src/"
                                      << ""
                                      << "/src/";
    QTest::newRow("empty-takes-document-folder") << ""
                                                 << "/doc/a.asm"
                                                 << "/doc/";
    QTest::newRow("empty-untitled-is-root") << ""
                                            << ""
                                            << "/";
}

void tst_FindInFiles::searchFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, document);
    QFETCH(QString, result);
    QCOMPARE(FindInFiles::searchFolder(folder, document), result);
}

void tst_FindInFiles::paneTexts()
{
    QCOMPARE(FindInFiles::searchingLine("ax"), QString("Searching for 'ax'"));
    QCOMPARE(FindInFiles::hitLine({"/s/a.asm", 12, "mov ax,1"}), QString("/s/a.asm(12): mov ax,1"));
    QCOMPARE(FindInFiles::countLine(0), QString("0 occurrence(s) found."));
    // A line that is not UTF-8 reads as Windows-1252, as the editor would open it.
    QTemporaryDir dir;
    QVERIFY(makeFile(dir.filePath("w.asm"), "; caf\xe9 needle\n"));
    QCOMPARE(runSearch(request(dir.path(), "*.asm", false)),
             QStringList{dir.filePath("w.asm") + QString::fromUtf8("(1): ; caf\xc3\xa9 needle")});
}

QTEST_GUILESS_MAIN(tst_FindInFiles)
#include "tst_findinfiles.moc"
