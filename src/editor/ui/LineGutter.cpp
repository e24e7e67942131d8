#include "editor/ui/LineGutter.h"

#include "editor/ui/CQvasmView.h"

#include <QHelpEvent>
#include <QToolTip>

LineGutter::LineGutter(CQvasmView *view)
    : QWidget(view)
    , m_view(view)
{
    setObjectName(QStringLiteral("lineGutter"));
    setCursor(Qt::ArrowCursor);
}

bool LineGutter::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = m_view->lineMarkToolTip(m_view->lineAtY(help->pos().y()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

void LineGutter::paintEvent(QPaintEvent *event)
{
    m_view->paintGutter(event);
}
