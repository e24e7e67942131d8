#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class CQvasmView;
class QKeyEvent;

// The editor's typing aids, watching one view's keys: Tab and Shift+Tab indent and outdent a
// line or a block of lines, Enter keeps the line's indentation, Backspace right after such an
// indentation takes all of it away at once, the release of a page or line movement key recolours
// the lines in view, and a "." or "->" after a structure variable or name offers the members in
// the member pop-up. The auto-indent flag (Backspace takes back what Enter just indented) is
// shared by the views of one frame: EditorAids holds it.
class ViewTypingAids : public QObject
{
    Q_OBJECT

public:
    // Watches view (becomes its child); without a shared flag it has one of its own.
    explicit ViewTypingAids(CQvasmView *view, std::shared_ptr<bool> autoIndent = nullptr);

    // The members a "." or "->" just typed before the caret offers; empty for none.
    QStringList membersAtCaret() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPress(QKeyEvent *event);
    void keyRelease(QKeyEvent *event);
    void tab(bool shift);
    void enter();
    void showMemberPopup();

    CQvasmView *m_view;
    std::shared_ptr<bool> m_autoIndent;
};
