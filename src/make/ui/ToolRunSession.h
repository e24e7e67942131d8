#pragma once

#include "make/ToolRunner.h"

#include <QObject>
#include <QPointer>
#include <QToolButton>

class BuildState;
class BusyIndicator;
class CMainFrame;

// Runs one console tool for a command while the IDE stays alive around it: the window keeps
// painting, the busy animation plays in status pane 103 (when an indicator is given), a Cancel
// button sits beside it, and the user's input to the main window is held back (dropped) until
// the tool has ended, so no command or keystroke can land in the middle of a run. Esc or Cancel
// stops the tool, which ends the run with 261 and the wait-failure message. Dialogs (the
// runner's own messages) still get their input. Afterwards the main window comes to the front.
// The frame's BuildState is busy meanwhile: one tool run at a time per frame.
class ToolRunSession : public QObject
{
    Q_OBJECT

public:
    // frame may be nullptr (no status line, nothing to hold back); so may state (no other run
    // of the frame to wait for).
    ToolRunSession(CMainFrame *frame, BuildState *state, BusyIndicator *animation);
    ~ToolRunSession() override;

    // The run's result; code NoResult without a run when the frame or the runner runs a tool
    // already.
    ToolRunResult run(ToolRunner &runner, const ToolRequest &request);
    // Stops the tool of the run in progress.
    void cancel();

    QToolButton *cancelButton() const { return m_cancel; }

    static inline const QString CancelText = QStringLiteral("Cancel");

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isHeldBack(QObject *receiver) const;
    void begin();
    void stopShowing();
    void end();

    QPointer<CMainFrame> m_frame;
    BuildState *m_state = nullptr;
    BusyIndicator *m_animation = nullptr;
    QPointer<ToolRunner> m_runner;
    QPointer<QToolButton> m_cancel;
    bool m_running = false;
};
