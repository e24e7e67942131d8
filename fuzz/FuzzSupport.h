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

// A path of this process's own for entry points that read a file: in shared memory when the
// machine has it, since the settings writer syncs every file it writes and on a disk that alone
// made the run some 35 times slower; else in the temporary folder.
inline QString scratchFile(const char *name)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    if (access("/dev/shm", W_OK | X_OK) == 0)
        folder = "/dev/shm";
    return QString::fromStdString(folder + "/" + name + "-" + std::to_string(getpid()));
}

// Stops the run with a message: libFuzzer keeps the input as a finding.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "fuzz oracle failed: %s\n", what);
    std::abort();
}

} // namespace fuzz
