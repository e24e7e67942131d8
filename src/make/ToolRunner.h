#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "make/BoundedCapture.h"

#include <memory>
#include <optional>

class PostBuildRun;

// What to run. Arguments are separate entries: a path with blanks stays one argument.
struct ToolRequest
{
    enum Kind {
        Assembler,   // stderr not captured; post-build commands
        Disassembler // stderr merged into the output
    };

    Kind kind = Assembler;
    QString program; // the tool's path ("apath" / "dpath"); empty: nothing is run
    QStringList arguments;
    QString workingDirectory; // empty: the IDE's current directory
    QString postBuild;        // assembler only: the open workspace's post-build text, else empty

    static ToolRequest assembler(const QString &program,
                                 const QStringList &arguments,
                                 const QString &workingDirectory,
                                 const QString &postBuild = QString());
    static ToolRequest disassembler(const QString &program, const QStringList &arguments);
};

// What one run gives back to whoever started it.
struct ToolRunResult
{
    // The result protocol below (ToolRunner::Result); NoResult until a run has ended.
    int code = 0x100;
    // The tool ran and ended by itself, with an exit code or by crashing: output is then what this
    // run captured. False for a run that was not started, could not start, was cancelled or
    // whose wait failed; such a run leaves an earlier capture standing.
    bool toolEnded = false;
    // The tool's own exit code; none when it crashed or did not end by itself.
    std::optional<int> exitCode;
    // What was kept of the tool's output (also after a cancel), exactly as written within the
    // bound; past it, both ends and the line between (BoundedCapture).
    QByteArray output;
    qint64 totalBytes = 0;   // every byte the tool wrote
    qint64 droppedBytes = 0; // how many of them output leaves out
    // The messages shown about the run, in the order shown.
    QStringList messages;
};

// Runs one console tool at a time and turns its end into the result protocol:
//   0          the tool ended with exit code 0
//   1..255     the tool's exit code (errors or diagnostics were reported)
//   256        nothing was run or no exit code was obtained (empty tool path; the tool crashed)
//   257        the tool wrote nothing at all (the read-failure message was shown)
//   261        the run was cancelled or waiting for it failed (the wait-failure message was shown)
//   512        the tool could not be started ("Create process failed" was shown)
// The output is read while the tool runs, so a tool may write any amount without blocking; what
// is kept of it is bounded (BoundedCapture: its first and last megabytes and a line saying how
// much was left out between), so a tool that floods its output holds no more memory than that,
// and the event loop (Esc, Cancel) runs between the reads.
// An empty stdin is given. For an assembler run that obtained an exit code, the post-build
// commands are started (not waited for) as a PostBuildRun, whose output goes on arriving after
// the run (takePostBuild()). The run's result (ToolRunResult) goes to the caller; nothing of it is
// kept anywhere else, so whoever keeps a last capture decides what to keep.
//
// Asynchronous: start() returns at once; started() and outputReceived() follow as the tool runs,
// and exactly one finished(result), never from inside start(). Messages go through Prompts
// before finished() is emitted. runAndWait() spins a local event loop for callers that want a
// result in hand; the GUI keeps painting through it and decides what input to hold back.
class ToolRunner : public QObject
{
    Q_OBJECT

public:
    enum Result : int {
        NoErrors = 0,
        NoResult = 0x100,
        ReadFailed = 0x101,
        WaitFailed = 0x105,
        StartFailed = 0x200,
    };
    // The number the wait-failure message shows when the user cancelled the run.
    static constexpr int CancelledWaitCode = -1;

    explicit ToolRunner(QObject *parent = nullptr);
    ~ToolRunner() override; // a tool still running is killed, and finished() is not emitted

    // False (and nothing happens) while a run is in progress.
    bool start(const ToolRequest &request);
    // The run's result; code NoResult without a run when one is in progress.
    ToolRunResult runAndWait(const ToolRequest &request,
                             QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
    // Stops the running tool; the run ends with 261.
    void cancel();

    bool isRunning() const { return m_running; }
    // The last run's result, as finished() gave it.
    const ToolRunResult &result() const { return m_result; }
    // The last run's output as read (also after a cancel), as far as it is kept; while the tool
    // runs, what has been kept so far.
    QByteArray output() const { return m_completed ? m_result.output : m_capture.bytes(); }
    // The post-build commands the last run started, still reading what they write; nullptr when
    // it started none. Whoever takes it owns it; one left here goes with the next run.
    std::unique_ptr<PostBuildRun> takePostBuild();

    static QString missingPathMessage(ToolRequest::Kind kind);
    static QString waitFailedMessage(ToolRequest::Kind kind, int code);
    static QString readFailedMessage(ToolRequest::Kind kind);
    static inline const QString CreateProcessFailedMessage = QStringLiteral(
        "Create process failed");

signals:
    void started();
    void outputReceived(const QByteArray &chunk);
    // The run is over and its messages are about to be shown; finished() follows them.
    void ended();
    void finished(const ToolRunResult &result);

private:
    void readOutput();
    void processFinished(int exitCode, QProcess::ExitStatus status);
    void processError(QProcess::ProcessError error);
    void runPostBuildCommands();
    void complete(int result);
    void emitFinished();
    void releaseProcess(bool now);

    ToolRequest m_request;
    QProcess *m_process = nullptr;
    std::unique_ptr<PostBuildRun> m_postBuild;
    BoundedCapture m_capture; // while the tool runs
    ToolRunResult m_result;   // its output once it has ended
    int m_waitFailureCode = 0;
    bool m_running = false;
    bool m_completed = false;
    bool m_cancelled = false;
};
