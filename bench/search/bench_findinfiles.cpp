// Find in File(s) from the command line, for timing against grep and rg over the same tree:
//
//   bench_findinfiles [-i] [-w] [-r] [-j N] [--types "*.asm, *.inc"] [--direct] TEXT FOLDER
//
// -i ignores letter case, -w matches whole words, -r looks in sub-folders, -j sets the threads
// that read files beside the walk (1: the walk's thread alone). Prints what the
// output pane would show: the hit lines, then the count line. The search runs on the engine's
// worker thread with hits handed over in batches, as in the IDE; --direct runs it on this
// thread instead.
#include "search/FileNamePattern.h"
#include "search/FindInFiles.h"
#include "search/FindInFilesEngine.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void print(const QList<FindHit> &hits)
{
    QByteArray out;
    out.reserve(hits.size() * 96);
    for (const FindHit &hit : hits) {
        out += FindInFiles::hitLine(hit).toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    FindInFiles::Request request;
    QString types = QStringLiteral("*.asm, *.inc");
    bool direct = false;
    QStringList rest;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-i"))
            request.matchCase = false;
        else if (!std::strcmp(argv[i], "-c"))
            request.matchCase = true;
        else if (!std::strcmp(argv[i], "-w"))
            request.wholeWord = true;
        else if (!std::strcmp(argv[i], "-r"))
            request.subFolders = true;
        else if (!std::strcmp(argv[i], "-j") && i + 1 < argc)
            request.threads = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--direct"))
            direct = true;
        else if (!std::strcmp(argv[i], "--types") && i + 1 < argc)
            types = QString::fromLocal8Bit(argv[++i]);
        else
            rest << QString::fromLocal8Bit(argv[i]);
    }
    if (rest.size() != 2) {
        std::fprintf(
            stderr,
            "usage: bench_findinfiles [-i|-c] [-w] [-r] [-j N] [--types T] [--direct] TEXT "
            "FOLDER\n");
        return 2;
    }
    request.text = rest.at(0);
    request.folder = FindInFiles::searchFolder(rest.at(1), QString());
    request.patterns = FileNamePattern::splitTypes(types);

    qint64 count = 0;
    if (direct) {
        count = FindInFiles::run(request, [](QList<FindHit> &&hits) { print(hits); }).count;
    } else {
        FindInFilesEngine engine;
        QObject::connect(&engine, &FindInFilesEngine::hitsFound, &print);
        QObject::connect(&engine, &FindInFilesEngine::finished, [&](qint64 n, bool) {
            count = n;
            app.quit();
        });
        engine.start(request);
        app.exec();
    }
    std::printf("%s\n", qPrintable(FindInFiles::countLine(count)));
    return 0;
}
