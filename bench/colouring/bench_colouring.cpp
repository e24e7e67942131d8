// Throughput of the colouring scan alone, on generated sources of 1 MiB and 10 MiB:
//   bench_colouring [FILE...]
// Without files it generates them with gen_data.py (python3) into a temporary folder.
// Figures: whole-text scan and line-by-line scan in MB/s (10^6 bytes of the file per second),
// the same with 10,000 extra keywords (the cost must not follow the keyword count), and the
// time to rescan one line of a 200,000-line text, as after a keystroke.

#include "editor/KeywordIndex.h"
#include "editor/SyntaxScanner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double bestSeconds(int runs, const std::function<void()> &work)
{
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

struct Lines
{
    std::vector<QStringView> views;
};

Lines splitLines(const QString &text)
{
    Lines lines;
    qsizetype from = 0;
    for (;;) {
        const qsizetype cr = text.indexOf(u'\r', from);
        if (cr < 0) {
            lines.views.push_back(QStringView(text).mid(from));
            break;
        }
        lines.views.push_back(QStringView(text).mid(from, cr - from));
        from = cr + 1;
    }
    return lines;
}

void measure(const QString &name, qint64 bytes, const QString &text, const KeywordIndex &keywords)
{
    const SyntaxScanner scanner(keywords);
    QList<SyntaxSpan> spans;
    spans.reserve(text.size() / 4);
    qsizetype count = 0;
    const double whole = bestSeconds(5, [&] {
        spans.clear();
        scanner.scanRange(text, spans);
        count = spans.size();
    });

    const Lines lines = splitLines(text);
    const double byLines = bestSeconds(5, [&] {
        SyntaxLineState state;
        for (size_t l = 0; l < lines.views.size(); ++l) {
            spans.clear();
            state = scanner.scanLine(lines.views[l], state, l + 1 < lines.views.size(), spans);
        }
    });
    std::printf("%-34s %8.1f MB/s whole text (%lld spans)  %8.1f MB/s line by line (%zu lines)\n",
                qPrintable(name),
                bytes / whole / 1e6,
                static_cast<long long>(count),
                bytes / byLines / 1e6,
                lines.views.size());
}

void keystroke(const QString &text, const KeywordIndex &keywords)
{
    Lines lines = splitLines(text);
    if (lines.views.size() > 200000)
        lines.views.resize(200000);
    const SyntaxScanner scanner(keywords);
    std::vector<int> states(lines.views.size());
    SyntaxLineState state;
    QList<SyntaxSpan> spans;
    for (size_t l = 0; l < lines.views.size(); ++l) {
        spans.clear();
        state = scanner.scanLine(lines.views[l], state, true, spans);
        states[l] = state.toUserState();
    }
    // Rescan a line as after a keystroke, and compare its end state to decide whether the next
    // line needs a rescan too.
    std::vector<qint64> ns;
    int propagated = 0;
    for (size_t l = 1; l < lines.views.size(); l += 97) {
        QElapsedTimer timer;
        timer.start();
        spans.clear();
        const SyntaxLineState end = scanner.scanLine(lines.views[l],
                                                     SyntaxLineState::fromUserState(states[l - 1]),
                                                     true,
                                                     spans);
        propagated += end.toUserState() != states[l];
        ns.push_back(timer.nsecsElapsed());
    }
    std::sort(ns.begin(), ns.end());
    std::printf("one line rescanned in a %zu-line text: median %.2f us, max %.2f us (%d of %zu "
                "changed the next line's state)\n",
                lines.views.size(),
                ns[ns.size() / 2] / 1e3,
                ns.back() / 1e3,
                propagated,
                ns.size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    QTemporaryDir dir;
    if (files.isEmpty()) {
        for (const char *size : {"1MiB", "10MiB"}) {
            const QString out = dir.filePath(QString("asm_%1.asm").arg(size));
            const int rc = QProcess::execute("python3",
                                             {QVASMIDE_BENCH_DIR "/gen_data.py",
                                              "file",
                                              "--size",
                                              size,
                                              "--seed",
                                              "1",
                                              "--out",
                                              out});
            if (rc != 0) {
                std::fprintf(stderr, "gen_data.py failed\n");
                return 1;
            }
            files << out;
        }
    }

    const KeywordIndex builtIn = KeywordIndex::withBuiltIns();
    KeywordIndex many = KeywordIndex::withBuiltIns();
    QStringList extra;
    for (int k = 0; k < 10000; ++k)
        extra << QString("user%1").arg(k) << QString("m%1ov").arg(k);
    many.addKeywords(extra.join(u','), KeywordIndex::Directives);

    QString last;
    for (const QString &path : std::as_const(files)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = f.readAll();
        QString text = QString::fromUtf8(bytes);
        text.replace(QLatin1String("\r\n"), QLatin1String("\r"));
        text.replace(u'\n', u'\r');
        const QString name = QFileInfo(path).fileName();
        measure(name + " (540 keywords)", bytes.size(), text, builtIn);
        measure(name + QString(" (%1 keywords)").arg(many.size()), bytes.size(), text, many);
        last = text;
    }
    keystroke(last, builtIn);
    return 0;
}
