#include "frame/ui/CBusyAnimation.h"

#include <QPainter>
#include <QTimerEvent>

CBusyAnimation::CBusyAnimation(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("busy"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_timer.start(70, this);
}

void CBusyAnimation::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_frame = (m_frame + 1) % FrameCount;
    update();
}

void CBusyAnimation::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect track = rect().adjusted(2, 3, -2, -3);
    if (track.width() < 8 || track.height() < 2)
        return;
    p.fillRect(track, palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(track.adjusted(0, 0, -1, -1));
    // Three blocks chase each other left to right, the leading one darkest.
    const int blockWidth = qMax(4, track.width() / 10);
    const int travel = track.width() - blockWidth;
    const QColor colour = palette().color(QPalette::Highlight);
    for (int i = 0; i < 3; ++i) {
        const int f = (m_frame - i * 2 + FrameCount) % FrameCount;
        const int x = track.left() + travel * f / (FrameCount - 1);
        QColor c = colour;
        c.setAlpha(255 - i * 80);
        p.fillRect(QRect(x, track.top() + 2, blockWidth, track.height() - 4), c);
    }
}
