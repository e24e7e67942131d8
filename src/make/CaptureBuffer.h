#pragma once

#include <QByteArray>

// The bytes of the last assembler run and its exit code, process-wide (the tool runner fills
// them; the build commands, the output pane and the Build Window read them). The bytes are what
// the runner kept of what the tool wrote (all of it up to BoundedCapture's bound), followed by a NUL, so they may be read as a C string. The buffer
// is reused between runs: it grows to the size needed and never shrinks (as long as no reader
// still holds a copy of the previous bytes, which would make the next run allocate afresh).
class CaptureBuffer
{
public:
    static CaptureBuffer &instance();

    // The last capture: its bytes are bytes().left(length()) until length() is changed.
    const QByteArray &bytes() const { return m_bytes; }
    // The length of the last capture; the build commands set it to 0 after an error-free run,
    // the Build Window re-derives it, and the Build-output command is enabled while it is not 0.
    quint32 length() const { return m_length; }
    void setLength(quint32 length) { m_length = length; }
    // Bytes the buffer holds without growing.
    qsizetype capacity() const { return m_bytes.capacity(); }

    // Exit code of the last assembler run that gave one.
    quint32 lastExitCode() const { return m_lastExitCode; }
    void setLastExitCode(quint32 code) { m_lastExitCode = code; }

    // Replaces the capture with these bytes (copied into the kept buffer); the length follows.
    void store(const char *data, qsizetype size);
    // An empty capture of length 0 (the buffer keeps its size).
    void clear();

private:
    CaptureBuffer() = default;

    QByteArray m_bytes;
    quint32 m_length = 0;
    quint32 m_lastExitCode = 0;
};
