#pragma once

#include <QWidget>

#include <functional>

// The strip left of an editor's text: line numbers and the marks of the lines. The editor
// paints it (it knows where its lines lie) and says what the tool tip at a height is.
class LineGutter : public QWidget
{
    Q_OBJECT

public:
    using Painter = std::function<void(QPaintEvent *)>;
    using ToolTipAt = std::function<QString(int y)>;

    LineGutter(QWidget *editor, Painter painter, ToolTipAt toolTipAt);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Painter m_painter;
    ToolTipAt m_toolTipAt;
};
