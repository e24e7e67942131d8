#pragma once

#include "editor/HelpFile.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>

class CMainFrame;
class CQvasmView;
class QMdiSubWindow;

// The context-help pop-up, one per main frame: the help text of a word from qvasmide.hlt in the
// program folder, in a framed box laid over the editor window until the next click, wheel turn
// or key press, which then still goes where it was meant to go. The file is read at the first
// request; if it can't be read then, every request says "Could not find: [<file>]".
class CHelpPopup : public QObject
{
    Q_OBJECT

public:
    enum class Placement { Caret, Pointer };

    explicit CHelpPopup(CMainFrame *frame);
    ~CHelpPopup() override;

    // The pop-up of this frame.
    static CHelpPopup *of(const QWidget *frameOrChild);

    // The help file; the program folder's qvasmide.hlt unless set before the first request.
    void setHelpFilePath(const QString &path);
    QString helpFilePath() const;

    // Shows the help on word over the view's window: below the caret (20 pixels down) or at the
    // mouse pointer.
    void ShowHelp(CQvasmView &view, const QString &word, Placement placement);
    // The pop-up on screen, or nullptr.
    QLabel *popup() const { return m_popup; }
    void close();

    // The pop-up's rectangle for a text of this size at the anchor, moved up or left (5 pixels
    // clear of the edge) where the client rectangle ends, but never past its top or left edge.
    static QRect fitRect(const QPoint &anchor, const QSize &textSize, const QRect &client);
    static QFont popupFont();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CMainFrame *m_frame;
    QString m_path;
    std::unique_ptr<HelpFile> m_help;
    QPointer<QLabel> m_popup;
};
