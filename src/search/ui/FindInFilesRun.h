#pragma once

#include "frame/ui/BusyIndicator.h"
#include "search/FindInFiles.h"

#include <QObject>
#include <QPointer>
#include <QToolButton>

class CMainFrame;
class CMyView;
class FindInFilesEngine;

// One Find in File(s) search written into the output pane: the "Searching for" line, the hits as
// the worker thread hands them out, then the count line. The window stays usable meanwhile; the
// busy animation plays in the status line beside a Cancel button, and Esc in the main window or
// Cancel stops the search, whose count line then tells how many were found before the stop. A
// writer that clears the pane (a build) ends the search without a count line under its output.
class FindInFilesRun : public QObject
{
    Q_OBJECT

public:
    // frame may be nullptr (no status line, no Esc); pane may be nullptr (nothing written).
    FindInFilesRun(CMainFrame *frame, CMyView *pane, QObject *parent = nullptr);
    ~FindInFilesRun() override; // stops a search still running

    // Clears the pane and starts; false when the search could not start.
    bool start(const FindInFiles::Request &request);
    void cancel();
    bool isRunning() const { return m_running; }

    QToolButton *cancelButton() const { return m_cancel; }
    static inline const QString CancelText = QStringLiteral("Cancel");

signals:
    void finished(qint64 count, bool cancelled);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void write(const QList<FindHit> &hits);
    void end(qint64 count, bool cancelled);
    bool paneIsOurs() const;
    void showBusy();
    void stopShowing();

    QPointer<CMainFrame> m_frame;
    QPointer<CMyView> m_pane;
    FindInFilesEngine *m_engine = nullptr;
    BusyIndicator m_animation;
    QPointer<QToolButton> m_cancel;
    quint64 m_clears = 0; // the pane's clear count when this search cleared it
    bool m_running = false;
};
