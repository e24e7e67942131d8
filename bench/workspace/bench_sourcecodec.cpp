// How long opening and saving a source file costs before the editor sees it:
//   bench_sourcecodec [FILE...]
// Without files it makes 1 MiB and 10 MiB sources in four flavours (ASCII with CR LF, ASCII with
// LF, Windows-1252 with bytes 80h-FFh, UTF-8 with accented text). Figures, best of 5 runs:
// decode and encode in MB/s (10^6 bytes of the file per second), and the whole read-from-disk
// and atomic write in milliseconds; then one workspace record load and save.

#include "editor/SourceFileCodec.h"
#include "workspace/WorkspaceRecord.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The first run pays for fresh memory (page faults), as opening a file in the IDE does; later
// runs reuse what the allocator kept. Both are reported where it matters.
struct Times
{
    double first = 0;
    double best = 1e9;
};

Times timeRuns(int runs, const std::function<void()> &work)
{
    Times t;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        const double s = timer.nsecsElapsed() / 1e9;
        if (r == 0)
            t.first = s;
        t.best = std::min(t.best, s);
    }
    return t;
}

double bestSeconds(int runs, const std::function<void()> &work)
{
    return timeRuns(runs, work).best;
}

QByteArray makeSource(qint64 size, const QByteArray &eol, const QByteArray &flavour)
{
    static const char *const lines[] = {
        "            mov  ax,word ptr [bx+si+12h]  ; load the next word",
        "loop_%d:    cmp  al,'$'",
        "            jne  short loop_%d",
        "msg_%d      db   'Hello, World!',0Dh,0Ah,'$'",
        "            call near ptr print_%d",
    };
    QByteArray out;
    out.reserve(size + 200);
    quint32 seed = 1;
    for (int n = 0; out.size() < size; ++n) {
        seed = seed * 1664525u + 1013904223u;
        QByteArray line = QByteArray(lines[seed % 5]).replace("%d", QByteArray::number(n % 997));
        if (n % 7 == 0)
            line += flavour;
        out += line + eol;
    }
    return out;
}

void report(const QString &name, const QByteArray &bytes, const QString &folder)
{
    SourceFileCodec::Decoded d;
    const QString path = folder + "/bench.asm";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    f.close();
    const Times read = timeRuns(5, [&] { SourceFileCodec::readFile(path); });
    const double decode = bestSeconds(5, [&] { d = SourceFileCodec::decode(bytes); });
    QByteArray back;
    const double encode = bestSeconds(5, [&] { back = SourceFileCodec::encode(d.text, d.format); });
    const double write = bestSeconds(5, [&] { SourceFileCodec::writeFile(path, d.text, d.format); });
    const double mb = bytes.size() / 1e6;
    std::printf("%-28s %9lld bytes  %-11s %-4s  decode %7.0f MB/s  encode %7.0f MB/s  "
                "read %6.2f ms (first %6.2f)  write %6.2f ms  %s\n",
                qPrintable(name),
                static_cast<long long>(bytes.size()),
                d.format.encoding == TextEncoding::Utf8 ? "UTF-8" : "Windows-1252",
                d.format.lineEnding == LineEnding::CrLf ? "CRLF" : "LF",
                mb / decode,
                mb / encode,
                read.best * 1e3,
                read.first * 1e3,
                write * 1e3,
                back == bytes ? "byte-exact" : "CHANGED");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QStringList files = app.arguments().mid(1);
    if (!files.isEmpty()) {
        for (const QString &file : files) {
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly))
                qFatal("cannot read %s", qPrintable(file));
            report(QFileInfo(file).fileName(), f.readAll(), dir.path());
        }
    } else {
        for (const qint64 size : {qint64(1) << 20, qint64(10) << 20}) {
            const QString mib = QString::number(size >> 20) + " MiB";
            report("ascii crlf " + mib, makeSource(size, "\r\n", ""), dir.path());
            report("ascii lf " + mib, makeSource(size, "\n", ""), dir.path());
            report("cp1252 " + mib,
                   makeSource(size, "\r\n", " ; caf\xe9 \x80 \x93ok\x94"),
                   dir.path());
            report("utf-8 " + mib,
                   makeSource(size, "\r\n", " ; caf\xc3\xa9 \xe2\x82\xac"),
                   dir.path());
        }
    }

    WorkspaceRecord record;
    record.setOpen(true);
    for (int i = 0; i < WorkspaceRecord::MaxEntries; ++i)
        record.appendEntry(WorkspaceEntry(QString("%1/member%2.asm").arg(dir.path()).arg(i)));
    const QString ws = dir.filePath("bench.qvw");
    record.setWorkspaceFilePath(ws);
    const double save = bestSeconds(20, [&] { record.save(); });
    WorkspaceRecord loaded;
    const double load = bestSeconds(20, [&] { loaded.load(ws); });
    std::printf("workspace record (80 members): load %.3f ms  save %.3f ms\n",
                load * 1e3,
                save * 1e3);
    return 0;
}
