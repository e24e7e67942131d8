#include "make/ui/ToolRunSession.h"

#include "frame/ui/BusyIndicator.h"
#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "make/BuildState.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QToolButton>

ToolRunSession::ToolRunSession(CMainFrame *frame, BuildState *state, BusyIndicator *animation)
    : m_frame(frame)
    , m_state(state)
    , m_animation(animation)
{}

ToolRunSession::~ToolRunSession()
{
    if (m_running)
        end();
}

ToolRunResult ToolRunSession::run(ToolRunner &runner, const ToolRequest &request)
{
    if (m_running || runner.isRunning() || (m_state && !m_state->beginRun()))
        return ToolRunResult();
    m_runner = &runner;
    begin();
    // The animation and Cancel go as soon as the tool has ended, before any message about it.
    const auto connection = connect(&runner, &ToolRunner::ended, this, &ToolRunSession::stopShowing);
    const ToolRunResult result = runner.runAndWait(request);
    disconnect(connection);
    end();
    return result;
}

void ToolRunSession::cancel()
{
    if (m_runner)
        m_runner->cancel();
}

void ToolRunSession::begin()
{
    m_running = true;
    qApp->installEventFilter(this);
    if (!m_frame)
        return;
    if (m_animation)
        m_frame->StartBusyAnimation(*m_animation);
    if (QLabel *pane = m_frame->statusLine()->pane(CStatusLine::BusyPane)) {
        m_cancel = new QToolButton(pane);
        m_cancel->setObjectName(QStringLiteral("cancelTool"));
        m_cancel->setText(CancelText);
        m_cancel->setToolTip(QStringLiteral("Stop the running tool (Esc)"));
        m_cancel->setAutoRaise(true);
        connect(m_cancel, &QToolButton::clicked, this, &ToolRunSession::cancel);
        if (pane->layout())
            pane->layout()->addWidget(m_cancel);
        m_cancel->show();
    }
    m_frame->requestCommandUpdate();
}

void ToolRunSession::stopShowing()
{
    delete m_cancel.data();
    if (m_frame && m_animation)
        m_frame->StopBusyAnimation(*m_animation);
}

void ToolRunSession::end()
{
    qApp->removeEventFilter(this);
    if (m_running && m_state)
        m_state->endRun();
    m_running = false;
    stopShowing();
    m_runner = nullptr;
    if (!m_frame)
        return;
    // Back to the front, as the user may have gone elsewhere while the tool ran.
    if (m_frame->isMinimized())
        m_frame->setWindowState(m_frame->windowState() & ~Qt::WindowMinimized);
    if (m_frame->isVisible()) {
        m_frame->raise();
        m_frame->activateWindow();
    }
    m_frame->requestCommandUpdate();
}

bool ToolRunSession::isHeldBack(QObject *receiver) const
{
    // Window-level deliveries (QWindow) pass: they reach the widgets next, where the Cancel
    // button must still get its click.
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget)
        return false;
    if (m_cancel && (widget == m_cancel || m_cancel->isAncestorOf(widget)))
        return false;
    // Message boxes and other dialogs keep working; everything else of the program waits.
    const QWidget *top = widget->window();
    return !(top->windowType() == Qt::Dialog || top->windowType() == Qt::Sheet);
}

bool ToolRunSession::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride: {
        if (!isHeldBack(watched))
            break;
        auto *key = static_cast<QKeyEvent *>(event);
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Escape
            && key->modifiers() == Qt::NoModifier) {
            cancel();
        }
        // An accepted override keeps the key from being matched as a shortcut.
        event->accept();
        return true;
    }
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
        if (isHeldBack(watched))
            return true;
        break;
    case QEvent::Close:
        // The program does not end under a running tool; Cancel first.
        if (m_frame && watched == m_frame) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
