#pragma once

#include <QByteArray>

// The memory figures the dump viewer reports about itself (its start-up trace, the scrolling
// benchmark).
namespace ProcessMemory {
// A field of /proc/self/status in KB ("VmRSS", "RssAnon"), -1 when missing.
qint64 statusKilobytes(const QByteArray &field);
} // namespace ProcessMemory
