#pragma once

#include <QByteArray>
#include <QByteArrayView>

class BuildOutput;
struct ToolRunResult;

// What the build commands of one main frame keep between their runs: the last assembler capture
// and its exit code (the output pane, the Build Window and View > Output > Build read them), the
// Build Window's kept row, and whether a tool of the frame is running now (one at a time; the
// commands that start tools stay disabled meanwhile). Callers hand these on explicitly.
class BuildState
{
public:
    // An assembler run's result: one whose tool ended by itself replaces the capture and the
    // exit code (0 when it crashed); one that did not start, was cancelled or whose wait failed
    // leaves the previous capture, so the Build Window of the previous run can still be shown.
    void keepAssemblerRun(const ToolRunResult &result);

    // The last capture: its bytes are capture().left(captureLength()) until the length is
    // changed, followed by a NUL, so they may be read as a C string. The buffer is reused between
    // runs: it grows to the size needed and never shrinks.
    const QByteArray &capture() const { return m_capture; }
    // The build commands set it to 0 after an error-free run; the Build-output command is enabled
    // while it is not 0.
    quint32 captureLength() const { return m_length; }
    void setCaptureLength(quint32 length) { m_length = length; }
    qsizetype captureCapacity() const { return m_capture.capacity(); }
    // Replaces the capture with these bytes (copied into the kept buffer); the length follows.
    void storeCapture(QByteArrayView bytes);
    // The capture as the Build Window reads it; the length becomes the bytes before the first
    // NUL, as every reader takes it as a C string.
    BuildOutput readCapture();

    quint32 lastExitCode() const { return m_lastExitCode; }
    void setLastExitCode(quint32 code) { m_lastExitCode = code; }

    // The Build Window's row kept between showings: the one Go To was last pressed on, or -1
    // for "the last error". Starts at 0.
    int keptSelection() const { return m_keptSelection; }
    void setKeptSelection(int row) { m_keptSelection = row; }

    bool isBusy() const { return m_busy; }
    // A tool run of the frame begins; false (and nothing changes) while one runs already.
    bool beginRun();
    void endRun() { m_busy = false; }

private:
    QByteArray m_capture;
    quint32 m_length = 0;
    quint32 m_lastExitCode = 0;
    int m_keptSelection = 0;
    bool m_busy = false;
};
