#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class CQvasmView;
class QMouseEvent;
class QWidget;

// Context help and the right-click menus of one editor view: Shift+F1 shows the help on the word
// at the caret below the caret, Help > Context Help (and the Shift menu's first item) at the mouse
// pointer, Goto Definition answers "Not implemented yet". The right button opens one of the four
// editor sub-menus of the context menu resource, chosen by Shift and Ctrl; with Shift the caret
// first moves to the pointer and the Shift menu names the word there.
class ViewContextHelp : public QObject
{
    Q_OBJECT

public:
    // Registers on view's command table and watches its mouse (becomes its child).
    explicit ViewContextHelp(CQvasmView *view);

    // The word at the caret (the caret on it or at its first character), or empty.
    QString wordAtCaret() const;

    // Which editor sub-menu a right-button release with these keys opens: 0 none, 1 Shift,
    // 2 Ctrl, 3 both; -1 (no menu) while another mouse button is held.
    static int menuFor(Qt::KeyboardModifiers modifiers, Qt::MouseButtons held);
    // The Shift menu's item texts for the word under the pointer.
    static QHash<int, QString> shiftMenuTexts(const QString &word);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void registerCommands();
    void showHelp(bool atCaret);
    void rightButtonReleased(QMouseEvent *event);

    CQvasmView *m_view;
    // Compared against in eventFilter: it still sees events while the view is being destroyed,
    // when asking the view for its viewport is no longer valid.
    QWidget *m_viewport;
};
