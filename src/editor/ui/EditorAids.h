#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

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
    void attach(CQvasmView *view);

    // View > Line Numbers, for every editor of the frame; kept in the settings.
    bool lineNumbersShown() const { return *m_lineNumbers; }
    void setLineNumbersShown(bool on);
    static inline const QString LineNumbersSection = QStringLiteral("Settings");
    static inline const QString LineNumbersKey = QStringLiteral("linenumbers");

    // Tests: the keyboard state the text commands look at; empty asks the keyboard.
    void setModifierQuery(std::function<Qt::KeyboardModifiers()> query)
    {
        *m_modifiers = std::move(query);
    }

    // Start-up, once the main window shows: the colours from the settings, the user keyword file
    // of the program folder, and, with formatting on and a document opened at start-up, the
    // whole text of the active view coloured.
    static void applyStartupSettings(CMainFrame *frame,
                                     const QString &programFolder,
                                     bool documentOpenedAtStart);

private:
    void attachAll();

    QPointer<CMainFrame> m_frame;
    // State the views of this frame share: the typing aids' auto-indent flag and the text
    // commands' keyboard query. Shared pointers, as a view may outlive this object at teardown.
    std::shared_ptr<bool> m_autoIndent = std::make_shared<bool>(false);
    std::shared_ptr<bool> m_lineNumbers = std::make_shared<bool>(true);
    std::shared_ptr<std::function<Qt::KeyboardModifiers()>> m_modifiers
        = std::make_shared<std::function<Qt::KeyboardModifiers()>>();
};
