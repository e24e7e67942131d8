#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A path of this process's own in the temporary folder, for entry points that read a file.
inline QString scratchFile(const char *name)
{
    const char *tmp = std::getenv("TMPDIR");
    return QString::fromStdString(std::string(tmp && *tmp ? tmp : "/tmp") + "/" + name + "-"
                                  + std::to_string(getpid()));
}

// Stops the run with a message: libFuzzer keeps the input as a finding.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "fuzz oracle failed: %s\n", what);
    std::abort();
}

} // namespace fuzz
