#pragma once

#include "make/ToolRunner.h"

#include <QObject>
#include <QPointer>
#include <QToolButton>

class BusyIndicator;
class CMainFrame;

// Runs one console tool for a command while the IDE stays alive around it: the window keeps
// painting, the busy animation plays in status pane 103 (when an indicator is given), a Cancel
// button sits beside it, and the user's input to the main window is held back (dropped) until
// the tool has ended, so no command or keystroke can land in the middle of a run. Esc or Cancel
// stops the tool, which ends the run with 261 and the wait-failure message. Dialogs (the
// runner's own messages) still get their input. Afterwards the main window comes to the front.
class ToolRunSession : public QObject
{
    Q_OBJECT

public:
    // frame may be nullptr (no status line, nothing to hold back).
    ToolRunSession(CMainFrame *frame, BusyIndicator *animation);
    ~ToolRunSession() override;

    // The result protocol of ToolRunner; NoResult without a run when another run is in progress.
    int run(ToolRunner &runner, const ToolRequest &request);
    // Stops the tool of the run in progress.
    void cancel();

    // True while some session runs a tool (commands that start tools stay disabled meanwhile).
    static bool isBusy();
    // The session running now, if any.
    static ToolRunSession *current();

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
    BusyIndicator *m_animation = nullptr;
    QPointer<ToolRunner> m_runner;
    QPointer<QToolButton> m_cancel;
};
