#include "editor/ui/LineGutter.h"

#include <QHelpEvent>
#include <QToolTip>

LineGutter::LineGutter(QWidget *editor, Painter painter, ToolTipAt toolTipAt)
    : QWidget(editor)
    , m_painter(std::move(painter))
    , m_toolTipAt(std::move(toolTipAt))
{
    setObjectName(QStringLiteral("lineGutter"));
    setCursor(Qt::ArrowCursor);
}

bool LineGutter::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = m_toolTipAt(help->pos().y());
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
    m_painter(event);
}
