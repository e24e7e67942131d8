#include "search/ui/FindInFilesRun.h"

#include "frame/ui/CMainFrame.h"
#include "frame/ui/CStatusLine.h"
#include "make/ui/CMyView.h"
#include "search/FindInFilesEngine.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QToolButton>

namespace {
// The pane's fixed texts end in "\r\n ": it keeps all but the last character.
void appendLine(CMyView *pane, const QString &text)
{
    const QString line = text + QStringLiteral("\r\n ");
    pane->Append(line, line.size());
}
} // namespace

FindInFilesRun::FindInFilesRun(CMainFrame *frame, CMyView *pane, QObject *parent)
    : QObject(parent)
    , m_frame(frame)
    , m_pane(pane)
    , m_engine(new FindInFilesEngine(this))
{
    connect(m_engine, &FindInFilesEngine::hitsFound, this, &FindInFilesRun::write);
    connect(m_engine, &FindInFilesEngine::finished, this, &FindInFilesRun::end);
}

FindInFilesRun::~FindInFilesRun()
{
    if (m_running) {
        qApp->removeEventFilter(this);
        stopShowing();
    }
    // The engine (a child) stops and joins its thread as it goes.
}

bool FindInFilesRun::start(const FindInFiles::Request &request)
{
    if (m_running || !m_engine->start(request))
        return false;
    m_running = true;
    if (m_pane) {
        m_pane->Clear();
        m_clears = m_pane->clearCount();
        appendLine(m_pane, FindInFiles::searchingLine(request.text));
    }
    showBusy();
    qApp->installEventFilter(this);
    return true;
}

void FindInFilesRun::cancel()
{
    if (!m_running)
        return;
    m_engine->cancel();
    // Stopping takes until the file being read is done; one press is enough.
    if (m_cancel)
        m_cancel->setEnabled(false);
}

bool FindInFilesRun::paneIsOurs() const
{
    return m_pane && m_pane->clearCount() == m_clears;
}

void FindInFilesRun::write(const QList<FindHit> &hits)
{
    if (!paneIsOurs()) {
        // Someone else writes there now: what is left of this search has nowhere to go.
        cancel();
        return;
    }
    QString text;
    for (const FindHit &hit : hits) {
        text += FindInFiles::hitLine(hit);
        text += QStringLiteral("\r\n");
    }
    text += u' ';
    // One append per batch: the pane lays out and scrolls once, not once per line.
    m_pane->Append(text, text.size());
}

void FindInFilesRun::end(qint64 count, bool cancelled)
{
    m_running = false;
    qApp->removeEventFilter(this);
    stopShowing();
    if (paneIsOurs())
        appendLine(m_pane, FindInFiles::countLine(count));
    emit finished(count, cancelled);
}

void FindInFilesRun::showBusy()
{
    if (!m_frame)
        return;
    m_frame->StartBusyAnimation(m_animation);
    if (QLabel *pane = m_frame->statusLine()->pane(CStatusLine::BusyPane)) {
        m_cancel = new QToolButton(pane);
        m_cancel->setObjectName(QStringLiteral("cancelSearch"));
        m_cancel->setText(CancelText);
        m_cancel->setToolTip(QStringLiteral("Stop the search (Esc)"));
        m_cancel->setAutoRaise(true);
        connect(m_cancel, &QToolButton::clicked, this, &FindInFilesRun::cancel);
        if (pane->layout())
            pane->layout()->addWidget(m_cancel);
        m_cancel->show();
    }
}

void FindInFilesRun::stopShowing()
{
    delete m_cancel.data();
    if (m_frame)
        m_frame->StopBusyAnimation(m_animation);
}

bool FindInFilesRun::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    auto *widget = qobject_cast<QWidget *>(watched);
    // Esc belongs to the search only in the main window; dialogs keep theirs.
    if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier || !widget || !m_frame
        || widget->window() != m_frame.data()) {
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress)
        cancel();
    event->accept();
    return true;
}
