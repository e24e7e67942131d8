#pragma once

#include "app/Prompts.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

// What the build benchmarks share. Nothing in a run should ask anything: a question means the
// run failed.
class FailingPrompts : public Prompts
{
public:
    PromptAnswer message(const QString &text, PromptButtons, PromptIcon, const QString &) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        std::exit(1);
    }
    QStringList openFiles(const FileDialogRequest &) override { return {}; }
    QString saveFile(const FileDialogRequest &) override { return {}; }
    QString folder(const QString &, const QString &) override { return {}; }
    std::optional<QFont> font(const QFont &, const QString &) override { return {}; }
    std::optional<QColor> colour(const QColor &, const QString &) override { return {}; }
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
