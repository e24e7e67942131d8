#pragma once

#include <QHash>
#include <QStatusBar>

class QLabel;

// The status line: the message pane 104, which stretches, then the busy pane 103, the line and
// column pane 101, and the OVR, CAP and NUM indicators (59140, 59137, 59138). Panes are labels
// with the object name "pane_<id>".
class CStatusLine : public QStatusBar
{
    Q_OBJECT

public:
    enum Pane {
        MessagePane = 104,
        BusyPane = 103,
        LineColumnPane = 101,
        OverwritePane = 59140,
        CapsPane = 59137,
        NumPane = 59138,
    };

    explicit CStatusLine(QWidget *parent = nullptr);

    QLabel *pane(int id) const { return m_panes.value(id); }
    // The pane's own text; ends any coloured message shown in it.
    void setPaneText(int id, const QString &text);
    QString paneText(int id) const;
    // A message on a coloured background, until the pane next shows its own text.
    void showColouredMessage(int id, const QString &text, const QColor &colour);
    bool hasColouredMessage(int id) const;

    static QString idleText() { return QStringLiteral("For Help, press F1"); }

private:
    QLabel *addPane(int id, const QString &sizingText, bool permanent);

    QHash<int, QLabel *> m_panes;
};
