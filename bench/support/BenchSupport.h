#pragma once

#include "base/Prompts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

// What the benchmarks share. Nothing in a run should ask anything: a question means the run
// failed, unless the run says it answers Yes/No questions with Yes (Close Workspace's).
class BenchPrompts : public Prompts
{
public:
    explicit BenchPrompts(bool yesToQuestions = false)
        : m_yesToQuestions(yesToQuestions)
    {}

    PromptAnswer message(const QString &text,
                         PromptButtons buttons,
                         PromptIcon,
                         const QString &) override
    {
        if (m_yesToQuestions && buttons == PromptButtons::YesNo)
            return PromptAnswer::Yes;
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        std::exit(1);
    }
    QStringList openFiles(const FileDialogRequest &) override { return {}; }
    QString saveFile(const FileDialogRequest &) override { return {}; }
    QString folder(const QString &, const QString &) override { return {}; }
    std::optional<QFont> font(const QFont &, const QString &) override { return {}; }
    std::optional<QColor> colour(const QColor &, const QString &) override { return {}; }

private:
    bool m_yesToQuestions;
};

inline qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A console tool of the build under test: QVASMIDE_PROGRAM_DIR's tools/, else the one beside
// this benchmark's bench/ folder.
inline QString bundledTool(const QString &name)
{
    QString folder = QString::fromLocal8Bit(qgetenv("QVASMIDE_PROGRAM_DIR"));
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
    return QFileInfo(folder + QStringLiteral("/tools/") + name).absoluteFilePath();
}

// The program started directly, waited for and its output read: the milliseconds it took.
inline double directRunMs(const QString &program, const QStringList &args, const QString &folder)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    p.waitForFinished(-1);
    p.readAllStandardOutput();
    return t.nsecsElapsed() / 1e6;
}

// When bench_build_writer exited: the monotonic nanoseconds it wrote into its stamp file.
inline qint64 writerExitNs(const QString &stampPath)
{
    QFile f(stampPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : 0;
}

// A .COM source of 100 lines that assembles cleanly, written to path; false when it can't be.
inline bool writeHundredLineSource(const QString &path)
{
    QByteArray text = ".model tiny\r\n.code\r\n        org 100h\r\nstart:\r\n";
    for (int i = 0; i < 95; ++i)
        text += "        mov ax, " + QByteArray::number(i) + "\r\n";
    text += "        ret\r\n.end\r\n";
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// A large CR LF source of labelled lines, "label_<n>:\tmov ax, [bx+si+<n % 97>]\t; step <n>", with
// at least lines lines and bytes bytes, written to path; false when it can't be.
inline bool writeLabelledSource(const QString &path, qsizetype lines, qsizetype bytes = 0)
{
    QByteArray text;
    text.reserve(std::max(lines * 40, bytes + 64));
    for (qsizetype i = 0; i < lines || text.size() < bytes; ++i) {
        text += "label_" + QByteArray::number(i) + ":\tmov ax, [bx+si+" + QByteArray::number(i % 97)
                + "]\t; step " + QByteArray::number(i) + "\r\n";
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}
