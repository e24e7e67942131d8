#pragma once

#include "make/BoundedStream.h"
#include "make/ToolOutputDecoder.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;

// The post-build commands of one assembler run and what they write. Each command runs in a
// shell of its own (PostBuildCommands), started and never waited for; their standard output
// goes into one pipe that is read on the event loop as the text arrives, decoded piece by piece,
// until every command (and anything they left running with that output) has ended. Nothing here
// blocks. What is passed on is bounded as a tool's capture is (BoundedStream): the first
// megabytes as they come, then at the end the last ones after a line saying how much was left
// out, so commands that flood their output fill neither this nor the pane without limit.
//
// Destroying the object stops the reading: a command still running then loses what it writes
// from there on, as it would if the IDE ended.
class PostBuildRun : public QObject
{
    Q_OBJECT

public:
    explicit PostBuildRun(QObject *parent = nullptr);
    ~PostBuildRun() override;

    // Starts the commands in order, in workingDirectory (empty: the IDE's current one). False
    // when one could not be started; the commands after it are not started.
    bool start(const QStringList &commands, const QString &workingDirectory);

    // True until the commands' output has ended (finished() then follows once).
    bool isReading() const { return m_fd >= 0; }
    // The text received so far that nobody has taken; from the first call on, text only comes
    // through textReceived().
    QString takeReceived();

signals:
    void textReceived(const QString &text);
    void finished();

private:
    void readAvailable();
    void stopReading();
    void deliver(const QString &text);

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    BoundedStream m_bound;
    ToolOutputDecoder m_decoder;
    QString m_received;
    bool m_keepReceived = true;
};
