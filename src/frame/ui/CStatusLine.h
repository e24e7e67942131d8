#pragma once

#include "frame/ui/KeyLockState.h"

#include <QHash>
#include <QStatusBar>

#include <optional>

class BusyIndicator;
class QLabel;

// The status line: the message pane 104, which stretches, then the busy pane 103, the line and
// column pane 101, and the OVR, CAP and NUM indicators (59140, 59137, 59138). Panes are labels
// with the object name "pane_<id>". It keeps the program's overwrite state, flipped by Insert
// (not Ctrl+Insert or Shift+Insert) anywhere in its window.
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
    ~CStatusLine() override;

    QLabel *pane(int id) const { return m_panes.value(id); }
    // The pane's own text; ends any coloured message shown in it.
    void setPaneText(int id, const QString &text);
    QString paneText(int id) const;
    // A message on a coloured background, until the pane next shows its own text.
    void showColouredMessage(int id, const QString &text, const QColor &colour);

    static QString idleText() { return QStringLiteral("For Help, press F1"); }
    // The message pane's text when there is no message.
    static QString readyText() { return QStringLiteral("Ready..."); }

    void setLineColumn(const QString &text) { setPaneText(LineColumnPane, text); }
    bool overwriteMode() const { return m_overwrite; }
    // Reads Caps Lock and Num Lock again and shows them.
    void refreshKeyLocks();

    void startBusyAnimation(BusyIndicator &indicator);
    void stopBusyAnimation(BusyIndicator &indicator);

signals:
    void overwriteModeChanged(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showIndicators();
    QLabel *addPane(int id, const QString &sizingText, bool permanent);

    QHash<int, QLabel *> m_panes;
    bool m_overwrite = false;
    std::optional<KeyLockState> m_keyLocks;
};
