#pragma once

#include "editor/SyntaxColours.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class CMainFrame;
class CQvasmView;
class CommandMap;
class QMdiSubWindow;

// The option sheets and dialogs, the tip of the day and the web links, as commands: Editor
// Properties, Configuration Options, Tip of the Day and Online Help on the main frame; Editor
// Properties and Properties on every source window's view; the Internet menu on the
// application's table. One per main frame, made by the application's installer.
class OptionsCommands : public QObject
{
    Q_OBJECT

public:
    using ColourSink = std::function<void(const SyntaxColours &)>;

    // applyColours takes the six colours once Editor Properties is confirmed and recolours every
    // open editor; programFolder is where the tools folder defaults to.
    OptionsCommands(CMainFrame *frame,
                    CommandMap &applicationCommands,
                    ColourSink applyColours,
                    QString programFolder);

    void editorProperties();
    void properties(CQvasmView &view);
    void configurationOptions();
    void tipOfTheDay();
    // The question first; Yes opens the Version Check dialog.
    void checkVersion();

    // Tests: how long the version dialog waits for an answer.
    void setVersionTimeout(int milliseconds) { m_versionTimeoutMs = milliseconds; }

    static const QString CheckVersionQuestion;

private:
    void installOn(QMdiSubWindow *window);

    QPointer<CMainFrame> m_frame;
    ColourSink m_applyColours;
    QString m_programFolder;
    QList<QPointer<QMdiSubWindow>> m_installed;
    int m_versionTimeoutMs = 0; // 0: the fetch's own
};
