#pragma once

#include <QWidget>

class CQvasmView;

// The strip left of an editor's text: line numbers and the marks of the lines. The view paints
// it (it knows where its lines lie) and says what a mark's tool tip is.
class LineGutter : public QWidget
{
    Q_OBJECT

public:
    explicit LineGutter(CQvasmView *view);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    CQvasmView *m_view;
};
