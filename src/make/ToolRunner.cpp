#include "make/ToolRunner.h"

#include "base/Prompts.h"
#include "make/PostBuildCommands.h"
#include "make/PostBuildRun.h"

ToolRequest ToolRequest::assembler(const QString &program,
                                   const QStringList &arguments,
                                   const QString &workingDirectory,
                                   const QString &postBuild)
{
    ToolRequest r;
    r.kind = Assembler;
    r.program = program;
    r.arguments = arguments;
    r.workingDirectory = workingDirectory;
    r.postBuild = postBuild;
    return r;
}

ToolRequest ToolRequest::disassembler(const QString &program, const QStringList &arguments)
{
    ToolRequest r;
    r.kind = Disassembler;
    r.program = program;
    r.arguments = arguments;
    return r;
}

ToolRunner::ToolRunner(QObject *parent)
    : QObject(parent)
{}

ToolRunner::~ToolRunner()
{
    releaseProcess(true);
}

QString ToolRunner::missingPathMessage(ToolRequest::Kind kind)
{
    return kind == ToolRequest::Assembler
               ? QStringLiteral("Need path to assembler under the Make/Settings Menu")
               : QStringLiteral("Need path to disassembler under the Make/Settings Menu");
}

QString ToolRunner::waitFailedMessage(ToolRequest::Kind kind, int code)
{
    return (kind == ToolRequest::Assembler
                ? QStringLiteral("Waiting for QVASM to finish failed with code %1")
                : QStringLiteral("Waiting for QVDISASM to finish failed with code %1"))
        .arg(code);
}

QString ToolRunner::readFailedMessage(ToolRequest::Kind kind)
{
    return kind == ToolRequest::Assembler
               ? QStringLiteral("Redirection failed:\nYou must use the Windows Console version of "
                                "QVASM (RARAVI.EXE)\ninstead of the DJGPP version.")
               : QStringLiteral("Redirection failed:\nYou must use the Windows Console version of "
                                "QVDISASM (RUZUZAZOD.EXE)\ninstead of the DJGPP version.");
}

bool ToolRunner::start(const ToolRequest &request)
{
    if (m_running)
        return false;
    m_running = true;
    m_completed = false;
    m_cancelled = false;
    m_waitFailureCode = 0;
    m_request = request;
    m_capture.clear();
    m_result = ToolRunResult();
    m_postBuild.reset();

    if (request.program.isEmpty()) {
        m_result.messages << missingPathMessage(request.kind);
        complete(NoResult);
        return true;
    }

    m_process = new QProcess(this);
    m_process->setProgram(request.program);
    m_process->setArguments(request.arguments);
    if (!request.workingDirectory.isEmpty())
        m_process->setWorkingDirectory(request.workingDirectory);
    m_process->setStandardInputFile(QProcess::nullDevice());
    // The assembler's stderr only carries its beep; the disassembler reports its failures there.
    m_process->setProcessChannelMode(request.kind == ToolRequest::Assembler
                                         ? QProcess::ForwardedErrorChannel
                                         : QProcess::MergedChannels);
    connect(m_process, &QProcess::started, this, &ToolRunner::started);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &ToolRunner::readOutput);
    connect(m_process, &QProcess::finished, this, &ToolRunner::processFinished);
    connect(m_process, &QProcess::errorOccurred, this, &ToolRunner::processError);
    m_process->start(QIODevice::ReadOnly);
    return true;
}

ToolRunResult ToolRunner::runAndWait(const ToolRequest &request,
                                     QEventLoop::ProcessEventsFlags flags)
{
    QEventLoop loop;
    bool done = false;
    const auto connection = connect(this, &ToolRunner::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    if (!start(request)) {
        disconnect(connection);
        return ToolRunResult();
    }
    if (!done)
        loop.exec(flags);
    disconnect(connection);
    return m_result;
}

void ToolRunner::cancel()
{
    if (!m_process || m_completed || m_process->state() == QProcess::NotRunning)
        return;
    m_cancelled = true;
    m_process->kill();
}

void ToolRunner::readOutput()
{
    if (!m_process)
        return;
    const QByteArray chunk = m_process->readAllStandardOutput();
    if (chunk.isEmpty())
        return;
    m_capture.append(chunk);
    emit outputReceived(chunk);
}

void ToolRunner::processError(QProcess::ProcessError error)
{
    if (m_completed)
        return;
    switch (error) {
    case QProcess::FailedToStart:
        m_result.messages << CreateProcessFailedMessage;
        complete(StartFailed);
        break;
    case QProcess::ReadError:
    case QProcess::UnknownError:
        // Output may have been lost: stop the tool and report the run as a failed wait.
        if (m_process->state() != QProcess::NotRunning) {
            m_waitFailureCode = int(error);
            m_process->kill();
        }
        break;
    case QProcess::Crashed:    // finished() follows
    case QProcess::Timedout:   // nothing here waits with a time-out
    case QProcess::WriteError: // nothing is written to the tool
        break;
    }
}

void ToolRunner::processFinished(int exitCode, QProcess::ExitStatus status)
{
    if (m_completed)
        return;
    readOutput();
    // What was kept of the output is all the run holds on to from here.
    m_result.totalBytes = m_capture.totalBytes();
    m_result.droppedBytes = m_capture.droppedBytes();
    m_result.output = m_capture.take();

    if (m_cancelled || m_waitFailureCode != 0) {
        m_result.messages << waitFailedMessage(m_request.kind,
                                               m_cancelled ? CancelledWaitCode : m_waitFailureCode);
        complete(WaitFailed);
        return;
    }

    // The tool ended by itself: even without an exit code (a crash) what it wrote before is this
    // run's output, so the pane shows this run and not the one before.
    m_result.toolEnded = true;
    if (status == QProcess::CrashExit) {
        complete(NoResult);
        return;
    }

    m_result.exitCode = exitCode;
    if (m_request.kind == ToolRequest::Assembler)
        runPostBuildCommands();

    if (m_result.output.isEmpty()) {
        m_result.messages << readFailedMessage(m_request.kind);
        complete(ReadFailed);
        return;
    }
    complete(exitCode);
}

std::unique_ptr<PostBuildRun> ToolRunner::takePostBuild()
{
    return std::move(m_postBuild);
}

void ToolRunner::runPostBuildCommands()
{
    const QStringList commands = PostBuildCommands::split(m_request.postBuild);
    if (commands.isEmpty())
        return;
    // They outlive the run: their output is read as it comes, by whoever takes them.
    m_postBuild = std::make_unique<PostBuildRun>();
    if (!m_postBuild->start(commands, m_request.workingDirectory))
        m_result.messages << CreateProcessFailedMessage;
}

void ToolRunner::complete(int result)
{
    m_completed = true;
    m_result.code = result;
    // Never from inside start(), and never while QProcess is still delivering its own signal.
    QMetaObject::invokeMethod(this, &ToolRunner::emitFinished, Qt::QueuedConnection);
}

void ToolRunner::emitFinished()
{
    releaseProcess(false);
    emit ended();
    for (const QString &message : std::as_const(m_result.messages))
        showMessage(message);
    m_running = false;
    // A copy: a receiver may start the next run.
    const ToolRunResult result = m_result;
    emit finished(result);
}

void ToolRunner::releaseProcess(bool now)
{
    if (!m_process)
        return;
    QProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
    }
    if (now)
        delete process;
    else
        process->deleteLater();
}
