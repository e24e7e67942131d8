#include "make/PostBuildRun.h"

#include "make/PostBuildCommands.h"

#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

// Reads per wake-up before the event loop gets its turn again, so a command that writes without
// pause can't hold the window.
constexpr int ReadsPerWakeUp = 16;

} // namespace

PostBuildRun::PostBuildRun(QObject *parent)
    : QObject(parent)
{}

PostBuildRun::~PostBuildRun()
{
    delete m_notifier; // before its descriptor goes
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PostBuildRun::start(const QStringList &commands, const QString &workingDirectory)
{
    int fds[2] = {-1, -1};
    // Close-on-exec: only the commands, through the redirection below, hold the writing end.
    bool piped = ::pipe2(fds, O_CLOEXEC) == 0;
    // A detached process can only be given files, so the writing end goes in under its name.
    QString sink = piped ? QStringLiteral("/proc/self/fd/%1").arg(fds[1]) : QString();
    if (piped && !QFileInfo::exists(sink)) {
        // No /proc: the commands still run, their output unread.
        ::close(fds[0]);
        ::close(fds[1]);
        piped = false;
    }
    if (piped)
        ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    else
        sink = QProcess::nullDevice();

    const QString shell = PostBuildCommands::shell();
    bool started = true;
    for (const QString &command : commands) {
        QProcess process;
        process.setProgram(shell);
        process.setArguments(PostBuildCommands::shellArguments(command));
        if (!workingDirectory.isEmpty())
            process.setWorkingDirectory(workingDirectory);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(sink, QIODevice::Append);
        if (!process.startDetached()) {
            started = false;
            break;
        }
    }
    if (!piped)
        return started;
    // From here the commands alone write into the pipe: its end comes when the last one ends.
    ::close(fds[1]);
    m_fd = fds[0];
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PostBuildRun::readAvailable);
    return started;
}

QString PostBuildRun::takeReceived()
{
    m_keepReceived = false;
    return std::exchange(m_received, QString());
}

void PostBuildRun::deliver(const QString &text)
{
    if (text.isEmpty())
        return;
    if (m_keepReceived)
        m_received += text;
    emit textReceived(text);
}

void PostBuildRun::readAvailable()
{
    char buffer[65536];
    for (int i = 0; i < ReadsPerWakeUp && m_fd >= 0; ++i) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            deliver(m_decoder.decode(m_bound.append(QByteArrayView(buffer, n))));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of the output (or a broken pipe, which ends it as well).
        const QByteArray held = m_bound.finish();
        QString text = m_decoder.decode(held);
        text += m_decoder.finish();
        deliver(text);
        stopReading();
        emit finished();
        return;
    }
}

void PostBuildRun::stopReading()
{
    if (m_notifier) {
        // Not deleted here: this may run inside its own signal.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
