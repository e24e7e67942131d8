#pragma once

#include <QBasicTimer>
#include <QWidget>

// A short looping clip drawn by hand: a block travelling along a track, for as long as the
// widget lives. It animates only while the event loop runs, which a long task must keep running.
class CBusyAnimation : public QWidget
{
    Q_OBJECT

public:
    explicit CBusyAnimation(QWidget *parent = nullptr);

    int frame() const { return m_frame; }
    static constexpr int FrameCount = 16;

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    QBasicTimer m_timer;
    int m_frame = 0;
};
