#include "frame/ui/CStatusLine.h"

#include "frame/ui/BusyIndicator.h"
#include "frame/ui/CBusyAnimation.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

namespace {
const char kColoured[] = "qvasmideColoured";
}

CStatusLine::CStatusLine(QWidget *parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusLine"));
    QLabel *message = addPane(MessagePane, readyText(), false);
    message->setText(idleText());
    QLabel *busy = addPane(BusyPane, QString(49, QLatin1Char(' ')), true);
    auto *busyLayout = new QHBoxLayout(busy);
    busyLayout->setContentsMargins(1, 1, 1, 1);
    addPane(LineColumnPane, QStringLiteral("Ln ??????, Col ???? "), true);
    addPane(OverwritePane, QStringLiteral("OVR"), true);
    addPane(CapsPane, QStringLiteral("CAP"), true);
    addPane(NumPane, QStringLiteral("NUM"), true);
    // A command prompt paints over the message pane; once it goes, the pane shows the idle text,
    // not a coloured message from before.
    connect(this, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            setPaneText(MessagePane, idleText());
    });
    qApp->installEventFilter(this);
}

CStatusLine::~CStatusLine()
{
    qApp->removeEventFilter(this);
}

QLabel *CStatusLine::addPane(int id, const QString &sizingText, bool permanent)
{
    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("pane_%1").arg(id));
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(2, 0, 2, 0);
    if (permanent) {
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(sizingText) + 8);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        addPermanentWidget(label);
    } else {
        addWidget(label, 1);
    }
    m_panes.insert(id, label);
    return label;
}

void CStatusLine::setPaneText(int id, const QString &text)
{
    QLabel *label = pane(id);
    if (!label)
        return;
    if (label->property(kColoured).toBool()) {
        label->setProperty(kColoured, false);
        label->setAutoFillBackground(false);
        label->setPalette(QPalette());
        label->setFont(QFont());
    }
    if (label->text() != text)
        label->setText(text);
}

QString CStatusLine::paneText(int id) const
{
    QLabel *label = pane(id);
    return label ? label->text() : QString();
}

void CStatusLine::showColouredMessage(int id, const QString &text, const QColor &colour)
{
    QLabel *label = pane(id);
    if (!label)
        return;
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, colour);
    label->setPalette(pal);
    label->setAutoFillBackground(true);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    label->setFont(font);
    label->setText(text);
    label->setProperty(kColoured, true);
}

void CStatusLine::showIndicators()
{
    setPaneText(OverwritePane, m_overwrite ? QStringLiteral("OVR") : QString());
    setPaneText(CapsPane, m_keyLocks && m_keyLocks->capsLock ? QStringLiteral("CAP") : QString());
    setPaneText(NumPane, m_keyLocks && m_keyLocks->numLock ? QStringLiteral("NUM") : QString());
}

void CStatusLine::refreshKeyLocks()
{
    m_keyLocks = KeyLockState::query();
    showIndicators();
}

bool CStatusLine::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease)
        || watched != QGuiApplication::focusObject()) {
        // Only the first delivery, to the focus object: the same key travelling up to the
        // parents must not count again.
        return QStatusBar::eventFilter(watched, event);
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != window())
        return QStatusBar::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::KeyPress && key->key() == Qt::Key_Insert && !key->isAutoRepeat()
        && !(key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
        m_overwrite = !m_overwrite;
        showIndicators();
        emit overwriteModeChanged(m_overwrite);
    } else if (type == QEvent::KeyRelease
               && (key->key() == Qt::Key_CapsLock || key->key() == Qt::Key_NumLock)) {
        refreshKeyLocks();
    }
    return QStatusBar::eventFilter(watched, event);
}

void CStatusLine::startBusyAnimation(BusyIndicator &indicator)
{
    if (indicator.isRunning())
        return;
    QLabel *busy = pane(BusyPane);
    auto *animation = new CBusyAnimation(busy);
    busy->layout()->addWidget(animation);
    animation->show();
    indicator.m_widget = animation;
}

void CStatusLine::stopBusyAnimation(BusyIndicator &indicator)
{
    if (indicator.isRunning())
        delete indicator.m_widget.data();
}
