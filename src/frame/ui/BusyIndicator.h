#pragma once

#include <QPointer>
#include <QWidget>

// The busy animation of one editor view: each view holds one and passes it to
// CMainFrame::StartBusyAnimation / StopBusyAnimation. It runs exactly while its widget exists.
class BusyIndicator
{
public:
    bool isRunning() const { return !m_widget.isNull(); }

private:
    friend class CStatusLine;
    QPointer<QWidget> m_widget;
};
