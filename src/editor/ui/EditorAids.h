#pragma once

#include <QObject>
#include <QPointer>

class CMainFrame;
class CQvasmView;
class QMdiSubWindow;

// Puts the colouring engine and the help pop-up on a main frame, and the typing aids, text
// commands and context help on every editor view that appears in it.
class EditorAids : public QObject
{
    Q_OBJECT

public:
    // Makes the frame's CSyntaxColorer and CHelpPopup, and follows its document windows.
    explicit EditorAids(CMainFrame *frame);

    // Gives a view its aids (once; later calls do nothing).
    static void attach(CQvasmView *view);

    // Start-up, once the main window shows: the colours from the settings, the user keyword file
    // of the program folder, and, with formatting on and a document opened at start-up, the
    // whole text of the active view coloured.
    static void applyStartupSettings(CMainFrame *frame,
                                     const QString &programFolder,
                                     bool documentOpenedAtStart);

private:
    void attachAll();

    QPointer<CMainFrame> m_frame;
};
